// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/response_log.h"

#include <array>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <utility>

namespace velmora {

namespace {

std::vector<std::string> SplitRecord(const std::string& record) {
    std::vector<std::string> parts;
    const std::string separator = kRecordSeparator;
    std::size_t start = 0;
    for (std::size_t at; (at = record.find(separator, start)) != std::string::npos;) {
        parts.push_back(record.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(record.substr(start));
    parts.resize(4);
    return parts;
}

char LocaleDecimalSeparator() {
    const std::lconv* conventions = std::localeconv();
    return conventions && conventions->decimal_point && *conventions->decimal_point
               ? *conventions->decimal_point
               : '.';
}

}  // namespace

std::string RecordedQuestion(std::string questionText, bool excludeExactOctave) {
    if (!excludeExactOctave) return questionText;
    static constexpr std::array<const char*, 11> kOctaveTexts = {"-1", "0", "1", "2", "3", "4",
                                                                 "5",  "6", "7", "8", "9"};
    for (const std::string octave : kOctaveTexts) {
        for (std::size_t at; (at = questionText.find(octave)) != std::string::npos;) {
            questionText.erase(at, octave.size());
        }
    }
    return questionText;
}

std::string FormatPercentage(int rightCount, int wrongCount, char decimalSeparator) {
    // Summed wide: the sum of two ints need not be one.
    const long long total = static_cast<long long>(rightCount) + wrongCount;
    if (total <= 0) return "0";
    const double percentage = rightCount / static_cast<double>(total) * 100;
    const long long hundredths = std::llrint(percentage * 100);  // ties to even
    char text[32];
    std::snprintf(text, sizeof text, "%lld%c%02lld", hundredths / 100, decimalSeparator,
                  hundredths % 100);
    std::string result = text;
    while (result.back() == '0') result.pop_back();
    if (result.back() == decimalSeparator) result.pop_back();
    return result;
}

void ResponseLog::RecordAnswer() {
    const std::string question =
        RecordedQuestion(state_.questionText, panel_.chkExcludeExactOctave.checked());
    const int number = state_.responseLogLast + 2;  // counted from 1
    state_.responseLog.resize(state_.responseLogLast + 1);
    // Built in place: chained string sums trip GCC 12's -Wrestrict at -O3.
    std::string record(1, '#');
    record += std::to_string(number);
    for (const std::string* part :
         {&question, &panel_.lblNoteInput.caption(), &panel_.lblResult.caption()}) {
        record += kRecordSeparator;
        record += *part;
    }
    state_.responseLog.push_back(std::move(record));
    state_.responseLogLast = static_cast<std::int16_t>(state_.responseLog.size() - 1);

    const bool correct = panel_.lblResult.caption() == "Correct";
    streakAfter_.resize(state_.responseLog.size() - 1);
    const std::int16_t previous = streakAfter_.empty() ? 0 : streakAfter_.back();
    streakAfter_.push_back(correct ? static_cast<std::int16_t>(previous + 1) : 0);
    state_.streak = streakAfter_.back();

    showFrom(static_cast<int>(state_.responseLog.size()) - 1);
    writeStatistics();
    const bool replaces = std::exchange(withdrawn_, false);
    if (recordListener_) recordListener_(replaces);
}

void ResponseLog::WithdrawLastRecord() {
    if (state_.responseLogLast < 0) return;
    --state_.responseLogLast;
    state_.responseLog.resize(state_.responseLogLast + 1);
    streakAfter_.resize(state_.responseLog.size());
    firstChanged_ = std::min(firstChanged_, static_cast<int>(state_.responseLog.size()));
    withdrawn_ = true;
}

void ResponseLog::Clear() {
    state_.responseLog.clear();
    state_.responseLogLast = -1;
    state_.streak = 0;  // the streak is of this log's records, none now
    streakAfter_.clear();
    shownRecords_ = 0;
    firstChanged_ = 0;
    withdrawn_ = false;
    panel_.lstResponses.clear();
    panel_.ListView1.clear();
    panel_.lstStats.clear();
}

// The displays show exactly the log, as if rebuilt from it; only rows from the
// first changed record on are written, so a long log costs nothing per answer.
void ResponseLog::showFrom(int changed) {
    const int first = std::min(changed, firstChanged_);
    const int records = static_cast<int>(state_.responseLog.size());
    for (int i = first; i < records; ++i) {
        const std::string& record = state_.responseLog[i];
        if (i < shownRecords_) {
            panel_.lstResponses.setItemText(i, record);
            panel_.ListView1.setRow(i, SplitRecord(record));
        } else {
            panel_.lstResponses.addItem(record);
            panel_.ListView1.addRow(SplitRecord(record));
        }
    }
    while (panel_.ListView1.rows().size() > static_cast<std::size_t>(records)) {
        panel_.ListView1.removeLastRow();
        panel_.lstResponses.removeLastItem();
    }
    shownRecords_ = records;
    firstChanged_ = records;
    panel_.ListView1.setSelectedRow(records - 1);
    panel_.lstResponses.setListIndex(records - 1);
}

void ResponseLog::writeStatistics() {
    const std::array<std::string, 4> lines = {
        "Right: " + std::to_string(state_.rightCount),
        "Wrong: " + std::to_string(state_.wrongCount),
        "Percentage: " +
            FormatPercentage(state_.rightCount, state_.wrongCount, LocaleDecimalSeparator()) + "%",
        "Streak: " + std::to_string(state_.streak)};
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (i < panel_.lstStats.count()) {
            panel_.lstStats.setItemText(i, lines[i]);
        } else {
            panel_.lstStats.addItem(lines[i]);
        }
    }
}

}  // namespace velmora
