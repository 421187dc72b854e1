// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QColor>
#include <QHelpEvent>
#include <QString>
#include <QToolTip>
#include <QWidget>

#include <cmath>
#include <cstdint>
#include <vector>

class QPainter;

class QPainter;

namespace velmora {

// A small sign beside a bar's label: where the learner stands with it.
enum class BarMark { None, Ring, Check };

// One bar of a bar chart; a bar without a value is drawn as an empty slot.
struct ChartBar {
    QString label;        // under the bar ("C#", "4")
    double value = -1;    // 0..the chart's maximum; below 0: nothing to show
    QString valueText;    // above the bar ("87%", "1.2 s")
    QString footnote;     // under the label, small ("120")
    QString description;  // the whole figure in words, for tooltip and screen reader
    BarMark mark = BarMark::None;
    bool faint = false;  // resting on few answers
    bool operator==(const ChartBar&) const = default;
};

// Bars painted by hand: light to start, cheap to repaint on every answer.
// The figures are in the tooltips and in the accessible description.
class BarChart final : public QWidget {
    Q_OBJECT

public:
    // `shaded`: bars coloured from red (0) to green (the maximum), as for accuracy.
    // `room`: the bars it makes room for before it has any.
    BarChart(const QString& name, bool shaded, int room = 6, QWidget* parent = nullptr);

    void setBars(std::vector<ChartBar> bars, double maximum, const QString& emptyText);
    const std::vector<ChartBar>& bars() const { return bars_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    QRectF slot(std::size_t index) const;

    bool shaded_;
    std::size_t room_;
    std::vector<ChartBar> bars_;
    double maximum_ = 1;
    QString emptyText_;
};

// A dotted frame around a chart that has the keyboard focus.
void PaintFocusMark(QPainter& painter, const QWidget& chart);

// For a tooltip event: the description of the item nearest the pointer
// across, within `reach` pixels, as the chart's tooltip.
template <typename Items, typename XOf>
bool ShowNearestDescription(QEvent* event, QWidget& chart, const Items& items, XOf xOf,
                            double reach) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString* nearest = nullptr;
    double distance = reach;
    for (const auto& item : items) {
        const double d = std::abs(xOf(item) - help->pos().x());
        if (d < distance) {
            distance = d;
            nearest = &item.description;
        }
    }
    if (nearest) {
        QToolTip::showText(help->globalPos(), *nearest, &chart);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

// A share of 0 to 1 as a whole percent: "87%".
QString Percent(double share);

// A colour from red through amber to green for a share of 0 to 1.
QColor AccuracyColor(double share);
// The widget's text colour, faded: axis labels and figures on few answers.
QColor FaintText(const QWidget& widget);
// The look of BarMark::Check and BarMark::Ring, in a square of `size` at `at`.
void PaintMark(QPainter& painter, const QWidget& widget, BarMark mark, QPointF at, double size);

// The days along a chart of days, both ends included; empty: from the points.
struct DayRange {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
    bool operator==(const DayRange&) const = default;
};
// The left and right edges of the plot of every chart of days, so that charts
// stacked in one column put the same day at the same x.
int DayPlotLeft(const QWidget& widget);
int DayPlotRight(const QWidget& widget);
// Where `day` falls between `left` and `right`.
double DayX(const DayRange& range, double left, double right, int day);

// Accuracy per day: one line for all notes, one for a chosen pitch class.
struct DayPoint {
    int day = 0;          // days since 1970-01-01, local
    double overall = -1;  // share right; below 0: nothing that day
    double chosen = -1;
    // The counts behind the shares: a description is made again only when they change.
    std::uint32_t asked = 0, right = 0, chosenAsked = 0, chosenRight = 0;
    QString description;
};

// With a line at 90% right: what mastery asks of a pitch class. Days on
// fewer than MasteryRule::kFewAnswers answers are drawn faint.
class DayChart final : public QWidget {
    Q_OBJECT

public:
    explicit DayChart(QWidget* parent = nullptr);

    // `range`: the days along the axis; empty: the first to the last point.
    void setPoints(std::vector<DayPoint> points, const QString& chosenName, DayRange range = {});
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    double xOf(int day) const;

    std::vector<DayPoint> points_;
    std::vector<DayPoint> painted_;  // as last painted
    QString chosenName_;
    DayRange range_;
};

}  // namespace velmora
