// How long the notes really sound when the window's event loop is busy: 500
// questions of one 16th note at 240 beats per minute (62.5 ms), and shortly
// before each note's end the event loop is held up for 5 ms (as a slow repaint
// would). The note-off timer then fires late; the built-in synthesizer, which
// releases the notes on its own clock, should not care.

#include <pthread.h>
#include <sched.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/trainer.h"
#include "figures.h"
#include "midi/midi_out.h"
#include "midi/synth/synth_engine.h"
#include "sixteenth_questions.h"
#include "ui/qt_scheduler.h"

namespace {

using velmora::bench::Percentile;

using namespace std::chrono_literals;

constexpr int kQuestions = 500;
constexpr int kBlock = 64;
constexpr auto kJank = 5ms;

// The synthesizer with an audio thread of the bench's own, rendering one
// 64-frame block each 1.33 ms of real time four blocks ahead, as a sound card
// with four periods of 64 frames would ask.
class PacedSynth final : public velmora::MidiOut {
public:
    bool open() override {
        if (!engine_.start().empty() ||
            !engine_.loadSoundFont("/usr/share/sounds/sf2/default-GM.sf2").empty()) {
            return false;
        }
        running_ = true;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    void send(std::uint32_t message) override { engine_.send(message); }
    void setNoteLength(std::chrono::nanoseconds length) override { engine_.setNoteLength(length); }
    void close() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    std::string description() const override { return "paced synthesizer"; }
    bool isWorking() const override { return running_; }
    velmora::SynthEngine& engine() { return engine_; }

private:
    void run() {
        // Real-time priority where allowed, as FluidSynth's ALSA driver asks for.
        sched_param priority{};
        priority.sched_priority = 60;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
        std::vector<float> left(kBlock), right(kBlock);
        const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(kBlock / engine_.sampleRate()));
        auto next = std::chrono::steady_clock::now() - 4 * period;
        while (running_) {
            engine_.render(left.data(), right.data(), kBlock);
            next += period;
            std::this_thread::sleep_until(next);
        }
    }

    velmora::SynthEngine engine_;
    std::thread thread_;
    std::atomic<bool> running_{false};
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    velmora::QtScheduler scheduler;
    PacedSynth device;
    velmora::SilentBeeper beeper;
    velmora::Trainer trainer(device, scheduler, beeper);
    trainer.Form_Load();
    if (!device.isWorking()) {
        std::printf("sounded_length_bench: the synthesizer could not be started\n");
        return 1;
    }
    const velmora::Nanos noteLength = velmora::bench::PlaySixteenthsAt240(trainer);
    const double noteMs = trainer.playback().noteDurationMs();
    const double rate = device.engine().sampleRate();

    std::vector<double> lateMs;     // the note-off timer against the note's end
    std::vector<double> soundedMs;  // what the synthesizer sounded
    int untimed = 0;
    velmora::Nanos questionStart{0};
    std::int64_t lastRelease = 0;

    std::function<void()> playNext;
    playNext = [&] {
        questionStart = scheduler.now();
        // Busy just before the note's end, as a slow repaint would be.
        scheduler.startTimer(questionStart + noteLength - 2ms, [] {
            const auto until = std::chrono::steady_clock::now() + kJank;
            while (std::chrono::steady_clock::now() < until) {
            }
        });
        trainer.playback().PlayQuestion([&] {
            lateMs.push_back(
                static_cast<double>((scheduler.now() - (questionStart + noteLength)).count()) /
                1e6);
            const velmora::ReleaseTimer::Span span = device.engine().lastTimedRelease();
            if (span.release != lastRelease) {
                soundedMs.push_back(static_cast<double>(span.release - span.onset) * 1000.0 / rate);
                lastRelease = span.release;
            } else {
                ++untimed;  // the note-off came first
            }
            // A short gap, so that each question's onset is its own block.
            scheduler.startTimer(scheduler.now() + 3ms, [&] {
                if (static_cast<int>(lateMs.size()) < kQuestions) {
                    playNext();
                } else {
                    QCoreApplication::quit();
                }
            });
        });
    };
    scheduler.startTimer(scheduler.now() + 100ms, playNext);
    app.exec();
    trainer.Form_Unload();

    if (soundedMs.empty()) {
        std::printf("sounded_length_bench: no note was released by the synthesizer\n");
        return 1;
    }
    std::vector<double> errorMs;
    for (double ms : soundedMs) errorMs.push_back(std::abs(ms - noteMs));
    std::printf("%zu notes of %.3f ms, event loop held up %lld ms before each end\n", lateMs.size(),
                noteMs, static_cast<long long>(kJank.count()));
    std::printf("note-off timer late by: median %.3f ms, max %.3f ms\n", Percentile(lateMs, 0.5),
                *std::max_element(lateMs.begin(), lateMs.end()));
    std::printf(
        "sounded length: median %.3f ms, min %.3f ms, max %.3f ms; %d released by the "
        "note-off instead\n",
        Percentile(soundedMs, 0.5), *std::min_element(soundedMs.begin(), soundedMs.end()),
        *std::max_element(soundedMs.begin(), soundedMs.end()), untimed);

    const std::string how =
        "sounded_length_bench: 500 notes of 62.5 ms, event loop busy 5 ms before each end; "
        "release frame minus onset frame on the synthesizer's clock";
    auto figure = [&](const char* what, double value, const char* goal) {
        std::printf("figure\t%s\t%.3f ms\t%s\t%s\n", what, value, goal, how.c_str());
    };
    figure("Note-off timer lateness with a busy event loop, median", Percentile(lateMs, 0.5), "-");
    figure("Sounded note length error with a busy event loop, p99", Percentile(errorMs, 0.99),
           "<= 1 ms");
    figure("Sounded note length error with a busy event loop, max",
           *std::max_element(errorMs.begin(), errorMs.end()), "<= 3 ms");
    std::printf("figure\tNotes released by their late note-off instead\t%d of %zu\t0\t%s\n",
                untimed, lateMs.size(), how.c_str());
    return 0;
}
