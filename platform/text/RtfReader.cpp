#include "platform/text/RtfReader.h"

#include "platform/text/RtfParser.h"
#include "platform/text/TextFileBytes.h"

#include <QImage>
#include <QTextDocument>

namespace platform::text {

namespace {

constexpr qint64 kMaxRtfFileBytes = 256LL * 1024 * 1024;

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


bool readRtfData(const QByteArray& data, QTextDocument& document, const QString& attachmentFolder)
{
    const qsizetype start = rtfStart(data);
    if (start < 0)
        return false;
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QFont font(QStringLiteral("Helvetica"));
    font.setPointSizeF(12);
    document.setDefaultFont(font);
    // Lengths are given in the document's layout units, which are pixels of
    // the default resolution until the document is laid out on a device.
    const int dpi = QImage(1, 1, QImage::Format_Mono).logicalDpiY();
    const double unitsPerPoint = dpi > 0 ? dpi / 72.0 : 1.0;
    {
        rtf::RtfParser parser(document, attachmentFolder, unitsPerPoint);
        parser.parse(data.constData() + start, data.constData() + data.size());
    }
    document.setUndoRedoEnabled(undo);
    return true;
}

bool readRtf(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path, kMaxRtfFileBytes);
    return bytes && readRtfData(*bytes, document, QString());
}

} // namespace platform::text
