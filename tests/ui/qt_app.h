#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTemporaryFile>

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

}  // namespace velmora
