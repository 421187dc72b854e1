// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QFont>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>

#include "coach/next_step.h"
#include "coach/run_summary.h"
#include "model/trainer_state.h"

class QBoxLayout;
class QLabel;
class QPushButton;

namespace velmora {

// How the run just ended went, in words, with the next step and the way to
// the Progress window. It appears beside the trainer without taking the
// keyboard from its answer buttons; the user goes to it as to any window.
class RunSummaryWindow final : public QWidget {
    Q_OBJECT

public:
    explicit RunSummaryWindow(QWidget* parent = nullptr);

    // Fills the window and shows it. `names` spells the pitch classes in the
    // key signature chosen; minutes are counted whole.
    void show(const RunSummary& summary, const std::array<std::string, kPitchClasses>& names,
              std::int64_t practisedTodayMilliseconds, int dailyGoalMinutes, const NextStep& step);
    using QWidget::show;

    // The step's button is refused while a run locks the settings.
    void setNextStepEnabled(bool enabled);

signals:
    // Again and the next step close the window, so that the trainer's window
    // has the keyboard again.
    void nextStepChosen(const velmora::NextStep& step);
    void againChosen();
    void showProgressChosen();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* addLine(QBoxLayout* layout);
    void fit();

    QLabel* answers_ = nullptr;
    QLabel* firstAttempts_ = nullptr;
    QLabel* streak_ = nullptr;
    QLabel* confusion_ = nullptr;
    std::array<QLabel*, kPitchClasses> changes_{};  // one for each pitch class that moved
    QLabel* today_ = nullptr;
    QLabel* stepSentence_ = nullptr;
    QPushButton* step_ = nullptr;
    QBoxLayout* layout_ = nullptr;
    QBoxLayout* lines_ = nullptr;
    QBoxLayout* buttons_ = nullptr;
    NextStep shownStep_;
};

}  // namespace velmora
