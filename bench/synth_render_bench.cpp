// How much faster than real time the built-in synthesizer renders a held
// ten-note chord, beep included: the headroom the audio thread has. The room
// (the engine's reverb) and FluidSynth's chorus run only while a sounding
// instrument sends to them: the piano uses the room, the string ensemble both.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"

namespace {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Seconds of audio per second of CPU, rendering in `block`-frame blocks as an
// audio driver asks for them.
double RealTimeFactor(const std::vector<std::pair<std::string, std::string>>& settings, int block,
                      int program) {
    velmora::SynthEngine engine;
    for (const auto& [name, value] : settings) engine.applySetting(name, value);
    if (!engine.start().empty() ||
        !engine.loadSoundFont("/usr/share/sounds/sf2/default-GM.sf2").empty()) {
        return 0.0;
    }
    engine.send(velmora::ComposeShortMessage(velmora::kProgramChangeStatus, 0, program, 0));
    for (int key : {36, 43, 48, 52, 55, 60, 64, 67, 72, 76}) {
        engine.send(velmora::ComposeShortMessage(velmora::kNoteOnStatus, 0, key, 100));
    }
    const int frames = int(engine.sampleRate() * 10);
    std::vector<float> left(block), right(block);
    const double start = CpuSeconds();
    for (int done = 0; done < frames; done += block) {
        if (done % int(engine.sampleRate()) < block) engine.beep(440, 200);
        engine.render(left.data(), right.data(), block);
    }
    return (frames / engine.sampleRate()) / (CpuSeconds() - start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    using Settings = std::vector<std::pair<std::string, std::string>>;
    struct Variant {
        const char* label;
        Settings settings;
        int block;
        int program;
        bool shipped;  // what the trainer plays with
    };
    const Settings noEffects = {{"synth.reverb.active", "0"}, {"synth.chorus.active", "0"}};
    const Variant variants[] = {
        {"piano, 64-frame blocks (ALSA period)", {}, 64, 0, true},
        {"piano, 256-frame blocks (sound server period)", {}, 256, 0, true},
        {"string ensemble (room and chorus), 64-frame blocks", {}, 64, 48, false},
        {"piano, room and chorus off, 64-frame blocks", noEffects, 64, 0, false},
    };
    std::printf("synth_render_bench: 10-note chord held for 10 s, beep every second, 48 kHz\n");
    for (const Variant& variant : variants) {
        std::vector<double> runs;
        for (int run = 0; run < 5; ++run) {
            runs.push_back(RealTimeFactor(variant.settings, variant.block, variant.program));
        }
        if (runs.front() == 0.0) {
            std::printf("%s: the synthesizer or SoundFont could not be loaded\n", variant.label);
            return 1;
        }
        std::printf("%-54s real-time factor %.1fx (median of 5; min %.1fx, max %.1fx)\n",
                    variant.label, Median(runs), *std::min_element(runs.begin(), runs.end()),
                    *std::max_element(runs.begin(), runs.end()));
        if (variant.shipped) {
            std::printf(
                "figure\tSynth render speed, 10-note chord, %s\t%.0fx\t>= "
                "300x\tsynth_render_bench: 10 s of audio / CPU time, median of 5\n",
                variant.label, Median(runs));
        }
    }
    return 0;
}
