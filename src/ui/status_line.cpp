// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/status_line.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace velmora {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAccessibleName(tr("sound output"));
}

void StatusLine::setMessage(const QString& message, bool problem) {
    message_ = message;
    setToolTip(message);
    setAccessibleDescription(problem ? tr("Problem: %1").arg(message) : message);
    if (problem != problem_) {
        problem_ = problem;
        if (problem) {
            warning_ = QIcon::fromTheme(QStringLiteral("dialog-warning"),
                                        style()->standardIcon(QStyle::SP_MessageBoxWarning));
        }
        setAutoFillBackground(problem);
        // The theme's colours for a note that wants attention, as a tooltip's.
        setBackgroundRole(problem ? QPalette::ToolTipBase : QPalette::Window);
        setForegroundRole(problem ? QPalette::ToolTipText : QPalette::WindowText);
        const int gap = fontMetrics().horizontalAdvance(QLatin1Char(' '));
        setIndent(problem ? iconSize() + 2 * gap : -1);
    }
    fit();
    update();
}

int StatusLine::iconSize() const {
    return fontMetrics().height();
}

// The message never widens the window: the window's width is the design's.
QSize StatusLine::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QSize StatusLine::sizeHint() const {
    return {0, QLabel::sizeHint().height()};
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void StatusLine::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        const bool problem = problem_;
        problem_ = !problem;  // set the indent again for the new size
        setMessage(message_, problem);
    }
}

void StatusLine::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!problem_) return;
    QPainter painter(this);
    const int size = iconSize();
    const QRect room = contentsRect();
    const int gap = fontMetrics().horizontalAdvance(QLatin1Char(' '));
    warning_.paint(&painter, QRect(room.left() + gap, room.center().y() - size / 2, size, size));
}

void StatusLine::fit() {
    const int room = contentsRect().width() - (problem_ ? indent() : 0);
    setText(fontMetrics().elidedText(message_, Qt::ElideRight, room));
}

}  // namespace velmora
