#include "ui/progress_charts.h"

#include <QDate>
#include <QHelpEvent>
#include <QPainter>
#include <QPolygonF>
#include <QToolTip>

#include <algorithm>
#include <cmath>

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

QColor FaintText(const QWidget& widget) {
    QColor color = widget.palette().color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

QString Percent(double share) {
    return QString::number(static_cast<int>(std::lround(share * 100))) + "%";
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
        painter.drawText(QRect(0, y - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                         Percent(quarter / 4.0));
    }
}

}  // namespace

QColor AccuracyColor(double share) {
    share = std::clamp(share, 0.0, 1.0);
    // Red at 50% and below, amber at 75%, green from 95%: a learner's scale.
    const double t = std::clamp((share - 0.5) / 0.45, 0.0, 1.0);
    return QColor::fromHsvF(static_cast<float>(0.33 * t), 0.62f, 0.82f);
}

BarChart::BarChart(const QString& name, bool shaded, QWidget* parent)
    : QWidget(parent), shaded_(shaded) {
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
    bars_ = std::move(bars);
    maximum_ = maximum;
    emptyText_ = emptyText;
    QStringList words;
    for (const ChartBar& bar : bars_) {
        if (!bar.description.isEmpty()) words << bar.description;
    }
    const QString description = words.isEmpty() ? emptyText_ : words.join("; ");
    if (accessibleDescription() != description) setAccessibleDescription(description);
}

QSize BarChart::sizeHint() const {
    return {static_cast<int>(std::max<std::size_t>(bars_.size(), 6)) * 34 + AxisWidth(*this), 170};
}

QSize BarChart::minimumSizeHint() const {
    return {static_cast<int>(std::max<std::size_t>(bars_.size(), 6)) * 22 + AxisWidth(*this), 130};
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
        const double barWidth = std::min(column.width() * 0.66, 40.0);
        const double x = column.center().x() - barWidth / 2;
        if (bar.value >= 0) {
            const double share = std::clamp(bar.value / maximum_, 0.0, 1.0);
            const double height = std::max(share * plot.height(), 1.5);
            const QRectF body(x, plot.bottom() - height, barWidth, height);
            painter.fillRect(body, shaded_ ? AccuracyColor(share) : plain);
            painter.setPen(palette().color(QPalette::WindowText));
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
        painter.drawText(QRectF(column.left(), plot.bottom() + 2, column.width(), metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, bar.label);
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
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
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

void DayChart::setPoints(std::vector<DayPoint> points, const QString& chosenName) {
    // Painted again only when a line would move: with many answers a day, one
    // more hardly ever moves it by a pixel.
    bool same = chosenName == chosenName_ && points.size() == painted_.size();
    for (std::size_t i = 0; same && i < points.size(); ++i) {
        same = points[i].day == painted_[i].day &&
               std::abs(points[i].overall - painted_[i].overall) < 0.002 &&
               std::abs(points[i].chosen - painted_[i].chosen) < 0.002;
    }
    if (!same) update();
    points_ = std::move(points);
    chosenName_ = chosenName;
    QStringList words;
    for (const DayPoint& point : points_) words << point.description;
    const QString description =
        words.isEmpty() ? tr("No answers in this period.") : words.join("; ");
    if (accessibleDescription() != description) setAccessibleDescription(description);
}

QSize DayChart::sizeHint() const {
    return {640, 200};
}

QSize DayChart::minimumSizeHint() const {
    return {300, 140};
}

QRect DayChart::plotArea() const {
    const int lineHeight = fontMetrics().height();
    // Room for half a date label at either end.
    const int half = fontMetrics().horizontalAdvance(QStringLiteral("Mmm 0000")) / 2;
    return rect().adjusted(std::max(AxisWidth(*this), half + 4), kMargin + lineHeight + 4,
                           -kMargin - half, -(lineHeight + 10));
}

double DayChart::xOf(int day) const {
    const QRect plot = plotArea();
    if (points_.empty()) return plot.left();
    const int first = points_.front().day;
    const int last = points_.back().day;
    if (first == last) return plot.center().x();
    return plot.left() + static_cast<double>(day - first) / (last - first) * plot.width();
}

void DayChart::paintEvent(QPaintEvent*) {
    painted_ = points_;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect plot = plotArea();
    PaintShareGrid(painter, *this, plot);
    if (points_.empty()) {
        painter.setPen(FaintText(*this));
        painter.drawText(plot, Qt::AlignCenter, tr("No answers in this period."));
        return;
    }

    // Dates along the bottom, as many as fit.
    const QFontMetrics metrics = fontMetrics();
    const int first = points_.front().day;
    const int last = points_.back().day;
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

    // The chosen pitch class's dots are rings, so that the overall dot under one shows.
    // With more days than room, neighbouring days are drawn as one point
    // (their counts summed): a readable line, and cheap to paint on every answer.
    const std::size_t room = static_cast<std::size_t>(std::max(plot.width() / 8, 1));
    const std::size_t group = (points_.size() + room - 1) / room;
    auto drawLine = [&](bool chosen, const QColor& color) {
        QPolygonF line;
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
        }
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(line);
        // Dots only while they do not crowd each other. The chosen pitch
        // class's are rings, so that an overall dot under one shows.
        if (static_cast<std::size_t>(line.size()) * 14 > static_cast<std::size_t>(plot.width())) {
            return;
        }
        painter.setBrush(chosen ? Qt::NoBrush : QBrush(color));
        painter.setPen(chosen ? QPen(color, 1.5) : Qt::NoPen);
        const double radius = chosen ? 4 : 3;
        for (const QPointF& at : line) painter.drawEllipse(at, radius, radius);
    };
    const QColor overallColor(52, 101, 164);
    const QColor chosenColor(230, 126, 34);
    drawLine(false, overallColor);
    if (!chosenName_.isEmpty()) drawLine(true, chosenColor);

    // The legend, top right.
    painter.setFont(font());
    int x = plot.right();
    auto legend = [&](const QString& text, const QColor& color) {
        const int width = metrics.horizontalAdvance(text);
        x -= width;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, kMargin, width, metrics.height()), Qt::AlignVCenter, text);
        x -= 18;
        painter.setPen(QPen(color, 3));
        painter.drawLine(x, kMargin + metrics.height() / 2, x + 12, kMargin + metrics.height() / 2);
        x -= 14;
    };
    if (!chosenName_.isEmpty()) legend(chosenName_, chosenColor);
    legend(tr("All notes"), overallColor);

    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

bool DayChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const DayPoint* nearest = nullptr;
        double distance = 1e9;
        for (const DayPoint& point : points_) {
            const double d = std::abs(xOf(point.day) - help->pos().x());
            if (d < distance) {
                distance = d;
                nearest = &point;
            }
        }
        if (nearest && distance < 40) {
            QToolTip::showText(help->globalPos(), nearest->description, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace velmora
