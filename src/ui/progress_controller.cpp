#include "ui/progress_controller.h"

#include <QWidget>

namespace velmora {

ProgressController::ProgressController(ProgressStatistics& statistics,
                                       ProgressWindow::PitchNames pitchNames, QWidget* windowParent)
    : statistics_(statistics), pitchNames_(std::move(pitchNames)), windowParent_(windowParent) {}

ProgressController::~ProgressController() {
    // Gone already when its parent went first.
    delete window_;
}

ProgressWindow& ProgressController::show() {
    if (!window_) {
        window_ = new ProgressWindow(statistics_, pitchNames_, windowParent_);
        window_->setNote(note_);
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

void ProgressController::setNote(const QString& note) {
    note_ = note;
    if (window_) window_->setNote(note);
}

}  // namespace velmora
