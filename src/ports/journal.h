// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// One graded answer as the practice journal keeps it.
struct JournalEntry {
    std::int64_t utcMilliseconds = 0;  // when the answer was completed, since the epoch
    int utcOffsetMinutes = 0;          // local time then = UTC + this
    std::int64_t session = 0;          // one start of the program; given by the journal
    int run = 0;                       // counted from 1 within the session
    int question = 0;                  // the question's number within the run
    std::vector<int> notes;            // MIDI note numbers asked, as played
    std::string questionText;          // the question as the results table shows it
    std::vector<int> answered;         // pitch classes answered, in the order given
    bool correct = false;
    std::string verdict;  // the result's text as shown ("Correct", "Incorrect")
    bool shepard = false;
    int program = 0;                // General MIDI program, 0..127
    std::string noteValue;          // as the note value list shows it
    int tempo = 0;                  // beats per minute
    std::string keySignature;       // as the key signature list shows it
    int responseMilliseconds = -1;  // from the question sounding to the last press; -1 unknown
    bool coachChose = false;        // asked while the coach chose the questions
    bool earCleared = false;        // a neutral sound cleared the ear before the question
};

// Where graded answers are kept across runs and starts. Neither call waits on
// the disk: the window's thread must never stall on it.
class Journal {
public:
    virtual ~Journal() = default;
    // Keeps the answer just graded.
    virtual void record(const JournalEntry& entry) = 0;
    // Replaces the last answer kept, for one that was graded again after growing
    // too long: the journal holds the replacement, never both.
    virtual void replaceLast(const JournalEntry& entry) = 0;
};

}  // namespace velmora
