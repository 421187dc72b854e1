// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/panel.h"
#include "model/trainer_state.h"

namespace velmora {

inline constexpr const char* kRecordSeparator = " = ";

// Records one run can hold: the counts, the streak and the log's upper index
// are 16-bit.
inline constexpr int kMaxRecords = 32767;

// The question as the record shows it: without octave numbers when the exact
// octave is excluded ("C4-E4-G4" becomes "C-E-G").
std::string RecordedQuestion(std::string questionText, bool excludeExactOctave);

// right / (right + wrong) as a percentage rounded to two decimals (half to
// even) in its shortest form, with the locale's decimal separator: "66.67",
// "50", "12.5".
std::string FormatPercentage(int rightCount, int wrongCount, char decimalSeparator = '.');

// The record of every graded attempt of the run, shown in the responses list,
// the results table and the four statistics lines.
class ResponseLog {
public:
    ResponseLog(Panel& panel, TrainerState& state) : panel_(panel), state_(state) {}

    // Records the attempt just graded.
    void RecordAnswer();
    // Takes back the last record, for an answer that grew too long.
    void WithdrawLastRecord();
    // Empties the log and every display of it, for a new run.
    void Clear();
    bool full() const { return state_.responseLogLast + 1 >= kMaxRecords; }
    // Told of every record made: true when it replaces one just withdrawn.
    void setRecordListener(std::function<void(bool replacesLast)> listener) {
        recordListener_ = std::move(listener);
    }

private:
    void showFrom(int firstChanged);
    void writeStatistics();

    Panel& panel_;
    TrainerState& state_;
    // The streak after each record, so a withdrawn record costs no rescan.
    std::vector<std::int16_t> streakAfter_;
    int shownRecords_ =
        0;  // records the displays show, all up to date before the first changed one
    int firstChanged_ = 0;
    std::function<void(bool)> recordListener_;
    bool withdrawn_ = false;  // the next record replaces the one withdrawn
};

}  // namespace velmora
