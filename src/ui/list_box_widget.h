// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QListWidget>
#include <QSize>
#include <QVector>

namespace velmora {

// A list box. A QListWidget lays all its items out again, and draws them all
// again, whenever the text of one changes, as the statistics list's lines do
// with every answer. Here an item that keeps its size is only drawn again.
class ListBoxWidget final : public QListWidget {
    Q_OBJECT

public:
    explicit ListBoxWidget(QWidget* parent = nullptr);

    void doItemsLayout() override;
    void reset() override;

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    QSize itemSize(int row) const;
    bool keepsSizes(int first, int last) const;

    QVector<QSize> laidOut_;  // each item's size at the last layout; empty when unknown
};

}  // namespace velmora
