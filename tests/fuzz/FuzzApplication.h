#pragma once
// The application a fuzz target needs (fonts, image readers): headless, made
// once and kept for the whole run.
#include "platform/text/FontFamilies.h"

#include <QGuiApplication>

#include <sanitizer/lsan_interface.h>

#include <cstdlib>

inline void startFuzzApplication(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
}

// fontconfig reads its configuration on the first font look-up and loses a
// few blocks of it, once per process. A reader target makes that look-up
// before its first input, unwatched by the leak checker, so it is not
// reported against whichever input came first.
inline void loadFontConfiguration()
{
    __lsan::ScopedDisabler once;
    (void)platform::text::metricCompatibleFamily(QStringLiteral("Times New Roman"));
}
