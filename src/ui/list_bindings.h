// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include "ui/control_binding.h"

class QComboBox;
class QListWidget;
class QTableView;

namespace velmora {

class OneRowView;
class ResultsModel;

class ComboBinding final : public WidgetBinding {
public:
    ComboBinding(ListControl& list, const ControlDesign& design, QComboBox* widget);

protected:
    void show(const ControlChange& change) override;

private:
    ListControl& list_;
    QComboBox* widget_;
};

// A list box; its items live in a QListWidget, or in a one-row list's view.
template <class Items>
class ListBoxBindingOf : public WidgetBinding {
public:
    // `widget` is what the design places; the items live in `items`.
    ListBoxBindingOf(ListControl& list, const ControlDesign& design, QWidget* widget, Items* items);

protected:
    void show(const ControlChange& change) override;
    // Gives a freshly added item what it needs beyond its text.
    virtual void prepareItem(int) {}
    void showCurrent();

    ListControl& list_;
    Items* items_;
};

extern template class ListBoxBindingOf<QListWidget>;
extern template class ListBoxBindingOf<OneRowView>;
using ListBoxBinding = ListBoxBindingOf<QListWidget>;
using OneRowListBinding = ListBoxBindingOf<OneRowView>;

// A list with a check box per item: a check is the control's selection.
class CheckListBinding final : public ListBoxBinding {
public:
    CheckListBinding(CheckList& list, const ControlDesign& design, QListWidget* widget);

protected:
    void show(const ControlChange& change) override;
    void prepareItem(int index) override;

private:
    CheckList& checks_;
};

// The results table in report view.
class ListViewBinding final : public WidgetBinding {
public:
    ListViewBinding(ListView& view, const ControlDesign& design, QTableView* widget);

protected:
    void show(const ControlChange& change) override;

private:
    void showOptions();
    void showSelectedRow();

    ListView& view_;
    QTableView* widget_;
    ResultsModel* model_;
    bool quiet_ = false;  // while the table copies the panel's selected row
};

}  // namespace velmora
