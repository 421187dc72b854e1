// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/practice_menu.h"

#include "app/trainer.h"

namespace velmora {

PracticeMenu::PracticeMenu(QMenu& menu, Trainer& trainer)
    : QObject(nullptr),
      trainer_(trainer),
      menu_(&menu),
      play_(tr("&Play")),
      stop_(tr("&Stop")),
      again_(tr("Play the &Question Again")),
      hear_(tr("&Hear My Answer")),
      chooses_(tr("Coach &Chooses the Questions")),
      clearsEar_(tr("Clear the &Ear Between Questions")),
      hearsAfterMistakes_(tr("Hear My &Answer After Every Mistake")) {
    // No answer letter: those are C V D W E F T G Q A S B.
    play_.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    stop_.setShortcut(QKeySequence(Qt::Key_Escape));
    again_.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    play_.setToolTip(tr("Start a new run, as the PLAY button does"));
    stop_.setToolTip(tr("End the run or the drill, as the STOP button does"));
    again_.setToolTip(tr("After a run, hear its last question once more"));
    for (QAction* command : {&play_, &stop_, &again_}) menu_->addAction(command);
    menu_->addSeparator();
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
    // Through the buttons' own clicks, which do nothing while they are disabled.
    connect(&play_, &QAction::triggered, this, [this] { trainer_.panel().cmdPlay.click(); });
    connect(&stop_, &QAction::triggered, this, [this] { trainer_.panel().cmdPlayStop.click(); });
    connect(&again_, &QAction::triggered, this, [this] { trainer_.PlayQuestionAgain(); });
    connect(&hear_, &QAction::triggered, this, [this] { trainer_.HearMyAnswer(); });
    connect(menu_, &QMenu::aboutToShow, this, &PracticeMenu::refresh);
    connect(menu_, &QMenu::aboutToHide, this, &PracticeMenu::menuClosed);
    trainer_.onHearMyAnswerChanged([this] { hear_.setEnabled(trainer_.canHearMyAnswer()); });
    showCoachOptions(trainer_.coachOptions());
    hear_.setEnabled(trainer_.canHearMyAnswer());
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
    play_.setEnabled(trainer_.panel().cmdPlay.enabled());
    stop_.setEnabled(trainer_.panel().cmdPlayStop.enabled());
    again_.setEnabled(trainer_.canPlayQuestionAgain());
    hear_.setEnabled(trainer_.canHearMyAnswer());
}

// Nothing tells when the buttons or a run change: the shortcuts stay ready,
// and each command refuses what its button or the trainer would.
void PracticeMenu::menuClosed() {
    for (QAction* command : {&play_, &stop_, &again_}) command->setEnabled(true);
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
