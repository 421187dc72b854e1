#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "midi/midi_out.h"
#include "ports/beeper.h"

namespace velmora {

struct SynthConfig {
    // A file chosen by the user, else the system's GM SoundFont.
    std::optional<std::string> soundFont;
    // A driver chosen by the user, else the best that starts.
    std::optional<std::string> audioDriver;
    // Any synthesizer setting, name=value.
    std::vector<std::pair<std::string, std::string>> settings;
    // False: only the beep is played (external MIDI port).
    bool loadSoundFont = true;
};

class SynthEngine;

// The audio buffering the built-in synthesizer asks `driver` for with this
// configuration, in milliseconds: period size x periods / sample rate, where
// our own PulseAudio output's one period is its whole buffer.
double ConfiguredLatencyMs(const SynthConfig& config, const std::string& driver);

// The built-in synthesizer: MIDI output device 0 unless another port is chosen.
// Plays through the system's audio; the wrong-answer beep is mixed into the
// same stream. Never throws, never prints: what is wrong is in description().
class FluidSynthOut final : public MidiOut, public Beeper {
public:
    explicit FluidSynthOut(SynthConfig config);
    ~FluidSynthOut() override;

    bool open() override;
    void send(std::uint32_t message) override;
    void setNoteLength(std::chrono::nanoseconds length) override;
    void close() override;
    std::string description() const override;
    bool isWorking() const override;

    void Beep(int frequencyHz, int durationMs) override;

private:
    struct Driver;

    // Our own PulseAudio output was playing and its server has gone.
    bool serverLost() const;

    SynthConfig config_;
    std::unique_ptr<SynthEngine> engine_;
    std::unique_ptr<Driver> driver_;  // declared after engine_: stops before it
    std::string description_;
    bool working_ = false;
};

}  // namespace velmora
