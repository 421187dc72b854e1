#include "midi/setup/sound_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "midi/messages.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Notes to a port that is not there, logged to a device that is always full:
// the log's write error comes up only once the trainer sends.
SoundOptions FullLog() {
    SoundOptions options;
    options.midiOut = "no such port anywhere";
    options.midiLog = "/dev/full";
    return options;
}

void Play(SoundSetup& sound) {
    sound.device().open();
    sound.device().send(ComposeShortMessage(kNoteOnStatus, 0, 60, 100));
    sound.device().send(ComposeShortMessage(kNoteOffStatus, 0, 60, 0));
}

TEST(SoundSetupTest, ALogThatFailsWhileSendingIsReportedOnce) {
    SoundSetup sound(FullLog());
    int changes = 0;
    sound.onChange([&changes] { ++changes; });
    sound.device().open();
    const SoundReport atStart = sound.report();
    EXPECT_THAT(atStart.newProblems, ElementsAre(HasSubstr("no such port anywhere")));

    Play(sound);
    EXPECT_EQ(changes, 1);
    const SoundReport later = sound.report();
    EXPECT_THAT(later.newProblems,
                ElementsAre(HasSubstr("cannot write MIDI log '/dev/full' any more: ")));
    EXPECT_TRUE(sound.report().newProblems.empty()) << "told once";
}

TEST(SoundSetupTest, AProblemBeforeAnyoneListensIsToldWithTheFirstReport) {
    SoundSetup sound(FullLog());
    Play(sound);
    EXPECT_THAT(sound.report().newProblems,
                ::testing::Contains(HasSubstr("cannot write MIDI log '/dev/full' any more: ")));
}

}  // namespace
}  // namespace velmora
