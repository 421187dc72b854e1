#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "progress/progress_statistics.h"
#include "ui/progress_window.h"

class QWidget;

namespace velmora {

struct Panel;

// What the Progress window shows, from the start on: the statistics every
// answer passes, the journal's earlier answers once read, and the line about
// the journal. The window itself is built when first shown, and follows the
// answers from then on.
class ProgressController final : public QObject {
    Q_OBJECT

public:
    // The window, once built, is a window of its own over `windowParent`;
    // with the trainer's `panel` it shows the next step.
    ProgressController(ProgressStatistics& statistics, ProgressWindow::PitchNames pitchNames,
                       QWidget* windowParent = nullptr, Panel* panel = nullptr);
    ~ProgressController() override;
    ProgressController(const ProgressController&) = delete;
    ProgressController& operator=(const ProgressController&) = delete;

    // Builds the window the first time, shows it and brings it forward.
    ProgressWindow& show();
    // The window, or null while it was never shown.
    ProgressWindow* window() const { return window_; }

    // An answer was added or replaced.
    void refresh();
    // The journal's earlier answers, read on a worker thread. Dropped when the
    // history was forgotten while they were read.
    void takeHistory(ProgressStatistics&& loaded, const QString& problem);
    // Empties the statistics, after the journal was emptied.
    void forgetHistory();
    // A line under the figures: the journal being read, or what went wrong.
    void setNote(const QString& note);
    const QString& note() const { return note_; }

    // Minutes a day, kept within 1..600; given to the window when it is built.
    void setDailyGoalMinutes(int minutes);
    int dailyGoalMinutes() const { return dailyGoalMinutes_; }

signals:
    // The user chose another daily goal in the window.
    void dailyGoalChanged(int minutes);

private:
    ProgressStatistics& statistics_;
    ProgressWindow::PitchNames pitchNames_;
    QWidget* windowParent_;
    Panel* panel_;
    QPointer<ProgressWindow> window_;
    int dailyGoalMinutes_;
    QString note_;
    bool forgotten_ = false;
};

}  // namespace velmora
