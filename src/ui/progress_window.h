#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "model/trainer_state.h"
#include "progress/progress_statistics.h"
#include "ui/progress_charts.h"

class QComboBox;
class QLabel;
class QTableView;
class QTableWidget;
class QTimer;

namespace velmora {

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
// whether the learner improves. Separate and non-modal; it follows the run
// answer by answer while it is shown, and costs nothing while hidden. Built
// on first use by ProgressController, which keeps its statistics from the start.
class ProgressWindow final : public QWidget {
    Q_OBJECT

public:
    // `pitchNames` gives the spelling of the key signature chosen now.
    using PitchNames = std::function<std::array<std::string, kPitchClasses>()>;
    ProgressWindow(ProgressStatistics& statistics, PitchNames pitchNames,
                   QWidget* parent = nullptr);

    // An answer was added or replaced: brings what is shown up to date.
    void refresh();
    // A line under the figures: the journal being read, or what went wrong.
    void setNote(const QString& note);

    const ProgressFigures& figures() const { return figures_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    void takeFigures();  // afresh, for a new period or filter
    void showFigures();
    void showPitchClasses();
    void showResponseTimes();
    void showConfusions();
    void showOctaves();
    void showInstruments();
    void showDays();

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

    QTimer* midnight_;  // "today" moves on also without an answer
    QComboBox* period_;
    QComboBox* filter_;
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
};

}  // namespace velmora
