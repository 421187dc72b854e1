// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "app/answer_hearing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_fixture.h"

namespace velmora::testing {
namespace hearing_test {

using Notes = std::vector<Note>;

// Counts what reaches the journal.
class CountingJournal final : public Journal {
public:
    void record(const JournalEntry& entry) override { entries.push_back(entry); }
    void replaceLast(const JournalEntry& entry) override { entries.back() = entry; }
    std::vector<JournalEntry> entries;
};

inline std::uint32_t MaskerMsg(int status, int data1, int data2) {
    return ComposeShortMessage(status, kMaskerChannel, data1, data2);
}

using Messages = std::vector<std::uint32_t>;

// Program change and note-on for each note; with `released`, the note-offs.
Messages Sounded(const Notes& notes, bool released = true) {
    Messages messages;
    for (Note note : notes) {
        messages.push_back(ProgramChange(0));
        messages.push_back(NoteOnMsg(note));
    }
    if (released) {
        for (Note note : notes) messages.push_back(NoteOffMsg(note));
    }
    return messages;
}

Messages Joined(std::initializer_list<Messages> parts) {
    Messages all;
    for (const Messages& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class HearingTest : public RunTest {
protected:
    void SetUp() override {
        trainer.setJournal(&journal);
        RunTest::SetUp();
        trainer.onHearing([this](const std::string& text) { labels.push_back(text); });
    }
    // A run with one question answered, stopped, its last sounding over.
    void answerThenStop(const Notes& question, std::initializer_list<int> answer) {
        panel().cmdPlay.click();
        pose(question);
        press(answer);
        panel().cmdPlayStop.click();
        finishPlayback();
        device.clear();
    }
    void expectNothingCounted(int records) {
        EXPECT_EQ(std::ssize(journal.entries), records);
        EXPECT_EQ(std::ssize(panel().ListView1.rows()), records);
        EXPECT_EQ(state().rightCount + state().wrongCount, records);
    }
    CountingJournal journal;
    std::vector<std::string> labels;
};

TEST(AnsweredNotes, EachPitchClassNearItsAskedNote) {
    EXPECT_EQ(AnsweredNotes({63}, {4}, false), Notes{64});
    EXPECT_EQ(AnsweredNotes({63}, {2}, false), Notes{62});
    EXPECT_EQ(AnsweredNotes({60}, {6}, false), Notes{54}) << "a tritone: below";
    EXPECT_EQ(AnsweredNotes({60}, {11}, false), Notes{59}) << "the octave below is nearer";
    EXPECT_EQ(AnsweredNotes({60, 64, 67}, {0, 3, 7}, false), (Notes{60, 63, 67}));
    EXPECT_EQ(AnsweredNotes({60, 64, 67}, {0, 0, 7, 9}, false), (Notes{60, 67, 69}))
        << "a key once; a press past the chord near its top";
    EXPECT_EQ(AnsweredNotes({127}, {1}, false), Notes{121}) << "kept within MIDI";
    EXPECT_EQ(AnsweredNotes({39, 51, 63}, {4}, true), (Notes{40, 52, 64})) << "a Shepard tone";
    EXPECT_TRUE(AnsweredNotes({60}, {-1}, false).empty());
}

TEST_F(HearingTest, ASingleNoteAnswerIsHeardBetweenTheQuestionTwice) {
    checkOnly({3, 4});
    answerThenStop({63}, {4});
    ASSERT_EQ(panel().lblResult.caption(), "Incorrect");
    ASSERT_TRUE(trainer.HearMyAnswer());
    EXPECT_FALSE(trainer.HearMyAnswer()) << "not twice at once";
    for (int part = 0; part < 3; ++part) finishPlayback();

    EXPECT_EQ(device.messages, Joined({Sounded({63}), Sounded({64}), Sounded({63})}));
    EXPECT_EQ(labels, (std::vector<std::string>{"asked: Eb4", "you: E4", "asked: Eb4", ""}));
    EXPECT_FALSE(trainer.playback().isWaiting());
    expectNothingCounted(1);
}

TEST_F(HearingTest, AChordAnswerIsHeardInTheChordsRegisterInTheKeyShownNow) {
    checkOnly({0, 3, 4, 7});
    answerThenStop({60, 64, 67}, {0, 3, 7});
    panel().lstKeySignature.setListIndex(2);  // sharps only: D#
    ASSERT_TRUE(trainer.HearMyAnswer());
    finishPlayback();
    finishPlayback();
    EXPECT_EQ(device.messages,
              Joined({Sounded({60, 64, 67}), Sounded({60, 63, 67}), Sounded({60, 64, 67}, false)}));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"asked: C4-E4-G4", "you: C4-D#4-G4", "asked: C4-E4-G4"}));

    panel().cmdPlay.click();
    EXPECT_EQ(labels.back(), "") << "PLAY cuts it short";
    EXPECT_FALSE(trainer.HearMyAnswer()) << "a new run has nothing wrong yet";
}

TEST_F(HearingTest, RefusedWithNothingWrongToHearOrDuringTheDrill) {
    EXPECT_FALSE(trainer.HearMyAnswer()) << "no answer yet";
    checkOnly({3, 4});
    answerThenStop({63}, {3});
    EXPECT_FALSE(trainer.HearMyAnswer()) << "the answer was right";
    answerThenStop({63}, {4});
    EXPECT_TRUE(trainer.canHearMyAnswer());
    checkOnly({3});
    panel().pic_Repeat_1_Note.click();
    ASSERT_TRUE(state().repeatActive);
    EXPECT_FALSE(trainer.canHearMyAnswer());
    EXPECT_FALSE(trainer.HearMyAnswer());
    EXPECT_TRUE(labels.empty());
}

TEST_F(HearingTest, InARunItWaitsForThePassToEndAndCountsNothing) {
    checkOnly({3, 4});
    panel().cmdPlay.click();
    pose({63});
    press({4});
    ASSERT_TRUE(trainer.HearMyAnswer());
    EXPECT_TRUE(labels.empty()) << "the question sounding now plays out";
    finishPlayback();
    EXPECT_EQ(panel().lblQuestionNumber.caption(), "Q # 2") << "posed again, not yet sounding";
    EXPECT_EQ(labels, std::vector<std::string>{"asked: Eb4"});
    device.clear();
    for (int part = 0; part < 3; ++part) finishPlayback();
    EXPECT_EQ(labels.back(), "");
    EXPECT_EQ(device.messages,
              Joined({{NoteOffMsg(63)}, Sounded({64}), Sounded({63}), Sounded({63}, false)}))
        << "the answer, the question, then the question posed again";
    expectNothingCounted(1);
    EXPECT_EQ(panel().lblResult.caption(), kSingleNotePrompt);
}

TEST_F(HearingTest, CoachedMistakeIsHeardThenTheEarClearedThenTheQuestionPosed) {
    trainer.setCoachOptions(
        {.choosesQuestions = true, .clearsEar = true, .hearsAnswerAfterMistakes = true});
    checkOnly({3, 4});
    panel().cmdPlay.click();
    pose({63});
    press({4});
    finishPlayback();
    EXPECT_EQ(labels, std::vector<std::string>{"asked: Eb4"}) << "by itself";
    const auto instrument = state().instrumentProgram;
    for (int part = 0; part < 3; ++part) finishPlayback();
    EXPECT_EQ(Messages(device.messages.end() - 2, device.messages.end()),
              (Messages{MaskerMsg(kProgramChangeStatus, kMaskerProgram, 0),
                        MaskerMsg(kNoteOnStatus, kMaskerKey, kMaskerVelocity)}));
    EXPECT_EQ(device.sounding.size(), 1u) << "only the masker";
    EXPECT_EQ(state().instrumentProgram, instrument);
    EXPECT_TRUE(state().earClearedBeforeQuestion);

    device.clear();
    clock.advanceBy(Ms(kEarClearingMs));
    ASSERT_GE(device.messages.size(), 3u);
    EXPECT_EQ(device.messages[0], MaskerMsg(kNoteOffStatus, kMaskerKey, 0))
        << "released before the question sounds";
    EXPECT_EQ(StatusOf(device.messages[2]), kNoteOnStatus) << "the question, on its own channel";
    expectNothingCounted(1);

    // A right answer: a new question, the ear cleared before it; STOP ends the masker at once.
    pose({63});
    press({3});
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_FALSE(journal.entries[0].earCleared);
    EXPECT_TRUE(journal.entries[1].earCleared);
    finishPlayback();
    EXPECT_TRUE(trainer.playback().clearingEar());
    device.clear();
    panel().cmdPlayStop.click();
    EXPECT_EQ(device.messages, Messages{MaskerMsg(kNoteOffStatus, kMaskerKey, 0)});
    EXPECT_FALSE(trainer.playback().isWaiting());
    expectNothingCounted(2);
}

TEST_F(HearingTest, TheMaskerEndsWithTheWindow) {
    trainer.setCoachOptions({.choosesQuestions = true});
    checkOnly({3, 4});
    panel().cmdPlay.click();
    pose({63});
    press({4});
    finishPlayback();
    ASSERT_TRUE(trainer.playback().clearingEar());
    EXPECT_TRUE(labels.empty()) << "no hearing unless asked";
    trainer.Form_Unload();
    EXPECT_TRUE(device.sounding.empty());
    clock.advanceBy(Ms(60000));
    EXPECT_EQ(device.sentWhileClosed, 0);
    EXPECT_EQ(clock.pendingTimers(), 0u);
}

}  // namespace hearing_test
}  // namespace velmora::testing
