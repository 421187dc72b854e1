// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

#include "progress/progress_statistics.h"
#include "ui/progress_window.h"

#include <QList>

class QWidget;

namespace velmora {

struct Panel;

// The area the shown ones of `widgets` cover on the desktop.
QRect GlobalBounds(const QList<QWidget*>& widgets);

// Where the Progress window opens, and where the learner put it last.
struct ProgressPlacement {
    // The trainer's answer buttons in global coordinates: never hidden while
    // there is room elsewhere.
    std::function<QRect()> answerButtons;
    // The window's place and size as the learner left it (its inside, without
    // the frame), and how to keep the one they choose now.
    std::function<std::optional<QRect>()> remembered;
    std::function<void(const QRect&)> remember;
};

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

    // Builds the window the first time, shows it and brings it forward. The
    // first time it opens where the learner last put it, else beside the trainer.
    ProgressWindow& show();
    void setPlacement(ProgressPlacement placement) { placement_ = std::move(placement); }
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

    // Remembers where the window stands, when the learner moved or resized
    // it: as it is closed, and as the program ends with it open.
    void rememberPlace();

signals:
    // The user chose another daily goal in the window.
    void dailyGoalChanged(int minutes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    ProgressStatistics& statistics_;
    ProgressWindow::PitchNames pitchNames_;
    QWidget* windowParent_;
    Panel* panel_;
    QPointer<ProgressWindow> window_;
    int dailyGoalMinutes_;
    QString note_;
    bool forgotten_ = false;
    ProgressPlacement placement_;
    QRect placed_;  // where the program put the window; elsewhere, the learner did
    bool unplaced_ = false;
};

}  // namespace velmora
