#include "midi/messages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace velmora {
namespace {

std::array<unsigned char, 4> BytesOf(std::uint32_t message) {
    // Least significant byte first, as the message goes to the device.
    return {static_cast<unsigned char>(message & 0xFF), static_cast<unsigned char>(message >> 8),
            static_cast<unsigned char>(message >> 16), static_cast<unsigned char>(message >> 24)};
}

using Bytes = std::array<unsigned char, 4>;

TEST(Messages, ByteLayoutOfTheThreeMessages) {
    EXPECT_EQ(BytesOf(ComposeShortMessage(kNoteOnStatus, 0, 60, 127)),
              (Bytes{0x90, 0x3C, 0x7F, 0}));
    EXPECT_EQ(BytesOf(ComposeShortMessage(kNoteOffStatus, 0, 60, 0)), (Bytes{0x80, 0x3C, 0, 0}));
    EXPECT_EQ(BytesOf(ComposeShortMessage(kProgramChangeStatus, 0, 0, 0)), (Bytes{0xC0, 0, 0, 0}));
    EXPECT_EQ(BytesOf(ComposeShortMessage(kProgramChangeStatus, 0, 127, 0)),
              (Bytes{0xC0, 0x7F, 0, 0}));
    EXPECT_EQ(BytesOf(ComposeShortMessage(kNoteOnStatus, 15, 127, 127)),
              (Bytes{0x9F, 0x7F, 0x7F, 0}));
}

TEST(Messages, FormatShowsOnlyTheBytesOnTheWire) {
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kNoteOnStatus, 0, 60, 127)), "90 3C 7F");
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kNoteOffStatus, 0, 60, 0)), "80 3C 00");
    EXPECT_EQ(FormatMessage(ComposeShortMessage(kProgramChangeStatus, 0, 40, 0)), "C0 28");
    EXPECT_EQ(MessageLength(0xD0), 2);
    EXPECT_EQ(MessageLength(0xF8), 1);
}

}  // namespace
}  // namespace velmora
