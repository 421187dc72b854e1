// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <string>

namespace velmora {

// Qt tells of a window system it cannot use (a display that cannot be
// reached, an unknown -platform) in several lines, then aborts with a core
// dump. While this object lives, that becomes one line on stderr,
// "<program>: cannot open the window: <why>", and the process ends with
// status 1. Qt's other messages meanwhile are passed on when it goes.
// Create it just before the QApplication, destroy it just after.
class WindowSystemCheck {
public:
    explicit WindowSystemCheck(std::string program);
    ~WindowSystemCheck();
    WindowSystemCheck(const WindowSystemCheck&) = delete;
    WindowSystemCheck& operator=(const WindowSystemCheck&) = delete;
};

// The one line for Qt's messages: `first` is its first complaint about the
// window system (may be empty), `fatal` the message it ends with.
std::string WindowSystemProblem(const std::string& first, const std::string& fatal);

}  // namespace velmora
