// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <memory>

class QWidget;

namespace velmora {

class Control;
class WidgetBinding;
struct ControlDesign;

// The binding that fits the control's kind and the widget made for it; null
// when the two do not fit each other.
std::unique_ptr<WidgetBinding> BindControl(Control& control, const ControlDesign& design,
                                           QWidget* widget);

}  // namespace velmora
