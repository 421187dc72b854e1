// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/midi_log.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "midi/messages.h"
#include "midi/recording_midi_out.h"
#include "support/test_locale.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const std::uint32_t kNoteOn = ComposeShortMessage(kNoteOnStatus, 0, 60, 127);
const std::uint32_t kNoteOff = ComposeShortMessage(kNoteOffStatus, 0, 60, 0);

// Every line of a log: "<milliseconds with three decimals> <bytes>".
bool WholeLines(const std::string& text) {
    static const std::regex kLine(R"(\d+\.\d{3} [0-9A-F]{2}( [0-9A-F]{2})*)");
    if (!text.empty() && text.back() != '\n') return false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_match(line, kLine)) return false;
    }
    return true;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class MidiLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("velmora-midi-log-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A log into `path` in front of a recorder, whose problems are collected.
    std::unique_ptr<MidiLog> makeLog(const fs::path& path) {
        auto recorder = std::make_unique<RecordingMidiOut>();
        inner_ = recorder.get();
        auto log = std::make_unique<MidiLog>(std::move(recorder), path.string());
        log->onWriteError([this](const std::string& problem) { reported_.push_back(problem); });
        log->open();
        return log;
    }
    fs::path fifo() const {
        const fs::path path = dir_ / "fifo";
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        return path;
    }

    fs::path dir_;
    RecordingMidiOut* inner_ = nullptr;
    std::vector<std::string> reported_;
};

TEST_F(MidiLogTest, WritesEachMessageWithItsTimeAndPassesItOn) {
    const fs::path path = dir_ / "log.txt";
    {
        auto log = makeLog(path);
        ASSERT_EQ(log->problem(), "");
        log->send(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0));
        log->send(kNoteOn);
        log->send(kNoteOff);
        log->close();
        EXPECT_EQ(inner_->messages.size(), 3u);
        EXPECT_EQ(inner_->closeCount, 1);
    }
    const std::string text = ReadAll(path);
    EXPECT_TRUE(WholeLines(text)) << text;
    EXPECT_EQ(std::regex_replace(text, std::regex(R"(\d+\.\d{3} )"), ""),
              "C0 00\n90 3C 7F\n80 3C 00\n");
    std::istringstream lines(text);
    double previous = -1;
    for (std::string line; std::getline(lines, line); previous = std::stod(line)) {
        EXPECT_GE(std::stod(line), previous);
    }
    EXPECT_TRUE(reported_.empty());
}

// Programs read the log: its times have a decimal point wherever it is written.
TEST_F(MidiLogTest, TimesHaveAPointInEveryLocale) {
    testing::GermanLocale german;
    if (!german.active()) {
        GTEST_SKIP() << testing::GermanLocale::kName
                     << " is not installed; scripts/install-deps --test generates it";
    }
    const fs::path path = dir_ / "log.txt";
    makeLog(path)->send(kNoteOn);
    EXPECT_TRUE(WholeLines(ReadAll(path))) << ReadAll(path);
}

TEST_F(MidiLogTest, UnwritableFileIsReportedAndTheSoundStillPlays) {
    auto log = makeLog("/nonexistent-dir/log\n.txt");
    EXPECT_EQ(log->problem(),
              "cannot write MIDI log '/nonexistent-dir/log\\n.txt': No such file or directory");
    log->send(kNoteOn);
    EXPECT_EQ(inner_->messages.size(), 1u);
    EXPECT_TRUE(reported_.empty());
}

// The disk fills up in the middle of a line (here: the file reaches the
// process's size limit); the log still ends with a whole line.
TEST_F(MidiLogTest, ALineCutShortIsTakenBack) {
    const fs::path path = dir_ / "log.txt";
    auto log = makeLog(path);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 40;  // two lines and a half
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (int i = 0; i < 5; ++i) log->send(kNoteOn);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(inner_->messages.size(), 5u);
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_EQ(log->problem(), reported_[0]);
    const std::string text = ReadAll(path);
    EXPECT_TRUE(WholeLines(text)) << text;
    EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 2);
}

// A reader that stops reading must not hold up a single note: its lines are
// kept for a while, then the log gives up on it.
TEST_F(MidiLogTest, AReaderThatFallsBehindNeverHoldsUpTheSound) {
    const fs::path path = fifo();
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    auto log = makeLog(path);
    constexpr int kMessages = 20000;  // some 300 kB of lines
    for (int i = 0; i < kMessages; ++i) log->send(i % 2 == 0 ? kNoteOn : kNoteOff);
    EXPECT_EQ(inner_->messages.size(), static_cast<std::size_t>(kMessages));
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_THAT(reported_[0], HasSubstr("the program reading it does not keep up"));
    std::string read;
    char buffer[4096];
    for (ssize_t got; (got = ::read(reader, buffer, sizeof buffer)) > 0;) {
        read.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(reader);
    EXPECT_FALSE(read.empty());
    EXPECT_TRUE(WholeLines(read));
}

}  // namespace
}  // namespace velmora
