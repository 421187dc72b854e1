#pragma once

#include <QApplication>

namespace velmora {

// One application for the whole test program, made by whichever test needs
// it first. Without a display the tests draw off screen.
inline void EnsureQtApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace velmora
