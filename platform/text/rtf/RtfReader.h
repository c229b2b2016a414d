#pragma once
// Rich Text Format: character and paragraph formatting, tables, embedded
// pictures and the attachments of an RTFD folder.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace platform::text {

// Larger RTF files are refused: pictures inflate RTF, so it may be larger
// than plain text, but not without bound.
inline constexpr qint64 kMaxRtfFileBytes = 256LL * 1024 * 1024;

// Whether data starts as RTF does, after a byte-order mark and white space.
bool startsAsRtf(const QByteArray& data);

// Reads an RTF file into document, replacing its content. False when the file
// cannot be read or is no RTF; damaged RTF gives what could be read.
bool readRtf(const QString& path, QTextDocument& document);

// Reads RTF data into document, replacing its content. attachmentFolder is
// where attachments named in the text live (an RTFD folder); empty for plain
// RTF, whose attachments are then left out. False when data is no RTF.
bool readRtfData(const QByteArray& data, QTextDocument& document, const QString& attachmentFolder);

} // namespace platform::text
