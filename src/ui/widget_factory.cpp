// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/widget_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include "model/window_design.h"
#include "ui/artwork.h"
#include "ui/list_box_widget.h"
#include "ui/one_row_list.h"
#include "ui/picture_button.h"
#include "ui/results_table.h"
#include "ui/shading.h"
#include "ui/twips.h"
#include "ui/upward_scroll_bar.h"

namespace velmora {

namespace {

// Buttons that show a picture instead of a caption.
struct ButtonPicture {
    std::string_view control;
    QIcon (*icon)();
};
constexpr ButtonPicture kButtonPictures[] = {{"cmdPlay", PlayIcon}, {"cmdPlayStop", StopIcon}};

QPushButton* CreateButton(const ControlDesign& design, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false);
    for (const ButtonPicture& picture : kButtonPictures) {
        if (picture.control == design.name) {
            button->setIcon(picture.icon());
        }
    }
    return button;
}

QLabel* CreateLabel(const ControlDesign& design, QWidget* parent) {
    auto* label = new QLabel(parent);
    // Captions come from the trainer; nothing in them is markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (design.border) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
    }
    return label;
}

QWidget* CreateListBox(const ControlDesign& design, QWidget* parent) {
    // Too low for a scroll bar: the list gets arrows of its own.
    const int rowHeight = QFontMetrics(parent->font()).height();
    if (ToPixels(design.place.height) < 2 * rowHeight) return new OneRowList(parent);
    return new ListBoxWidget(parent);
}

QTableView* CreateTable(QWidget* parent) {
    auto* table = new ResultsTable(parent);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setMinimumSectionSize(1);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    return table;
}

QWidget* CreateOfKind(const ControlDesign& design, QWidget* parent) {
    switch (design.kind) {
        case ControlKind::Label:
            return CreateLabel(design, parent);
        case ControlKind::Frame:
            return new QGroupBox(parent);
        case ControlKind::Button:
            return CreateButton(design, parent);
        case ControlKind::Picture: {
            auto* picture = new PictureButton(parent);
            picture->setIcon(TuningForkIcon());
            return picture;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(parent);
        case ControlKind::ListBox:
            return CreateListBox(design, parent);
        case ControlKind::CheckList:
            return new ListBoxWidget(parent);
        case ControlKind::ComboBox:
            return new QComboBox(parent);
        case ControlKind::ScrollBar:
            return new UpwardScrollBar(parent);
        case ControlKind::ListView:
            return CreateTable(parent);
        case ControlKind::Timer:
            break;
    }
    return nullptr;
}

}  // namespace

QWidget* FaceOf(QWidget* widget) {
    if (auto* oneRow = qobject_cast<OneRowList*>(widget)) return oneRow->list();
    return widget;
}

void PlaceWidget(QWidget* widget, const ControlDesign& design, int zoomPercent) {
    const QRect place = DesignRect(design, zoomPercent);
    // A label of fixed size asks no layout of the frame it sits in when its
    // caption changes, as the question number's does with every question.
    // (One that sizes itself cannot be: QLabel's size hint stays above its
    // minimum size.)
    if (design.kind == ControlKind::Label && !design.autoSize) {
        widget->setFixedSize(place.size());
        widget->move(place.topLeft());
    } else {
        widget->setGeometry(place);
    }

    // A widget with a style sheet keeps the font it had when the sheet was
    // applied; it is given the zoomed one, as are those with a font of their own.
    if (design.bold || design.fontPoints > 0 || !widget->styleSheet().isEmpty()) {
        // The container's font, which carries the zoom, with the design's own.
        QFont font = widget->parentWidget() ? widget->parentWidget()->font() : widget->font();
        if (design.bold) font.setBold(true);
        if (design.fontPoints > 0) font.setPointSizeF(design.fontPoints * zoomPercent / 100);
        widget->setFont(font);
    }
    auto* label = qobject_cast<QLabel*>(widget);
    if (label && design.autoSize && !label->text().isEmpty()) label->adjustSize();

    if (auto* picture = qobject_cast<PictureButton*>(widget)) {
        picture->setIconSize(Zoomed(kTuningForkSize, zoomPercent));
    } else if (auto* button = qobject_cast<QPushButton*>(widget);
               button && !button->icon().isNull()) {
        button->setIconSize(Zoomed(kPlayIconSize, zoomPercent));
    } else if (auto* oneRow = qobject_cast<OneRowList*>(widget)) {
        oneRow->setZoomPercent(zoomPercent);
    } else if (auto* table = qobject_cast<ResultsTable*>(widget)) {
        table->setZoomPercent(zoomPercent);
    }
}

QWidget* CreateWidget(const ControlDesign& design, QWidget* parent) {
    QWidget* widget = CreateOfKind(design, parent);
    if (!widget) return nullptr;
    widget->setObjectName(QString::fromUtf8(design.name.data(), design.name.size()));
    PlaceWidget(widget, design, kActualSize);
    SetBackground(FaceOf(widget), ShadeColor(design.shade));

    const bool takesFocus = design.tabOrder >= 0 && design.kind != ControlKind::Label &&
                            design.kind != ControlKind::Frame;
    if (!takesFocus) {
        FaceOf(widget)->setFocusPolicy(Qt::NoFocus);
    } else if (design.kind == ControlKind::ScrollBar) {
        widget->setFocusPolicy(Qt::StrongFocus);
    }
    return widget;
}

}  // namespace velmora
