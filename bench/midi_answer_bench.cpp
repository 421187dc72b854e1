// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// From a key played on a MIDI keyboard to its verdict drawn in the window:
// a note-on sent through a real connection (a JACK server of the
// benchmark's own, real-time where allowed, 64-frame periods at 48 kHz) into
// the trainer's MIDI input, until the result label paints "Correct" or
// "Incorrect".

#include <rtmidi/RtMidi.h>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "figures.h"
#include "midi/external/keyboard_input.h"
#include "testing/helpers.h"
#include "testing/servers.h"
#include "testing/trainer_rig.h"
#include "ui/main_window.h"

namespace {

using velmora::bench::Format;
using velmora::bench::MonotonicSeconds;
using velmora::bench::Percentile;
using velmora::bench::PrintFigure;

constexpr int kAnswers = 1000;
constexpr const char* kWhat = "MIDI key to verdict on screen, p99";

// The moment the result label next paints a verdict.
class VerdictPainted final : public QObject {
public:
    explicit VerdictPainted(QWidget& label) : label_(static_cast<QLabel&>(label)) {
        label.installEventFilter(this);
    }
    double at = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && at == 0 &&
            (label_.text() == "Correct" || label_.text() == "Incorrect")) {
            at = MonotonicSeconds();
        }
        return false;
    }

private:
    QLabel& label_;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace std::chrono_literals;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::signal(SIGPIPE, SIG_IGN);  // as the program does: JACK clients need it
    QApplication app(argc, argv);

    velmora::testing::JackServer server;
    if (!server.running()) {
        std::fprintf(stderr, "midi_answer_bench: no JACK server (Debian: jackd1):\n%s\n",
                     server.log().c_str());
        PrintFigure(kWhat, "not measured", "<= 5 ms", "jackd did not start");
        return 0;
    }
    velmora::testing::ScopedEnvironment serverName("JACK_DEFAULT_SERVER", server.name());

    velmora::KeyboardInput input([] {});
    velmora::testing::TrainerRig rig({.keyboard = &input});
    velmora::Trainer& trainer = rig.trainer;
    velmora::MainWindow window(trainer);
    QSocketNotifier arrivals(input.readyFd(), QSocketNotifier::Read);
    QObject::connect(&arrivals, &QSocketNotifier::activated, [&input] { input.deliver(); });
    trainer.Form_Load();
    window.show();

    auto sender = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "bench keys");
    sender->openVirtualPort("keys");
    input.choose("bench keys");
    const bool connected = velmora::testing::WaitFor(
        [&] {
            QApplication::processEvents();
            return input.report().connected.has_value();
        },
        5s);
    if (!connected) {
        std::fprintf(stderr, "midi_answer_bench: %s\n", input.report().status.c_str());
        return 1;
    }

    velmora::Panel& panel = trainer.panel();
    velmora::TrainerState& state = trainer.state();
    panel.lstPitch.setSelected(0, true);
    panel.cmdPlay.click();
    VerdictPainted painted(*window.widgetOf("lblResult"));

    std::vector<double> latencies;
    for (int i = 0; i < kAnswers; ++i) {
        // A fresh one-note question, as a new one is posed.
        state.questionNotes = {60};
        state.questionText = "C4";
        state.answerIndex = -1;
        panel.lblNoteInput.setCaption("");
        panel.lblResult.setCaption("");
        QApplication::processEvents();
        painted.at = 0;

        const std::vector<unsigned char> noteOn = {
            0x90, static_cast<unsigned char>(i % 3 ? 72 : 74), 100};
        const double sent = MonotonicSeconds();
        sender->sendMessage(&noteOn);
        while (painted.at == 0 && MonotonicSeconds() - sent < 1.0) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        if (painted.at == 0) {
            std::fprintf(stderr, "midi_answer_bench: answer %d never showed\n", i);
            return 1;
        }
        latencies.push_back((painted.at - sent) * 1000);
    }

    std::printf(
        "MIDI key to verdict on screen over %d answers: median %.2f ms, p99 %.2f ms, "
        "max %.2f ms\n",
        kAnswers, Percentile(latencies, 0.5), Percentile(latencies, 0.99),
        Percentile(latencies, 1.0));
    PrintFigure(kWhat, Format("%.2f ms", Percentile(latencies, 0.99)), "<= 5 ms",
                "JACK dummy driver, 64 frames at 48 kHz; note-on sent to the label's paint, " +
                    std::to_string(kAnswers) + " answers");
    return 0;
}
