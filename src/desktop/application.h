// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/trainer.h"
#include "coach/next_step.h"
#include "desktop/problem_reporter.h"
#include "desktop/qt_scheduler.h"
#include "desktop/quit_signals.h"
#include "journal/sqlite_journal.h"
#include "midi/external/keyboard_input.h"
#include "midi/setup/sound_setup.h"
#include "midi/setup/starting_sound.h"
#include "progress/progress_feed.h"
#include "progress/progress_statistics.h"
#include "ui/exercise_marks.h"
#include "ui/main_window.h"
#include "ui/midi_input_menu.h"
#include "ui/practice_menu.h"
#include "ui/progress_controller.h"
#include "ui/progress_history.h"
#include "ui/progress_menu.h"
#include "ui/remembered_choices.h"
#include "ui/run_summary_window.h"
#include "ui/sound_menu.h"

namespace velmora {

// The desktop program: every part it is made of, built in the order they are
// declared, wired in named steps, and taken down in one ordered shutdown that
// every way out goes through. Create it once the QApplication exists.
class Application final : public QObject {
    Q_OBJECT

public:
    struct Setup {
        Options options;
        std::string journalPath;  // ignored with options.noJournal
        // Where the remembered choices live; empty: the desktop's usual place.
        QString settingsFile;
    };

    explicit Application(Setup setup, std::ostream& terminal);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the window and runs until a way out; the exit status.
    int run();
    // The one way out: sounding notes released, the output closed, the journal
    // written. Once; every later call does nothing.
    void shutDown();

    MainWindow& window() { return window_; }
    Trainer& trainer() { return trainer_; }
    SoundSetup& sound() { return sound_; }
    SqliteJournal* journal() { return journal_.get(); }
    ProgressController& progress() { return progressController_; }

private:
    void wireSound();
    void wireKeyboard();
    void wireJournal();
    void wireProgress();
    void wireCoach();
    void wireWaysOut();
    void showRunSummary();
    NextStep nextStep();
    void showSound();
    void showKeyboard();
    void tellSettingsProblem();
    std::unique_ptr<SqliteJournal> openJournal();
    ProgressMenu::Actions journalActions();

    const Setup setup_;
    ProblemReporter problems_;
    RememberedChoices remembered_;
    const StartingSound start_;
    SoundSetup sound_;
    KeyboardInput keyboard_;
    // The keyboard's bytes reach the window's thread through a pipe.
    QSocketNotifier keyboardArrivals_;
    std::unique_ptr<SqliteJournal> journal_;
    QtScheduler scheduler_;
    Trainer trainer_;
    MainWindow window_;
    MidiInputMenu midiInputMenu_;
    // Every answer passes the Progress window's statistics on its way to the journal.
    ProgressStatistics progress_;
    ProgressFeed progressFeed_;
    ProgressController progressController_;
    ProgressMenu progressMenu_;
    std::unique_ptr<ProgressHistoryLoad> history_;
    // The coach: marks in Select Exercise, a summary after every run, and
    // the Practice menu with its options.
    ExerciseMarks exerciseMarks_;
    PracticeMenu practiceMenu_;
    QPointer<RunSummaryWindow> runSummary_;  // built at the first run's end
    SoundMenu soundMenu_;
    QString soundStatus_;
    std::unique_ptr<QuitSignals> quitSignals_;
    std::unique_ptr<WindowDestroyedFromOutside> windowGone_;
    std::unique_ptr<LastWords> lastWords_;
    std::unique_ptr<QObject> firstPaint_;
    bool shutDown_ = false;
};

// Ends the process at once when an audio output or a keyboard watcher given up
// at closing still runs inside a library that cannot be interrupted, so that
// nothing is torn down under it; returns otherwise.
void EndIfAStartStillRuns(int status);

}  // namespace velmora
