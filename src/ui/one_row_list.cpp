// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/one_row_list.h"

#include <QEvent>
#include <QHeaderView>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int kArrowWidth = 13;

}  // namespace

int OneRowItems::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
}

QVariant OneRowItems::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= texts_.size()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    return texts_[index.row()];
}

Qt::ItemFlags OneRowItems::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void OneRowItems::append(const QString& text) {
    const int row = static_cast<int>(texts_.size());
    beginInsertRows({}, row, row);
    texts_.append(text);
    endInsertRows();
}

void OneRowItems::setTexts(const QStringList& texts) {
    beginResetModel();
    texts_ = texts;
    endResetModel();
}

void OneRowItems::setText(int row, const QString& text) {
    if (row < 0 || row >= texts_.size()) return;
    texts_[row] = text;
    emit dataChanged(index(row), index(row));
}

void OneRowItems::remove(int row) {
    if (row < 0 || row >= texts_.size()) return;
    beginRemoveRows({}, row, row);
    texts_.removeAt(row);
    endRemoveRows();
}

OneRowView::OneRowView(QWidget* parent) : QTableView(parent), items_(new OneRowItems(this)) {
    setModel(items_);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);  // Tab leaves the list, as it does a list box
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerItem);
    fitRowHeight();
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
}

void OneRowView::addItems(const QStringList& texts) {
    if (count() == 0) {
        items_->setTexts(texts);
        return;
    }
    for (const QString& text : texts) items_->append(text);
}

void OneRowView::clear() {
    items_->setTexts({});
}

QString OneRowView::itemText(int row) const {
    return items_->data(items_->index(row), Qt::DisplayRole).toString();
}

int OneRowView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void OneRowView::setCurrentRow(int row) {
    selectionModel()->setCurrentIndex(items_->index(row), QItemSelectionModel::ClearAndSelect);
}

void OneRowView::scrollToRow(int row) {
    if (row >= 0 && row < count()) scrollTo(items_->index(row));
}

QModelIndex OneRowView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (count() > 0 && action == MoveHome) return items_->index(0);
    if (count() > 0 && action == MoveEnd) return items_->index(count() - 1);
    return QTableView::moveCursor(action, modifiers);
}

void OneRowView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        fitRowHeight();
    }
}

// Rows as high as a list box's items in the same font and style.
void OneRowView::fitRowHeight() {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("X");
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(size.height());
}

OneRowList::OneRowList(QWidget* parent)
    : QFrame(parent),
      list_(new OneRowView(this)),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)),
      arrowWidth_(kArrowWidth) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The list inside takes the focus, and only it: a frame that passed the
    // focus on to it would be a second stop in the tab order, out of place.

    for (QToolButton* arrow : {up_, down_}) {
        // The list keeps the focus; its own arrow keys do what these do.
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        arrow->setAccessibleDescription(QString());
    }
    up_->setArrowType(Qt::UpArrow);
    up_->setAccessibleName("previous item");
    down_->setArrowType(Qt::DownArrow);
    down_->setAccessibleName("next item");
    connect(up_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(1); });
}

void OneRowList::step(int offset) {
    if (list_->count() == 0) return;
    const int current = list_->currentRow();
    list_->setCurrentRow(current < 0 ? 0 : std::clamp(current + offset, 0, list_->count() - 1));
}

void OneRowList::setZoomPercent(int percent) {
    arrowWidth_ = static_cast<int>(std::lround(kArrowWidth * std::clamp(percent, 1, 1000) / 100.0));
    placeParts();
}

void OneRowList::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    placeParts();
}

void OneRowList::placeParts() {
    const QRect inside = contentsRect();
    const int half = inside.height() / 2;
    list_->setGeometry(inside.adjusted(0, 0, -arrowWidth_, 0));
    up_->setGeometry(inside.right() - arrowWidth_ + 1, inside.top(), arrowWidth_, half);
    down_->setGeometry(inside.right() - arrowWidth_ + 1, inside.top() + half, arrowWidth_,
                       inside.height() - half);
}

}  // namespace velmora
