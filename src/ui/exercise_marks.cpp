// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/exercise_marks.h"

#include <QAction>
#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>
#include <optional>

#include "coach/mastery.h"
#include "ui/menu_item_description.h"

namespace velmora {

namespace {

// Drawn at whatever size the menu asks, so the marks stay sharp at every
// screen density.
class MarkEngine final : public QIconEngine {
public:
    explicit MarkEngine(ExerciseMarks::Mark mark) : mark_(mark) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal side = std::min(rect.width(), rect.height());
        const QRectF box(rect.x() + (rect.width() - side) / 2,
                         rect.y() + (rect.height() - side) / 2, side, side);
        const auto at = [&box](qreal x, qreal y) {
            return QPointF(box.x() + x * box.width(), box.y() + y * box.height());
        };
        QColor colour = mark_ == ExerciseMarks::Mark::Mastered ? QColor(0x2b, 0x9a, 0x3e)
                                                               : QColor(0x1f, 0x6f, 0xd0);
        if (mode == QIcon::Disabled) {
            colour = QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (mark_ == ExerciseMarks::Mark::Mastered) {
            QPainterPath tick(at(0.16, 0.52));
            tick.lineTo(at(0.40, 0.76));
            tick.lineTo(at(0.84, 0.26));
            painter->setPen(QPen(colour, side * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter->drawPath(tick);
        } else {
            const QPointF arrow[] = {at(0.26, 0.18), at(0.80, 0.50), at(0.26, 0.82)};
            painter->setPen(Qt::NoPen);
            painter->setBrush(colour);
            painter->drawPolygon(arrow, 3);
        }
        painter->restore();
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (size.isEmpty() || scale <= 0) return {};
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        pixmap.setDevicePixelRatio(scale);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new MarkEngine(mark_); }
    QString key() const override { return QStringLiteral("velmora-exercise-mark"); }

private:
    ExerciseMarks::Mark mark_;
};

}  // namespace

ExerciseMarks::ExerciseMarks(const QList<QAction*>& items)
    : mastered_(new MarkEngine(Mark::Mastered)), current_(new MarkEngine(Mark::Current)) {
    for (QAction* item : items) items_.emplace_back(item);
    marks_.assign(items_.size(), Mark::None);
}

void ExerciseMarks::update(const MasteryTracker& mastery) {
    const std::optional<int> diminished = mastery.currentExercise(ExerciseSeries::Diminished);
    const std::optional<int> diatonic = mastery.currentExercise(ExerciseSeries::Diatonic);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const int exercise = static_cast<int>(i);
        Mark mark = Mark::None;
        if (mastery.exerciseMastered(exercise)) {
            mark = Mark::Mastered;
        } else if (exercise == diminished || exercise == diatonic) {
            mark = Mark::Current;
        }
        // A new icon makes the menu lay itself out again: only on a change.
        if (mark == marks_[i] || !items_[i]) continue;
        marks_[i] = mark;
        QAction* item = items_[i];
        item->setIcon(mark == Mark::Mastered  ? mastered_
                      : mark == Mark::Current ? current_
                                              : QIcon());
        SetMenuItemDescription(item, wordsFor(mark));
    }
}

ExerciseMarks::Mark ExerciseMarks::markOf(int exercise) const {
    if (exercise < 0 || exercise >= static_cast<int>(marks_.size())) return Mark::None;
    return marks_[static_cast<std::size_t>(exercise)];
}

QString ExerciseMarks::wordsFor(Mark mark) {
    switch (mark) {
        case Mark::Mastered:
            return QObject::tr("mastered");
        case Mark::Current:
            return QObject::tr("current");
        case Mark::None:
            break;
    }
    return {};
}

}  // namespace velmora
