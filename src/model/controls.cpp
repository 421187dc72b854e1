// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "model/controls.h"

#include <algorithm>

namespace velmora {

using Kind = ControlChange::Kind;

void FocusTracker::moveTo(Control* control) {
    if (current_ == control) return;
    Control* previous = current_;
    current_ = control;
    if (previous) previous->notifyView({Kind::Focus});
    if (control) control->notifyView({Kind::Focus});
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled && hasFocus()) focus_->moveTo(nullptr);
    notifyView();
    enabledChanged();
}

void Control::setToolTip(std::string text) {
    if (toolTip_ == text) return;
    toolTip_ = std::move(text);
    notifyView();
}

void Control::setFocus() {
    if (focus_ && enabled_) focus_->moveTo(this);
}

void Captioned::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    notifyView();
}

void Label::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    notifyView();
    if (onChange) onChange();
}

void Label::setBackColor(std::optional<Rgb> color) {
    if (backColor_ == color) return;
    backColor_ = color;
    notifyView();
}

void CheckBox::setChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    notifyView({Kind::Selection});
    if (onClick) onClick();
}

void ListControl::addItem(std::string text) {
    items_.push_back(std::move(text));
    notifyView({Kind::ItemAdded, count() - 1});
}

void ListControl::setItems(std::vector<std::string> items) {
    items_ = std::move(items);
    if (listIndex_ >= count()) listIndex_ = -1;
    notifyView({Kind::ItemsReset});
}

void ListControl::setItemText(int index, std::string text) {
    if (index < 0 || index >= count() || items_[index] == text) return;
    items_[index] = std::move(text);
    notifyView({Kind::ItemChanged, index});
}

void ListControl::removeLastItem() {
    if (items_.empty()) return;
    items_.pop_back();
    if (listIndex_ >= count()) listIndex_ = -1;
    notifyView({Kind::ItemRemoved, count()});
}

void ListControl::clear() {
    if (items_.empty() && listIndex_ == -1) return;
    items_.clear();
    listIndex_ = -1;
    notifyView({Kind::ItemsCleared});
}

void ListControl::setListIndex(int index) {
    if (index < -1 || index >= count() || index == listIndex_) return;
    listIndex_ = index;
    notifyView({Kind::Selection, index});
    if (onClick) onClick();
}

bool CheckList::selected(int index) const {
    return index >= 0 && index < static_cast<int>(checks_.size()) && checks_[index];
}

void CheckList::setSelected(int index, bool selected) {
    if (index < 0 || index >= count() || this->selected(index) == selected) return;
    checks_.resize(count(), false);
    checks_[index] = selected;
    notifyView({Kind::Selection, index});
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

void ListView::addColumn(std::string header, int widthTwips) {
    columns_.push_back({std::move(header), widthTwips});
    notifyView();
}

void ListView::addRow(Row row) {
    rows_.push_back(std::move(row));
    notifyView({Kind::ItemAdded, static_cast<int>(rows_.size()) - 1});
}

void ListView::setRow(int index, Row row) {
    if (index < 0 || index >= static_cast<int>(rows_.size()) || rows_[index] == row) return;
    rows_[index] = std::move(row);
    notifyView({Kind::ItemChanged, index});
}

void ListView::removeLastRow() {
    if (rows_.empty()) return;
    rows_.pop_back();
    if (selectedRow_ >= static_cast<int>(rows_.size())) selectedRow_ = -1;
    notifyView({Kind::ItemRemoved, static_cast<int>(rows_.size())});
}

void ListView::clear() {
    if (rows_.empty()) return;
    rows_.clear();
    selectedRow_ = -1;
    notifyView({Kind::ItemsCleared});
}

void ListView::setSelectedRow(int index) {
    if (index < -1 || index >= static_cast<int>(rows_.size()) || index == selectedRow_) return;
    selectedRow_ = index;
    notifyView({Kind::Selection, index});
}

void ListView::setOptions(Options options) {
    if (options_ == options) return;
    options_ = options;
    notifyView();
}

}  // namespace velmora
