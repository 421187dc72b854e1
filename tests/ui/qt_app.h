// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <memory>

#include "testing/trainer_rig.h"
#include "ui/main_window.h"
#include "ui/program_font.h"

namespace velmora {

// One application for the whole test program, made by whichever test needs
// it first. Without a display the tests draw off screen, on a screen large
// enough for the window at its largest zoom.
inline void EnsureQtApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        static QTemporaryFile screens;
        if (screens.open()) {
            screens.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 2560,
                "height": 1600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            screens.flush();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toUtf8());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    // Never the user's own remembered choices.
    static QTemporaryDir config;
    if (config.isValid()) qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// The child of that kind which screen readers know by that name.
template <typename Widget>
Widget* Named(const QObject& parent, const QString& accessibleName) {
    for (Widget* each : parent.findChildren<Widget*>()) {
        if (each->accessibleName() == accessibleName) return each;
    }
    return nullptr;
}

// The main window as a user finds it after start-up, shown and active.
class MainWindowFixture : public ::testing::Test, protected testing::TrainerRig {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }

    MainWindowFixture() {
        window = std::make_unique<MainWindow>(trainer);
        trainer.Form_Load();
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    // The window's zoom set the fonts of the whole program.
    ~MainWindowFixture() override { ProgramFont::Restore(); }

    Panel& panel = trainer.panel();
    std::unique_ptr<MainWindow> window;
};

}  // namespace velmora
