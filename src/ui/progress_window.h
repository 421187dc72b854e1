// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "model/trainer_state.h"
#include "progress/progress_statistics.h"
#include "ui/practice_chart.h"
#include "ui/progress_charts.h"

class QComboBox;
class QLabel;
class QScrollArea;
class QTableView;
class QTableWidget;
class QTimer;

namespace velmora {

class DailyGoal;
class NextStepRow;
struct Panel;

// Asked pitch class (rows) against answered pitch class (columns).
class ConfusionModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void show(const Tally& tally, const std::array<std::string, kPitchClasses>& names);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString describe(int asked, int answered) const;
    QString name(int pitchClass) const;

    std::array<std::array<std::uint32_t, kPitchClasses>, kPitchClasses> confusion_{};
    std::array<std::string, kPitchClasses> names_;
};

// The Progress window: which notes are missed, what they are taken for, and
// whether the learner improves; which pitch classes are mastered, what to
// practise next, and the practice of each day against a daily goal. Separate
// and non-modal; it follows the run answer by answer while it is shown, looks
// each second for what changes without an answer (the key signature, the
// ticks, a run's lock, the day), and costs nothing while hidden. Built on
// first use by ProgressController, which keeps its statistics from the start.
class ProgressWindow final : public QWidget {
    Q_OBJECT

public:
    // `pitchNames` gives the spelling of the key signature chosen now.
    using PitchNames = std::function<std::array<std::string, kPitchClasses>()>;
    // With the trainer's `panel`, the next step is shown and can be taken.
    ProgressWindow(ProgressStatistics& statistics, PitchNames pitchNames, QWidget* parent = nullptr,
                   Panel* panel = nullptr);

    // An answer was added or replaced: brings what is shown up to date.
    void refresh();
    // A line under the figures: the journal being read, or what went wrong.
    void setNote(const QString& note);

    // Minutes a day, 1 to 600; set from the program, no dailyGoalChanged.
    void setDailyGoalMinutes(int minutes);
    int dailyGoalMinutes() const;

    const ProgressFigures& figures() const { return figures_; }

    // The size to open at within `room`: every figure at its natural size
    // where there is room, else the figures scroll.
    QSize wantedSize(QSize room) const;
    // The smallest size worth opening at: the figures scroll down, not across.
    QSize enoughSize() const;

signals:
    // The user chose another daily goal.
    void dailyGoalChanged(int minutes);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void followFont();
    void takeFigures();  // afresh, for a new period or filter
    void showFigures();
    void showPitchClasses();
    void showResponseTimes();
    void showConfusions();
    void showOctaves();
    void showInstruments();
    void showDays();
    void showPractice();

    ProgressStatistics& statistics_;
    PitchNames pitchNames_;
    std::array<std::string, kPitchClasses> names_;
    ProgressFigures figures_;
    bool taken_ = false;
    std::uint64_t shownVersion_ = 0;
    int shownToday_ = -1;
    std::vector<DayPoint> shownDays_;  // with their words, made again only on a change
    int shownChosen_ = -2;
    std::array<std::string, kPitchClasses> shownNames_;
    std::vector<PracticeDay> practiceDays_;  // as of the figures shown
    DayRange dayRange_;                      // the days along both charts of days
    std::vector<PracticeBar> shownPractice_;
    // Each pitch class's mastery as last put in words: an answer changes one.
    std::array<PitchMastery, kPitchClasses> shownMastery_{};
    std::array<QString, kPitchClasses> masteryWords_;
    ProgressFigures lastSevenDays_;  // all questions, for the next step
    bool weekTaken_ = false;

    QTimer* watch_;  // what changes without an answer: the spelling, ticks, lock, day
    NextStepRow* nextStep_ = nullptr;  // none without the trainer's panel
    QComboBox* period_;
    QComboBox* filter_;
    QComboBox* chosenBy_;  // the coach's questions, or the uniform draw's
    QScrollArea* scroll_;
    QLabel* summary_;
    QLabel* note_;
    BarChart* pitchBars_;
    BarChart* timeBars_;
    ConfusionModel* confusionModel_;
    QTableView* confusionView_;
    QLabel* topConfusions_;
    BarChart* octaveBars_;
    QTableWidget* instruments_;
    QComboBox* dayPitch_;
    DayChart* dayChart_;
    PracticeChart* practiceChart_;
    QLabel* daysInARow_;
    DailyGoal* dailyGoal_;
};

}  // namespace velmora
