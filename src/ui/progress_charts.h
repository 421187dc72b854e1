#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace velmora {

// One bar of a bar chart; a bar without a value is drawn as an empty slot.
struct ChartBar {
    QString label;        // under the bar ("C#", "4")
    double value = -1;    // 0..the chart's maximum; below 0: nothing to show
    QString valueText;    // above the bar ("87%", "1.2 s")
    QString footnote;     // under the label, small ("120")
    QString description;  // the whole figure in words, for tooltip and screen reader
    bool operator==(const ChartBar&) const = default;
};

// Bars painted by hand: light to start, cheap to repaint on every answer.
// The figures are in the tooltips and in the accessible description.
class BarChart final : public QWidget {
public:
    // `shaded`: bars coloured from red (0) to green (the maximum), as for accuracy.
    explicit BarChart(const QString& name, bool shaded, QWidget* parent = nullptr);

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
    std::vector<ChartBar> bars_;
    double maximum_ = 1;
    QString emptyText_;
};

// A colour from red through amber to green for a share of 0 to 1.
QColor AccuracyColor(double share);

// Accuracy per day: one line for all notes, one for a chosen pitch class.
struct DayPoint {
    int day = 0;          // days since 1970-01-01, local
    double overall = -1;  // share right; below 0: nothing that day
    double chosen = -1;
    // The counts behind the shares: a description is made again only when they change.
    std::uint32_t asked = 0, right = 0, chosenAsked = 0, chosenRight = 0;
    QString description;
};

class DayChart final : public QWidget {
public:
    explicit DayChart(QWidget* parent = nullptr);

    void setPoints(std::vector<DayPoint> points, const QString& chosenName);
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
};

}  // namespace velmora
