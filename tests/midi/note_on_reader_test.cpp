// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/note_on_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

std::vector<int> NotesIn(std::vector<std::uint8_t> bytes) {
    std::vector<int> notes;
    NoteOnReader reader([&notes](int note) { notes.push_back(note); });
    reader.read(bytes);
    return notes;
}

TEST(NoteOnReader, OnlyNoteOnsWithAVelocityAnswer) {
    EXPECT_EQ(NotesIn({0x90, 60, 100, 0x9F, 0, 1, 0x95, 127, 64}), (std::vector<int>{60, 0, 127}))
        << "any channel, the whole range";
    EXPECT_EQ(NotesIn({0x90, 60, 0, 0x80, 60, 64, 0xB0, 64, 127, 0xE0, 0, 64, 0xA0, 60, 90}),
              std::vector<int>{})
        << "velocity 0, note-off, pedal, bend, key pressure";
    // One data byte after a program change or channel pressure: the next
    // message is not shifted by one.
    EXPECT_EQ(NotesIn({0xC0, 5, 0x90, 62, 80, 0xD0, 99, 0x90, 64, 80}), (std::vector<int>{62, 64}));
}

TEST(NoteOnReader, RunningStatusAndBytesArrivingInPieces) {
    EXPECT_EQ(NotesIn({0x90, 60, 100, 64, 100, 67, 0, 72, 90}), (std::vector<int>{60, 64, 72}));
    EXPECT_EQ(NotesIn({0x80, 60, 0, 64, 0}), std::vector<int>{}) << "running note-offs";

    std::vector<int> notes;
    NoteOnReader reader([&notes](int note) { notes.push_back(note); });
    for (std::uint8_t byte : {0x91, 48, 70, 50}) reader.read({&byte, 1});
    EXPECT_EQ(notes, std::vector<int>{48});
    const std::uint8_t rest[] = {70};
    reader.read(rest);
    EXPECT_EQ(notes, (std::vector<int>{48, 50}));
}

TEST(NoteOnReader, RealTimeSystemExclusiveAndSystemCommonAreNoNotes) {
    // Clock and active sensing inside a message leave it and its running status whole.
    EXPECT_EQ(NotesIn({0x90, 0xF8, 60, 0xFE, 100, 0xF8, 62, 0xFF, 100}),
              (std::vector<int>{60, 62}));
    // System exclusive data look like notes, and end the running status.
    EXPECT_EQ(NotesIn({0x90, 60, 100, 0xF0, 0x7E, 60, 100, 0xF7, 61, 100}), std::vector<int>{60});
    // Song position and MTC quarter frames likewise.
    EXPECT_EQ(NotesIn({0x90, 60, 100, 0xF2, 60, 100, 62, 100}), std::vector<int>{60});
    EXPECT_EQ(NotesIn({0xF1, 0x90, 60, 100}), std::vector<int>{60});
    EXPECT_EQ(NotesIn({60, 100, 62}), std::vector<int>{}) << "data before any status";
}

}  // namespace
}  // namespace velmora
