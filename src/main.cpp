// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include <QApplication>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/version.h"
#include "desktop/application.h"
#include "journal/sqlite_journal.h"
#include "midi/external/keyboard_input.h"
#include "midi/setup/sound_setup.h"
#include "text/printable.h"
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

// The commands that open no window; the exit status, or nothing to go on.
std::optional<int> RunWithoutWindow(const velmora::Options& options, const std::string& journal) {
    if (options.help) {
        std::cout << velmora::UsageText(kProgram);
    } else if (options.version) {
        std::cout << kProgram << " " << velmora::kVersion << "\n";
    } else if (options.listMidiOutputs) {
        for (const auto& line : velmora::ListMidiOutputs()) std::cout << line << "\n";
    } else if (options.listMidiInputs) {
        const auto listing = velmora::ListMidiInputPorts(std::chrono::seconds(2));
        for (const std::string& system : listing.unanswered) {
            std::cerr << kProgram << ": " << system
                      << " did not answer within 2 s; its ports are not listed\n";
        }
        for (std::size_t i = 0; i < listing.ports.size(); ++i) {
            std::cout << i + 1 << ": " << velmora::Printable(listing.ports[i].name) << "\n";
        }
        if (listing.ports.empty()) std::cerr << kProgram << ": no MIDI input ports\n";
        // A system that never answered keeps its thread inside its library,
        // which the ordinary end would tear down under it.
        if (velmora::KeyboardInput::WatchersStillRunning() > 0) {
            std::cout.flush();
            std::cerr.flush();
            std::_Exit(0);
        }
    } else if (options.exportJournal) {
        std::string error;
        if (!velmora::ExportJournalCsv(journal, *options.exportJournal, error)) {
            std::cerr << kProgram
                      << ": cannot export the practice journal: " << velmora::Printable(error)
                      << "\n";
            return 1;
        }
        std::cout << kProgram << ": practice journal written to "
                  << velmora::Printable(*options.exportJournal) << "\n";
    } else {
        return std::nullopt;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A pipe whose reader has gone (a MIDI log, stderr) then fails a write,
    // which is reported, instead of ending the program with notes still on.
    std::signal(SIGPIPE, SIG_IGN);
    const velmora::ParseResult parsed =
        velmora::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << kProgram << ": " << parsed.error << "\n"
                  << "Try '" << kProgram << " --help' for more information.\n";
        return 2;
    }
    const velmora::Options& options = parsed.options;
    const std::string journal = options.journal.value_or(velmora::DefaultJournalPath());
    if (const auto status = RunWithoutWindow(options, journal)) return *status;
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

    velmora::Application velmora({.options = options, .journalPath = journal, .settingsFile = {}},
                                 std::cerr);
    return velmora.run();
}
