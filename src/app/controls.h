#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// The window's controls as plain data. As in the window toolkit the trainer was
// designed for, a value set from code fires the same event as a user's change;
// the view mirrors every change through its observer.
class Control {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string text);

    // One observer: the view that shows this control.
    void setViewObserver(std::function<void()> observer) { viewObserver_ = std::move(observer); }

protected:
    void notifyView() const {
        if (viewObserver_) viewObserver_();
    }

private:
    std::string name_;
    bool enabled_ = true;
    std::string toolTip_;
    std::function<void()> viewObserver_;
};

class Label : public Control {
public:
    using Control::Control;

    const std::string& caption() const { return caption_; }
    // Fires onChange when the caption really changes.
    void setCaption(std::string caption);

    std::function<void()> onChange;

private:
    std::string caption_;
};

class Button : public Control {
public:
    using Control::Control;

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    void click() {
        if (enabled() && onClick) onClick();
    }

    std::function<void()> onClick;

private:
    std::string caption_;
};

// A list box or drop-down list: items and one selected index (-1: none).
class ListControl : public Control {
public:
    using Control::Control;

    const std::vector<std::string>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    void addItem(std::string text);
    void setItems(std::vector<std::string> items);

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

// A vertical scroll bar whose upper end is the larger value. Moving an end past
// the value moves the value with it, firing onChange like any other change.
class ScrollBar : public Control {
public:
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
    int minimum_;
    int maximum_;
    int value_;
};

}  // namespace velmora
