// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/practice_chart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

const QColor kReached(46, 160, 67);
const QColor kShort(52, 101, 164);

}  // namespace

PracticeChart::PracticeChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName(tr("Minutes practised per day"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PracticeChart::setDays(std::vector<PracticeBar> days, DayRange range, int goalMinutes,
                            const QString& lead) {
    // An answer adds seconds: painted again only when a whole minute is added.
    bool same = range == range_ && goalMinutes == goal_ && days.size() == days_.size();
    for (std::size_t i = 0; same && i < days.size(); ++i) {
        same = days[i].day == days_[i].day && days[i].minutes == days_[i].minutes;
    }
    if (!same) update();
    const bool sameEarlier =
        !days.empty() && days.size() == days_.size() &&
        std::equal(days.begin(), days.end() - 1, days_.begin(), days_.end() - 1);
    days_ = std::move(days);
    range_ = range;
    goal_ = goalMinutes;
    if (!sameEarlier) {
        earlierWords_.clear();
        for (std::size_t i = 0; i + 1 < days_.size(); ++i) {
            earlierWords_ += days_[i].description + QStringLiteral("; ");
        }
    }
    QString description = lead;
    if (!days_.empty()) description += " " + earlierWords_ + days_.back().description;
    if (accessibleDescription() != description) setAccessibleDescription(description);
}

QSize PracticeChart::sizeHint() const {
    const int line = fontMetrics().height();
    return {40 * line, 6 * line};
}

QSize PracticeChart::minimumSizeHint() const {
    const int line = fontMetrics().height();
    return {18 * line, 4 * line};
}

QRect PracticeChart::plotArea() const {
    return QRect(QPoint(DayPlotLeft(*this), fontMetrics().height() + 6),
                 QPoint(DayPlotRight(*this), height() - 4));
}

double PracticeChart::xOf(int day) const {
    const QRect plot = plotArea();
    return DayX(range_, plot.left(), plot.right(), day);
}

void PracticeChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect plot = plotArea();
    const QFontMetrics metrics = fontMetrics();
    painter.setFont(font());
    painter.setPen(FaintText(*this));
    painter.drawText(QRect(plot.left(), 2, plot.width(), metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, tr("Minutes practised per day"));
    QColor grid = palette().color(QPalette::WindowText);
    grid.setAlphaF(0.25f);
    painter.setPen(grid);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    if (range_.empty()) return;

    int most = goal_;
    for (const PracticeBar& day : days_) most = std::max(most, day.minutes);
    const double top = std::max(1.0, most * 1.15);
    auto yOf = [&](double minutes) { return plot.bottom() - minutes / top * plot.height(); };

    // With more days than room, neighbouring days are one bar of their
    // average, so that a bar stays wide enough to see.
    const int span = range_.last - range_.first + 1;
    const double dayWidth = static_cast<double>(plot.width()) / span;
    const int group = std::max(1, static_cast<int>(std::ceil(4.0 / dayWidth)));
    const double barWidth = std::clamp(dayWidth * group * 0.6, 2.0, metrics.height() * 1.0);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t i = 0; i < days_.size();) {
        const int start = range_.first + (days_[i].day - range_.first) / group * group;
        double minutes = 0;
        std::size_t end = i;
        while (end < days_.size() && days_[end].day < start + group)
            minutes += days_[end++].minutes;
        i = end;
        const double average = minutes / group;
        if (average <= 0) continue;
        const double x =
            group == 1 ? xOf(start) : xOf(start) + (xOf(start + group - 1) - xOf(start)) / 2;
        const double y = yOf(average);
        const QColor color = average >= goal_ ? kReached : kShort;
        painter.fillRect(QRectF(x - barWidth / 2, y, barWidth, plot.bottom() - y), color);
    }

    // The goal, labelled at its right end.
    const double goalY = std::round(yOf(goal_)) + 0.5;
    painter.setPen(QPen(kReached, 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), goalY), QPointF(plot.right(), goalY));
    painter.setPen(kReached.darker(130));
    painter.drawText(
        QRectF(plot.left(), goalY - metrics.height() - 1, plot.width(), metrics.height()),
        Qt::AlignRight | Qt::AlignBottom, tr("daily goal: %1 min").arg(goal_));

    PaintFocusMark(painter, *this);
}

bool PracticeChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        return ShowNearestDescription(
            event, *this, days_, [this](const PracticeBar& day) { return xOf(day.day); }, 12);
    }
    return QWidget::event(event);
}

}  // namespace velmora
