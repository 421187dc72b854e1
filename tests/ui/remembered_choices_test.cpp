// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/remembered_choices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& file, const std::string& contents) {
    std::ofstream(file, std::ios::binary) << contents;
}

QString Name(const fs::path& file) {
    return QString::fromStdString(file.string());
}

// Even for root, who may write any file: the user keeps it as it is.
TEST(RememberedChoicesTest, AReadOnlyFileIsLeftAsItIsAndSaidSoOnce) {
    const testing::TempDir dir;
    const fs::path file = dir.path() / "velmora.conf";
    Write(file, "[window]\nzoom=150\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    RememberedChoices choices(Name(file));
    EXPECT_EQ(choices.zoomPercent(), 150);
    EXPECT_EQ(choices.takeProblem(), "");
    choices.rememberZoomPercent(200);
    EXPECT_EQ(choices.takeProblem(),
              "the choices cannot be remembered: " + file.string() + " is read-only");
    choices.rememberMidiIn("Keys:Keys MIDI 1");
    EXPECT_EQ(choices.takeProblem(), "") << "once";
    EXPECT_EQ(Contents(file), "[window]\nzoom=150\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST(RememberedChoicesTest, AnUnreadableFileIsMovedAsideBeforeTheFirstChange) {
    const testing::TempDir dir;
    const fs::path file = dir.path() / "velmora.conf";
    const char raw[] =
        "\x7f"
        "ELF\x01\x02 [[[ not = ini \xff\xfe\n\0";
    const std::string garbage(raw, sizeof raw - 1);
    auto asideFiles = [&] {
        std::vector<fs::path> found;
        const std::regex name(R"(velmora\.conf\.unreadable-\d{8}-\d{6}(-\d+)?)");
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (std::regex_match(entry.path().filename().string(), name)) {
                found.push_back(entry.path());
            }
        }
        return found;
    };

    // Twice within the same second: the second never takes the first one's place.
    for (std::size_t round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        Write(file, garbage);
        RememberedChoices choices(Name(file));
        EXPECT_EQ(choices.takeProblem(),
                  "the remembered choices in " + file.string() + " cannot be read");
        EXPECT_EQ(asideFiles().size(), round - 1) << "nothing moved before a change";

        choices.rememberZoomPercent(175);
        const std::vector<fs::path> aside = asideFiles();
        ASSERT_EQ(aside.size(), round);
        const std::string told = choices.takeProblem();
        EXPECT_NE(told.find("moved aside to " + dir.path().string()), std::string::npos) << told;
        choices.rememberMidiIn("Keys:Keys MIDI 1");
        EXPECT_EQ(choices.takeProblem(), "") << "once";

        for (const fs::path& each : aside) EXPECT_EQ(Contents(each), garbage);
        EXPECT_EQ(Contents(file).find("ELF"), std::string::npos) << "no garbage re-encoded";
        RememberedChoices again(Name(file));
        EXPECT_EQ(again.zoomPercent(), 175);
        EXPECT_EQ(again.midiIn(), "Keys:Keys MIDI 1");
        EXPECT_EQ(again.takeProblem(), "");
    }
}

// The coach's options are off until chosen; a hand-edited value that is not
// a plain true or false is no choice.
TEST(RememberedChoicesTest, TheCoachsOptionsAreOffUntilChosenAndOnlyTrueOrFalseCounts) {
    const testing::TempDir dir;
    const fs::path file = dir.path() / "velmora.conf";
    EXPECT_EQ(RememberedChoices(Name(file)).coachOptions(), CoachOptions{});

    CoachOptions chosen;
    chosen.choosesQuestions = true;
    chosen.clearsEar = false;
    RememberedChoices(Name(file)).rememberCoachOptions(chosen);
    EXPECT_EQ(RememberedChoices(Name(file)).coachOptions(), chosen);

    Write(file, "[coach]\nchooses-questions=yes\nclears-ear=1\nhears-answer-after-mistakes=TRUE\n");
    const CoachOptions edited = RememberedChoices(Name(file)).coachOptions();
    EXPECT_FALSE(edited.choosesQuestions);
    EXPECT_TRUE(edited.clearsEar) << "as at first start";
    EXPECT_TRUE(edited.hearsAnswerAfterMistakes);
}

// A hand-edited volume that is not a number in 0..200 as C writes numbers
// is no choice; the other choices stand.
TEST(RememberedChoicesTest, TheVolumeIsReadBackAndABadOneIsIgnored) {
    const testing::TempDir dir;
    const fs::path file = dir.path() / "velmora.conf";
    RememberedChoices(Name(file)).rememberVolume(80);
    RememberedChoices(Name(file)).rememberVolume(201);  // no volume there is
    EXPECT_EQ(RememberedChoices(Name(file)).sound().volume, 80);
    Write(file, "[sound]\nvolume= 62.6 \n");
    EXPECT_EQ(RememberedChoices(Name(file)).sound().volume, 63);
    for (const std::string bad : {"nan", "inf", "-5", "201", "1e300", "loud", "80,5", ""}) {
        Write(file, "[sound]\nvolume=" + bad + "\noutput=Piano\n");
        EXPECT_EQ(RememberedChoices(Name(file)).sound().volume, std::nullopt) << bad;
        EXPECT_EQ(RememberedChoices(Name(file)).sound().midiOut, "Piano");
    }
}

}  // namespace
}  // namespace velmora
