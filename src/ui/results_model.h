// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAbstractTableModel>

namespace velmora {

class ListView;

// The results table's rows, read straight from the panel's list view so that
// nothing is copied. The table grows by one row per answer to tens of
// thousands, so the model is told of each change rather than reset.
class ResultsModel final : public QAbstractTableModel {
public:
    explicit ResultsModel(const ListView& source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The panel has already changed when these are called; the model's own
    // counts lag behind until then, as Qt's views expect.
    void rowAdded(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void reset();

private:
    const ListView& source_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace velmora
