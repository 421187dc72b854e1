// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/messages.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// The bytes on the wire, as the MIDI log and an external port show them.
TEST(Messages, FormatShowsOnlyTheBytesOnTheWire) {
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kNoteOnStatus, 0, 60, 127)), "90 3C 7F");
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kNoteOffStatus, 0, 60, 0)), "80 3C 00");
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kProgramChangeStatus, 0, 40, 0)), "C0 28");
    // Status in the lowest byte: an external port sends the bytes in that order.
    EXPECT_EQ(ComposeShortMessage(kNoteOnStatus, 15, 127, 126), 0x7E7F9Fu);
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kProgramChangeStatus, 0, 127, 0)), "C0 7F");
    EXPECT_EQ(MessageLength(0xD0), 2);
    EXPECT_EQ(MessageLength(0xF8), 1);
}

}  // namespace
}  // namespace velmora
