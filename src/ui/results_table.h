// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QScrollBar>
#include <QTableView>

#include <vector>

namespace velmora {

// A scroll bar that draws itself again only when that shows something new:
// one more row in a long table moves the handle by less than a pixel.
class SteadyScrollBar final : public QScrollBar {
    Q_OBJECT

public:
    SteadyScrollBar(Qt::Orientation orientation, QWidget* parent);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What the style draws from the value and the range.
    struct Look {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    Look shown_;  // as last drawn
    bool lookPending_ = false;
};

// The results table. It gains one row at the end with every answer, and a
// table view lays itself out and draws every visible cell again for that.
// Here a layout after rows added at the end only brings the scroll bar up to
// date and draws what came into view; scrolling moves what is already drawn.
class ResultsTable final : public QTableView {
    Q_OBJECT

public:
    explicit ResultsTable(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    void setSelectionModel(QItemSelectionModel* selectionModel) override;
    void setRootIndex(const QModelIndex& index) override;
    void reset() override;
    void doItemsLayout() override;

    // Column widths in twips, shown at the window's zoom in percent.
    void setDesignColumnWidths(const std::vector<int>& twips);
    void setZoomPercent(int percent);

protected:
    void changeEvent(QEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void needFullLayout() { pending_ = Pending::Full; }
    void fitRowHeight();
    void showColumnWidths();

    // What changed since the last layout.
    enum class Pending { Nothing, RowsAdded, Full };
    Pending pending_ = Pending::Full;
    int firstAddedRow_ = 0;
    int rowCount_ = 0;  // after the rows last added
    std::vector<QMetaObject::Connection> modelConnections_;
    QItemSelectionModel* headerSelection_ = nullptr;
    std::vector<int> columnTwips_;
    int zoomPercent_ = 100;
};

}  // namespace velmora
