#pragma once
// The application a fuzz target needs (fonts, image readers): headless, made
// once and kept for the whole run.
#include <QGuiApplication>

#include <cstdlib>

inline void startFuzzApplication(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
}
