#pragma once

#include "ui/control_binding.h"

class QComboBox;
class QListWidget;
class QTableView;

namespace velmora {

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

class ListBoxBinding : public WidgetBinding {
public:
    // `widget` is what the design places; the items live in `items`.
    ListBoxBinding(ListControl& list, const ControlDesign& design, QWidget* widget,
                   QListWidget* items);

protected:
    void show(const ControlChange& change) override;
    // Gives a freshly added item what it needs beyond its text.
    virtual void prepareItem(int) {}
    void showCurrent();

    ListControl& list_;
    QListWidget* items_;
};

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
