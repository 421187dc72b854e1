// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/results_table.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionSlider>

#include <utility>

#include "ui/twips.h"

namespace velmora {

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

SteadyScrollBar::Look SteadyScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change) {
    if (change == SliderOrientationChange) {
        QScrollBar::sliderChange(change);
        return;
    }
    // Looked at once the changes of this pass are done: a row added moves the
    // range and then the value, and only where both end up counts.
    if (lookPending_) return;
    lookPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            lookPending_ = false;
            if (look() != shown_) update();
        },
        Qt::QueuedConnection);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
    shown_ = look();
    QScrollBar::paintEvent(event);
}

ResultsTable::ResultsTable(QWidget* parent) : QTableView(parent) {
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal, this));
    horizontalHeader()->setHighlightSections(false);
    fitRowHeight();
}

void ResultsTable::setDesignColumnWidths(const std::vector<int>& twips) {
    columnTwips_ = twips;
    showColumnWidths();
}

void ResultsTable::setZoomPercent(int percent) {
    zoomPercent_ = percent;
    showColumnWidths();
}

void ResultsTable::showColumnWidths() {
    for (int i = 0; i < static_cast<int>(columnTwips_.size()); ++i) {
        setColumnWidth(i, ToPixels(columnTwips_[i], zoomPercent_));
    }
}

void ResultsTable::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitRowHeight();
}

// Fixed row heights keep a table of many thousand rows quick to lay out.
void ResultsTable::fitRowHeight() {
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void ResultsTable::setModel(QAbstractItemModel* model) {
    for (const QMetaObject::Connection& connection : modelConnections_) disconnect(connection);
    modelConnections_.clear();
    needFullLayout();
    QTableView::setModel(model);
    if (!model) return;
    // Whatever moves rows or columns already shown needs the full layout.
    const auto full = [this] { needFullLayout(); };
    modelConnections_ = {
        connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, full),
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, full),
        connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, full),
        connect(model, &QAbstractItemModel::columnsAboutToBeInserted, this, full),
        connect(model, &QAbstractItemModel::columnsAboutToBeRemoved, this, full),
        connect(model, &QAbstractItemModel::columnsAboutToBeMoved, this, full),
    };
}

void ResultsTable::setSelectionModel(QItemSelectionModel* selectionModel) {
    QTableView::setSelectionModel(selectionModel);
    // The header highlights no sections (see the constructor); following the
    // selection would only draw it whole again for every row selected.
    if (!model()) return;
    if (headerSelection_ && headerSelection_->model() == model()) return;
    delete headerSelection_;
    headerSelection_ = new QItemSelectionModel(model(), this);
    horizontalHeader()->setSelectionModel(headerSelection_);
}

void ResultsTable::setRootIndex(const QModelIndex& index) {
    needFullLayout();
    QTableView::setRootIndex(index);
}

void ResultsTable::reset() {
    needFullLayout();
    QTableView::reset();
}

void ResultsTable::rowsInserted(const QModelIndex& parent, int start, int end) {
    const bool atEnd = parent == rootIndex() && end == model()->rowCount(parent) - 1;
    if (!atEnd) {
        needFullLayout();
    } else if (pending_ == Pending::Nothing) {
        pending_ = Pending::RowsAdded;
        firstAddedRow_ = start;
    }
    rowCount_ = end + 1;
    QTableView::rowsInserted(parent, start, end);
}

void ResultsTable::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    needFullLayout();
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void ResultsTable::doItemsLayout() {
    const Pending pending = std::exchange(pending_, Pending::Nothing);
    if (pending != Pending::RowsAdded || !isVisible() ||
        model()->rowCount(rootIndex()) != rowCount_) {
        QTableView::doItemsLayout();
        return;
    }
    // The rows shown stay as drawn: the scroll bar takes in the new rows, and
    // only those of them already in view are drawn.
    const int horizontalOffset = horizontalHeader()->offset();
    const int verticalOffset = verticalHeader()->offset();
    updateGeometries();
    // Off its last row, a table scrolled row by row shows a whole row at the
    // top: the rows drawn move up with it.
    const int moved = verticalOffset - verticalHeader()->offset();
    if (horizontalHeader()->offset() != horizontalOffset || moved > 0) {
        viewport()->update();
        return;
    }
    if (moved < 0) viewport()->scroll(0, moved);
    const int top = rowViewportPosition(firstAddedRow_);
    const int height = viewport()->height();
    if (top >= 0 && top < height) viewport()->update(0, top, viewport()->width(), height - top);
}

}  // namespace velmora
