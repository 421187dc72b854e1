// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QWidget>

#include <cstdint>

class QProgressBar;
class QSpinBox;

namespace velmora {

// The minutes a day the learner means to practise.
inline constexpr int kDailyGoalDefault = 15;
inline constexpr int kDailyGoalLeast = 1;
inline constexpr int kDailyGoalMost = 600;

// The daily goal, chosen in a spin box, and today's practice toward it.
class DailyGoal final : public QWidget {
    Q_OBJECT

public:
    explicit DailyGoal(QWidget* parent = nullptr);

    int minutes() const;
    // From the program: kept within 1..600, and no goalChanged.
    void setMinutes(int minutes);
    // Today's practice so far; shown in whole minutes.
    void showToday(std::int64_t practisedMilliseconds);
    // "Today: 9 of 15 minutes"
    QString todayText() const;

signals:
    // The user chose another goal.
    void goalChanged(int minutes);

protected:
    void changeEvent(QEvent* event) override;

private:
    void showProgress();
    void fitToday();

    QSpinBox* goal_;
    QProgressBar* today_;
    int todayMinutes_ = 0;
};

}  // namespace velmora
