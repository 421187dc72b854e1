// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// The columns of an answer, listed once in journal_columns.cpp: the answers
// table, the statements that write and read it, and the CSV export are all
// made from that list.

#include <string>

#include "ports/journal.h"

struct sqlite3_stmt;

namespace velmora {

// CREATE TABLE IF NOT EXISTS answers (...).
const std::string& AnswersTableSql();
// INSERT of every stored column, bound ?1, ?2... in the table's order.
const std::string& InsertAnswerSql();
// UPDATE of every stored column, bound as for the insert; the row's id is
// the last parameter.
const std::string& ReplaceAnswerSql();
// SELECT of every stored column, oldest answer first, from a file of that
// layout: a column it does not have yet reads as 0, the default of every
// column added so far.
std::string SelectAnswersSql(int layout);
// The ALTER TABLE statements that add the columns new in `layout` to the
// layout before it; an older layout is brought up to date one step at a time.
std::string AddedColumnsSql(int layout);

// Binds an answer to the insert or the update.
void BindAnswer(sqlite3_stmt* statement, const JournalEntry& entry);
// Reads the row a select stepped to into what `entry` already holds.
void ReadAnswer(sqlite3_stmt* statement, JournalEntry& entry);

// The CSV header line, with its line end.
std::string CsvHeader();
// Appends one answer's CSV line, with its line end.
void AppendCsvRow(std::string& row, const JournalEntry& entry);

}  // namespace velmora
