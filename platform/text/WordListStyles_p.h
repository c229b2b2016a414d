#pragma once
// List markers of the word-processing formats: the number formats they name,
// made into the styles of the rich text document.
#include <QStringView>
#include <QTextListFormat>

namespace platform::text {

// The marker of a list level with a named number format ("bullet",
// "decimal", "lowerLetter", "upperRoman", "none", ...). Bullets cycle disc,
// circle, square with the level; an unknown format counts in decimals;
// "none" gives ListStyleUndefined (no marker).
QTextListFormat::Style wordListStyle(QStringView numberFormat, int level);

// The name of a numeric number format code (Word 97 and Word 2003 XML);
// "decimal" for codes without a marker of their own.
QStringView wordNumberFormatName(int code);

// The bullet of a level: disc, circle, square, again.
QTextListFormat::Style bulletStyle(int level);

} // namespace platform::text
