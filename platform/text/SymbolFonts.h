#pragma once
// Characters of the symbol fonts (Symbol, Wingdings) that documents use for
// bullets, check marks and Greek letters: their codes name glyphs of those
// fonts, not Unicode characters, and this machine has neither font. They are
// written as the Unicode characters they draw.
#include <QString>

#include <optional>

namespace platform::text {

// Whether family is one of the symbol fonts mapped here.
bool isSymbolFont(const QString& family);

// The Unicode character that code draws in family (a code in the private
// range U+F020..U+F0FF counts as its low byte); none when family is no
// symbol font or the code is not mapped.
std::optional<QString> symbolFontCharacter(const QString& family, char32_t code);

// Text written in a symbol font as the characters it draws; codes not mapped
// stay as they are.
QString symbolFontText(const QString& family, const QString& text);

} // namespace platform::text
