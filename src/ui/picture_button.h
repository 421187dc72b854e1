// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAbstractButton>

namespace velmora {

// A clickable picture with nothing drawn around it but the focus mark, so
// keyboard users can still reach and press it.
class PictureButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit PictureButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velmora
