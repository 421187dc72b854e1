#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/trainer.h"
#include "app/version.h"
#include "midi/devices/sound_output.h"
#include "ui/main_window.h"
#include "ui/qt_scheduler.h"
#include "ui/quit_signals.h"

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

}  // namespace

int main(int argc, char** argv) {
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

    QApplication application(toolkitArgc, toolkitArgv.data());
    QApplication::setApplicationName(kProgram);
    QApplication::setApplicationVersion(velmora::kVersion);

    velmora::SoundOutput sound(options);
    velmora::QtScheduler scheduler;
    velmora::Trainer trainer(sound.device(), scheduler, sound.beeper());
    velmora::MainWindow window(trainer);
    trainer.Form_Load();

    std::vector<std::string> problems = sound.problems();
    if (!sound.device().isWorking())
        problems.insert(problems.begin(), sound.device().description());
    for (const auto& problem : problems) std::cerr << kProgram << ": " << problem << "\n";
    window.setSoundStatus(
        QString::fromStdString(problems.empty() ? sound.device().description() : problems.front()));

    velmora::QuitSignals quitSignals([&window] { window.close(); });
    window.show();
    const int status = application.exec();
    trainer.Form_Unload();
    return status;
}
