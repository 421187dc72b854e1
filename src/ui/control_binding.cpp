// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/control_binding.h"

#include <QSignalBlocker>
#include <QWidget>

#include <utility>

#include "ui/accessible_names.h"
#include "ui/widget_factory.h"

namespace velmora {

using Kind = ControlChange::Kind;

ViewBatch::~ViewBatch() {
    if (--depth_ > 0) return;
    for (ControlBinding* binding : std::exchange(waiting_, {})) {
        binding->waiting_ = false;
        binding->showQuietly({Kind::Properties});
    }
}

ControlBinding::~ControlBinding() {
    control_.setViewObserver(nullptr);
    if (waiting_) std::erase(ViewBatch::waiting_, this);
}

void ControlBinding::start() {
    control_.setViewObserver([this](const ControlChange& change) { showQuietly(change); });
    for (Kind kind : {Kind::Properties, Kind::ItemsReset, Kind::Selection, Kind::Focus}) {
        showQuietly({kind});
    }
}

void ControlBinding::showQuietly(const ControlChange& change) {
    if (change.kind == Kind::Properties && ViewBatch::open() && waitsForBatch()) {
        if (!waiting_) ViewBatch::waiting_.push_back(this);
        waiting_ = true;
        return;
    }
    const QSignalBlocker blocker(signalSource());
    show(change);
}

WidgetBinding::WidgetBinding(Control& control, const ControlDesign& design, QWidget* widget)
    : ControlBinding(control), design_(design), widget_(widget), face_(FaceOf(widget)) {}

QObject* WidgetBinding::signalSource() const {
    return face_;
}

void WidgetBinding::show(const ControlChange& change) {
    if (change.kind == Kind::Properties) {
        widget_->setEnabled(control().enabled());
        // Unchanged texts are not set again: each setting tells the
        // accessibility layer, and a caption changes with every note played.
        const QString toolTip = ToQt(control().toolTip());
        if (widget_->toolTip() != toolTip) widget_->setToolTip(toolTip);
        if (face_->accessibleDescription() != toolTip) face_->setAccessibleDescription(toolTip);
        if (face_->accessibleName().isEmpty()) face_->setAccessibleName(DescriptionOf(design_));
    } else if (change.kind == Kind::Focus) {
        if (control().hasFocus() && !face_->hasFocus()) face_->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace velmora
