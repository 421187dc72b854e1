#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/trainer.h"
#include "app/version.h"
#include "journal/sqlite_journal.h"
#include "midi/external/keyboard_input.h"
#include "midi/setup/sound_setup.h"
#include "midi/setup/starting_sound.h"
#include "progress/progress_feed.h"
#include "progress/progress_statistics.h"
#include "text/printable.h"
#include "ui/main_window.h"
#include "ui/midi_input_menu.h"
#include "ui/progress_history.h"
#include "ui/progress_menu.h"
#include "ui/progress_model.h"
#include "ui/qt_scheduler.h"
#include "ui/quit_signals.h"
#include "ui/remembered_choices.h"
#include "ui/sound_dialog.h"
#include "ui/sound_menu.h"
#include "ui/window_system_check.h"

namespace {

constexpr const char* kProgram = "velmora";

// Qt aborts when it finds no display; say it plainly instead.
bool DisplayAvailable(const velmora::Options& options) {
    for (const auto& argument : options.toolkitArguments) {
        if (argument == "-platform" || argument == "-display") return true;
    }
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// Each problem once, as it arises; the status line shows the lasting state.
void TellOnTheTerminal(const std::vector<std::string>& problems) {
    for (const auto& problem : problems) std::cerr << kProgram << ": " << problem << "\n";
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

// An audio output given up at closing may still be starting on a worker
// thread, inside a sound library that cannot be interrupted (so may the MIDI
// input's watcher, on a JACK server that stopped answering): the process
// ends without tearing down the libraries (and our own statics) under them.
void EndIfAStartStillRuns(int status) {
    if (velmora::BackgroundOpen::StartsStillRunning() == 0 &&
        velmora::KeyboardInput::WatchersStillRunning() == 0) {
        return;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);  // the MIDI log too
    std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    // A pipe whose reader has gone (a MIDI log, stderr) then fails a write,
    // which is reported, instead of ending the program with notes still on.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const velmora::ParseResult parsed = velmora::ParseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::cerr << kProgram << ": " << parsed.error << "\n"
                  << "Try '" << kProgram << " --help' for more information.\n";
        return 2;
    }
    const velmora::Options& options = parsed.options;
    if (options.help) {
        std::cout << velmora::UsageText(kProgram);
        return 0;
    }
    if (options.version) {
        std::cout << kProgram << " " << velmora::kVersion << "\n";
        return 0;
    }
    if (options.listMidiOutputs) {
        for (const auto& line : velmora::ListMidiOutputs()) std::cout << line << "\n";
        return 0;
    }
    if (options.listMidiInputs) {
        const auto ports = velmora::ListMidiInputPorts();
        for (std::size_t i = 0; i < ports.size(); ++i) {
            std::cout << i + 1 << ": " << velmora::Printable(ports[i].name) << "\n";
        }
        if (ports.empty()) std::cerr << kProgram << ": no MIDI input ports\n";
        return 0;
    }
    const std::string journalPath =
        options.journal ? *options.journal : velmora::DefaultJournalPath();
    if (options.exportJournal) {
        std::string error;
        if (!velmora::ExportJournalCsv(journalPath, *options.exportJournal, error)) {
            std::cerr << kProgram
                      << ": cannot export the practice journal: " << velmora::Printable(error)
                      << "\n";
            return 1;
        }
        std::cout << kProgram << ": practice journal written to "
                  << velmora::Printable(*options.exportJournal) << "\n";
        return 0;
    }
    if (!DisplayAvailable(options)) {
        std::cerr << kProgram << ": no display to open the window on (DISPLAY is not set)\n";
        return 1;
    }

    // Qt sees only its own options.
    std::vector<std::string> toolkitArguments{argv[0]};
    toolkitArguments.insert(toolkitArguments.end(), options.toolkitArguments.begin(),
                            options.toolkitArguments.end());
    std::vector<char*> toolkitArgv;
    for (auto& argument : toolkitArguments) toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArguments.size());

    auto windowSystemCheck = std::make_unique<velmora::WindowSystemCheck>(kProgram);
    QApplication application(toolkitArgc, toolkitArgv.data());
    windowSystemCheck.reset();
    QApplication::setApplicationName(kProgram);
    QApplication::setApplicationVersion(velmora::kVersion);
    // Desktop shells find the menu entry, and with it the icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));

    // Loading the SoundFont and starting the audio driver take a while: they
    // run on a worker thread while the window comes up, and report back here.
    // The sound chosen last time, unless the command line says otherwise.
    velmora::RememberedChoices remembered;
    const velmora::StartingSound start =
        velmora::ChooseStartingSound(options.sound, remembered.sound());
    velmora::SoundSetup sound(start.options, [&application](std::function<void()> done) {
        QMetaObject::invokeMethod(&application, std::move(done), Qt::QueuedConnection);
    });
    if (!start.problem.empty()) sound.tell(start.problem);
    // The keyboard's ports are watched on a worker thread, which reports here.
    std::function<void()> showKeyboard;
    velmora::KeyboardInput keyboard([&application, &showKeyboard] {
        QMetaObject::invokeMethod(
            &application,
            [&showKeyboard] {
                if (showKeyboard) showKeyboard();
            },
            Qt::QueuedConnection);
    });
    // The journal writes on a thread of its own; its state comes here. The
    // terminal hears of each problem once, as it arises.
    std::function<void(const QString&)> showJournal;
    std::unique_ptr<velmora::SqliteJournal> journal;
    if (!options.noJournal) {
        journal = std::make_unique<velmora::SqliteJournal>(
            journalPath, [&application, &showJournal](const std::string& status) {
                if (!status.empty()) {
                    std::cerr << std::string(kProgram) + ": " + velmora::Printable(status) + "\n";
                }
                QMetaObject::invokeMethod(
                    &application,
                    [&showJournal, text = QString::fromStdString(status)] {
                        if (showJournal) showJournal(text);
                    },
                    Qt::QueuedConnection);
            });
    }
    velmora::QtScheduler scheduler;
    velmora::Trainer trainer(sound.device(), scheduler, sound.beeper(), nullptr, nullptr,
                             &keyboard);
    velmora::MainWindow window(trainer);
    velmora::MidiInputMenu midiInputMenu(*window.menuBar(), keyboard);

    // Every answer passes the Progress window's statistics on its way to the
    // journal; earlier answers are read from the journal beside the window's
    // thread. The window itself is built when first shown.
    velmora::ProgressStatistics progress;
    velmora::ProgressFeed progressFeed(progress);
    progressFeed.setInner(journal.get());
    trainer.setJournal(&progressFeed);
    velmora::ProgressModel progressModel(
        progress, [&trainer] { return trainer.state().pitchNames; }, &window);
    progressFeed.onChange([&progressModel] { progressModel.refresh(); });
    velmora::ProgressMenu::Actions journalActions;
    velmora::ProgressHistoryLoad::Reader readJournal;
    if (journal) {
        const std::string path = journal->path();
        journalActions.exportJournal = [path](const std::string& csvPath, std::string& error) {
            return velmora::ExportJournalCsv(path, csvPath, error);
        };
        journalActions.forget = [&journal] { journal->forget(); };
        readJournal = [path](const std::function<void(const velmora::JournalEntry&)>& each,
                             std::string& error) {
            return velmora::ReadJournal(path, each, error);
        };
    }
    velmora::ProgressMenu progressMenu(*window.menuBar(), progressModel, std::move(journalActions));
    const auto startedAt = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    std::unique_ptr<velmora::ProgressHistoryLoad> history;
    if (readJournal) {
        history = std::make_unique<velmora::ProgressHistoryLoad>(progressModel,
                                                                 std::move(readJournal), startedAt);
    }
    velmora::SoundMenu soundMenu(*window.menuBar(), sound, &remembered);
    window.setTryAgain(soundMenu.tryAgainAction());
    auto tellRememberingProblem = [&remembered] {
        const std::string problem = remembered.takeProblem();
        if (!problem.empty()) TellOnTheTerminal({problem});
    };
    QObject::connect(&midiInputMenu, &velmora::MidiInputMenu::chosen,
                     [&remembered, &tellRememberingProblem](const QString& port) {
                         remembered.rememberMidiIn(velmora::PortChoice(port.toStdString()));
                         tellRememberingProblem();
                     });
    trainer.Form_Load();
    // The status line always says what plays, or what is wrong; the terminal
    // hears of each problem once, as it arises.
    QString soundStatus;
    auto showSound = [&sound, &window, &soundMenu, &tellRememberingProblem, &soundStatus] {
        const velmora::SoundReport report = sound.report();
        TellOnTheTerminal(report.newProblems);
        soundStatus = QString::fromStdString(report.status);
        window.setSoundStatus(soundStatus, report.problem);
        soundMenu.update(report);
        tellRememberingProblem();
    };
    window.setSoundDescription([&soundStatus] { return soundStatus; });
    showSound();
    sound.onChange(showSound);
    showKeyboard = [&keyboard, &window, &midiInputMenu] {
        const velmora::KeyboardInput::Report report = keyboard.report();
        TellOnTheTerminal(report.newProblems);
        window.setMidiInputStatus(QString::fromStdString(report.status));
        midiInputMenu.update(report);
    };
    if (options.midiIn) {
        keyboard.choose(*options.midiIn);
    } else if (const auto port = remembered.midiIn(); port && !port->empty()) {
        keyboard.choose(*port);
    }
    showJournal = [&window](const QString& status) { window.setJournalStatus(status); };

    std::unique_ptr<FirstPaintReport> firstPaint;
    if (std::getenv("VELMORA_REPORT_FIRST_PAINT") != nullptr) {
        firstPaint = std::make_unique<FirstPaintReport>(window);
    }
    // Every way out releases what sounds, also on an external synthesizer.
    velmora::QuitSignals quitSignals([&window] { window.close(); });
    velmora::WindowDestroyedFromOutside windowGone(window, [&window] { window.close(); });
    // What the journal still holds is written before any quick way out.
    auto finishJournal = [&journal] {
        if (journal) journal->drain(velmora::SqliteJournal::kClosingWait);
    };
    velmora::LastWords lastWords([&trainer, &finishJournal] {
        trainer.Form_Unload();
        finishJournal();
        EndIfAStartStillRuns(1);  // Qt calls exit(1) when the display connection breaks
    });
    // The zoom last chosen, else text as large as the desktop's; within the screen.
    window.setZoomPercent(remembered.zoomPercent().value_or(window.startZoomPercent()));
    QObject::connect(&window, &velmora::MainWindow::zoomChanged,
                     [&remembered](int percent) { remembered.rememberZoomPercent(percent); });
    window.show();
    const int status = application.exec();
    trainer.Form_Unload();
    finishJournal();
    EndIfAStartStillRuns(status);
    return status;
}
