#include "ui/practice_menu.h"

#include "app/trainer.h"

namespace velmora {

PracticeMenu::PracticeMenu(QMenu& menu, Trainer& trainer)
    : QObject(nullptr),
      trainer_(trainer),
      menu_(&menu),
      hear_(tr("&Hear My Answer")),
      chooses_(tr("Coach &Chooses the Questions")),
      clearsEar_(tr("Clear the &Ear Between Questions")),
      hearsAfterMistakes_(tr("Hear My &Answer After Every Mistake")) {
    // No answer letter: those are C V D W E F T G Q A S B.
    hear_.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    hear_.setToolTip(tr("Play the question, your answer and the question again"));
    menu_->addAction(&hear_);
    menu_->addSeparator();
    for (QAction* option : {&chooses_, &clearsEar_, &hearsAfterMistakes_}) {
        option->setCheckable(true);
        menu_->addAction(option);
        // Only the user's own changes: showCoachOptions() tells no one.
        connect(option, &QAction::triggered, this, &PracticeMenu::chosen);
    }
    connect(&hear_, &QAction::triggered, this, [this] { trainer_.HearMyAnswer(); });
    connect(menu_, &QMenu::aboutToShow, this, &PracticeMenu::refresh);
    trainer_.onHearMyAnswerChanged([this] { refresh(); });
    showCoachOptions(trainer_.coachOptions());
    refresh();
}

PracticeMenu::~PracticeMenu() {
    trainer_.onHearMyAnswerChanged({});
}

void PracticeMenu::showCoachOptions(const CoachOptions& options) {
    chooses_.setChecked(options.choosesQuestions);
    clearsEar_.setChecked(options.clearsEar);
    clearsEar_.setEnabled(options.choosesQuestions);
    hearsAfterMistakes_.setChecked(options.hearsAnswerAfterMistakes);
}

void PracticeMenu::refresh() {
    hear_.setEnabled(trainer_.canHearMyAnswer());
}

void PracticeMenu::chosen() {
    CoachOptions options;
    options.choosesQuestions = chooses_.isChecked();
    options.clearsEar = clearsEar_.isChecked();
    options.hearsAnswerAfterMistakes = hearsAfterMistakes_.isChecked();
    showCoachOptions(options);
    emit coachOptionsChosen(options);
}

}  // namespace velmora
