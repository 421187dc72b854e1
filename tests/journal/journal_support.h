// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// What the journal tests share: answers to write, comparing them, reading a
// journal back.

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "journal/sqlite_journal.h"

namespace velmora::testing {

// A varied answer: chords and Shepard questions, right and wrong, unknown
// response times, texts that need quoting in CSV, questions the coach chose.
inline JournalEntry SampleEntry(int i) {
    JournalEntry entry;
    entry.utcMilliseconds = 1'796'000'000'000 + i * 61'001LL;
    entry.utcOffsetMinutes = i % 3 == 0 ? -300 : 60;
    entry.run = 1 + i / 10;
    entry.question = 1 + i % 10;
    entry.shepard = i % 7 == 3;
    entry.notes = entry.shepard ? std::vector<int>{30, 42, 54, 66, 78, 90}
                                : std::vector<int>{60 + i % 12, 64 + i % 12};
    entry.questionText = entry.shepard ? "F#" : "C4-E4, \"x\"\n" + std::to_string(i);
    entry.answered = i % 5 == 0 ? std::vector<int>{0, -1, 11} : std::vector<int>{i % 12};
    entry.correct = i % 2 == 0;
    entry.verdict = entry.correct ? "Correct" : "Incorrect";
    entry.program = i % 128;
    entry.noteValue = i % 4 == 0 ? "16th" : "Whole";
    entry.tempo = 40 + i;
    entry.keySignature = "Ré majeur, Si mineur";
    entry.responseMilliseconds = i % 6 == 1 ? -1 : i * 37;
    entry.coachChose = i % 4 >= 2;
    entry.earCleared = i % 4 == 3;
    return entry;
}

// Equal in everything the trainer gives (the session is the journal's).
inline void ExpectSameAnswer(const JournalEntry& got, const JournalEntry& want) {
    const auto given = [](const JournalEntry& e) {
        return std::tie(e.utcMilliseconds, e.utcOffsetMinutes, e.run, e.question, e.notes,
                        e.questionText, e.answered, e.correct, e.verdict, e.shepard, e.program,
                        e.noteValue, e.tempo, e.keySignature, e.responseMilliseconds, e.coachChose,
                        e.earCleared);
    };
    EXPECT_EQ(given(got), given(want));
}

inline std::vector<JournalEntry> ReadAll(const std::string& path) {
    std::vector<JournalEntry> entries;
    std::string error;
    EXPECT_TRUE(ReadJournal(
        path, [&](const JournalEntry& e) { entries.push_back(e); }, error))
        << error;
    return entries;
}

// The journal at `path` holds SampleEntry(0) to SampleEntry(count - 1), in order.
inline void ExpectSamples(const std::string& path, int count) {
    const auto entries = ReadAll(path);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) ExpectSameAnswer(entries[i], SampleEntry(i));
}

// Every status the journal reported, in order.
struct StatusLog {
    SqliteJournal::StatusListener listener() {
        return [this](const std::string& status) {
            std::lock_guard lock(mutex);
            statuses.push_back(status);
        };
    }
    std::vector<std::string> all() {
        std::lock_guard lock(mutex);
        return statuses;
    }
    std::mutex mutex;
    std::vector<std::string> statuses;
};

}  // namespace velmora::testing
