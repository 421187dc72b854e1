#include "midi/midi_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "midi/messages.h"
#include "midi/recording_midi_out.h"

namespace velmora {
namespace {

TEST(MidiLog, WritesEachMessageWithItsTimeAndPassesItOn) {
    const auto path = std::filesystem::temp_directory_path() / "velmora-midi-log-test.txt";
    auto recorder = std::make_unique<RecordingMidiOut>();
    RecordingMidiOut* inner = recorder.get();
    {
        MidiLog log(std::move(recorder), path.string());
        ASSERT_EQ(log.problem(), "");
        EXPECT_TRUE(log.open());
        log.send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));
        log.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 127));
        log.send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
        log.close();
        EXPECT_EQ(inner->messages.size(), 3u);
        EXPECT_EQ(inner->closeCount, 1);
    }
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    const std::regex form(R"(\d+\.\d{3} (.*))");
    const std::vector<std::string> bytes = {"C0 00", "90 3C 7F", "80 3C 00"};
    double previous = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, form)) << lines[i];
        EXPECT_EQ(match[1], bytes[i]);
        const double time = std::stod(lines[i]);
        EXPECT_GE(time, previous);
        previous = time;
    }
    std::filesystem::remove(path);
}

TEST(MidiLog, UnwritableFileIsReportedAndTheSoundStillPlays) {
    auto recorder = std::make_unique<RecordingMidiOut>();
    RecordingMidiOut* inner = recorder.get();
    MidiLog log(std::move(recorder), "/nonexistent-dir/log\n.txt");
    EXPECT_NE(log.problem().find("cannot write MIDI log '/nonexistent-dir/log\\n.txt'"),
              std::string::npos);
    EXPECT_TRUE(log.open());
    log.send(ComposeShortMessage(kNoteOnStatus, 0, 60, 127));
    EXPECT_EQ(inner->messages.size(), 1u);
}

}  // namespace
}  // namespace velmora
