#include "ui/progress_model.h"

#include <QWidget>

namespace velmora {

ProgressModel::ProgressModel(ProgressStatistics& statistics, ProgressWindow::PitchNames pitchNames,
                             QWidget* windowParent)
    : statistics_(statistics), pitchNames_(std::move(pitchNames)), windowParent_(windowParent) {}

ProgressModel::~ProgressModel() {
    // Gone already when its parent went first.
    delete window_;
}

ProgressWindow& ProgressModel::show() {
    if (!window_) {
        window_ = new ProgressWindow(statistics_, pitchNames_, windowParent_);
        window_->setNote(note_);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    return *window_;
}

void ProgressModel::refresh() {
    if (window_) window_->refresh();
}

void ProgressModel::takeHistory(ProgressStatistics&& loaded, const QString& problem) {
    if (!forgotten_) statistics_.mergeHistory(std::move(loaded));
    setNote(problem);
    refresh();
}

void ProgressModel::forgetHistory() {
    forgotten_ = true;
    statistics_.clear();
    refresh();
}

void ProgressModel::setNote(const QString& note) {
    note_ = note;
    if (window_) window_->setNote(note);
}

}  // namespace velmora
