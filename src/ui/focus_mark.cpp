// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/focus_mark.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace velmora {

namespace {

// Lies over the widget, lets every click through, and is shown only while
// the widget has the focus.
class FocusMark final : public QWidget {
public:
    explicit FocusMark(QWidget& marked) : QWidget(&marked), marked_(marked) {
        setObjectName(QStringLiteral("focusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        marked.installEventFilter(this);
        follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &marked_) {
            switch (event->type()) {
                case QEvent::FocusIn:
                case QEvent::FocusOut:
                case QEvent::Resize:
                case QEvent::ChildAdded:
                    follow();
                    break;
                default:
                    break;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        // Thicker at larger zooms, as the controls are.
        const int width = std::max(2, std::min(marked_.width(), marked_.height()) / 12);
        QPen pen(marked_.palette().color(QPalette::Highlight), width);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(
            QRectF(rect()).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0));
    }

private:
    void follow() {
        setGeometry(marked_.rect());
        setVisible(marked_.hasFocus());
        raise();
    }

    QWidget& marked_;
};

}  // namespace

void ShowFocusMark(QWidget& widget) {
    if (widget.findChild<QWidget*>(QStringLiteral("focusMark"), Qt::FindDirectChildrenOnly)) return;
    new FocusMark(widget);
}

}  // namespace velmora
