#pragma once

#include <QGuiApplication>

// Fonts and pictures need a GUI application; one for the whole test program, offscreen.
inline void ensureGuiApp() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_spectrum";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}
