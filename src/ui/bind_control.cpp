// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/bind_control.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>

#include "model/window_design.h"
#include "ui/list_bindings.h"
#include "ui/one_row_list.h"
#include "ui/simple_bindings.h"

namespace velmora {

namespace {

// The binding of that type, when the control and the widget are of the kinds it binds.
template <typename Binding, typename ControlType, typename WidgetType>
std::unique_ptr<WidgetBinding> Make(Control& control, const ControlDesign& design,
                                    QWidget* widget) {
    auto* typedControl = dynamic_cast<ControlType*>(&control);
    auto* typedWidget = qobject_cast<WidgetType*>(widget);
    if (!typedControl || !typedWidget) return nullptr;
    return std::make_unique<Binding>(*typedControl, design, typedWidget);
}

}  // namespace

std::unique_ptr<WidgetBinding> BindControl(Control& control, const ControlDesign& design,
                                           QWidget* widget) {
    switch (design.kind) {
        case ControlKind::Label:
            return Make<LabelBinding, Label, QLabel>(control, design, widget);
        case ControlKind::Frame:
            return Make<FrameBinding, Frame, QGroupBox>(control, design, widget);
        case ControlKind::Button:
        case ControlKind::Picture:
            return Make<ButtonBinding, Button, QAbstractButton>(control, design, widget);
        case ControlKind::CheckBox:
            return Make<CheckBoxBinding, CheckBox, QCheckBox>(control, design, widget);
        case ControlKind::ListBox: {
            auto* list = dynamic_cast<ListControl*>(&control);
            if (!list) return nullptr;
            // A one-row list is a list with arrows of its own around it.
            if (auto* oneRow = qobject_cast<OneRowList*>(widget)) {
                return std::make_unique<OneRowListBinding>(*list, design, oneRow, oneRow->list());
            }
            if (auto* view = qobject_cast<QListWidget*>(widget)) {
                return std::make_unique<ListBoxBinding>(*list, design, view, view);
            }
            return nullptr;
        }
        case ControlKind::CheckList:
            return Make<CheckListBinding, CheckList, QListWidget>(control, design, widget);
        case ControlKind::ComboBox:
            return Make<ComboBinding, ListControl, QComboBox>(control, design, widget);
        case ControlKind::ScrollBar:
            return Make<ScrollBarBinding, ScrollBar, QScrollBar>(control, design, widget);
        case ControlKind::ListView:
            return Make<ListViewBinding, ListView, QTableView>(control, design, widget);
        case ControlKind::Timer:
            return nullptr;
    }
    return nullptr;
}

}  // namespace velmora
