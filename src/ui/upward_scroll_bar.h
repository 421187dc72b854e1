// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QScrollBar>

namespace velmora {

// A vertical scroll bar whose top end is the larger value, as the trainer's
// bars are: the upper arrow, Up key and wheel-up all increase the value.
// value() is the real value, so assistive technology reads it as shown.
class UpwardScrollBar final : public QScrollBar {
    Q_OBJECT

public:
    explicit UpwardScrollBar(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void mirrorArrowAndPageAction(int action);

    bool mouseDown_ = false;
};

}  // namespace velmora
