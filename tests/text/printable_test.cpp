// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "text/printable.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(Printable, LeavesOrdinaryTextAlone) {
    for (const std::string text : {"/home/anna/piano.sf2", "Müller – 中文 🎹", "C:\\fonts\\a b.sf2",
                                   "", "\xC2\xA0(no-break space)"}) {
        EXPECT_EQ(Printable(text), text);
    }
}

TEST(Printable, ShowsControlCharactersAsEscapes) {
    EXPECT_EQ(Printable("a\nb\tc\rd"), "a\\nb\\tc\\rd");
    EXPECT_EQ(Printable("\x1b[2Jred"), "\\x1b[2Jred");
    EXPECT_EQ(Printable(std::string("nul\0del\x7f", 8)), "nul\\x00del\\x7f");
    EXPECT_EQ(Printable("\xC2\x9B[31m"), "\\x9b[31m");  // the C1 control CSI, as UTF-8
}

TEST(Printable, ShowsBytesThatAreNotUtf8AsEscapes) {
    EXPECT_EQ(Printable("M\xFCller"), "M\\xfcller");                   // Latin-1
    EXPECT_EQ(Printable("\x9B[31m"), "\\x9b[31m");                     // a lone C1 byte
    EXPECT_EQ(Printable("cut \xE2\x82"), "cut \\xe2\\x82");            // a sequence cut short
    EXPECT_EQ(Printable("\xC0\xAF"), "\\xc0\\xaf");                    // an overlong '/'
    EXPECT_EQ(Printable("\xED\xA0\x80"), "\\xed\\xa0\\x80");           // a surrogate
    EXPECT_EQ(Printable("\xF4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");  // past U+10FFFF
}

TEST(Printable, TwiceIsOnceAndQuotedAddsQuotes) {
    const std::string hostile = "a\n\x1b[31m\xFF\xC2\x85\\x1b";
    EXPECT_EQ(Printable(Printable(hostile)), Printable(hostile));
    EXPECT_EQ(Quoted("x\ny"), "'x\\ny'");
}

}  // namespace
}  // namespace velmora
