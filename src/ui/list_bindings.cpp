// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/list_bindings.h"

#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QTableView>

#include <vector>

#include "ui/one_row_list.h"
#include "ui/results_model.h"
#include "ui/results_table.h"
#include "ui/twips.h"

namespace velmora {

using Kind = ControlChange::Kind;

namespace {

QStringList ToQt(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) list.append(QString::fromStdString(item));
    return list;
}

}  // namespace

ComboBinding::ComboBinding(ListControl& list, const ControlDesign& design, QComboBox* widget)
    : WidgetBinding(list, design, widget), list_(list), widget_(widget) {
    connect(widget_, &QComboBox::currentIndexChanged, this, [this](int index) {
        list_.setListIndex(index);
        if (widget_->currentIndex() != list_.listIndex()) show({Kind::Selection});
    });
}

void ComboBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    const QSignalBlocker blocker(widget_);
    switch (change.kind) {
        case Kind::ItemAdded:
            if (change.index == widget_->count()) {
                widget_->addItem(velmora::ToQt(list_.items()[change.index]));
                break;
            }
            [[fallthrough]];
        case Kind::ItemsReset:
        case Kind::ItemsCleared:
            widget_->clear();
            widget_->addItems(ToQt(list_.items()));
            widget_->setCurrentIndex(list_.listIndex());
            break;
        case Kind::ItemChanged:
            widget_->setItemText(change.index, velmora::ToQt(list_.items()[change.index]));
            break;
        case Kind::ItemRemoved:
            widget_->removeItem(change.index);
            widget_->setCurrentIndex(list_.listIndex());
            break;
        case Kind::Selection:
            widget_->setCurrentIndex(list_.listIndex());
            break;
        case Kind::Properties:
        case Kind::Focus:
            break;
    }
}

namespace {

// What a QListWidget and a one-row list's view do differently.
void SetItemText(QListWidget* items, int row, const QString& text) {
    items->item(row)->setText(text);
}
void SetItemText(OneRowView* items, int row, const QString& text) {
    items->setItemText(row, text);
}
void RemoveItem(QListWidget* items, int row) {
    delete items->takeItem(row);
}
void RemoveItem(OneRowView* items, int row) {
    items->removeItem(row);
}
void ScrollToRow(QListWidget* items, int row) {
    items->scrollToItem(items->item(row));
}
void ScrollToRow(OneRowView* items, int row) {
    items->scrollToRow(row);
}

}  // namespace

template <class Items>
ListBoxBindingOf<Items>::ListBoxBindingOf(ListControl& list, const ControlDesign& design,
                                          QWidget* widget, Items* items)
    : WidgetBinding(list, design, widget), list_(list), items_(items) {
    connect(items_, &Items::currentRowChanged, this, [this](int row) {
        list_.setListIndex(row);
        if (items_->currentRow() != list_.listIndex()) show({Kind::Selection});
    });
}

template <class Items>
void ListBoxBindingOf<Items>::show(const ControlChange& change) {
    WidgetBinding::show(change);
    const QSignalBlocker blocker(items_);
    switch (change.kind) {
        case Kind::ItemAdded:
            if (change.index == items_->count()) {
                items_->addItem(velmora::ToQt(list_.items()[change.index]));
                prepareItem(change.index);
                break;
            }
            [[fallthrough]];
        case Kind::ItemsReset:
        case Kind::ItemsCleared:
            items_->clear();
            items_->addItems(ToQt(list_.items()));
            for (int i = 0; i < items_->count(); ++i) prepareItem(i);
            showCurrent();
            break;
        case Kind::ItemChanged:
            SetItemText(items_, change.index, velmora::ToQt(list_.items()[change.index]));
            break;
        case Kind::ItemRemoved:
            RemoveItem(items_, change.index);
            showCurrent();
            break;
        case Kind::Selection:
            showCurrent();
            break;
        case Kind::Properties:
        case Kind::Focus:
            break;
    }
}

template <class Items>
void ListBoxBindingOf<Items>::showCurrent() {
    const int index = list_.listIndex();
    if (index < 0) {
        items_->setCurrentRow(-1);
        items_->clearSelection();
        return;
    }
    items_->setCurrentRow(index);
    ScrollToRow(items_, index);
}

template class ListBoxBindingOf<QListWidget>;
template class ListBoxBindingOf<OneRowView>;

CheckListBinding::CheckListBinding(CheckList& list, const ControlDesign& design,
                                   QListWidget* widget)
    : ListBoxBinding(list, design, widget, widget), checks_(list) {
    connect(items_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = items_->row(item);
        checks_.setSelected(row, item->checkState() == Qt::Checked);
        if (checks_.selected(row) != (item->checkState() == Qt::Checked)) prepareItem(row);
    });
}

void CheckListBinding::show(const ControlChange& change) {
    ListBoxBinding::show(change);
    if (change.kind == Kind::Selection && change.index >= 0 && change.index < items_->count()) {
        const QSignalBlocker blocker(items_);
        prepareItem(change.index);
    }
}

void CheckListBinding::prepareItem(int index) {
    QListWidgetItem* item = items_->item(index);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checks_.selected(index) ? Qt::Checked : Qt::Unchecked);
}

ListViewBinding::ListViewBinding(ListView& view, const ControlDesign& design, QTableView* widget)
    : WidgetBinding(view, design, widget),
      view_(view),
      widget_(widget),
      model_(new ResultsModel(view, widget)) {
    widget_->setModel(model_);
    connect(widget_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (quiet_) return;
                view_.setSelectedRow(current.isValid() ? current.row() : -1);
            });
}

void ListViewBinding::showSelectedRow() {
    // The selection model's signals are its own, not the table's.
    quiet_ = true;
    const int row = view_.selectedRow();
    if (row < 0 || row >= model_->rowCount()) {
        widget_->clearSelection();
        widget_->setCurrentIndex({});
    } else {
        const QModelIndex index = model_->index(row, 0);
        widget_->setCurrentIndex(index);
        widget_->scrollTo(index);
    }
    quiet_ = false;
}

void ListViewBinding::show(const ControlChange& change) {
    WidgetBinding::show(change);
    switch (change.kind) {
        case Kind::ItemAdded:
            model_->rowAdded(change.index);
            break;
        case Kind::ItemChanged:
            model_->rowChanged(change.index);
            break;
        case Kind::ItemRemoved:
            model_->rowRemoved(change.index);
            break;
        case Kind::ItemsReset:
        case Kind::ItemsCleared:
            model_->reset();
            showSelectedRow();
            break;
        case Kind::Properties:
            showOptions();
            break;
        case Kind::Selection:
            showSelectedRow();
            break;
        case Kind::Focus:
            break;
    }
}

void ListViewBinding::showOptions() {
    const auto& columns = view_.columns();
    if (model_->columnCount() != static_cast<int>(columns.size())) model_->reset();
    std::vector<int> widths;
    for (const auto& column : columns) widths.push_back(column.widthTwips);
    if (auto* table = qobject_cast<ResultsTable*>(widget_)) {
        table->setDesignColumnWidths(widths);
    } else {
        for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
            widget_->setColumnWidth(i, ToPixels(widths[i]));
        }
    }
    const ListView::Options& options = view_.options();
    widget_->horizontalHeader()->setVisible(options.reportView);
    widget_->setShowGrid(options.gridLines);
    widget_->setSelectionBehavior(options.fullRowSelect ? QAbstractItemView::SelectRows
                                                        : QAbstractItemView::SelectItems);
    widget_->setSelectionMode(options.singleSelect ? QAbstractItemView::SingleSelection
                                                   : QAbstractItemView::ExtendedSelection);
    // Unfocused, Qt shows the selection in the inactive colours; hiding it
    // means drawing it as plain cells.
    QPalette palette;
    if (options.hideSelection) {
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Inactive, QPalette::Base));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Inactive, QPalette::Text));
    }
    widget_->setPalette(palette);
}

}  // namespace velmora
