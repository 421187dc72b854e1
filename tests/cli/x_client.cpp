// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "cli/x_client.h"

#include <stdlib.h>
#include <xcb/xcb.h>

#include <cstring>
#include <memory>

namespace velmora::testing {

namespace {

// A reply of the server's, freed when it goes.
template <typename Reply>
std::unique_ptr<Reply, decltype(&free)> Owned(Reply* reply) {
    return {reply, &free};
}

}  // namespace

XClient::XClient(const std::string& display) {
    connection_ = xcb_connect(display.c_str(), nullptr);
}

XClient::~XClient() {
    xcb_disconnect(connection_);
}

std::uint32_t XClient::windowOf(pid_t pid) {
    const char name[] = "_NET_WM_PID";
    const auto atom = Owned(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 1, sizeof name - 1, name), nullptr));
    if (!atom || atom->atom == XCB_NONE) return 0;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const auto tree = Owned(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen->root), nullptr));
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const auto owner = Owned(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, children[i], atom->atom, XCB_ATOM_CARDINAL, 0, 1),
            nullptr));
        if (!owner || xcb_get_property_value_length(owner.get()) != 4) continue;
        if (*static_cast<const std::uint32_t*>(xcb_get_property_value(owner.get())) !=
            static_cast<std::uint32_t>(pid)) {
            continue;
        }
        const auto attributes = Owned(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) return children[i];
    }
    return 0;
}

void XClient::click(std::uint32_t window, int x, int y) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    for (bool press : {true, false}) {
        xcb_button_press_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE;
        event.detail = 1;
        event.time = XCB_CURRENT_TIME;
        event.root = screen->root;
        event.event = window;
        event.event_x = static_cast<std::int16_t>(x);
        event.event_y = static_cast<std::int16_t>(y);
        event.root_x = event.event_x;  // no window manager: the window is at 0, 0
        event.root_y = event.event_y;
        event.state = press ? 0 : XCB_BUTTON_MASK_1;
        event.same_screen = 1;
        xcb_send_event(connection_, 0, window,
                       press ? XCB_EVENT_MASK_BUTTON_PRESS : XCB_EVENT_MASK_BUTTON_RELEASE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection_);
}

int XClient::width(std::uint32_t window) {
    const auto geometry =
        Owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    return geometry ? geometry->width : 0;
}

void XClient::destroy(std::uint32_t window) {
    xcb_destroy_window(connection_, window);
    xcb_flush(connection_);
}

}  // namespace velmora::testing
