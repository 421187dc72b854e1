// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "model/controls.h"

class QWidget;

namespace velmora {

struct ControlDesign;

inline QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

class ControlBinding;

// One step of the trainer's own work, such as a timer going off. While one is
// open, labels show what changed only when the outermost closes, as it then
// stands: between two notes of a run the question number goes blank and comes
// back within one step, and the window has nothing to draw. The step ends
// before the event loop draws anything, so what appears, and when, is the same.
class ViewBatch {
public:
    ViewBatch() { ++depth_; }
    ~ViewBatch();
    ViewBatch(const ViewBatch&) = delete;
    ViewBatch& operator=(const ViewBatch&) = delete;

    static bool open() { return depth_ > 0; }

private:
    friend class ControlBinding;
    static inline int depth_ = 0;
    static inline std::vector<ControlBinding*> waiting_;
};

// Runs `work` as one step of the trainer's own (see ViewBatch).
inline void AsOneStep(const std::function<void()>& work) {
    const ViewBatch step;
    work();
}

// Keeps one panel control and what shows it in step, both ways. User input
// goes into the panel, whose setters run the handlers; the panel reports
// every change back through the control's observer, and the view copies just
// that change with its own signals blocked, so nothing echoes back.
class ControlBinding : public QObject {
public:
    explicit ControlBinding(Control& control) : control_(control) {}
    ~ControlBinding() override;
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    Control& control() const { return control_; }

    // Starts observing the control and shows its present state.
    void start();

protected:
    // Copies one change of the control into the view.
    virtual void show(const ControlChange& change) = 0;
    // Whether a change of properties may wait for an open ViewBatch to close;
    // only a view that sends nothing back to the panel may.
    virtual bool waitsForBatch() const { return false; }
    // The object whose signals carry user input back to the panel.
    virtual QObject* signalSource() const = 0;

private:
    friend class ViewBatch;
    void showQuietly(const ControlChange& change);

    Control& control_;
    bool waiting_ = false;  // in ViewBatch's list
};

// A control shown by a widget: enabled state, tooltip and focus.
class WidgetBinding : public ControlBinding {
public:
    WidgetBinding(Control& control, const ControlDesign& design, QWidget* widget);

    QWidget* widget() const { return widget_; }
    // Where the focus and the user's input go: a one-row list's inner list.
    QWidget* face() const { return face_; }
    const ControlDesign& design() const { return design_; }

protected:
    void show(const ControlChange& change) override;
    QObject* signalSource() const override;

private:
    const ControlDesign& design_;
    QWidget* widget_;
    QWidget* face_;
};

}  // namespace velmora
