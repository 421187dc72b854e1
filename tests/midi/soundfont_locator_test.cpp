// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/soundfont_locator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Just enough of a SoundFont to pass the header check: RIFF, length, sfbk.
std::string SoundFontBytes(std::uint32_t declaredLength = 4) {
    std::string bytes = "RIFF";
    for (int i = 0; i < 4; ++i) bytes += char((declaredLength >> (8 * i)) & 0xFF);
    return bytes + "sfbk";
}

class SoundFontLocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmora-sf-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return (dir_ / name).string();
    }
    std::string missing(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(SoundFontLocatorTest, SaysWhatIsWrongWithAFile) {
    const std::string gone = missing("gone.sf2");
    EXPECT_EQ(CheckSoundFontFile(gone), "SoundFont '" + gone + "' was not found");
    EXPECT_THAT(CheckSoundFontFile(dir_.string()), HasSubstr("is a folder"));
    const std::string empty = file("empty.sf2", "");
    EXPECT_EQ(CheckSoundFontFile(empty), "SoundFont '" + empty + "' is empty");
    const std::string wave = file("sound.sf2", std::string("RIFF\x04\0\0\0WAVE", 12));
    EXPECT_EQ(CheckSoundFontFile(wave), "'" + wave + "' is not a SoundFont");
    EXPECT_THAT(CheckSoundFontFile(file("short.sf2", "RIF")), HasSubstr("is not a SoundFont"));
    EXPECT_THAT(CheckSoundFontFile(file("cut.sf2", SoundFontBytes(1000))),
                HasSubstr("is incomplete"));
    EXPECT_EQ(CheckSoundFontFile(file("good.sf2", SoundFontBytes())), "");
    // A name that would break the line or take over the terminal is shown escaped.
    EXPECT_EQ(CheckSoundFontFile(missing("two\nlines\x1b[31m.sf2")),
              "SoundFont '" + dir_.string() + "/two\\nlines\\x1b[31m.sf2' was not found");
}

TEST_F(SoundFontLocatorTest, TheUsersChoiceIsNeverReplaced) {
    const std::string fallback = file("fallback.sf2", SoundFontBytes());
    const SoundFontLookup typo = LocateSoundFont(missing("typo.sf2"), {fallback});
    EXPECT_EQ(typo.path, "");
    EXPECT_THAT(typo.error, HasSubstr("typo.sf2' was not found"));

    const std::string chosen = file("chosen.sf3", SoundFontBytes());
    const SoundFontLookup found = LocateSoundFont(chosen, {fallback});
    EXPECT_EQ(found.path, chosen);
    EXPECT_EQ(found.error, "");
}

TEST_F(SoundFontLocatorTest, TakesTheFirstGoodCandidate) {
    const std::string broken = file("default-GM.sf2", "junk");
    const std::string good = file("FluidR3_GM.sf2", SoundFontBytes());
    const std::string later = file("TimGM6mb.sf2", SoundFontBytes());
    EXPECT_EQ(LocateSoundFont(std::nullopt, {missing("a.sf2"), broken, good, later}).path, good);

    // Nothing usable: the broken one is what the user needs to hear about.
    const SoundFontLookup none = LocateSoundFont(std::nullopt, {missing("a.sf2"), broken});
    EXPECT_EQ(none.path, "");
    EXPECT_EQ(none.error, "'" + broken + "' is not a SoundFont");

    EXPECT_THAT(LocateSoundFont(std::nullopt, {missing("a.sf2")}).error,
                HasSubstr("no General MIDI SoundFont is installed"));
}

TEST_F(SoundFontLocatorTest, NamesTheFontALinkPointsTo) {
    const std::string real = file("TimGM6mb.sf2", SoundFontBytes());
    fs::create_symlink(real, dir_ / "default-GM.sf2");
    EXPECT_EQ(SoundFontName((dir_ / "default-GM.sf2").string()), "TimGM6mb");
    EXPECT_EQ(SoundFontName("/nowhere/FluidR3_GM.sf3"), "FluidR3_GM");
}

}  // namespace
}  // namespace velmora
