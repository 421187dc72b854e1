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
            button->setIconSize(kPlayIconSize);
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
    // Fixed row heights keep a table of many thousand rows quick to lay out.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
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
            picture->setIconSize(kTuningForkSize);
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

QWidget* CreateWidget(const ControlDesign& design, QWidget* parent) {
    QWidget* widget = CreateOfKind(design, parent);
    if (!widget) return nullptr;
    widget->setObjectName(QString::fromUtf8(design.name.data(), design.name.size()));
    widget->setGeometry(DesignRect(design));
    // A label of fixed size asks no layout of the frame it sits in when its
    // caption changes, as the question number's does with every question.
    // (One that sizes itself cannot be: QLabel's size hint stays above its
    // minimum size.)
    if (design.kind == ControlKind::Label && !design.autoSize) widget->setFixedSize(widget->size());

    if (design.bold || design.fontPoints > 0) {
        QFont font = widget->font();
        font.setBold(design.bold);
        if (design.fontPoints > 0) font.setPointSizeF(design.fontPoints);
        widget->setFont(font);
    }
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
