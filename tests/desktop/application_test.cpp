// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The desktop program as main() runs it, in process: its parts wired, each
// problem told once, and every way out one shutdown.

#include "desktop/application.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QSpinBox>
#include <QTest>

#include <sstream>

#include "midi/setup/background_open.h"
#include "testing/temp_dir.h"
#include "ui/qt_app.h"
#include "ui/remembered_choices.h"
#include "ui/run_summary_window.h"
#include "ui/status_line.h"

namespace velmora {
namespace {

TEST(ProblemReporter, TellsEachProblemOnceWhileItStandsAndKeepsTheLineInStep) {
    std::ostringstream terminal;
    ProblemReporter problems("velmora", terminal);
    using Source = ProblemReporter::Source;
    std::string line;
    bool shownAsProblem = false;
    problems.showOn(Source::Sound, [&](const std::string& shown, bool problem) {
        line = shown;
        shownAsProblem = problem;
    });

    problems.report(Source::Sound, "No sound: the server went", true, {"the server went"});
    problems.report(Source::Sound, "No sound: the server went", true, {"the server went"});
    EXPECT_EQ(terminal.str(), "velmora: the server went\n") << "once while it stands";
    EXPECT_EQ(line, "No sound: the server went");
    EXPECT_TRUE(shownAsProblem);

    // Another part's problem of the same words is its own.
    problems.report(Source::Journal, "", true, {"the server went"});
    problems.report(Source::Sound, "Built-in synthesizer", false);
    EXPECT_EQ(line, "Built-in synthesizer");
    EXPECT_FALSE(shownAsProblem);
    problems.report(Source::Sound, "No sound: the server went", true, {"the server went"});
    problems.tell(Source::Settings, "");
    problems.tell(Source::Settings, "choices not remembered: \x1b[31m");
    problems.tell(Source::Settings, "choices not remembered: \x1b[31m");
    EXPECT_EQ(terminal.str(),
              "velmora: the server went\n"
              "velmora: the server went\n"
              "velmora: the server went\n"
              "velmora: choices not remembered: \\x1b[31m\n")
        << "told again once it had gone; a part's own line only; nothing that moves the cursor";
}

TEST(Application, BuildsTheWindowsMenusAndEndsOnceHoweverItEnds) {
    EnsureQtApplication();
    const testing::TempDir folder;
    Options options;
    // ALSA's null device: the built-in synthesizer plays, unheard.
    options.sound.audioDriver = "alsa";
    options.sound.synthSettings = {{"audio.alsa.device", "null"}};
    std::ostringstream terminal;
    Application application(
        {.options = options,
         .journalPath = (folder.path() / "journal.sqlite").string(),
         .settingsFile = QString::fromStdString((folder.path() / "velmora.conf").string())},
        terminal);
    MainWindow& window = application.window();
    EXPECT_EQ(window.soundMenu()->actions().first()->text(), "Sound &Settings…");
    EXPECT_EQ(window.midiInputMenu()->actions().first()->text(), "None");
    EXPECT_EQ(window.progressMenu()->actions().first()->text(), "&Show progress…");
    EXPECT_TRUE(window.progressMenu()->actions().last()->isEnabled()) << "a journal is kept";

    // The sound opens in the background and its line follows.
    auto* soundLine = window.findChildren<StatusLine*>().value(0);
    ASSERT_NE(soundLine, nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return soundLine->message().startsWith("Built-in synthesizer"); }, 10000))
        << soundLine->message().toStdString();
    EXPECT_EQ(terminal.str(), "");

    ASSERT_NE(application.trainer().state().midiOutHandle, nullptr);
    window.close();
    EXPECT_EQ(application.trainer().state().midiOutHandle, nullptr) << "closing is the way out";
    application.shutDown();
    EXPECT_EQ(terminal.str(), "");
}

// A run that ends with answers is summed up beside the trainer; the daily
// goal chosen in the Progress window and the coach's options are remembered
// for the next start.
TEST(Application, SumsUpARunWithAnswersAndRemembersTheGoalAndTheCoachsOptions) {
    EnsureQtApplication();
    const testing::TempDir folder;
    const QString settings = QString::fromStdString((folder.path() / "velmora.conf").string());
    Options options;
    options.sound.audioDriver = "alsa";
    options.sound.synthSettings = {{"audio.alsa.device", "null"}};
    std::ostringstream terminal;
    Application application({.options = options,
                             .journalPath = (folder.path() / "journal.sqlite").string(),
                             .settingsFile = settings},
                            terminal);
    Panel& panel = application.trainer().panel();
    auto summary = [&] { return application.window().findChild<RunSummaryWindow*>(); };

    panel.cmdPlay.click();
    panel.cmdPlayStop.click();
    EXPECT_EQ(summary(), nullptr) << "a run without answers is not summed up";

    panel.cmdPlay.click();
    ASSERT_TRUE(application.trainer().state().exerciseRunning);
    for (int answer = 0; answer < 3; ++answer) {
        for (Note note : application.trainer().state().questionNotes) {
            panel.cmdAnswerButton[PitchClassOf(note)].click();
        }
        QTest::qWait(0);
    }
    panel.cmdPlayStop.click();
    ASSERT_NE(summary(), nullptr);
    EXPECT_TRUE(summary()->isVisible());
    EXPECT_FALSE(summary()->isActiveWindow()) << "the trainer keeps the keyboard";

    auto* goal = application.progress().show().findChild<QSpinBox*>();
    ASSERT_NE(goal, nullptr);
    goal->setValue(25);

    EXPECT_FALSE(application.trainer().coachOptions().choosesQuestions) << "off at first start";
    QAction* chooses = nullptr;
    for (QAction* action : application.window().practiceMenu()->actions()) {
        if (action->text() == "Coach &Chooses the Questions") chooses = action;
    }
    ASSERT_NE(chooses, nullptr);
    chooses->trigger();
    EXPECT_TRUE(application.trainer().coachOptions().choosesQuestions);
    application.shutDown();
    EXPECT_EQ(RememberedChoices(settings).dailyGoalMinutes(), 25);
    EXPECT_TRUE(RememberedChoices(settings).coachOptions().choosesQuestions);
    // The program's way out leaves a SoundFont still loading behind; a test
    // program goes on to its own end, so it waits for the load to finish.
    EXPECT_TRUE(QTest::qWaitFor([] { return BackgroundOpen::StartsStillRunning() == 0; }, 120000));
}

}  // namespace
}  // namespace velmora
