// Whatever the sound server does, the program neither hangs nor stays silent
// for good, and says what is wrong once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "cli/program_support.h"

extern char** environ;

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A PulseAudio server of the test's own, where the program looks for the
// session's: in $XDG_RUNTIME_DIR/pulse.
class SoundServer {
public:
    explicit SoundServer(const fs::path& runtime) : runtime_(runtime) {
        fs::create_directories(runtime_ / "pulse");
        fs::permissions(runtime_, fs::perms::owner_all);
    }
    ~SoundServer() { stop(SIGTERM); }

    bool start() {
        const std::string socket = "socket=" + (runtime_ / "pulse" / "native").string();
        const std::vector<std::string> command = {
            "pulseaudio",
            "-n",
            "--daemonize=no",
            "--exit-idle-time=-1",
            "--disallow-exit",
            "--disable-shm",
            "-L",
            "module-null-sink sink_name=velmora_test",
            "-L",
            "module-native-protocol-unix " + socket + " auth-anonymous=1"};
        const std::string log = (runtime_ / "pulseaudio.log").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const int spawned = Spawn(command, &actions, &pid_);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return false;
        return WaitFor([this] { return listed("modules").find("protocol") != std::string::npos; },
                       10s);
    }

    void signal(int number) const { ::kill(pid_, number); }

    void stop(int number) {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGCONT);
        ::kill(pid_, number);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // pactl's short listing of `what`: "sink-inputs", "clients" ...
    std::string listed(const std::string& what) const {
        const fs::path out = runtime_ / "pactl.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pactl = -1;
        const int spawned = Spawn({"pactl", "list", "short", what}, &actions, &pactl);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return {};
        ::waitpid(pactl, nullptr, 0);
        return ReadText(out);
    }

private:
    int Spawn(const std::vector<std::string>& command, posix_spawn_file_actions_t* actions,
              pid_t* pid) const {
        std::vector<std::string> environment = {"HOME=" + runtime_.string(),
                                                "XDG_RUNTIME_DIR=" + runtime_.string()};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            if (variable.rfind("HOME=", 0) != 0 && variable.rfind("XDG_RUNTIME_DIR=", 0) != 0) {
                environment.push_back(variable);
            }
        }
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        for (const auto& word : environment) envp.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        return posix_spawnp(pid, argv[0], actions, nullptr, argv.data(), envp.data());
    }

    fs::path runtime_;
    pid_t pid_ = -1;
};

// Killed and started again in the middle of a run: told once on the
// terminal, and played through again once back, without a restart.
TEST(SoundServerProgram, ALostServerIsToldAndUsedAgainOnceBack) {
    TempDir dir;
    SoundServer server(dir.path());
    ASSERT_TRUE(server.start()) << ReadText(dir.path() / "pulseaudio.log");
    const fs::path log = dir.path() / "midi.txt";
    ProgramRunner program({"--midi-log", log.string()}, {"XDG_RUNTIME_DIR=" + dir.path().string()});
    XClient x(std::getenv("DISPLAY"));
    const std::uint32_t window = WaitForWindow(x, program);
    ASSERT_NE(window, 0u) << program.err();
    ASSERT_TRUE(WaitFor([&] { return !server.listed("sink-inputs").empty(); }, 10s))
        << "the program does not play through the server: " << program.err();
    ASSERT_TRUE(ClickPlay(x, window, log)) << ReadText(log);

    server.stop(SIGKILL);
    const auto killed = Clock::now();
    EXPECT_TRUE(program.waitForStderr("\n", 5s));
    EXPECT_LT(SecondsSince(killed), 2.0);
    EXPECT_EQ(program.err(), "velmora: No sound: the connection to the sound server was lost\n");

    ASSERT_TRUE(server.start());
    const auto restarted = Clock::now();
    EXPECT_TRUE(WaitFor([&] { return !server.listed("sink-inputs").empty(); }, 10s));
    EXPECT_LT(SecondsSince(restarted), 5.0);
    program.collectFor(500ms);
    EXPECT_TRUE(program.running());
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
    EXPECT_EQ(LineCount(program.err()), 1) << program.err();
    EXPECT_TRUE(NotesLeftSounding(ReadText(log)).empty()) << ReadText(log);
}

// A server that takes connections and never answers: quitting does not wait
// for it, and the program says there is no sound within seconds.
TEST(SoundServerProgram, AServerThatNeverAnswersHoldsNothingUp) {
    TempDir dir;
    SoundServer server(dir.path());
    ASSERT_TRUE(server.start()) << ReadText(dir.path() / "pulseaudio.log");
    server.signal(SIGSTOP);
    const std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" + dir.path().string()};
    {
        ProgramRunner program({}, environment);
        XClient x(std::getenv("DISPLAY"));
        ASSERT_NE(WaitForWindow(x, program), 0u) << program.err();
        const auto quitting = Clock::now();
        EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
        EXPECT_LT(SecondsSince(quitting), 1.0);
        EXPECT_EQ(program.err(), "") << "only problems are told, and none was found yet";
    }
    ProgramRunner program({}, environment);
    const auto start = Clock::now();
    ASSERT_TRUE(program.waitForStderr("\n", 20s)) << program.err();
    EXPECT_LT(SecondsSince(start), 6.0);
    EXPECT_NE(program.err().find("the sound server does not answer"), std::string::npos)
        << program.err();
    const auto quitting = Clock::now();
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
    EXPECT_LT(SecondsSince(quitting), 1.0);
    EXPECT_EQ(LineCount(program.err()), 1) << program.err();
}

}  // namespace
}  // namespace velmora::testing
