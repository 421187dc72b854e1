// Plays through a real PulseAudio server of the test's own, recording what
// comes out of a virtual sound card: the whole path from send() to a speaker.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "midi/messages.h"
#include "midi/synth/fluidsynth_out.h"
#include "support/sound_test_support.h"

extern char** environ;

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using soundtest::StderrCapture;
using soundtest::TempDir;

constexpr double kRate = 48000.0;

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

// Polls (with sleeps) until `done` or the time is up.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A child process with its output in a file; stopped and reaped when destroyed.
class Child {
public:
    Child(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment,
          const fs::path& output) {
        std::vector<std::string> environment = extraEnvironment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            if (variable.rfind("HOME=", 0) != 0 && variable.rfind("XDG_RUNTIME_DIR=", 0) != 0 &&
                variable.rfind("PULSE_", 0) != 0) {
                environment.push_back(variable);
            }
        }
        std::vector<char*> argv, envp;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        for (const auto& word : environment) envp.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        if (!WaitFor([this] { return ::waitpid(pid_, nullptr, WNOHANG) != 0; }, 5s)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<float> ReadS16(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<float> samples;
    std::int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        samples.push_back(sample / 32768.0f);
    return samples;
}

// The middle 100 ms of the loudest part of a recording.
std::vector<float> LoudestWindow(const std::vector<float>& samples) {
    const std::size_t window = kRate / 10;
    std::size_t best = 0;
    double bestRms = -1;
    for (std::size_t at = 0; at + window <= samples.size(); at += window / 4) {
        if (const double rms = soundtest::Rms(samples, at, at + window); rms > bestRms) {
            bestRms = rms;
            best = at;
        }
    }
    if (bestRms < 0) return {};
    return {samples.begin() + best, samples.begin() + best + window};
}

class PulseEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string pulseaudio = FindProgram("pulseaudio");
        parec_ = FindProgram("parec");
        ASSERT_FALSE(pulseaudio.empty() || parec_.empty())
            << "pulseaudio and parec are needed: apt-get install pulseaudio pulseaudio-utils";
        fs::create_directories(dir_.path() / "runtime");
        fs::permissions(dir_.path() / "runtime", fs::perms::owner_all);
        socket_ = dir_.path() / "native";
        environment_ = {"HOME=" + dir_.path().string(),
                        "XDG_RUNTIME_DIR=" + (dir_.path() / "runtime").string()};
        server_ = std::make_unique<Child>(
            std::vector<std::string>{
                pulseaudio, "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                "--disable-shm", "-L", "module-null-sink sink_name=velmora_test rate=48000", "-L",
                "module-native-protocol-unix socket=" + socket_.string() + " auth-anonymous=1"},
            environment_, dir_.path() / "pulseaudio.log");
        ASSERT_TRUE(WaitFor([this] { return fs::exists(socket_); }, 10s))
            << "PulseAudio did not start: " << ReadText(dir_.path() / "pulseaudio.log");
    }

    // Records the virtual sound card while `play` runs.
    std::vector<float> record(const std::function<void()>& play) {
        const fs::path recording = dir_.path() / "recording.raw";
        Child parec(
            {parec_, "--server=unix:" + socket_.string(), "-d", "velmora_test.monitor", "--raw",
             "--format=s16le", "--rate=48000", "--channels=1", "--latency-msec=20"},
            environment_, recording);
        // The null sink's monitor streams silence as soon as parec is connected.
        EXPECT_TRUE(
            WaitFor([&] { return fs::exists(recording) && fs::file_size(recording) > 0; }, 5s))
            << "parec did not record: " << ReadText(recording);
        play();
        std::this_thread::sleep_for(200ms);  // let the tail reach the recording
        parec.stop();
        return ReadS16(recording);
    }

    SynthConfig config(bool loadSoundFont) const {
        SynthConfig config;
        config.audioDriver = "pulseaudio";
        config.settings = {{"audio.pulseaudio.server", "unix:" + socket_.string()}};
        config.loadSoundFont = loadSoundFont;
        return config;
    }

    TempDir dir_;
    fs::path socket_;
    std::string parec_;
    std::vector<std::string> environment_;
    std::unique_ptr<Child> server_;
};

TEST_F(PulseEndToEndTest, ANoteIsHeardAtItsPitch) {
    FluidSynthOut out(config(true));
    const std::vector<float> heard = record([&] {
        StderrCapture stderrCapture;
        ASSERT_TRUE(out.open()) << out.description();
        EXPECT_EQ(stderrCapture.text(), "");
        EXPECT_EQ(out.description(), "Built-in synthesizer · TimGM6mb (pulseaudio)");
        out.send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
        std::this_thread::sleep_for(1500ms);
        out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
        out.close();
    });
    ASSERT_GT(heard.size(), kRate) << "less than a second was recorded";
    const std::vector<float> loudest = LoudestWindow(heard);
    EXPECT_GT(soundtest::Rms(loudest, 0, loudest.size()), 1e-3);
    EXPECT_NEAR(soundtest::EstimatePitch(loudest, kRate), 440.0, 4.4);
}

// While nothing sounds the audio thread sleeps and the stream runs dry: the
// next note must wake it at once and sound for as long as it is held.
TEST_F(PulseEndToEndTest, ANoteAfterALongSilenceSoundsAsLongAsItIsHeld) {
    FluidSynthOut out(config(true));
    ASSERT_TRUE(out.open()) << out.description();
    out.send(ComposeShortMessage(kProgramChangeStatus, 0, 73, 0));  // a flute: no decay
    std::this_thread::sleep_for(1500ms);
    const std::vector<float> heard = record([&] {
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
        std::this_thread::sleep_for(400ms);
        out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
        std::this_thread::sleep_for(500ms);
    });
    out.close();
    EXPECT_NEAR(soundtest::SoundingSeconds(heard, kRate), 0.4, 0.06);
    EXPECT_NEAR(soundtest::EstimatePitch(LoudestWindow(heard), kRate), 440.0, 4.4);
}

TEST_F(PulseEndToEndTest, WithoutASoundFontOnlyTheBeepSounds) {
    FluidSynthOut out(config(false));
    const std::vector<float> heard = record([&] {
        ASSERT_TRUE(out.open()) << out.description();
        EXPECT_EQ(out.description(), "Beep output (pulseaudio)");
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 110));  // nothing to play it with
        out.Beep(440, 200);
        std::this_thread::sleep_for(500ms);
        out.close();
    });
    EXPECT_NEAR(soundtest::SoundingSeconds(heard, kRate), 0.2, 0.03);
    EXPECT_NEAR(soundtest::EstimatePitch(LoudestWindow(heard), kRate), 440.0, 4.4);
}

}  // namespace
}  // namespace velmora
