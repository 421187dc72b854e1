// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Samples are read only for the instruments in use, from the file as it was
// when loaded: a package upgrade may replace or truncate it meanwhile.

#include "midi/synth/held_soundfont.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "midi/messages.h"
#include "midi/synth/synth_engine.h"
#include "support/sound_test_support.h"

namespace velmora {
namespace {

using namespace soundtest;
namespace fs = std::filesystem;

double ResidentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// A short note on `program`: how loud it was, and whether every sample was a number.
double NoteLevel(SynthEngine& engine, int program) {
    engine.send(ComposeShortMessage(kProgramChangeStatus, 0, program, 0));
    engine.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    const std::vector<float> out = RenderMono(engine, 9600);
    engine.send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
    RenderMono(engine, 48000);
    const auto number = [](float sample) { return std::isfinite(sample); };
    return std::all_of(out.begin(), out.end(), number) ? Rms(out, 0, out.size()) : -1.0;
}

class HeldSoundFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_NEEDS_TEST_SOUNDFONT();
        fs::copy_file(kTestSoundFont, font_);
        ASSERT_EQ(engine_.start(), "");
        ASSERT_EQ(engine_.loadSoundFont(font_.string()), "");
        ASSERT_GT(NoteLevel(engine_, 0), 1e-3);
    }
    // A file cut short to 1 MB, as a copy or download broken off leaves it.
    void truncate(const fs::path& file) { ASSERT_EQ(::truncate(file.c_str(), 1 << 20), 0); }

    testing::TempDir dir_;
    fs::path font_ = dir_.path() / "font.sf2";
    SynthEngine engine_;
};

TEST_F(HeldSoundFontTest, AFileReplacedWhileInUseIsReadAsItWas) {
    const fs::path other = dir_.path() / "new.sf2";
    fs::copy_file(kTestSoundFont, other);
    truncate(other);
    fs::rename(other, font_);  // as a package upgrade installs a file
    // Instruments not used before, and the piano again.
    for (int program : {40, 56, 0}) {
        SCOPED_TRACE(program);
        EXPECT_GT(NoteLevel(engine_, program), 1e-3);
    }
    EXPECT_FALSE(engine_.soundFontChanged());
}

TEST_F(HeldSoundFontTest, AFileTruncatedWhileInUseIsToldAndNeverCrashes) {
    truncate(font_);
    for (int program : {40, 56, 0}) {
        SCOPED_TRACE(program);
        EXPECT_GE(NoteLevel(engine_, program), 0.0);
    }
    EXPECT_TRUE(engine_.soundFontChanged());
}

// Below the engine, which reads nothing from a file it knows has changed:
// FluidSynth itself must not see a failed read.
TEST_F(HeldSoundFontTest, BytesGoneFromTheFileReadAsSilence) {
    HeldSoundFont held;
    ASSERT_EQ(held.open(font_.string()), "");
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    ASSERT_EQ(HeldSoundFont::AddLoader(synth, settings), "");
    ASSERT_NE(fluid_synth_sfload(synth, held.name().c_str(), 1), FLUID_FAILED);
    truncate(font_);
    fluid_synth_program_change(synth, 0, 40);
    fluid_synth_noteon(synth, 0, 60, 100);
    std::vector<float> left(4800), right(4800);
    fluid_synth_write_float(synth, 4800, left.data(), 0, 1, right.data(), 0, 1);
    EXPECT_TRUE(held.changed());
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

TEST(HeldSoundFontMemoryTest, OnlyTheInstrumentsInUseAreInMemory) {
    const char* large = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (!fs::exists(large))
        GTEST_SKIP() << large << " is not installed (Debian: fluid-soundfont-gm)";
    const double before = ResidentMb();
    SynthEngine engine;
    ASSERT_EQ(engine.start(), "");
    ASSERT_EQ(engine.loadSoundFont(large), "");
    const double fileMb = static_cast<double>(fs::file_size(large)) / (1024 * 1024);
    EXPECT_LT(ResidentMb() - before, fileMb / 3) << "of a " << fileMb << " MB SoundFont";
    // And the instruments are there to play.
    EXPECT_GT(NoteLevel(engine, 40), 1e-3);
}

}  // namespace
}  // namespace velmora
