// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "scoring/answer_journal.h"

#include <gtest/gtest.h>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace {

// Keeps what the trainer hands over, applying a replacement as a journal must.
class FakeJournal final : public Journal {
public:
    void record(const JournalEntry& entry) override { entries.push_back(entry); }
    void replaceLast(const JournalEntry& entry) override {
        ++replacements;
        ASSERT_FALSE(entries.empty()) << "a replacement with nothing kept";
        entries.back() = entry;
    }
    std::vector<JournalEntry> entries;
    int replacements = 0;
};

class AnswerJournalTest : public RunTest {
protected:
    void SetUp() override {
        trainer.setJournal(&journal);
        RunTest::SetUp();
    }
    FakeJournal journal;
};

TEST(PitchClassOfName, ReadsEveryNameTheButtonsShow) {
    const std::pair<const char*, int> cases[] = {{"C", 0},   {"B#", 0}, {"Cb", 11}, {"Fx", 7},
                                                 {"Eb", 3},  {"", -1},  {"H", -1},  {"c", -1},
                                                 {"C?", -1}, {"#", -1}};
    for (auto [name, pitchClass] : cases) EXPECT_EQ(PitchClassOfName(name), pitchClass) << name;
}

TEST_F(AnswerJournalTest, EveryRecordReachesTheJournalWithItsSettingsAndTimes) {
    checkOnly({0, 4, 7});
    panel().cboInstrument.setListIndex(40);
    panel().lstDuration.setListIndex(2);  // Quarter: each playback lasts 1 s at 60
    panel().chkExcludeExactOctave.setChecked(true);
    clock.advanceBy(Ms(250));
    panel().cmdPlay.click();  // question 1 sounds now
    pose({60, 64, 67});
    clock.advanceBy(Ms(600));
    press({0, 4, 7});
    ASSERT_EQ(journal.entries.size(), 1u);
    const JournalEntry& first = journal.entries[0];
    EXPECT_EQ(first.utcMilliseconds, wallClock.utcStart + 850);
    EXPECT_EQ(first.utcOffsetMinutes, 60);
    EXPECT_EQ(first.session, 0) << "the journal assigns it";
    EXPECT_EQ(first.run, 1);
    EXPECT_EQ(first.question, 1);
    EXPECT_EQ(first.notes, (std::vector<int>{60, 64, 67}));
    EXPECT_EQ(first.questionText, "C-E-G") << "as the table shows it";
    EXPECT_EQ(first.answered, (std::vector<int>{0, 4, 7}));
    EXPECT_TRUE(first.correct);
    EXPECT_EQ(first.verdict, "Correct");
    EXPECT_FALSE(first.shepard);
    EXPECT_EQ(first.program, 40);
    EXPECT_EQ(first.noteValue, "Quarter");
    EXPECT_EQ(first.tempo, 60);
    EXPECT_EQ(first.keySignature, panel().lstKeySignature.text());
    EXPECT_EQ(first.responseMilliseconds, 600);

    // Question 2 sounds at 1 s; the user lets it play twice, then answers
    // wrong under another spelling: the time runs from its first sounding.
    clock.advanceBy(Ms(400));
    pose({64, 67});
    clock.advanceBy(Ms(1000));
    clock.advanceBy(Ms(300));
    panel().lstKeySignature.setListIndex(1);  // E is now Fb
    press({4, 0});
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_EQ(journal.entries[1].question, 2);
    EXPECT_EQ(panel().lblNoteInput.caption(), "Fb-C");
    EXPECT_EQ(journal.entries[1].answered, (std::vector<int>{4, 0}));
    EXPECT_FALSE(journal.entries[1].correct);
    EXPECT_EQ(journal.entries[1].verdict, "Incorrect");
    EXPECT_EQ(journal.entries[1].responseMilliseconds, 1300);

    // Posed again as question 3 when this playback ends; timed from there.
    clock.advanceBy(Ms(700));
    clock.advanceBy(Ms(450));
    press({4, 7});
    ASSERT_EQ(journal.entries.size(), 3u);
    EXPECT_EQ(journal.entries[2].question, 3);
    EXPECT_EQ(journal.entries[2].responseMilliseconds, 450);

    // A new run counts from 1 again, under the next run number.
    panel().cmdPlay.click();
    pose({60});
    press({0});
    ASSERT_EQ(journal.entries.size(), 4u);
    EXPECT_EQ(journal.entries[3].run, 2);
    EXPECT_EQ(journal.entries[3].question, 1);
    EXPECT_EQ(journal.entries[3].responseMilliseconds, 0);
}

TEST_F(AnswerJournalTest, AnOverLongAnswerReplacesItsEntry) {
    checkOnly({0, 4, 7});
    panel().cmdPlay.click();
    pose({60});
    press({0});
    clock.advanceBy(Ms(200));
    press({4});
    clock.advanceBy(Ms(100));
    press({7});
    ASSERT_EQ(journal.entries.size(), 1u) << "never both";
    EXPECT_EQ(journal.replacements, 2);
    EXPECT_EQ(journal.entries[0].answered, (std::vector<int>{0, 4, 7}));
    EXPECT_EQ(journal.entries[0].verdict, "Incorrect");
    EXPECT_EQ(journal.entries[0].responseMilliseconds, 300);

    // Posed again: the next answer is an entry of its own.
    finishPlayback();
    press({0});
    EXPECT_EQ(journal.entries.size(), 2u);
}

TEST_F(AnswerJournalTest, ShepardEntriesKeepEveryOctaveAndEveryPress) {
    checkOnly({6});
    setRange(48, 71);
    panel().chkShepard.setChecked(true);
    panel().cmdPlay.click();
    clock.advanceBy(Ms(900));
    press({6});
    type("f");
    ASSERT_EQ(journal.entries.size(), 2u);
    for (const JournalEntry& entry : journal.entries) {
        EXPECT_TRUE(entry.shepard);
        EXPECT_EQ(entry.notes, (std::vector<int>{54, 66}));
        EXPECT_EQ(entry.questionText, "F#");
        EXPECT_EQ(entry.responseMilliseconds, 900);
    }
    EXPECT_EQ(journal.entries[0].answered, std::vector<int>{6});
    EXPECT_EQ(journal.entries[1].answered, (std::vector<int>{6, 5}));
}

}  // namespace
}  // namespace velmora::testing
