// The program tests run the trainer on a real X server, as on a desktop:
// a private Xvfb started once for the whole test program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

extern char** environ;

namespace {

class XServer final : public ::testing::Environment {
public:
    void SetUp() override {
        runtimeDir_ =
            std::filesystem::temp_directory_path() / ("velmora-cli-" + std::to_string(getpid()));
        std::filesystem::create_directories(runtimeDir_);
        std::filesystem::permissions(runtimeDir_, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
        unsetenv("QT_QPA_PLATFORM");

        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
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
        ASSERT_EQ(spawned, 0) << "Xvfb is needed for these tests (Debian package xvfb)";

        // Xvfb writes its display number once it accepts connections.
        std::string number;
        pollfd pfd{fds[0], POLLIN, 0};
        char c;
        while (poll(&pfd, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(runtimeDir_, ignored);
    }

private:
    pid_t pid_ = -1;
    std::filesystem::path runtimeDir_;
};

const auto* const kXServer = ::testing::AddGlobalTestEnvironment(new XServer);

}  // namespace
