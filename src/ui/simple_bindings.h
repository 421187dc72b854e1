// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QColor>

#include <optional>

#include "ui/control_binding.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QScrollBar;

namespace velmora {

class LabelBinding final : public WidgetBinding {
public:
    LabelBinding(Label& label, const ControlDesign& design, QLabel* widget);

protected:
    void show(const ControlChange& change) override;
    bool waitsForBatch() const override { return true; }

private:
    Label& label_;
    QLabel* widget_;
    const QString description_;  // what the label shows a value of
    // The background last given to the label: a caption changes with every
    // note played, its colour seldom, and a new palette costs a restyle.
    std::optional<std::optional<QColor>> shownBackground_;
};

class FrameBinding final : public WidgetBinding {
public:
    FrameBinding(Frame& frame, const ControlDesign& design, QGroupBox* widget);

protected:
    void show(const ControlChange& change) override;

private:
    Frame& frame_;
    QGroupBox* widget_;
};

// Push buttons and pictures: clicks, and characters typed while focused.
class ButtonBinding final : public WidgetBinding {
public:
    ButtonBinding(Button& button, const ControlDesign& design, QAbstractButton* widget);

protected:
    void show(const ControlChange& change) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Button& button_;
    QAbstractButton* widget_;
};

class CheckBoxBinding final : public WidgetBinding {
public:
    CheckBoxBinding(CheckBox& checkBox, const ControlDesign& design, QCheckBox* widget);

protected:
    void show(const ControlChange& change) override;

private:
    CheckBox& checkBox_;
    QCheckBox* widget_;
};

class ScrollBarBinding final : public WidgetBinding {
public:
    ScrollBarBinding(ScrollBar& bar, const ControlDesign& design, QScrollBar* widget);

protected:
    void show(const ControlChange& change) override;

private:
    ScrollBar& bar_;
    QScrollBar* widget_;
};

// Qt reads '&' as a mnemonic marker; captions here have none.
QString LiteralAmpersands(const std::string& caption);

}  // namespace velmora
