#include "platform/text/rtf/RtfReader.h"

#include "platform/text/RichTextBuilder.h"
#include "platform/text/rtf/RtfParser_p.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextFileBytes.h"

#include <QTextDocument>

namespace platform::text {

namespace {

// Where the RTF starts after a byte-order mark and white space; -1 when the
// data is no RTF.
qsizetype rtfStart(const QByteArray& data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return QByteArrayView(data).sliced(i).startsWith("{\\rtf") ? i : -1;
}

} // namespace

bool startsAsRtf(const QByteArray& data)
{
    return rtfStart(data) >= 0;
}

bool readRtfData(const QByteArray& data, QTextDocument& document, const QString& attachmentFolder)
{
    const qsizetype start = rtfStart(data);
    if (start < 0)
        return false;
    return replaceDocument(document, defaultTextFont(), [&] {
        rtf::RtfParser parser(document, attachmentFolder, layoutUnitsPerPoint());
        parser.parse(data.constData() + start, data.constData() + data.size());
        // A document with more table cells than can be laid out in time is
        // refused, not printed in part.
        return !parser.tableCellsExceeded() && !parser.notesExceeded();
    });
}

bool readRtf(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path, kMaxRtfFileBytes);
    return bytes && readRtfData(*bytes, document, QString());
}

} // namespace platform::text
