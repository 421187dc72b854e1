// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/progress_charts.h"

#include <QDate>
#include <QHelpEvent>
#include <QPainter>
#include <QPolygonF>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "coach/mastery.h"

namespace velmora {

namespace {

constexpr int kMargin = 6;

// Room for the share labels left of the plot.
int AxisWidth(const QWidget& widget) {
    return widget.fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 10;
}

QColor GridColor(const QWidget& widget) {
    QColor color = widget.palette().color(QPalette::WindowText);
    color.setAlphaF(0.12f);
    return color;
}

QDate DateOf(int day) {
    return QDate(1970, 1, 1).addDays(day);
}

// The axis of shares: grid lines at every quarter, labelled.
void PaintShareGrid(QPainter& painter, const QWidget& widget, const QRect& plot) {
    painter.setFont(widget.font());
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const int y = plot.bottom() - plot.height() * quarter / 4;
        painter.setPen(GridColor(widget));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(FaintText(widget));
        const int line = widget.fontMetrics().height();
        painter.drawText(QRect(0, y - line / 2, plot.left() - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter, Percent(quarter / 4.0));
    }
}

// Figures on few answers keep their colour, faded.
QColor Faded(QColor color) {
    color.setAlphaF(0.35f);
    return color;
}

bool FewAnswers(double asked) {
    return asked < MasteryRule::kFewAnswers;
}

}  // namespace

void PaintFocusMark(QPainter& painter, const QWidget& chart) {
    if (!chart.hasFocus()) return;
    painter.setPen(QPen(chart.palette().color(QPalette::Highlight), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(chart.rect().adjusted(0, 0, -1, -1));
}

QString Percent(double share) {
    return QString::number(static_cast<int>(std::lround(share * 100))) + "%";
}

QColor FaintText(const QWidget& widget) {
    QColor color = widget.palette().color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

void PaintMark(QPainter& painter, const QWidget& widget, BarMark mark, QPointF at, double size) {
    if (mark == BarMark::None) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (mark == BarMark::Check) {
        painter.setPen(QPen(QColor(30, 130, 50), std::max(1.5, size / 5), Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {at + QPointF(0.08 * size, 0.55 * size),
                                at + QPointF(0.38 * size, 0.85 * size),
                                at + QPointF(0.95 * size, 0.15 * size)};
        painter.drawPolyline(tick, 3);
    } else {
        painter.setPen(QPen(widget.palette().color(QPalette::WindowText), std::max(1.2, size / 7)));
        painter.drawEllipse(QRectF(at, QSizeF(size, size)).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    painter.restore();
}

int DayPlotLeft(const QWidget& widget) {
    const int half = widget.fontMetrics().horizontalAdvance(QStringLiteral("Mmm 0000")) / 2;
    return std::max(AxisWidth(widget), half + 4);
}

int DayPlotRight(const QWidget& widget) {
    const int half = widget.fontMetrics().horizontalAdvance(QStringLiteral("Mmm 0000")) / 2;
    return widget.width() - 1 - kMargin - half;
}

double DayX(const DayRange& range, double left, double right, int day) {
    if (range.first >= range.last) return (left + right) / 2;
    return left +
           static_cast<double>(day - range.first) / (range.last - range.first) * (right - left);
}

QColor AccuracyColor(double share) {
    share = std::clamp(share, 0.0, 1.0);
    // Red at 50% and below, amber at 75%, green from 95%: a learner's scale.
    const double t = std::clamp((share - 0.5) / 0.45, 0.0, 1.0);
    return QColor::fromHsvF(static_cast<float>(0.33 * t), 0.62f, 0.82f);
}

BarChart::BarChart(const QString& name, bool shaded, int room, QWidget* parent)
    : QWidget(parent), shaded_(shaded), room_(static_cast<std::size_t>(std::max(room, 1))) {
    setAccessibleName(name);
    setFocusPolicy(Qt::StrongFocus);  // a screen reader's user reaches it with Tab
    // Painting its own background spares the group box around it a repaint on every answer.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarChart::setBars(std::vector<ChartBar> bars, double maximum, const QString& emptyText) {
    maximum = maximum > 0 ? maximum : 1;
    // An answer changes a bar or two: only their columns are painted again.
    const bool sameFrame = bars.size() == bars_.size() && maximum == maximum_ &&
                           emptyText == emptyText_ && !bars_.empty();
    if (sameFrame) {
        bool anyBefore = false, anyNow = false;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            anyBefore = anyBefore || bars_[i].value >= 0;
            anyNow = anyNow || bars[i].value >= 0;
            if (!(bars[i] == bars_[i])) update(slot(i).toAlignedRect().adjusted(-1, 0, 1, 0));
        }
        if (anyBefore != anyNow) update();
    } else {
        update();
    }
    if (bars == bars_) return;
    // Its least width follows the number of bars: every label must fit under its bar.
    const bool resized = bars.size() != bars_.size();
    bars_ = std::move(bars);
    if (resized) updateGeometry();
    maximum_ = maximum;
    emptyText_ = emptyText;
    QStringList words;
    for (const ChartBar& bar : bars_) {
        if (!bar.description.isEmpty()) words << bar.description;
    }
    // A bar's words may hold a semicolon: bars end as sentences do.
    const QString description = words.isEmpty() ? emptyText_ : words.join(". ");
    if (accessibleDescription() != description) setAccessibleDescription(description);
}

// Sizes in lines of the chart's font, so that they follow the zoom.
QSize BarChart::sizeHint() const {
    const int bars = static_cast<int>(std::max(bars_.size(), room_));
    const QFontMetrics metrics = fontMetrics();
    return {bars * (metrics.horizontalAdvance(QStringLiteral("100%")) + 6) + AxisWidth(*this),
            10 * metrics.height()};
}

QSize BarChart::minimumSizeHint() const {
    const int bars = static_cast<int>(std::max(bars_.size(), room_));
    const QFontMetrics metrics = fontMetrics();
    return {bars * (metrics.horizontalAdvance(QStringLiteral("C#")) + 6) + AxisWidth(*this),
            8 * metrics.height()};
}

QRect BarChart::plotArea() const {
    const int lineHeight = fontMetrics().height();
    // Room above for the value, below for the label and the footnote.
    return rect().adjusted(AxisWidth(*this), kMargin + lineHeight, -kMargin, -(2 * lineHeight + 4));
}

QRectF BarChart::slot(std::size_t index) const {
    const QRect plot = plotArea();
    const double width = static_cast<double>(plot.width()) / std::max<std::size_t>(bars_.size(), 1);
    return {plot.left() + width * static_cast<double>(index), static_cast<double>(rect().top()),
            width, static_cast<double>(rect().height())};
}

void BarChart::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect plot = plotArea();
    if (shaded_) {
        PaintShareGrid(painter, *this, plot);
    } else {
        painter.setPen(GridColor(*this));
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    }
    const QFontMetrics metrics = fontMetrics();
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    bool anyValue = false;
    const QColor plain = palette().color(QPalette::Highlight);
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const ChartBar& bar = bars_[i];
        const QRectF column = slot(i);
        anyValue = anyValue || bar.value >= 0;
        if (!event->rect().intersects(column.toAlignedRect())) continue;
        const double barWidth = std::min(column.width() * 0.66, 2.4 * metrics.height());
        const double x = column.center().x() - barWidth / 2;
        if (bar.value >= 0) {
            const double share = std::clamp(bar.value / maximum_, 0.0, 1.0);
            const double height = std::max(share * plot.height(), 1.5);
            const QRectF body(x, plot.bottom() - height, barWidth, height);
            const QColor color = shaded_ ? AccuracyColor(share) : plain;
            painter.fillRect(body, bar.faint ? Faded(color) : color);
            painter.setPen(bar.faint ? FaintText(*this) : palette().color(QPalette::WindowText));
            painter.setFont(small);
            painter.drawText(QRectF(column.left(), body.top() - metrics.height(), column.width(),
                                    metrics.height()),
                             Qt::AlignHCenter | Qt::AlignBottom, bar.valueText);
        } else {
            QPen dashed(GridColor(*this), 1, Qt::DashLine);
            painter.setPen(dashed);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(x, plot.bottom() - 6, barWidth, 6));
        }
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        QRectF labelRect(column.left(), plot.bottom() + 2, column.width(), metrics.height());
        if (bar.mark != BarMark::None) {
            // The label and its mark side by side, centred together.
            const double size = std::round(metrics.height() * 0.7);
            const double width = metrics.horizontalAdvance(bar.label) + 2 + size;
            const double left = column.center().x() - width / 2;
            labelRect = QRectF(left, labelRect.top(), width - size - 2, labelRect.height());
            PaintMark(painter, *this, bar.mark,
                      QPointF(labelRect.right() + 2, labelRect.center().y() - size / 2), size);
        }
        painter.drawText(labelRect, Qt::AlignHCenter | Qt::AlignTop, bar.label);
        painter.setFont(small);
        painter.setPen(FaintText(*this));
        painter.drawText(QRectF(column.left(), plot.bottom() + 2 + metrics.height(), column.width(),
                                metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, bar.footnote);
    }
    if (!anyValue) {
        painter.setFont(font());
        painter.setPen(FaintText(*this));
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
    }
    PaintFocusMark(painter, *this);
}

bool BarChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        for (std::size_t i = 0; i < bars_.size(); ++i) {
            if (slot(i).contains(help->pos()) && !bars_[i].description.isEmpty()) {
                QToolTip::showText(help->globalPos(), bars_[i].description, this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

DayChart::DayChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName(tr("Accuracy per day"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DayChart::setPoints(std::vector<DayPoint> points, const QString& chosenName, DayRange range) {
    if (range.empty() && !points.empty()) range = {points.front().day, points.back().day};
    // Painted again only when a line would move: with many answers a day, one
    // more hardly ever moves it by a pixel.
    bool same = chosenName == chosenName_ && points.size() == painted_.size() && range == range_;
    for (std::size_t i = 0; same && i < points.size(); ++i) {
        same = points[i].day == painted_[i].day &&
               std::abs(points[i].overall - painted_[i].overall) < 0.002 &&
               std::abs(points[i].chosen - painted_[i].chosen) < 0.002 &&
               FewAnswers(points[i].asked) == FewAnswers(painted_[i].asked) &&
               FewAnswers(points[i].chosenAsked) == FewAnswers(painted_[i].chosenAsked);
    }
    if (!same) update();
    points_ = std::move(points);
    chosenName_ = chosenName;
    range_ = range;
    QStringList words;
    for (const DayPoint& point : points_) words << point.description;
    const QString description =
        words.isEmpty() ? tr("No answers in this period.")
                        : tr("The line at 90% right is what mastery asks. ") + words.join("; ");
    if (accessibleDescription() != description) setAccessibleDescription(description);
}

QSize DayChart::sizeHint() const {
    const int line = fontMetrics().height();
    return {40 * line, 12 * line};
}

QSize DayChart::minimumSizeHint() const {
    const int line = fontMetrics().height();
    return {18 * line, 8 * line};
}

QRect DayChart::plotArea() const {
    const int lineHeight = fontMetrics().height();
    // Room for half a date label at either end.
    return QRect(QPoint(DayPlotLeft(*this), kMargin + lineHeight + 4),
                 QPoint(DayPlotRight(*this), height() - 1 - (lineHeight + 10)));
}

double DayChart::xOf(int day) const {
    const QRect plot = plotArea();
    return DayX(range_, plot.left(), plot.right(), day);
}

void DayChart::paintEvent(QPaintEvent*) {
    painted_ = points_;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect plot = plotArea();
    PaintShareGrid(painter, *this, plot);
    const QFontMetrics metrics = fontMetrics();
    // What mastery asks: nine answers in ten right.
    const QColor markColor(30, 130, 50);
    const int ninety = plot.bottom() - static_cast<int>(std::lround(plot.height() * 0.9));
    painter.setPen(QPen(markColor, 1, Qt::DashLine));
    painter.drawLine(plot.left(), ninety, plot.right(), ninety);
    // Labelled right of the plot, where no point can hide it.
    painter.setPen(markColor);
    painter.drawText(QRect(plot.right() + 4, ninety - metrics.height() / 2,
                           width() - plot.right() - 4, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, tr("90%"));
    if (points_.empty()) {
        painter.setPen(FaintText(*this));
        painter.drawText(plot, Qt::AlignCenter, tr("No answers in this period."));
        return;
    }

    // Dates along the bottom, as many as fit.
    const int first = range_.first;
    const int last = range_.last;
    // Over many months the year says more than the day.
    const bool years = last - first > 300;
    const QString format = years ? QStringLiteral("MMM yyyy") : QStringLiteral("d MMM");
    const int labelWidth =
        metrics.horizontalAdvance(years ? QStringLiteral("Mmm 0000") : QStringLiteral("00 Mmm")) +
        16;
    const int fit = std::max(1, plot.width() / labelWidth);
    const int step = std::max(1, (last - first) / fit + 1);
    painter.setPen(FaintText(*this));
    for (int day = first; day <= last; day += step) {
        const double x = xOf(day);
        painter.drawText(
            QRectF(x - labelWidth / 2.0, plot.bottom() + 4, labelWidth, metrics.height()),
            Qt::AlignHCenter | Qt::AlignTop, QLocale().toString(DateOf(day), format));
    }

    // With more days than room, neighbouring days are drawn as one point
    // (their counts summed): a readable line, and cheap to paint on every answer.
    const std::size_t room = static_cast<std::size_t>(std::max(plot.width() / 8, 1));
    const std::size_t group = (points_.size() + room - 1) / room;
    auto drawLine = [&](bool chosen, const QColor& color) {
        QPolygonF line;
        std::vector<bool> few;
        for (std::size_t first = 0; first < points_.size(); first += group) {
            const std::size_t end = std::min(points_.size(), first + group);
            double asked = 0, right = 0, days = 0;
            for (std::size_t i = first; i < end; ++i) {
                asked += chosen ? points_[i].chosenAsked : points_[i].asked;
                right += chosen ? points_[i].chosenRight : points_[i].right;
                days += points_[i].day;
            }
            if (asked == 0) continue;
            const double x =
                group == 1 ? xOf(points_[first].day) : xOf(static_cast<int>(days / (end - first)));
            line << QPointF(x, plot.bottom() - right / asked * plot.height());
            few.push_back(FewAnswers(asked));
        }
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(line);
        // Dots only while they do not crowd each other. The chosen pitch
        // class's are rings, so that an overall dot under one shows; a day on
        // few answers is a faded dot.
        if (static_cast<std::size_t>(line.size()) * 14 > static_cast<std::size_t>(plot.width())) {
            return;
        }
        const double radius = chosen ? 4 : 3;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QColor dot = few[static_cast<std::size_t>(i)] ? Faded(color) : color;
            if (chosen) {
                painter.setBrush(Qt::NoBrush);
                painter.setPen(QPen(dot, 1.5));
            } else {
                painter.setBrush(few[static_cast<std::size_t>(i)]
                                     ? QBrush(palette().color(QPalette::Window))
                                     : QBrush(color));
                painter.setPen(few[static_cast<std::size_t>(i)] ? QPen(dot, 1.5) : Qt::NoPen);
            }
            painter.drawEllipse(line[i], radius, radius);
        }
    };
    const QColor overallColor(52, 101, 164);
    const QColor chosenColor(230, 126, 34);
    drawLine(false, overallColor);
    if (!chosenName_.isEmpty()) drawLine(true, chosenColor);

    // The legend, top right.
    painter.setFont(font());
    int x = plot.right();
    const int sample = metrics.height() * 3 / 4;  // the line beside each name
    auto legend = [&](const QString& text, const QColor& color) {
        const int width = metrics.horizontalAdvance(text);
        x -= width;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, kMargin, width, metrics.height()), Qt::AlignVCenter, text);
        x -= sample * 3 / 2;
        painter.setPen(QPen(color, 3));
        painter.drawLine(x, kMargin + metrics.height() / 2, x + sample,
                         kMargin + metrics.height() / 2);
        x -= sample;
    };
    if (!chosenName_.isEmpty()) legend(chosenName_, chosenColor);
    legend(tr("All notes"), overallColor);

    PaintFocusMark(painter, *this);
}

bool DayChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        return ShowNearestDescription(
            event, *this, points_, [this](const DayPoint& point) { return xOf(point.day); }, 40);
    }
    return QWidget::event(event);
}

}  // namespace velmora
