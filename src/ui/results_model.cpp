// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/results_model.h"

#include "model/controls.h"

namespace velmora {

ResultsModel::ResultsModel(const ListView& source, QObject* parent)
    : QAbstractTableModel(parent),
      source_(source),
      rows_(static_cast<int>(source.rows().size())),
      columns_(static_cast<int>(source.columns().size())) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (!index.isValid() || index.row() >= rows_) return {};
    const ListView::Row& row = source_.rows()[index.row()];
    // A row may carry fewer cells than there are columns.
    if (index.column() >= static_cast<int>(row.size())) return {};
    return QString::fromStdString(row[index.column()]);
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section < 0 || section >= columns_) return {};
    return QString::fromStdString(source_.columns()[section].header);
}

void ResultsModel::rowAdded(int row) {
    const int total = static_cast<int>(source_.rows().size());
    // Anything but a plain append means the two have drifted apart.
    if (row != rows_ || total != rows_ + 1) {
        reset();
        return;
    }
    beginInsertRows({}, row, row);
    rows_ = total;
    endInsertRows();
}

void ResultsModel::rowRemoved(int row) {
    const int total = static_cast<int>(source_.rows().size());
    if (row != rows_ - 1 || total != row) {
        reset();
        return;
    }
    beginRemoveRows({}, row, row);
    rows_ = total;
    endRemoveRows();
}

void ResultsModel::rowChanged(int row) {
    if (row < 0 || row >= rows_) return;
    emit dataChanged(index(row, 0), index(row, columns_ - 1));
}

void ResultsModel::reset() {
    beginResetModel();
    rows_ = static_cast<int>(source_.rows().size());
    columns_ = static_cast<int>(source_.columns().size());
    endResetModel();
}

}  // namespace velmora
