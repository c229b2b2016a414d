#pragma once
// Private to platform/pdf: what a PDF font's PostScript name says of its look.
// Text extraction reports only the name ("ABCDEF+DejaVuSans-BoldOblique"),
// so family, weight and slant are read from it.
#include <QFont>
#include <QString>

namespace platform::pdf {

struct FontLook {
    QString family; // empty when the name gives none
    int weight = QFont::Normal; // a QFont::Weight value
    bool italic = false;
};

// The look a font name stands for. The family is the installed family whose
// name, spaces left out, is the name's family part; else that part with
// spaces put between its words ("TimesNewRoman" reads "Times New Roman").
FontLook fontLookFromName(const QString& postScriptName);

} // namespace platform::pdf
