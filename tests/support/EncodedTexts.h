#pragma once
// Plain texts of a few sentences in the encodings people write in, for the
// tests of encoding detection and of printing what was detected.
#include <QByteArray>
#include <QList>
#include <QString>

namespace testsupport {

struct EncodedText {
    QByteArray encoding; // as the ICU converter names it
    QString text;
    QByteArray bytes;    // text in that encoding, without a byte-order mark
};

// Windows-1252 with curly quotes and the euro sign, ISO-8859-2, Windows-1250,
// ISO-8859-5, Shift-JIS, GB18030, UTF-16LE and UTF-16BE.
QList<EncodedText> encodedTexts();

} // namespace testsupport
