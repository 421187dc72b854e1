// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QIcon>
#include <QLabel>

namespace velmora {

// The line under the window that says which sound output is in use, or what
// is wrong with it. A message too long for the window ends in "…"; the whole
// text stays in the tooltip and in what a screen reader announces. A problem
// shows as one: the desktop theme's warning icon, on the palette's colours
// for notes that ask for attention.
class StatusLine final : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setMessage(const QString& message, bool problem = false);
    const QString& message() const { return message_; }
    bool problem() const { return problem_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();
    int iconSize() const;

    QString message_;
    bool problem_ = false;
    QIcon warning_;
};

}  // namespace velmora
