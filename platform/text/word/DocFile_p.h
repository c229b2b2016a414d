#pragma once
// Private to the Word binary reader: what its Word 97 and Word 6/95 parts
// share. Bounded little-endian reads, one property modifier as the reader
// sees it, and the file information block reduced to what the reader uses.
#include "platform/text/word/WordBytes_p.h"

#include <QByteArray>
#include <QColor>
#include <QtEndian>

#include <array>
#include <optional>

namespace platform::text {

using Bytes = WordBytes;

// The colours of Word's 16 colour indices; 0 is automatic.
inline constexpr QRgb kIcoColors[17] = {0,        0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF,
                                        0xFF0000, 0xFFFF00, 0xFFFFFF, 0x000080, 0x008080, 0x008000,
                                        0x800080, 0x800000, 0x808000, 0x808080, 0xC0C0C0};

// A property modifier with its code as Word 97 numbers it (0: one the
// reader has no use for), its operand and where the next one starts.
struct Sprm {
    quint16 code;
    qint64 operand; // offset of the operand in the data
    qint64 size;
    qint64 end;
};

// What the file information block says, in the numbering of Word 97's
// whatever the file's version.
struct DocFib {
    // Word 6 and Word 95: one stream, 8-bit text, one-byte modifiers.
    bool legacy = false;
    // Offsets and sizes of the structures by their index in Word 97's
    // block; those a version lacks are zero.
    static constexpr int kPairs = 75;
    std::array<quint32, kPairs> fc{}, lcb{};
    qint64 ccpText = 0;
    // The stories after the body: footnotes, headers, macros, comments,
    // endnotes, text boxes and those of the headers.
    std::array<qint64, 7> stories{};
    bool storiesDamaged = false;
    // Word 6 and 95 only. The text of a file saved whole starts at textStart
    // when there is no piece table; the bin tables of such a file may list
    // fewer pages than it has (the rest follow the last one listed).
    quint32 textStart = 0;
    int chpxPages = 0, papxPages = 0;
    int codePage = 1252;
};

// Walks a list of property modifiers [from, to) of the file's version,
// calling f with each; a modifier that cannot be walked ends the list.
std::optional<Sprm> word97SprmAt(const Bytes& b, qint64 at, qint64 to);
std::optional<Sprm> word6SprmAt(const Bytes& b, qint64 at, qint64 to);

template <typename F>
void forEachSprm(bool legacy, const Bytes& b, qint64 from, qint64 to, F&& f)
{
    for (qint64 at = from; at < to;) {
        const std::optional<Sprm> sprm = legacy ? word6SprmAt(b, at, to) : word97SprmAt(b, at, to);
        if (!sprm)
            return;
        f(*sprm);
        at = sprm->end;
    }
}

} // namespace platform::text
