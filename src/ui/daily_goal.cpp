// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/daily_goal.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>

namespace velmora {

DailyGoal::DailyGoal(QWidget* parent) : QWidget(parent) {
    goal_ = new QSpinBox;
    goal_->setRange(kDailyGoalLeast, kDailyGoalMost);
    goal_->setValue(kDailyGoalDefault);
    goal_->setSuffix(tr(" min"));
    // Typing "120" is one choice, not three.
    goal_->setKeyboardTracking(false);
    goal_->setAccessibleName(tr("Daily goal in minutes"));
    auto* label = new QLabel(tr("Daily &goal:"));
    label->setBuddy(goal_);
    today_ = new QProgressBar;
    today_->setTextVisible(true);
    fitToday();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(goal_);
    layout->addSpacing(6);
    layout->addWidget(today_);
    showProgress();

    connect(goal_, &QSpinBox::valueChanged, this, [this](int minutes) {
        showProgress();
        emit goalChanged(minutes);
    });
}

void DailyGoal::fitToday() {
    // As wide as its longest text, so that a new minute never moves the row.
    const QFontMetrics metrics = today_->fontMetrics();
    today_->setFixedWidth(
        metrics.horizontalAdvance(
            tr("%1, goal reached").arg(tr("Today: %1 of %2 minutes").arg(600).arg(600))) +
        2 * metrics.height());
}

void DailyGoal::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitToday();
}

int DailyGoal::minutes() const {
    return goal_->value();
}

void DailyGoal::setMinutes(int minutes) {
    const QSignalBlocker quiet(goal_);
    goal_->setValue(std::clamp(minutes, kDailyGoalLeast, kDailyGoalMost));
    showProgress();
}

void DailyGoal::showToday(std::int64_t practisedMilliseconds) {
    const int minutes = static_cast<int>(std::max<std::int64_t>(practisedMilliseconds, 0) / 60'000);
    if (minutes == todayMinutes_) return;
    todayMinutes_ = minutes;
    showProgress();
}

QString DailyGoal::todayText() const {
    const QString text = minutes() == 1
                             ? tr("Today: %1 of 1 minute").arg(todayMinutes_)
                             : tr("Today: %1 of %2 minutes").arg(todayMinutes_).arg(minutes());
    return todayMinutes_ >= minutes() ? tr("%1, goal reached").arg(text) : text;
}

void DailyGoal::showProgress() {
    today_->setRange(0, minutes());
    today_->setValue(std::min(todayMinutes_, minutes()));
    const QString text = todayText();
    today_->setFormat(text);
    today_->setAccessibleName(text);
}

}  // namespace velmora
