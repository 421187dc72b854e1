#include "ui/progress_controller.h"

#include <QWidget>

#include <algorithm>

#include "ui/daily_goal.h"

namespace velmora {

ProgressController::ProgressController(ProgressStatistics& statistics,
                                       ProgressWindow::PitchNames pitchNames, QWidget* windowParent,
                                       Panel* panel)
    : statistics_(statistics),
      pitchNames_(std::move(pitchNames)),
      windowParent_(windowParent),
      panel_(panel),
      dailyGoalMinutes_(kDailyGoalDefault) {}

ProgressController::~ProgressController() {
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
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    return *window_;
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
