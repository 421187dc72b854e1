// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/next_step_row.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include "model/panel.h"
#include "progress/progress_statistics.h"
#include "ui/control_binding.h"

namespace velmora {

namespace {

// The reader's decimal separator, where it is one byte.
char DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    const char latin = point.size() == 1 ? point.at(0).toLatin1() : '\0';
    return latin != '\0' ? latin : '.';
}

}  // namespace

std::array<bool, kPitchClasses> TickedPitchClasses(const Panel& panel) {
    std::array<bool, kPitchClasses> ticked{};
    for (int i = 0; i < kPitchClasses && i < panel.lstPitch.count(); ++i) {
        ticked[i] = panel.lstPitch.selected(i);
    }
    return ticked;
}

NextStep NextStepFor(const ProgressStatistics& statistics, const Tally& lastSevenDays,
                     const std::array<bool, kPitchClasses>& ticked,
                     const std::array<std::string, kPitchClasses>& names) {
    return ChooseNextStep(statistics.mastery(), lastSevenDays, ticked, names, DecimalSeparator());
}

NextStepRow::NextStepRow(const ProgressStatistics& statistics, const ProgressFigures& lastSevenDays,
                         Panel& panel, QWidget* parent)
    : QGroupBox(tr("Next step"), parent),
      statistics_(statistics),
      lastSevenDays_(lastSevenDays),
      panel_(panel) {
    sentence_ = new QLabel;
    sentence_->setWordWrap(true);
    sentence_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    sentence_->setAccessibleName(tr("Next step"));
    followFont();
    button_ = new QPushButton;
    button_->setVisible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 6);
    layout->addWidget(sentence_, 1);
    layout->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [this] { take(); });
}

void NextStepRow::followFont() {
    QFont bigger = font();
    bigger.setPointSizeF(font().pointSizeF() * 1.1);
    sentence_->setFont(bigger);
}

void NextStepRow::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    // The zoom sets the program's font while the window is open.
    if (event->type() == QEvent::FontChange) followFont();
}

void NextStepRow::follow(const std::array<std::string, kPitchClasses>& names) {
    const std::array<bool, kPitchClasses> ticked = TickedPitchClasses(panel_);
    const bool same = chosen_ && version_ == statistics_.version() &&
                      weekVersion_ == lastSevenDays_.version && weekDay_ == lastSevenDays_.today &&
                      ticked_ == ticked && names_ == names;
    if (!same) {
        chosen_ = true;
        version_ = statistics_.version();
        weekVersion_ = lastSevenDays_.version;
        weekDay_ = lastSevenDays_.today;
        ticked_ = ticked;
        names_ = names;
        NextStep step = NextStepFor(statistics_, lastSevenDays_.tally, ticked, names);
        if (!(step == step_) || sentence_->text().isEmpty()) {
            step_ = std::move(step);
            const QString sentence = ToQt(step_.sentence);
            sentence_->setText(sentence);
            sentence_->setAccessibleDescription(sentence);
            button_->setText(ToQt(step_.button));
            button_->setVisible(step_.action != NextStep::Action::None);
        }
    }
    showLock();
}

void NextStepRow::showLock() {
    const int locked = panel_.mnuDefaultExercises.enabled() ? 0 : 1;
    if (locked == locked_) return;
    locked_ = locked;
    button_->setEnabled(!locked);
    const QString why = locked ? tr("Not while a run is going on: stop it first.") : QString();
    button_->setToolTip(why);
    button_->setAccessibleDescription(why);
}

void NextStepRow::take() {
    if (!TakeNextStep(step_, panel_)) return;
    follow(names_);
}

}  // namespace velmora
