// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/list_box_widget.h"

#include <QAbstractItemDelegate>
#include <QStyleOptionViewItem>

namespace velmora {

ListBoxWidget::ListBoxWidget(QWidget* parent) : QListWidget(parent) {}

QSize ListBoxWidget::itemSize(int row) const {
    const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QAbstractItemDelegate* delegate = itemDelegateForIndex(index);
    return delegate ? delegate->sizeHint(option, index) : QSize();
}

void ListBoxWidget::doItemsLayout() {
    QListWidget::doItemsLayout();
    laidOut_.clear();
    // Only a plain list box is laid out from its items' own sizes alone.
    if (viewMode() != ListMode || isWrapping() || uniformItemSizes() || gridSize().isValid() ||
        layoutMode() != SinglePass) {
        return;
    }
    const int rows = count();
    laidOut_.reserve(rows);
    for (int row = 0; row < rows; ++row) laidOut_.append(itemSize(row));
}

bool ListBoxWidget::keepsSizes(int first, int last) const {
    if (first < 0 || last >= laidOut_.size()) return false;
    for (int row = first; row <= last; ++row) {
        if (itemSize(row) != laidOut_[row]) return false;
    }
    return true;
}

void ListBoxWidget::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
    // Items of unchanged sizes would be laid out exactly where they are.
    if (topLeft.parent() == rootIndex() && keepsSizes(topLeft.row(), bottomRight.row())) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    QListWidget::dataChanged(topLeft, bottomRight, roles);
}

void ListBoxWidget::reset() {
    laidOut_.clear();
    QListWidget::reset();
}

void ListBoxWidget::rowsInserted(const QModelIndex& parent, int start, int end) {
    laidOut_.clear();
    QListWidget::rowsInserted(parent, start, end);
}

void ListBoxWidget::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    laidOut_.clear();
    QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

}  // namespace velmora
