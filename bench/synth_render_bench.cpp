// How much faster than real time the built-in synthesizer renders a held
// ten-note chord, beep included: the headroom the audio thread has.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"

namespace {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Seconds of audio per second of CPU, rendering in audio-driver-sized blocks.
double RealTimeFactor(const std::vector<std::pair<std::string, std::string>>& settings) {
    velmora::SynthEngine engine;
    for (const auto& [name, value] : settings) engine.applySetting(name, value);
    if (!engine.start().empty() ||
        !engine.loadSoundFont("/usr/share/sounds/sf2/default-GM.sf2").empty()) {
        return 0.0;
    }
    engine.send(velmora::ComposeShortMessage(velmora::kProgramChangeStatus, 0, 0, 0));
    for (int key : {36, 43, 48, 52, 55, 60, 64, 67, 72, 76}) {
        engine.send(velmora::ComposeShortMessage(velmora::kNoteOnStatus, 0, key, 100));
    }
    constexpr int kBlock = 64;
    const int frames = int(engine.sampleRate() * 10);
    std::vector<float> left(kBlock), right(kBlock);
    const double start = CpuSeconds();
    for (int done = 0; done < frames; done += kBlock) {
        if (done % int(engine.sampleRate()) == 0) engine.beep(440, 200);
        engine.render(left.data(), right.data(), kBlock);
    }
    return (frames / engine.sampleRate()) / (CpuSeconds() - start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    const std::pair<const char*, std::vector<std::pair<std::string, std::string>>> variants[] = {
        {"defaults (reverb and chorus on)", {}},
        {"reverb and chorus off", {{"synth.reverb.active", "0"}, {"synth.chorus.active", "0"}}},
    };
    std::printf("synth_render_bench: 10-note piano chord held for 10 s, 64-frame blocks, 48 kHz\n");
    for (const auto& [label, settings] : variants) {
        std::vector<double> runs;
        for (int run = 0; run < 5; ++run) runs.push_back(RealTimeFactor(settings));
        if (runs.front() == 0.0) {
            std::printf("%s: the synthesizer or SoundFont could not be loaded\n", label);
            return 1;
        }
        std::printf("%-32s real-time factor %.1fx (median of 5; min %.1fx, max %.1fx)\n", label,
                    Median(runs), *std::min_element(runs.begin(), runs.end()),
                    *std::max_element(runs.begin(), runs.end()));
    }
    return 0;
}
