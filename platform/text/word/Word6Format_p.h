#pragma once
// Private to the Word binary reader: Word 6 and Word 95 documents, in the
// parts where they differ from Word 97. Their file information block, font
// table, style names and lines, turned into what the Word 97 reader uses;
// their one-byte property modifiers are walked by word6SprmAt.
#include "platform/text/ListLabels.h"
#include "platform/text/TableLook.h"
#include "platform/text/word/DocFile_p.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace platform::text {

// Word 6 writes version 101, Word 95 versions 103 to 105.
inline constexpr int kFirstWord6Fib = 101;
inline constexpr int kLastWord95Fib = 105;

// A code for Word 6's autonumbering of a paragraph, whose description
// Word 97 lays out otherwise.
inline constexpr quint16 kWord6Autonumber = 0xC6F0;

// The block of a Word 6 or 95 file; null when it is too short to hold one.
std::optional<DocFib> readWord6Fib(const Bytes& word);

// The names of the font table, 8-bit ones each in its character set.
QStringList readWord6Fonts(const Bytes& b, quint32 fc, quint32 lcb, int maxFonts);

// Where the property lists of the style at entry start: past its base part
// and its counted, terminated 8-bit name, at an even offset.
qint64 word6StylePropertiesAt(const Bytes& b, qint64 entry, qint64 baseSize);

// A 16-bit line: its width in steps of three quarters of a point, its kind
// and colour index. Null when it says nothing (all bits clear).
std::optional<BorderLine> word6Border(quint16 brc);

// The label of a paragraph numbered by Word 6 from its autonumbering
// description at [at, at + size): number format, start, the text before and
// after the number and the label's own look. fonts name the font table's
// fonts, characters decode its 8-bit text. Null when it is too short.
std::optional<ListLevelLook> word6Autonumber(const Bytes& b, qint64 at, qint64 size, const QStringList& fonts,
                                             const std::array<char16_t, 256>& characters);

// The characters the 256 bytes of a code page stand for.
std::array<char16_t, 256> eightBitCharacters(int codePage);

} // namespace platform::text
