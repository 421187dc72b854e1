// The program tests run the trainer on a real X server, as on a desktop:
// a private Xvfb started once for the whole test program.
#include "cli/x_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>
#include <filesystem>
#include <memory>

extern char** environ;

namespace velmora::testing {

XServer::XServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string displayFd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb",      "-displayfd", displayFd.c_str(),
                          "-screen",   "0",          "1280x1024x24",
                          "-nolisten", "tcp",        nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        pid_ = -1;
        close(fds[0]);
        return;
    }
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd pfd{fds[0], POLLIN, 0};
    char c;
    while (poll(&pfd, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
}

XServer::~XServer() {
    stop(SIGTERM);
}

void XServer::stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

XClient::XClient(const std::string& display) {
    connection_ = xcb_connect(display.c_str(), nullptr);
}

XClient::~XClient() {
    xcb_disconnect(connection_);
}

bool XClient::connected() const {
    return xcb_connection_has_error(connection_) == 0;
}

std::uint32_t XClient::windowOf(pid_t pid) {
    if (!connected()) return 0;
    const char name[] = "_NET_WM_PID";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 1, sizeof name - 1, name),
                              nullptr),
        &free);
    if (!atom || atom->atom == XCB_NONE) return 0;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen->root), nullptr),
        &free);
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> owner(
            xcb_get_property_reply(
                connection_,
                xcb_get_property(connection_, 0, children[i], atom->atom, XCB_ATOM_CARDINAL, 0, 1),
                nullptr),
            &free);
        if (!owner || xcb_get_property_value_length(owner.get()) != 4) continue;
        if (*static_cast<const std::uint32_t*>(xcb_get_property_value(owner.get())) !=
            static_cast<std::uint32_t>(pid)) {
            continue;
        }
        const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
            xcb_get_window_attributes_reply(
                connection_, xcb_get_window_attributes(connection_, children[i]), nullptr),
            &free);
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

void XClient::destroy(std::uint32_t window) {
    xcb_destroy_window(connection_, window);
    xcb_flush(connection_);
}

}  // namespace velmora::testing

namespace {

class XServerForTheTests final : public ::testing::Environment {
public:
    void SetUp() override {
        runtimeDir_ =
            std::filesystem::temp_directory_path() / ("velmora-cli-" + std::to_string(getpid()));
        std::filesystem::create_directories(runtimeDir_);
        std::filesystem::permissions(runtimeDir_, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
        unsetenv("QT_QPA_PLATFORM");

        server_ = std::make_unique<velmora::testing::XServer>();
        ASSERT_FALSE(server_->display().empty())
            << "Xvfb is needed for these tests (Debian package xvfb)";
        setenv("DISPLAY", server_->display().c_str(), 1);
    }

    void TearDown() override {
        server_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(runtimeDir_, ignored);
    }

private:
    std::unique_ptr<velmora::testing::XServer> server_;
    std::filesystem::path runtimeDir_;
};

const auto* const kXServer = ::testing::AddGlobalTestEnvironment(new XServerForTheTests);

}  // namespace
