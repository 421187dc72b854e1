// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "journal/journal_columns.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "journal/file_helpers.h"
#include "journal/sqlite_journal.h"

namespace velmora {

namespace {

// A note or pitch class in one byte; 255 for one outside 0..254 (an
// unreadable answer is -1).
void BindBytes(sqlite3_stmt* s, int index, const std::vector<int>& values) {
    std::string bytes;
    bytes.reserve(values.size());
    for (int value : values)
        bytes.push_back(static_cast<char>(value >= 0 && value < 255 ? value : 255));
    sqlite3_bind_blob(s, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

// Into what `values` already holds: reading a million answers reuses one
// entry's room.
void ReadBytes(sqlite3_stmt* s, int index, std::vector<int>& values) {
    values.clear();
    const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(s, index));
    const int size = sqlite3_column_bytes(s, index);
    for (int i = 0; i < size; ++i) values.push_back(bytes[i] == 255 ? -1 : bytes[i]);
}

void BindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void ReadText(sqlite3_stmt* s, int index, std::string& text) {
    const auto* chars = sqlite3_column_text(s, index);
    if (!chars) {
        text.clear();
        return;
    }
    text.assign(reinterpret_cast<const char*>(chars),
                static_cast<std::size_t>(sqlite3_column_bytes(s, index)));
}

// CSV fields are appended in place: a million rows must not cost a million
// rounds of temporary strings.
void AppendNumber(std::string& row, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    row.append(digits, end);
}

// ISO 8601 appended to `out`: the UTC time with a Z, or the local time with
// its offset. The calendar by arithmetic (days to civil date), not gmtime:
// export writes two of these per answer.
void AppendIsoTime(std::string& out, std::int64_t utcMs, int offsetMinutes, bool local) {
    // Years beyond ±30 000 are nonsense, and would overflow below.
    constexpr std::int64_t kLimit = 1'000'000'000'000'000;
    const std::int64_t shifted =
        std::clamp<std::int64_t>(utcMs, -kLimit, kLimit) + (local ? offsetMinutes * 60000LL : 0);
    const std::int64_t ms = ((shifted % 86'400'000) + 86'400'000) % 86'400'000;
    const std::int64_t z = (shifted - ms) / 86'400'000 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2);
    auto digits = [&out](std::int64_t value, int width) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        for (auto length = end - text; length < width; ++length) out += '0';
        out.append(text, end);
    };
    digits(year, 4);
    out += '-';
    digits(month, 2);
    out += '-';
    digits(day, 2);
    out += 'T';
    digits(ms / 3'600'000, 2);
    out += ':';
    digits(ms / 60'000 % 60, 2);
    out += ':';
    digits(ms / 1000 % 60, 2);
    out += '.';
    digits(ms % 1000, 3);
    if (!local) {
        out += 'Z';
        return;
    }
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    out += offsetMinutes < 0 ? '-' : '+';
    digits(offset / 60 % 100, 2);
    out += ':';
    digits(offset % 60, 2);
}

// One column of an answer: kept in the answers table when it has a name,
// shown in the CSV file when it has a header.
struct Column {
    const char* name = nullptr;
    const char* sqlType = nullptr;
    const char* csvHeader = nullptr;
    void (*bind)(sqlite3_stmt* s, int index, const JournalEntry& e) = nullptr;
    void (*read)(sqlite3_stmt* s, int index, JournalEntry& e) = nullptr;
    void (*write)(std::string& row, const JournalEntry& e) = nullptr;
    int since = 1;  // the layout that added it to the answers table
};

// The table keeps its columns in this order and the CSV file its own; the two
// differ only in the time, kept as a number and its offset but shown as two
// readable times. Neither order may change: journals already written and the
// spreadsheets that read the CSV rely on them. A new column goes at the end
// of both, with a default that older answers take.
constexpr Column kColumns[] = {
    {"session", "INTEGER NOT NULL", "session",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int64(s, i, e.session); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { e.session = sqlite3_column_int64(s, i); },
     [](std::string& row, const JournalEntry& e) { AppendNumber(row, e.session); }},
    {.name = "utc_ms",
     .sqlType = "INTEGER NOT NULL",
     .bind = [](sqlite3_stmt* s, int i,
                const JournalEntry& e) { sqlite3_bind_int64(s, i, e.utcMilliseconds); },
     .read = [](sqlite3_stmt* s, int i,
                JournalEntry& e) { e.utcMilliseconds = sqlite3_column_int64(s, i); }},
    {.name = "utc_offset_minutes",
     .sqlType = "INTEGER NOT NULL",
     .bind = [](sqlite3_stmt* s, int i,
                const JournalEntry& e) { sqlite3_bind_int(s, i, e.utcOffsetMinutes); },
     .read = [](sqlite3_stmt* s, int i,
                JournalEntry& e) { e.utcOffsetMinutes = sqlite3_column_int(s, i); }},
    {"run", "INTEGER NOT NULL", "run",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int(s, i, e.run); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { e.run = sqlite3_column_int(s, i); },
     [](std::string& row, const JournalEntry& e) { AppendNumber(row, e.run); }},
    {"question", "INTEGER NOT NULL", "question",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int(s, i, e.question); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { e.question = sqlite3_column_int(s, i); },
     [](std::string& row, const JournalEntry& e) { AppendNumber(row, e.question); }},
    {.csvHeader = "time_utc",
     .write =
         [](std::string& row, const JournalEntry& e) {
             AppendIsoTime(row, e.utcMilliseconds, e.utcOffsetMinutes, false);
         }},
    {.csvHeader = "local_time",
     .write =
         [](std::string& row, const JournalEntry& e) {
             AppendIsoTime(row, e.utcMilliseconds, e.utcOffsetMinutes, true);
         }},
    {"notes", "BLOB NOT NULL", "notes",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { BindBytes(s, i, e.notes); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { ReadBytes(s, i, e.notes); },
     [](std::string& row, const JournalEntry& e) { AppendNumbers(row, e.notes); }},
    {"question_text", "TEXT NOT NULL", "question_text",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { BindText(s, i, e.questionText); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { ReadText(s, i, e.questionText); },
     [](std::string& row, const JournalEntry& e) { row += CsvField(e.questionText); }},
    {"answered", "BLOB NOT NULL", "answered",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { BindBytes(s, i, e.answered); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { ReadBytes(s, i, e.answered); },
     [](std::string& row, const JournalEntry& e) { AppendNumbers(row, e.answered); }},
    {"correct", "INTEGER NOT NULL", "correct",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int(s, i, e.correct); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) {
         e.correct = sqlite3_column_int(s, i) != 0;
         // The verdict is not kept: it follows from the grade.
         e.verdict = e.correct ? "Correct" : "Incorrect";
     },
     [](std::string& row, const JournalEntry& e) { row += e.correct ? '1' : '0'; }},
    {.csvHeader = "verdict",
     .write = [](std::string& row, const JournalEntry& e) { row += CsvField(e.verdict); }},
    {"shepard", "INTEGER NOT NULL", "shepard",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int(s, i, e.shepard); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { e.shepard = sqlite3_column_int(s, i) != 0; },
     [](std::string& row, const JournalEntry& e) { row += e.shepard ? '1' : '0'; }},
    {"program", "INTEGER NOT NULL", "program",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int(s, i, e.program); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { e.program = sqlite3_column_int(s, i); },
     [](std::string& row, const JournalEntry& e) { AppendNumber(row, e.program); }},
    {"note_value", "TEXT NOT NULL", "note_value",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { BindText(s, i, e.noteValue); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { ReadText(s, i, e.noteValue); },
     [](std::string& row, const JournalEntry& e) { row += CsvField(e.noteValue); }},
    {"tempo", "INTEGER NOT NULL", "tempo",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { sqlite3_bind_int(s, i, e.tempo); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { e.tempo = sqlite3_column_int(s, i); },
     [](std::string& row, const JournalEntry& e) { AppendNumber(row, e.tempo); }},
    {"key_signature", "TEXT NOT NULL", "key_signature",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) { BindText(s, i, e.keySignature); },
     [](sqlite3_stmt* s, int i, JournalEntry& e) { ReadText(s, i, e.keySignature); },
     [](std::string& row, const JournalEntry& e) { row += CsvField(e.keySignature); }},
    // NULL, and an empty field, when not known.
    {"response_ms", "INTEGER", "response_ms",
     [](sqlite3_stmt* s, int i, const JournalEntry& e) {
         if (e.responseMilliseconds >= 0) {
             sqlite3_bind_int(s, i, e.responseMilliseconds);
         } else {
             sqlite3_bind_null(s, i);
         }
     },
     [](sqlite3_stmt* s, int i, JournalEntry& e) {
         e.responseMilliseconds =
             sqlite3_column_type(s, i) == SQLITE_NULL ? -1 : sqlite3_column_int(s, i);
     },
     [](std::string& row, const JournalEntry& e) {
         if (e.responseMilliseconds >= 0) AppendNumber(row, e.responseMilliseconds);
     }},
    // How the question came to be asked: answers of the first layout were
    // all drawn uniformly, without a sound to clear the ear.
    {.name = "coach_chose",
     .sqlType = "INTEGER NOT NULL DEFAULT 0",
     .csvHeader = "coach_chose",
     .bind = [](sqlite3_stmt* s, int i,
                const JournalEntry& e) { sqlite3_bind_int(s, i, e.coachChose); },
     .read = [](sqlite3_stmt* s, int i,
                JournalEntry& e) { e.coachChose = sqlite3_column_int(s, i) != 0; },
     .write = [](std::string& row, const JournalEntry& e) { row += e.coachChose ? '1' : '0'; },
     .since = 2},
    {.name = "ear_cleared",
     .sqlType = "INTEGER NOT NULL DEFAULT 0",
     .csvHeader = "ear_cleared",
     .bind = [](sqlite3_stmt* s, int i,
                const JournalEntry& e) { sqlite3_bind_int(s, i, e.earCleared); },
     .read = [](sqlite3_stmt* s, int i,
                JournalEntry& e) { e.earCleared = sqlite3_column_int(s, i) != 0; },
     .write = [](std::string& row, const JournalEntry& e) { row += e.earCleared ? '1' : '0'; },
     .since = 2},
};

// A kept column is bound and read back; a shown one is written.
constexpr bool Whole(const Column& c) {
    const bool kept = c.name && c.sqlType && c.bind && c.read;
    const bool notKept = !c.name && !c.sqlType && !c.bind && !c.read;
    return (kept || notKept) && (c.csvHeader != nullptr) == (c.write != nullptr) &&
           (c.name || c.csvHeader);
}
static_assert(std::ranges::all_of(kColumns, Whole));

}  // namespace

// Made once: the insert's text is asked for at every answer.
const std::string& AnswersTableSql() {
    static const std::string sql = [] {
        std::string text = "CREATE TABLE IF NOT EXISTS answers (\n    id INTEGER PRIMARY KEY";
        for (const Column& c : kColumns) {
            if (c.name) text = text + ",\n    " + c.name + ' ' + c.sqlType;
        }
        return text + "\n);\n";
    }();
    return sql;
}

const std::string& InsertAnswerSql() {
    static const std::string sql = [] {
        std::string names;
        std::string values;
        int index = 0;
        for (const Column& c : kColumns) {
            if (!c.name) continue;
            const char* comma = index > 0 ? ", " : "";
            names = names + comma + c.name;
            values = values + comma + '?' + std::to_string(++index);
        }
        return "INSERT INTO answers (" + names + ") VALUES (" + values + ")";
    }();
    return sql;
}

const std::string& ReplaceAnswerSql() {
    static const std::string sql = [] {
        std::string text = "UPDATE answers SET ";
        int index = 0;
        for (const Column& c : kColumns) {
            if (!c.name) continue;
            if (index > 0) text += ", ";
            text = text + c.name + " = ?" + std::to_string(++index);
        }
        return text + " WHERE id = ?" + std::to_string(index + 1);
    }();
    return sql;
}

std::string SelectAnswersSql(int layout) {
    std::string names;
    for (const Column& c : kColumns) {
        if (!c.name) continue;
        if (!names.empty()) names += ", ";
        // Not in the file yet: its default.
        names += c.since <= layout ? c.name : "0";
    }
    return "SELECT " + names + " FROM answers ORDER BY id";
}

std::string AddedColumnsSql(int layout) {
    std::string sql;
    for (const Column& c : kColumns) {
        if (c.name && c.since == layout) {
            sql = sql + "ALTER TABLE answers ADD COLUMN " + c.name + ' ' + c.sqlType + ";\n";
        }
    }
    return sql;
}

void BindAnswer(sqlite3_stmt* statement, const JournalEntry& entry) {
    int index = 0;
    for (const Column& c : kColumns) {
        if (c.bind) c.bind(statement, ++index, entry);
    }
}

void ReadAnswer(sqlite3_stmt* statement, JournalEntry& entry) {
    int index = 0;
    for (const Column& c : kColumns) {
        if (c.read) c.read(statement, index++, entry);
    }
}

std::string CsvHeader() {
    std::string header;
    for (const Column& c : kColumns) {
        if (!c.csvHeader) continue;
        if (!header.empty()) header += ',';
        header += c.csvHeader;
    }
    return header + "\r\n";
}

void AppendCsvRow(std::string& row, const JournalEntry& entry) {
    bool first = true;
    for (const Column& c : kColumns) {
        if (!c.write) continue;
        if (!first) row += ',';
        first = false;
        c.write(row, entry);
    }
    row += "\r\n";
}

}  // namespace velmora
