// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/progress_controller.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "ui/daily_goal.h"
#include "ui/window_placement.h"

namespace velmora {

namespace {

// The window manager's frame around a window, as seen on `shown`; none before it is shown.
QMargins FrameOf(const QWidget* shown) {
    if (!shown || !shown->isVisible()) return {};
    const QRect frame = shown->frameGeometry();
    const QRect inside = shown->geometry();
    return {inside.left() - frame.left(), inside.top() - frame.top(),
            frame.right() - inside.right(), frame.bottom() - inside.bottom()};
}

}  // namespace

QRect GlobalBounds(const QList<QWidget*>& widgets) {
    QRect bounds;
    for (const QWidget* each : widgets) {
        if (each && each->isVisible())
            bounds |= QRect(each->mapToGlobal(QPoint(0, 0)), each->size());
    }
    return bounds;
}

ProgressController::ProgressController(ProgressStatistics& statistics,
                                       ProgressWindow::PitchNames pitchNames, QWidget* windowParent,
                                       Panel* panel)
    : statistics_(statistics),
      pitchNames_(std::move(pitchNames)),
      windowParent_(windowParent),
      panel_(panel),
      dailyGoalMinutes_(kDailyGoalDefault) {}

ProgressController::~ProgressController() {
    // The program ends with the window open: where the learner put it still counts.
    if (window_ && window_->isVisible()) rememberPlace();
    // Gone already when its parent went first.
    delete window_;
}

ProgressWindow& ProgressController::show() {
    if (!window_) {
        window_ = new ProgressWindow(statistics_, pitchNames_, windowParent_, panel_);
        window_->setNote(note_);
        window_->setDailyGoalMinutes(dailyGoalMinutes_);
        connect(window_, &ProgressWindow::dailyGoalChanged, this, [this](int minutes) {
            dailyGoalMinutes_ = minutes;
            emit dailyGoalChanged(minutes);
        });
        window_->installEventFilter(this);
        unplaced_ = true;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    return *window_;
}

void ProgressController::place() {
    // The window gets the trainer's kind of frame once shown.
    const QMargins frame = FrameOf(windowParent_);
    std::vector<QRect> screens;
    for (const QScreen* each : QGuiApplication::screens()) {
        screens.push_back(each->availableGeometry());
    }
    if (placement_.remembered) {
        if (const auto remembered = placement_.remembered()) {
            if (const auto onScreen = OntoScreens(remembered->marginsAdded(frame), screens)) {
                window_->setGeometry(onScreen->marginsRemoved(frame));
                placed_ = window_->geometry();
                return;
            }
        }
    }
    const QScreen* screen = windowParent_ ? windowParent_->screen() : window_->screen();
    if (!screen) return;
    PlacementAround around;
    around.screen = screen->availableGeometry();
    around.trainer =
        windowParent_ && windowParent_->isVisible() ? windowParent_->frameGeometry() : QRect();
    around.keepClear = placement_.answerButtons ? placement_.answerButtons() : QRect();
    const QSize margins(frame.left() + frame.right(), frame.top() + frame.bottom());
    around.wanted = window_->wantedSize(around.screen.size() - margins) + margins;
    around.enough = window_->enoughSize() + margins;
    around.least = window_->minimumSizeHint() + margins;
    window_->setGeometry(PlaceBeside(around).marginsRemoved(frame));
    placed_ = window_->geometry();
}

void ProgressController::rememberPlace() {
    if (!window_ || unplaced_) return;
    const QRect now = window_->geometry();
    if (now == placed_ || !placement_.remember) return;
    placed_ = now;
    placement_.remember(now);
}

bool ProgressController::eventFilter(QObject* watched, QEvent* event) {
    // Not while it is being destroyed: by then it is no Progress window.
    auto* shown = qobject_cast<ProgressWindow*>(watched);
    if (!shown || shown != window_) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Show:
            // Placed as it is first shown, before it reaches the screen: only
            // now do its parts, shown, give their sizes.
            if (unplaced_) {
                unplaced_ = false;
                place();
            }
            break;
        case QEvent::Hide:
            rememberPlace();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void ProgressController::refresh() {
    if (window_) window_->refresh();
}

void ProgressController::takeHistory(ProgressStatistics&& loaded, const QString& problem) {
    if (!forgotten_) statistics_.mergeHistory(std::move(loaded));
    setNote(problem);
    refresh();
}

void ProgressController::forgetHistory() {
    forgotten_ = true;
    statistics_.clear();
    refresh();
}

void ProgressController::setDailyGoalMinutes(int minutes) {
    dailyGoalMinutes_ = std::clamp(minutes, kDailyGoalLeast, kDailyGoalMost);
    if (window_) window_->setDailyGoalMinutes(dailyGoalMinutes_);
}

void ProgressController::setNote(const QString& note) {
    note_ = note;
    if (window_) window_->setNote(note);
}

}  // namespace velmora
