// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAbstractListModel>
#include <QFrame>
#include <QStringList>
#include <QTableView>

class QToolButton;

namespace velmora {

// The items of a one-row list: plain texts.
class OneRowItems final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void append(const QString& text);
    void setTexts(const QStringList& texts);
    void setText(int row, const QString& text);
    void remove(int row);

private:
    QStringList texts_;
};

// The list inside a one-row list, with the calls of a QListWidget that the
// window uses. A QListWidget lays out every item again after each one added,
// which made recording an answer slower the longer the responses list grew;
// a table of one column places rows by their fixed height and does not.
class OneRowView final : public QTableView {
    Q_OBJECT

public:
    explicit OneRowView(QWidget* parent = nullptr);

    int count() const { return items_->rowCount(); }
    void addItem(const QString& text) { items_->append(text); }
    void addItems(const QStringList& texts);
    void clear();
    void setItemText(int row, const QString& text) { items_->setText(row, text); }
    void removeItem(int row) { items_->remove(row); }
    QString itemText(int row) const;

    int currentRow() const;
    void setCurrentRow(int row);
    void scrollToRow(int row);

signals:
    void currentRowChanged(int row);

protected:
    // Keys move as in a list: Home and End go to the first and last item.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void changeEvent(QEvent* event) override;

private:
    void fitRowHeight();

    OneRowItems* items_;
};

// A list box only one item high. There is no room for a scroll bar, so two
// small arrows beside the item select the previous or next item; the arrow
// keys and the wheel work on the list as usual.
class OneRowList final : public QFrame {
    Q_OBJECT

public:
    explicit OneRowList(QWidget* parent = nullptr);

    OneRowView* list() const { return list_; }
    // Selects the item `offset` rows away, staying within the list.
    void step(int offset);
    // The arrows grow with the window's zoom, in percent.
    void setZoomPercent(int percent);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeParts();

    OneRowView* list_;
    QToolButton* up_;
    QToolButton* down_;
    int arrowWidth_;
};

}  // namespace velmora
