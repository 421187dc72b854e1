// Plays through a real PulseAudio server of the test's own, recording what
// comes out of a virtual sound card: the whole path from send() to a speaker,
// and what happens when that server goes away or stops answering.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "app/command_line.h"
#include "midi/devices/sound_output.h"
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
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

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

    bool running() const {
        if (pid_ <= 0 || exited_) return false;
        exited_ = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
        return !exited_;
    }

    void signal(int number) const {
        if (running()) ::kill(pid_, number);
    }

    void stop() {
        if (pid_ <= 0) return;
        if (!running()) {
            pid_ = -1;
            return;
        }
        ::kill(pid_, SIGCONT);  // a stopped process would not act on SIGTERM
        ::kill(pid_, SIGTERM);
        if (!WaitFor([this] { return ::waitpid(pid_, nullptr, WNOHANG) != 0; }, 5s)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    mutable bool exited_ = false;  // reaped already
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

// Where each sound of a recording starts: the first sample above `fraction`
// of the peak, then the next one more than `gap` seconds after the last loud
// sample before it.
std::vector<std::size_t> Onsets(const std::vector<float>& samples, double gap,
                                float fraction = 0.25f) {
    float peak = 0.0f;
    for (float sample : samples) peak = std::max(peak, std::fabs(sample));
    std::vector<std::size_t> onsets;
    std::size_t lastLoud = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (peak == 0.0f || std::fabs(samples[i]) < fraction * peak) continue;
        if (onsets.empty() || double(i - lastLoud) > gap * kRate) onsets.push_back(i);
        lastLoud = i;
    }
    return onsets;
}

// Sets an environment variable while it exists, for the sound libraries.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Something accepts connections on the Unix socket.
bool Listening(const fs::path& socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

class PulseEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        pulseaudio_ = FindProgram("pulseaudio");
        parec_ = FindProgram("parec");
        pactl_ = FindProgram("pactl");
        ASSERT_FALSE(pulseaudio_.empty() || parec_.empty() || pactl_.empty())
            << "pulseaudio, parec and pactl are needed: apt-get install pulseaudio "
               "pulseaudio-utils";
        fs::create_directories(dir_.path() / "runtime");
        fs::permissions(dir_.path() / "runtime", fs::perms::owner_all);
        socket_ = dir_.path() / "native";
        environment_ = {"HOME=" + dir_.path().string(),
                        "XDG_RUNTIME_DIR=" + (dir_.path() / "runtime").string()};
        startServer();
    }

    void startServer() {
        server_.reset();
        server_ = std::make_unique<Child>(
            std::vector<std::string>{
                pulseaudio_, "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                "--disable-shm", "--log-level=info", "-L",
                "module-null-sink sink_name=velmora_test rate=48000", "-L",
                "module-native-protocol-unix socket=" + socket_.string() + " auth-anonymous=1"},
            environment_, dir_.path() / "pulseaudio.log");
        ASSERT_TRUE(WaitFor([this] { return Listening(socket_); }, 10s))
            << "PulseAudio did not start: " << ReadText(dir_.path() / "pulseaudio.log");
    }

    // As a crash would: no goodbye to the clients, the socket file left behind.
    void killServer() {
        server_->signal(SIGKILL);
        server_->stop();
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
        if (fs::exists(soundtest::kTestSoundFont)) config.soundFont = soundtest::kTestSoundFont;
        return config;
    }

    // The server's own account of the streams playing into it.
    std::string sinkInputs() {
        const fs::path listing = dir_.path() / "sink-inputs.txt";
        Child pactl({pactl_, "--server=unix:" + socket_.string(), "list", "sink-inputs"},
                    environment_, listing);
        EXPECT_TRUE(WaitFor([&] { return !pactl.running(); }, 5s)) << "pactl did not finish";
        return ReadText(listing);
    }

    bool corked() { return sinkInputs().find("Corked: yes") != std::string::npos; }

    std::string serverLog() const { return ReadText(dir_.path() / "pulseaudio.log"); }

    TempDir dir_;
    fs::path socket_;
    std::string pulseaudio_;
    std::string parec_;
    std::string pactl_;
    std::vector<std::string> environment_;
    std::unique_ptr<Child> server_;
};

TEST_F(PulseEndToEndTest, ANoteIsHeardAtItsPitch) {
    VELMORA_NEEDS_TEST_SOUNDFONT();
    FluidSynthOut out(config(true));
    const std::vector<float> heard = record([&] {
        StderrCapture stderrCapture;
        ASSERT_TRUE(out.open()) << out.description();
        EXPECT_EQ(stderrCapture.text(), "");
        EXPECT_EQ(out.description(), "Built-in synthesizer · TimGM6mb (pulseaudio)");
        out.send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
        // Our own client of the server, not FluidSynth's driver.
        const std::string streams = sinkInputs();
        EXPECT_THAT(streams, HasSubstr("application.name = \"Velmora\""));
        EXPECT_THAT(streams, HasSubstr("media.name = \"Built-in synthesizer\""));
        std::this_thread::sleep_for(1500ms);
        out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
        out.close();
    });
    ASSERT_GT(heard.size(), kRate) << "less than a second was recorded";
    const std::vector<float> loudest = LoudestWindow(heard);
    EXPECT_GT(soundtest::Rms(loudest, 0, loudest.size()), 1e-3);
    EXPECT_NEAR(soundtest::EstimatePitch(loudest, kRate), 440.0, 4.4);
}

// While nothing sounds the stream is corked, so that an idle trainer costs
// nothing: the next note must resume it at once and sound for as long as it
// is held.
TEST_F(PulseEndToEndTest, ANoteAfterALongSilenceSoundsAsLongAsItIsHeld) {
    FluidSynthOut out(config(true));
    ASSERT_TRUE(out.open()) << out.description();
    out.send(ComposeShortMessage(kProgramChangeStatus, 0, 73, 0));  // a flute: no decay
    EXPECT_TRUE(WaitFor([&] { return corked(); }, 5s))
        << "an idle output keeps its stream running:\n"
        << sinkInputs();
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

// After an idle spell the stream starts with the new sound, not behind a
// buffer of silence: a beep comes no later than one sent while playing.
TEST_F(PulseEndToEndTest, ABeepAfterIdlingIsNoLaterThanOneWhilePlaying) {
    FluidSynthOut out(config(true));
    ASSERT_TRUE(out.open()) << out.description();
    constexpr int kRounds = 3;
    std::vector<double> sentApartMs;
    const std::vector<float> heard = record([&] {
        for (int round = 0; round < kRounds; ++round) {
            // Far below the beeps, but it keeps the stream running.
            out.send(ComposeShortMessage(kNoteOnStatus, 1, 48, 1));
            std::this_thread::sleep_for(100ms);
            const auto whilePlaying = std::chrono::steady_clock::now();
            out.Beep(440, 100);
            std::this_thread::sleep_for(200ms);
            out.send(ComposeShortMessage(kNoteOffStatus, 1, 48, 0));
            EXPECT_TRUE(WaitFor([&] { return corked(); }, 5s));
            sentApartMs.push_back(MillisecondsSince(whilePlaying));
            out.Beep(440, 100);
            std::this_thread::sleep_for(200ms);
        }
    });
    out.close();
    const std::vector<std::size_t> onsets = Onsets(heard, 0.05);
    ASSERT_EQ(onsets.size(), 2u * kRounds);
    // Later minus sooner than sent, the median of the rounds: a round can
    // catch the running stream just before or just after one of its requests.
    std::vector<double> lateMs;
    for (int round = 0; round < kRounds; ++round) {
        const double heardApartMs =
            1000.0 * double(onsets[2 * round + 1] - onsets[2 * round]) / kRate;
        lateMs.push_back(heardApartMs - sentApartMs[round]);
    }
    std::sort(lateMs.begin(), lateMs.end());
    EXPECT_LT(lateMs[kRounds / 2], 0.0)
        << "ms later than sent: " << lateMs[0] << ", " << lateMs[1] << ", " << lateMs[2];
}

TEST_F(PulseEndToEndTest, TheServerIsAskedForTheBufferTheLatencyFigureNames) {
    for (const char* periodSize : {"", "1024"}) {
        SCOPED_TRACE(periodSize);
        SynthConfig config = this->config(false);
        if (*periodSize != '\0') config.settings.emplace_back("audio.period-size", periodSize);
        const double latencyMs = ConfiguredLatencyMs(config, "pulseaudio");
        EXPECT_NEAR(latencyMs, *periodSize != '\0' ? 21.33 : 5.33, 0.01);
        FluidSynthOut out(config);
        ASSERT_TRUE(out.open()) << out.description();
        char expected[64];
        std::snprintf(expected, sizeof expected, "Requested tlength=%.2f ms, minreq=%.2f ms",
                      latencyMs, latencyMs / 2);
        EXPECT_TRUE(WaitFor([&] { return serverLog().find(expected) != std::string::npos; }, 2s))
            << expected << " is not in the server's log:\n"
            << serverLog();
    }
}

// The server goes away in the middle of a note and comes back: the loss is
// told at once, the note does not sound on when the server is back, and
// what is played then is heard, without opening the output again.
TEST_F(PulseEndToEndTest, AServerThatComesBackIsPlayedThroughAgain) {
    FluidSynthOut out(config(true));
    std::atomic<int> changes{0};
    out.onChange([&] { ++changes; });
    ASSERT_TRUE(out.open()) << out.description();
    out.send(ComposeShortMessage(kProgramChangeStatus, 0, 73, 0));  // a flute: no decay
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
    std::this_thread::sleep_for(300ms);

    killServer();
    const auto killed = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitFor([&] { return changes == 1; }, 2s)) << "the loss was not told";
    EXPECT_LT(MillisecondsSince(killed), 2000.0);
    EXPECT_FALSE(out.isWorking());
    EXPECT_EQ(out.description(), "No sound: the connection to the sound server was lost");
    // Sent while there is no sound: dropped, not kept for later.
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 76, 110));
    std::this_thread::sleep_for(500ms);

    startServer();
    const auto restarted = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitFor([&] { return out.isWorking(); }, 5s)) << out.description();
    EXPECT_LT(MillisecondsSince(restarted), 5000.0);
    EXPECT_EQ(changes, 2);
    EXPECT_THAT(out.description(), ::testing::EndsWith("(pulseaudio)"));

    const std::vector<float> heard = record([&] {
        std::this_thread::sleep_for(400ms);
        out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
        std::this_thread::sleep_for(400ms);
        out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    });
    out.close();
    ASSERT_GT(heard.size(), kRate / 2);
    // The recording's first 0.3 s come before the new note: nothing of the
    // notes that sounded or were sent while the server was away.
    EXPECT_LT(soundtest::Rms(heard, 0, kRate * 3 / 10), 1e-4);
    const std::vector<float> loudest = LoudestWindow(heard);
    EXPECT_GT(soundtest::Rms(loudest, 0, loudest.size()), 1e-3);
    EXPECT_NEAR(soundtest::EstimatePitch(loudest, kRate), 440.0, 10.0);
}

TEST_F(PulseEndToEndTest, AServerThatStartsLaterIsUsed) {
    killServer();
    fs::remove(socket_);
    FluidSynthOut out(config(false));
    std::atomic<int> changes{0};
    out.onChange([&] { ++changes; });
    EXPECT_FALSE(out.open());
    EXPECT_THAT(out.description(), HasSubstr("No sound: "));
    std::this_thread::sleep_for(1500ms);  // a few tries in vain
    EXPECT_EQ(changes, 0);

    startServer();
    EXPECT_TRUE(WaitFor([&] { return out.isWorking(); }, 5s)) << out.description();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(out.description(), "Beep output (pulseaudio)");
    const std::vector<float> heard = record([&] {
        out.Beep(440, 200);
        std::this_thread::sleep_for(400ms);
    });
    out.close();
    EXPECT_NEAR(soundtest::SoundingSeconds(heard, kRate), 0.2, 0.03);
}

// Without a driver chosen every output is tried. ALSA's default device goes
// to the sound server too, through PulseAudio's ALSA plugin where that is
// installed, and would wait half a minute for a server that never answers.
TEST_F(PulseEndToEndTest, AServerThatNeverAnswersIsGivenUpOnQuickly) {
    const ScopedEnvironment session("PULSE_SERVER", "unix:" + socket_.string());
    SynthConfig config = this->config(true);
    config.audioDriver.reset();
    server_->signal(SIGSTOP);
    FluidSynthOut out(config);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(out.open());
    EXPECT_LT(MillisecondsSince(start), 4000.0);
    EXPECT_THAT(out.description(), HasSubstr("the sound server does not answer"));

    // It tries again once a second, each time waiting up to 2 s for the
    // server: a close meanwhile does not wait for that.
    std::this_thread::sleep_for(1500ms);
    const auto closing = std::chrono::steady_clock::now();
    out.close();
    EXPECT_LT(MillisecondsSince(closing), 500.0);
    server_->signal(SIGCONT);
}

// A setting for the sound server that cannot be had: the sound goes elsewhere
// (here through ALSA's plugin to the same server's default), and the user is
// told why their setting did nothing.
TEST_F(PulseEndToEndTest, ASettingThatCannotBeUsedIsToldWhenAnotherOutputPlays) {
    const ScopedEnvironment session("PULSE_SERVER", "unix:" + socket_.string());
    SynthConfig config = this->config(false);
    config.audioDriver.reset();
    config.settings.emplace_back("audio.pulseaudio.device", "nonexistent");
    FluidSynthOut out(config);
    StderrCapture stderrCapture;
    if (!out.open()) GTEST_SKIP() << "no other output here: " << out.description();
    EXPECT_THAT(out.description(), Not(HasSubstr("(pulseaudio)")));
    EXPECT_THAT(out.notice(), StartsWith("Playing through "));
    EXPECT_THAT(out.notice(), HasSubstr("audio.pulseaudio.device=nonexistent could not be used"));
    EXPECT_THAT(out.notice(), Not(HasSubstr("\n")));
    out.close();
    EXPECT_EQ(out.notice(), "");
    EXPECT_EQ(stderrCapture.text(), "");

    // Where the setting works, there is nothing to say.
    FluidSynthOut fine(this->config(false));
    ASSERT_TRUE(fine.open()) << fine.description();
    EXPECT_EQ(fine.notice(), "");
}

// What the window's status line and the terminal are told as the server
// goes and comes: each loss once, as it happens; the output in use once back.
TEST_F(PulseEndToEndTest, TheStatusFollowsTheServerAndEachLossIsToldOnce) {
    SoundOptions options;
    options.audioDriver = "pulseaudio";
    options.synthSettings = {{"audio.pulseaudio.server", "unix:" + socket_.string()}};
    std::mutex mutex;
    std::vector<std::function<void()>> posted;
    SoundOutput sound(options, [&](std::function<void()> done) {
        const std::lock_guard lock(mutex);
        posted.push_back(std::move(done));
    });
    int changes = 0;
    sound.onChange([&] { ++changes; });
    // The window's event loop: runs what was posted, once something was.
    auto runPosted = [&](std::chrono::milliseconds limit) {
        std::vector<std::function<void()>> due;
        WaitFor(
            [&] {
                const std::lock_guard lock(mutex);
                due.swap(posted);
                return !due.empty();
            },
            limit);
        for (auto& done : due) done();
    };
    const std::string lost = "No sound: the connection to the sound server was lost";

    sound.device().open();
    SoundReport report = sound.report();
    EXPECT_EQ(report.status, "Starting the built-in synthesizer");
    EXPECT_TRUE(report.newProblems.empty());
    runPosted(10s);
    EXPECT_EQ(changes, 1);
    report = sound.report();
    EXPECT_THAT(report.status, ::testing::EndsWith("(pulseaudio)"));
    EXPECT_TRUE(report.newProblems.empty());

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        killServer();
        runPosted(2s);
        EXPECT_EQ(changes, 2 + 2 * round);
        report = sound.report();
        EXPECT_EQ(report.status, lost);
        EXPECT_EQ(report.newProblems, std::vector<std::string>{lost});
        EXPECT_TRUE(sound.report().newProblems.empty()) << "told twice";

        startServer();
        runPosted(5s);
        EXPECT_EQ(changes, 3 + 2 * round);
        report = sound.report();
        EXPECT_THAT(report.status, ::testing::EndsWith("(pulseaudio)"));
        EXPECT_TRUE(report.newProblems.empty());
    }

    // Once closed, the output's news are nobody's concern.
    sound.device().close();
    killServer();
    std::this_thread::sleep_for(300ms);
    runPosted(0ms);
    EXPECT_EQ(changes, 5);
}

// The user may quit at any moment after the sound server went away: no
// call may crash or wait for it.
TEST_F(PulseEndToEndTest, AServerThatDiesWhilePlayingLeavesAQuietOutput) {
    FluidSynthOut out(config(true));
    StderrCapture stderrCapture;
    ASSERT_TRUE(out.open()) << out.description();
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 69, 110));
    std::this_thread::sleep_for(200ms);
    server_->signal(SIGKILL);
    EXPECT_TRUE(WaitFor([&] { return !out.isWorking(); }, 2s));
    EXPECT_EQ(out.description(), "No sound: the connection to the sound server was lost");
    const auto start = std::chrono::steady_clock::now();
    out.send(ComposeShortMessage(kNoteOffStatus, 0, 69, 0));
    out.send(ComposeShortMessage(kNoteOnStatus, 0, 72, 110));
    out.Beep(440, 200);
    out.close();
    EXPECT_LT(MillisecondsSince(start), 500.0);
    EXPECT_EQ(stderrCapture.text(), "");
}

TEST_F(PulseEndToEndTest, AServerThatStopsAnsweringHoldsNothingUp) {
    {
        // Corked first: resuming is the one call that takes the mainloop's lock.
        FluidSynthOut out(config(true));
        ASSERT_TRUE(out.open()) << out.description();
        ASSERT_TRUE(WaitFor([&] { return corked(); }, 5s));
        server_->signal(SIGSTOP);
        const auto start = std::chrono::steady_clock::now();
        for (int note = 60; note < 72; ++note) {
            out.send(ComposeShortMessage(kNoteOnStatus, 0, note, 110));
            out.send(ComposeShortMessage(kNoteOffStatus, 0, note, 0));
        }
        out.close();
        EXPECT_LT(MillisecondsSince(start), 500.0);
    }
    // Opening gives up after a while; FluidSynth's own driver for the
    // server, which would wait for ever, is not tried.
    FluidSynthOut out(config(true));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(out.open());
    EXPECT_LT(MillisecondsSince(start), 5000.0);
    EXPECT_EQ(out.description(),
              "No sound: audio driver 'pulseaudio' could not be started: no connection to the "
              "sound server: the sound server does not answer");
    server_->signal(SIGCONT);
}

}  // namespace
}  // namespace velmora
