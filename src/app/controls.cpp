#include "app/controls.h"

#include <algorithm>

namespace velmora {

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    notifyView();
}

void Control::setToolTip(std::string text) {
    if (toolTip_ == text) return;
    toolTip_ = std::move(text);
    notifyView();
}

void Label::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    notifyView();
    if (onChange) onChange();
}

void Button::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    notifyView();
}

void ListControl::addItem(std::string text) {
    items_.push_back(std::move(text));
    notifyView();
}

void ListControl::setItems(std::vector<std::string> items) {
    items_ = std::move(items);
    if (listIndex_ >= count()) listIndex_ = -1;
    notifyView();
}

void ListControl::setListIndex(int index) {
    if (index < -1 || index >= count() || index == listIndex_) return;
    listIndex_ = index;
    notifyView();
    if (onClick) onClick();
}

void ScrollBar::setValue(int value) {
    value = std::clamp(value, minimum_, std::max(minimum_, maximum_));
    if (value == value_) return;
    value_ = value;
    notifyView();
    if (onChange) onChange();
}

void ScrollBar::setMinimum(int minimum) {
    minimum_ = minimum;
    if (maximum_ < minimum_) maximum_ = minimum_;
    notifyView();
    if (value_ < minimum_) setValue(minimum_);
}

void ScrollBar::setMaximum(int maximum) {
    maximum_ = maximum;
    if (minimum_ > maximum_) minimum_ = maximum_;
    notifyView();
    if (value_ > maximum_) setValue(maximum_);
}

}  // namespace velmora
