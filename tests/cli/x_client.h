// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

struct xcb_connection_t;

namespace velmora::testing {

// Another client of an X server, doing to the program's window what the
// user's desktop or a hostile tool can.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // The mapped top-level window of process `pid`; 0 while there is none (or
    // no server).
    std::uint32_t windowOf(pid_t pid);
    // A left click at (x, y) inside `window`.
    void click(std::uint32_t window, int x, int y);
    // The window's width in pixels, or 0.
    int width(std::uint32_t window);
    void destroy(std::uint32_t window);

private:
    xcb_connection_t* connection_ = nullptr;
};

}  // namespace velmora::testing
