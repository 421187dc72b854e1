// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// Bad input given to the program as a user starts it: it says what is wrong
// in one clean line, keeps running and loses nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/program_support.h"
#include "support/test_locale.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// After `problem` was told, the program goes on for `more` without telling it
// again, and ends normally when asked.
void ExpectToldOnceAndGoesOn(Child& program, const std::string& problem,
                             std::chrono::milliseconds more) {
    program.collectFor(more);
    EXPECT_TRUE(program.running());
    EXPECT_EQ(Count(program.err(), problem), 1) << program.err();
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
}

class BadInputProgram : public ::testing::Test {
protected:
    fs::path fifo() const {
        const fs::path path = dir_.path() / "midi.fifo";
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        return path;
    }

    TempDir dir_;
};

// On a German desktop "0.5" was a bad value; "nan" passed and crashed the
// audio thread. Settings are applied in order, so the first is read right
// when the second is the one refused.
TEST_F(BadInputProgram, SettingsAreNumbersInEveryLocaleAndNeverNaN) {
    if (!GermanLocale().active()) {
        GTEST_SKIP() << GermanLocale::kName
                     << " is not installed; scripts/install-deps --test generates it";
    }
    ScopedEnvironment german("LC_ALL", GermanLocale::kName);
    Child program(Velmora({"-o", "synth.gain=0.5", "-o", "synth.reverb.level=nan"}));
    ASSERT_TRUE(program.waitForStderr("\n", 20s)) << program.err();
    program.collectFor(500ms);
    EXPECT_EQ(program.err(),
              "velmora: No sound: bad value 'nan' for setting 'synth.reverb.level' "
              "(allowed: 0 to 1)\n");
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
}

// A damaged file with a newline and an escape sequence in its name: one
// line, the name escaped and given once, no library's noise around it.
TEST_F(BadInputProgram, ADamagedSoundFontWithAStrangeNameIsOneCleanLine) {
    const std::string body = std::string("sfbk") + "JUNK" + std::string("\4\0\0\0", 4) + "abcd";
    const fs::path file = dir_.path() / "bad\n\x1b[31m.sf2";
    std::ofstream(file, std::ios::binary)
        << "RIFF" << static_cast<char>(body.size()) << std::string(3, '\0') << body;
    Child program(Velmora({"--soundfont", file.string()}));
    ASSERT_TRUE(program.waitForStderr("\n", 20s)) << program.err();
    program.collectFor(500ms);
    const std::string shown = (dir_.path() / "bad\\n\\x1b[31m.sf2").string();
    const std::string expected = "velmora: No sound: SoundFont '" + shown + "' could not be loaded";
    EXPECT_EQ(program.err().rfind(expected, 0), 0u) << program.err();
    EXPECT_EQ(Count(program.err(), "\n"), 1) << program.err();
    EXPECT_EQ(Count(program.err(), shown), 1) << program.err();
    EXPECT_EQ(program.err().find('\x1b'), std::string::npos);
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
}

// Opening a FIFO for writing waits for a reader: the window never came.
TEST_F(BadInputProgram, AFifoWithoutAReaderHoldsNothingUp) {
    const fs::path path = fifo();
    Child program(QuietVelmora({"--midi-log", path.string()}));
    ASSERT_TRUE(program.waitForStderr("no program is reading it\n", 20s)) << program.err();
    ExpectToldOnceAndGoesOn(
        program,
        "velmora: cannot write MIDI log '" + path.string() + "': no program is reading it\n",
        500ms);
}

// The reader goes while notes play: the program died of SIGPIPE with a note
// left on. It must go on, and say once that the log has stopped.
TEST_F(BadInputProgram, ALogReaderThatEndsIsReportedAndTheTrainingGoesOn) {
    const fs::path path = fifo();
    // Not inherited by the program: it would be a reader of its own log.
    const int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    Child program(QuietVelmora({"--midi-log", path.string()}));
    XClient x(std::getenv("DISPLAY"));
    std::string sent;
    const bool played = ClickPlay(x, WaitForWindow(x, program), [&] {
        char buffer[256];
        const ssize_t got = read(reader, buffer, sizeof buffer);
        if (got > 0) sent.append(buffer, static_cast<std::size_t>(got));
        return sent.find('\n') != std::string::npos;
    });
    close(reader);
    ASSERT_TRUE(played) << "nothing was sent\n" << program.err();

    const std::string problem = "velmora: cannot write MIDI log '" + path.string() +
                                "' any more: the program reading it has ended\n";
    EXPECT_TRUE(program.waitForStderr(problem, 15s)) << program.err();
    ExpectToldOnceAndGoesOn(program, problem, 2s);  // more notes, no more messages
}

TEST_F(BadInputProgram, AFullLogIsReportedOnceAndTheTrainingGoesOn) {
    Child program(QuietVelmora({"--midi-log", "/dev/full"}));
    XClient x(std::getenv("DISPLAY"));
    const std::string problem = "velmora: cannot write MIDI log '/dev/full' any more: ";
    EXPECT_TRUE(ClickPlay(x, WaitForWindow(x, program),
                          [&] { return program.waitForStderr(problem, 50ms); }))
        << "nothing said\n"
        << program.err();
    ExpectToldOnceAndGoesOn(program, problem, 3s);
}

}  // namespace
}  // namespace velmora::testing
