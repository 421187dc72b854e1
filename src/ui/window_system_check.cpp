// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/window_system_check.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace velmora {

namespace {

struct Held {
    QtMsgType type;
    std::string category;
    QString text;
};

struct State {
    std::string program;
    QtMessageHandler previous = nullptr;
    std::string firstPlatformProblem;
    std::vector<Held> held;
};

State* state = nullptr;

void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::string category = context.category != nullptr ? context.category : "";
    if (type == QtFatalMsg) {
        const std::string line =
            WindowSystemProblem(state->firstPlatformProblem, text.toStdString());
        std::fprintf(stderr, "%s: cannot open the window: %s\n", state->program.c_str(),
                     line.c_str());
        std::fflush(nullptr);
        // Nothing has been started yet that would need ending.
        std::_Exit(1);
    }
    if (state->firstPlatformProblem.empty() && std::string_view(category).starts_with("qt.qpa") &&
        (type == QtWarningMsg || type == QtCriticalMsg)) {
        state->firstPlatformProblem = text.toStdString();
    }
    state->held.push_back({type, category, text});
}

}  // namespace

std::string WindowSystemProblem(const std::string& first, const std::string& fatal) {
    std::string line = first.empty() ? fatal.substr(0, fatal.find('\n')) : first;
    if (const std::size_t at = line.find(" in \"\""); at != std::string::npos) line.erase(at, 6);
    while (!line.empty() && (line.back() == '.' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line.front() >= 'A' && line.front() <= 'Z') line.front() += 'a' - 'A';
    const std::string available = "Available platform plugins are: ";
    if (const std::size_t at = fatal.find(available);
        at != std::string::npos && line.find("platform plugin") != std::string::npos) {
        std::string plugins = fatal.substr(at + available.size());
        plugins = plugins.substr(0, plugins.find('\n'));
        while (!plugins.empty() && (plugins.back() == '.' || plugins.back() == ' ')) {
            plugins.pop_back();
        }
        line += "; there are: " + plugins;
    }
    return line;
}

WindowSystemCheck::WindowSystemCheck(std::string program) {
    state = new State{std::move(program), nullptr, {}, {}};
    state->previous = qInstallMessageHandler(OnMessage);
}

WindowSystemCheck::~WindowSystemCheck() {
    qInstallMessageHandler(state->previous);
    // Warnings of a window system that did start after all, as Qt would have told them.
    for (const Held& message : state->held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
    delete state;
    state = nullptr;
}

}  // namespace velmora
