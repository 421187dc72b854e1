#include "ui/bind_control.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTableView>

#include "app/window_design.h"
#include "ui/list_bindings.h"
#include "ui/one_row_list.h"
#include "ui/simple_bindings.h"

namespace velmora {

namespace {

template <typename ControlType, typename WidgetType>
bool Fits(Control& control, QWidget* widget, ControlType*& typedControl, WidgetType*& typedWidget) {
    typedControl = dynamic_cast<ControlType*>(&control);
    typedWidget = qobject_cast<WidgetType*>(widget);
    return typedControl && typedWidget;
}

}  // namespace

std::unique_ptr<WidgetBinding> BindControl(Control& control, const ControlDesign& design,
                                           QWidget* widget) {
    std::unique_ptr<WidgetBinding> binding;
    switch (design.kind) {
        case ControlKind::Label: {
            Label* label = nullptr;
            QLabel* view = nullptr;
            if (Fits(control, widget, label, view)) {
                binding = std::make_unique<LabelBinding>(*label, design, view);
            }
            break;
        }
        case ControlKind::Frame: {
            Frame* frame = nullptr;
            QGroupBox* view = nullptr;
            if (Fits(control, widget, frame, view)) {
                binding = std::make_unique<FrameBinding>(*frame, design, view);
            }
            break;
        }
        case ControlKind::Button:
        case ControlKind::Picture: {
            Button* button = nullptr;
            QAbstractButton* view = nullptr;
            if (Fits(control, widget, button, view)) {
                binding = std::make_unique<ButtonBinding>(*button, design, view);
            }
            break;
        }
        case ControlKind::CheckBox: {
            CheckBox* checkBox = nullptr;
            QCheckBox* view = nullptr;
            if (Fits(control, widget, checkBox, view)) {
                binding = std::make_unique<CheckBoxBinding>(*checkBox, design, view);
            }
            break;
        }
        case ControlKind::ListBox: {
            auto* list = dynamic_cast<ListControl*>(&control);
            if (auto* oneRow = qobject_cast<OneRowList*>(widget); list && oneRow) {
                binding = std::make_unique<ListBoxBinding>(*list, design, oneRow, oneRow->list());
            } else if (auto* view = qobject_cast<QListWidget*>(widget); list && view) {
                binding = std::make_unique<ListBoxBinding>(*list, design, view, view);
            }
            break;
        }
        case ControlKind::CheckList: {
            CheckList* list = nullptr;
            QListWidget* view = nullptr;
            if (Fits(control, widget, list, view)) {
                binding = std::make_unique<CheckListBinding>(*list, design, view);
            }
            break;
        }
        case ControlKind::ComboBox: {
            ListControl* list = nullptr;
            QComboBox* view = nullptr;
            if (Fits(control, widget, list, view)) {
                binding = std::make_unique<ComboBinding>(*list, design, view);
            }
            break;
        }
        case ControlKind::ScrollBar: {
            ScrollBar* bar = nullptr;
            QScrollBar* view = nullptr;
            if (Fits(control, widget, bar, view)) {
                binding = std::make_unique<ScrollBarBinding>(*bar, design, view);
            }
            break;
        }
        case ControlKind::ListView: {
            ListView* table = nullptr;
            QTableView* view = nullptr;
            if (Fits(control, widget, table, view)) {
                binding = std::make_unique<ListViewBinding>(*table, design, view);
            }
            break;
        }
        case ControlKind::Timer:
            break;
    }
    return binding;
}

}  // namespace velmora
