// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "desktop/application.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QMenu>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "coach/run_summary.h"
#include "midi/setup/starting_sound.h"
#include "ui/control_binding.h"
#include "ui/next_step_row.h"
#include "ui/window_thread.h"

namespace velmora {

namespace {

using Source = ProblemReporter::Source;

QObject* WindowThread() {
    return QCoreApplication::instance();
}

// Minutes a day, until the learner sets a goal of their own.
constexpr int kDefaultDailyGoalMinutes = 15;

// Now as the journal's days count it.
int Today() {
    const QDateTime now = QDateTime::currentDateTime();
    return LocalDay(now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60);
}

// With VELMORA_REPORT_FIRST_PAINT set, prints the monotonic clock (seconds)
// once the window's first paint is done, for the start-up benchmark.
class FirstPaintReport final : public QObject {
public:
    explicit FirstPaintReport(QWidget& window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Runs after this paint has been drawn and flushed to the screen.
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("first-paint %ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
                std::fflush(stdout);
            });
        }
        return false;
    }
};

}  // namespace

Application::Application(Setup setup, std::ostream& terminal)
    : setup_(std::move(setup)),
      problems_("velmora", terminal),
      remembered_(setup_.settingsFile.isEmpty() ? RememberedChoices::DefaultFileName()
                                                : setup_.settingsFile),
      // The sound chosen last time, unless the command line says otherwise.
      start_(ChooseStartingSound(setup_.options.sound, remembered_.sound())),
      // Loading the SoundFont and starting the audio driver take a while: they
      // run on a worker thread while the window comes up.
      sound_(start_.options, WindowThreadPost(WindowThread())),
      // The keyboard's ports are watched on a worker thread.
      keyboard_([this] { PostToWindowThread(this, [this] { showKeyboard(); }); }),
      keyboardArrivals_(keyboard_.readyFd(), QSocketNotifier::Read),
      journal_(openJournal()),
      trainer_(sound_.device(), scheduler_, sound_.beeper(), nullptr, nullptr, &keyboard_),
      window_(trainer_),
      midiInputMenu_(*window_.midiInputMenu(), keyboard_),
      progressFeed_(progress_),
      progressController_(
          progress_, [this] { return trainer_.state().pitchNames; }, &window_, &trainer_.panel()),
      progressMenu_(*window_.progressMenu(), progressController_, journalActions()),
      exerciseMarks_(window_.exerciseMenu()->actions()),
      practiceMenu_(*window_.practiceMenu(), trainer_),
      soundMenu_(*window_.soundMenu(), sound_, &remembered_) {
    // What the timers change in the window is drawn once per pass.
    scheduler_.setPass(&AsOneStep);
    wireSound();
    wireKeyboard();
    wireJournal();
    wireProgress();
    wireCoach();
    trainer_.Form_Load();
    showSound();
    sound_.onChange([this] { showSound(); });
    if (setup_.options.midiIn) {
        keyboard_.choose(*setup_.options.midiIn);
    } else if (const auto port = remembered_.midiIn(); port && !port->empty()) {
        keyboard_.choose(*port);
    }
    wireWaysOut();
    // The zoom last chosen, else text as large as the desktop's; within the screen.
    window_.setZoomPercent(remembered_.zoomPercent().value_or(window_.startZoomPercent()));
    connect(&window_, &MainWindow::zoomChanged, this, [this](int percent) {
        remembered_.rememberZoomPercent(percent);
        tellSettingsProblem();
    });
}

Application::~Application() {
    shutDown();
}

// The status line always says what plays, or what is wrong.
void Application::wireSound() {
    if (!start_.problem.empty()) sound_.tell(start_.problem);
    problems_.showOn(Source::Sound, [this](const std::string& line, bool problem) {
        soundStatus_ = QString::fromStdString(line);
        window_.setSoundStatus(soundStatus_, problem);
    });
    window_.setTryAgain(soundMenu_.tryAgainAction());
    window_.setSoundDescription([this] { return soundStatus_; });
}

void Application::showSound() {
    const SoundReport report = sound_.report();
    problems_.report(Source::Sound, report.status, report.problem, report.newProblems);
    soundMenu_.update(report);
    tellSettingsProblem();
}

void Application::wireKeyboard() {
    connect(&keyboardArrivals_, &QSocketNotifier::activated, this, [this] { keyboard_.deliver(); });
    problems_.showOn(Source::MidiInput, [this](const std::string& line, bool) {
        window_.setMidiInputStatus(QString::fromStdString(line));
    });
    connect(&midiInputMenu_, &MidiInputMenu::chosen, this, [this](const QString& port) {
        remembered_.rememberMidiIn(PortChoice(port.toStdString()));
        tellSettingsProblem();
    });
}

void Application::showKeyboard() {
    const KeyboardInput::Report report = keyboard_.report();
    problems_.report(Source::MidiInput, report.status, false, report.newProblems);
    midiInputMenu_.update(report);
}

void Application::wireJournal() {
    problems_.showOn(Source::Journal, [this](const std::string& line, bool) {
        window_.setJournalStatus(QString::fromStdString(line));
    });
    if (journal_) progressFeed_.setInner(journal_.get());
    trainer_.setJournal(&progressFeed_);
}

// The journal writes on a thread of its own; its state comes here.
std::unique_ptr<SqliteJournal> Application::openJournal() {
    if (setup_.options.noJournal) return nullptr;
    return std::make_unique<SqliteJournal>(setup_.journalPath, [this](const std::string& status) {
        PostToWindowThread(this, [this, status] {
            problems_.report(Source::Journal, status, !status.empty(), {status});
        });
    });
}

ProgressMenu::Actions Application::journalActions() {
    ProgressMenu::Actions actions;
    if (!journal_) return actions;
    actions.exportJournal = [path = journal_->path()](const std::string& csvPath,
                                                      std::string& error) {
        return ExportJournalCsv(path, csvPath, error);
    };
    actions.forget = [this] { journal_->forget(); };
    return actions;
}

// Earlier answers are read from the journal beside the window's thread; the
// window itself is built when first shown.
void Application::wireProgress() {
    // Opened beside the trainer, clear of its answer buttons, or where the learner left it.
    progressController_.setPlacement(
        {.answerButtons =
             [this] {
                 QList<QWidget*> buttons;
                 for (int i = 0; i < kPitchClasses; ++i) {
                     buttons << window_.widgetOf(QStringLiteral("cmdAnswerButton(%1)").arg(i));
                 }
                 return GlobalBounds(buttons);
             },
         .remembered = [this] { return remembered_.progressWindowGeometry(); },
         .remember =
             [this](const QRect& geometry) {
                 remembered_.rememberProgressWindowGeometry(geometry);
                 tellSettingsProblem();
             }});
    if (!journal_) return;
    const auto startedAt = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    history_ = std::make_unique<ProgressHistoryLoad>(
        progressController_,
        [journal = journal_.get()](const std::function<void(const JournalEntry&)>& each,
                                   std::string& error) { return journal->readAll(each, error); },
        startedAt);
}

// The coach advises and prepares; it never presses PLAY by itself.
void Application::wireCoach() {
    progressController_.setDailyGoalMinutes(
        remembered_.dailyGoalMinutes().value_or(kDefaultDailyGoalMinutes));
    connect(&progressController_, &ProgressController::dailyGoalChanged, this, [this](int minutes) {
        remembered_.rememberDailyGoalMinutes(minutes);
        tellSettingsProblem();
    });
    // The marks follow every answer, and the history read meanwhile.
    progressFeed_.onChange([this] {
        progressController_.refresh();
        exerciseMarks_.update(progress_.mastery());
    });
    connect(window_.exerciseMenu(), &QMenu::aboutToShow, this,
            [this] { exerciseMarks_.update(progress_.mastery()); });
    exerciseMarks_.update(progress_.mastery());
    trainer_.onRunEnded([this] { showRunSummary(); });
    // What the coach may change is remembered; it starts as the learner left it.
    trainer_.setMastery(&progress_.mastery());
    trainer_.setCoachOptions(remembered_.coachOptions());
    practiceMenu_.showCoachOptions(trainer_.coachOptions());
    connect(&practiceMenu_, &PracticeMenu::coachOptionsChosen, this,
            [this](const CoachOptions& options) {
                trainer_.setCoachOptions(options);
                remembered_.rememberCoachOptions(options);
                tellSettingsProblem();
            });
    trainer_.onHearing([this](const std::string& sounding) {
        window_.setHearingStatus(QString::fromStdString(sounding));
    });
    // A run locks the settings the next step would change.
    trainer_.onRunStarted([this] {
        if (runSummary_) runSummary_->setNextStepEnabled(false);
    });
}

NextStep Application::nextStep() {
    const QDateTime now = QDateTime::currentDateTime();
    const ProgressFigures week =
        progress_.figures(ProgressPeriod::LastSevenDays, ProgressFilter::All,
                          now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60);
    return NextStepFor(progress_, week.tally, TickedPitchClasses(trainer_.panel()),
                       trainer_.state().pitchNames);
}

// After a run with answers: how it went, shown beside the trainer without
// taking its keyboard.
void Application::showRunSummary() {
    const TrainerState& state = trainer_.state();
    if (state.rightCount + state.wrongCount == 0) return;  // nothing answered, nothing to tell
    if (!runSummary_) {
        runSummary_ = new RunSummaryWindow(&window_);
        connect(runSummary_, &RunSummaryWindow::againChosen, this,
                [this] { trainer_.panel().cmdPlay.click(); });
        connect(runSummary_, &RunSummaryWindow::showProgressChosen, this,
                [this] { progressController_.show(); });
        connect(runSummary_, &RunSummaryWindow::nextStepChosen, this,
                [this](const NextStep& step) { TakeNextStep(step, trainer_.panel()); });
    }
    runSummary_->show(
        SummariseRun(progress_.thisRun(), progress_.masteryAtRunStart(), progress_.mastery().all()),
        state.pitchNames, progress_.practiceDay(Today()).milliseconds,
        progressController_.dailyGoalMinutes(), nextStep());
    runSummary_->setNextStepEnabled(trainer_.panel().lstPitch.enabled());
}

void Application::tellSettingsProblem() {
    problems_.tell(Source::Settings, remembered_.takeProblem());
}

// Every way out comes to shutDown(): the window closed (by the user, by a
// signal, or destroyed by another program) and the display lost.
void Application::wireWaysOut() {
    connect(&window_, &MainWindow::closing, this, &Application::shutDown);
    quitSignals_ = std::make_unique<QuitSignals>([this] { window_.close(); });
    windowGone_ =
        std::make_unique<WindowDestroyedFromOutside>(window_, [this] { window_.close(); });
    lastWords_ = std::make_unique<LastWords>([this] {
        shutDown();
        EndIfAStartStillRuns(1);  // Qt calls exit(1) when the display connection breaks
    });
    if (std::getenv("VELMORA_REPORT_FIRST_PAINT") != nullptr) {
        firstPaint_ = std::make_unique<FirstPaintReport>(window_);
    }
}

int Application::run() {
    window_.show();
    const int status = QApplication::exec();
    shutDown();
    EndIfAStartStillRuns(status);
    return status;
}

void Application::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    progressController_.rememberPlace();
    trainer_.Form_Unload();
    // What the journal still holds is written before any quick way out; what
    // cannot be goes to its recovery file, and the terminal says where (the
    // window is going: its status line has said that answers are kept).
    if (journal_) {
        journal_->drain(SqliteJournal::kClosingWait);
        problems_.tell(Source::Journal, journal_->keepWhatIsLeft());
    }
}

// An audio output given up at closing may still be starting on a worker
// thread, inside a sound library that cannot be interrupted (so may the MIDI
// input's watcher, on a JACK server that stopped answering): the process
// ends without tearing down the libraries (and our own statics) under them.
void EndIfAStartStillRuns(int status) {
    if (BackgroundOpen::StartsStillRunning() == 0 && KeyboardInput::WatchersStillRunning() == 0) {
        return;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);  // the MIDI log too
    std::_Exit(status);
}

}  // namespace velmora
