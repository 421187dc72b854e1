// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// What changed in a control, so that a view can update only that.
struct ControlChange {
    enum class Kind {
        Properties,    // caption, tooltip, enabled state, colour, value, range ...
        Selection,     // selected index or check marks
        ItemsReset,    // the whole item list
        ItemAdded,     // item `index` appended
        ItemChanged,   // text of item `index`
        ItemRemoved,   // item `index`, the last one, removed
        ItemsCleared,  // no items left
        Focus,         // got or lost the keyboard focus
    };
    Kind kind = Kind::Properties;
    int index = -1;
};

class Control;

// Which control holds the keyboard focus. One per panel.
class FocusTracker {
public:
    Control* current() const { return current_; }
    void moveTo(Control* control);

private:
    Control* current_ = nullptr;
};

// The window's controls as plain data. As in the window toolkit the trainer was
// designed for, a value set from code fires the same event as a user's change;
// the view mirrors every change through its observer.
class Control {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string text);

    // Keyboard focus; a disabled control cannot take it.
    bool hasFocus() const { return focus_ && focus_->current() == this; }
    void setFocus();
    void attachFocus(FocusTracker* focus) { focus_ = focus; }

    // One observer: the view that shows this control.
    using Observer = std::function<void(const ControlChange&)>;
    void setViewObserver(Observer observer) { viewObserver_ = std::move(observer); }
    void notifyView(ControlChange change = {}) const {
        if (viewObserver_) viewObserver_(change);
    }

protected:
    virtual void enabledChanged() {}

private:
    std::string name_;
    bool enabled_ = true;
    std::string toolTip_;
    FocusTracker* focus_ = nullptr;
    Observer viewObserver_;
};

// A control with a caption that fires nothing when it changes: frames,
// check boxes' text, buttons, menu items.
class Captioned : public Control {
public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);

private:
    std::string caption_;
};

class Frame : public Captioned {
public:
    using Captioned::Captioned;
};

class Label : public Control {
public:
    using Control::Control;

    const std::string& caption() const { return caption_; }
    // Fires onChange when the caption really changes.
    void setCaption(std::string caption);

    // Background colour; empty for the design's own.
    const std::optional<Rgb>& backColor() const { return backColor_; }
    void setBackColor(std::optional<Rgb> color);

    std::function<void()> onChange;

private:
    std::string caption_;
    std::optional<Rgb> backColor_;
};

class Button : public Captioned {
public:
    using Captioned::Captioned;

    // A click by the user or from code; a disabled button ignores it.
    void click() {
        if (enabled() && onClick) onClick();
    }
    // A character typed while the button has the focus.
    void keyPress(int characterCode) {
        if (enabled() && onKeyPress) onKeyPress(characterCode);
    }

    std::function<void()> onClick;
    std::function<void(int characterCode)> onKeyPress;
};

// A clickable image.
class Picture : public Button {
public:
    using Button::Button;
};

class CheckBox : public Captioned {
public:
    using Captioned::Captioned;

    bool checked() const { return checked_; }
    void setChecked(bool checked);

    std::function<void()> onClick;

private:
    bool checked_ = false;
};

// A list box or drop-down list: items and one selected index (-1: none).
class ListControl : public Control {
public:
    using Control::Control;

    const std::vector<std::string>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    void addItem(std::string text);
    void setItems(std::vector<std::string> items);
    void setItemText(int index, std::string text);
    void removeLastItem();
    void clear();

    int listIndex() const { return listIndex_; }
    // Selecting another item, from code or by the user, fires onClick.
    // An index outside the items is ignored.
    void setListIndex(int index);
    std::string text() const { return listIndex_ >= 0 ? items_[listIndex_] : std::string(); }

    std::function<void()> onClick;

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

// A list with a check box per item; any number of items can be checked.
class CheckList : public ListControl {
public:
    using ListControl::ListControl;

    bool selected(int index) const;
    // Checking or unchecking an item fires onClick, once per real change.
    void setSelected(int index, bool selected);

private:
    std::vector<bool> checks_;
};

// A vertical scroll bar whose upper end is the larger value. Moving an end past
// the value moves the value with it, firing onChange like any other change.
class ScrollBar : public Control {
public:
    using Control::Control;
    ScrollBar(std::string name, int minimum, int maximum, int value)
        : Control(std::move(name)), minimum_(minimum), maximum_(maximum), value_(value) {}

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int value() const { return value_; }

    // Clamped to the ends; fires onChange when the value changes.
    void setValue(int value);
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    // One step of the arrows: up is towards the larger value.
    void stepUp() { setValue(value_ + 1); }
    void stepDown() { setValue(value_ - 1); }

    std::function<void()> onChange;

private:
    int minimum_ = 0;
    int maximum_ = 0;
    int value_ = 0;
};

// A multi-column table of rows, shown in report view.
class ListView : public Control {
public:
    struct Column {
        std::string header;
        int widthTwips = 0;
        bool operator==(const Column&) const = default;
    };
    using Row = std::vector<std::string>;

    using Control::Control;

    const std::vector<Column>& columns() const { return columns_; }
    void addColumn(std::string header, int widthTwips);

    const std::vector<Row>& rows() const { return rows_; }
    void addRow(Row row);
    void setRow(int index, Row row);
    void removeLastRow();
    void clear();

    // The selected row, -1 for none; the view keeps it in sight.
    int selectedRow() const { return selectedRow_; }
    void setSelectedRow(int index);

    // Display options switched on at start-up.
    struct Options {
        bool reportView = false;
        bool hideSelection = true;  // the selected row disappears when the table loses focus
        bool singleSelect = false;
        bool gridLines = false;
        bool fullRowSelect = false;
        bool operator==(const Options&) const = default;
    };
    const Options& options() const { return options_; }
    void setOptions(Options options);

private:
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    int selectedRow_ = -1;
    Options options_;
};

// The non-visual once-a-second timer; the trainer's scheduler drives it.
class TimerControl : public Control {
public:
    using Control::Control;
    int interval() const { return interval_; }
    void setInterval(int intervalMs) { interval_ = intervalMs; }
    // The tick, from the scheduler, while enabled.
    void tick() {
        if (enabled() && onTimer) onTimer();
    }
    std::function<void()> onTimer;
    // Whoever makes the ticks starts and stops them here.
    std::function<void()> onEnabledChanged;

protected:
    void enabledChanged() override {
        if (onEnabledChanged) onEnabledChanged();
    }

private:
    int interval_ = 0;
};

class Menu : public Captioned {
public:
    using Captioned::Captioned;
};

class MenuItem : public Button {
public:
    using Button::Button;
};

}  // namespace velmora
