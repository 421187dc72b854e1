// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "ui/progress_charts.h"

namespace velmora {

// One day practised: its answers, and the whole minutes spent.
struct PracticeBar {
    int day = 0;  // days since 1970-01-01, local
    std::uint32_t answers = 0;
    int minutes = 0;
    QString description;
    bool operator==(const PracticeBar&) const = default;
};

// Minutes practised per day, as bars under the chart of accuracy per day and
// on the same days, with the daily goal as a line.
class PracticeChart final : public QWidget {
    Q_OBJECT

public:
    explicit PracticeChart(QWidget* parent = nullptr);

    // The days practised within `range`, oldest first. `lead` opens the words
    // a screen reader reads ("5 days in a row").
    void setDays(std::vector<PracticeBar> days, DayRange range, int goalMinutes,
                 const QString& lead);
    const std::vector<PracticeBar>& days() const { return days_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    double xOf(int day) const;

    std::vector<PracticeBar> days_;
    // The words of every day but the last: an answer changes only today's.
    QString earlierWords_;
    DayRange range_;
    int goal_ = 0;
};

}  // namespace velmora
