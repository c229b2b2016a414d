#include "platform/text/rtf/RtfdReader.h"

#include "platform/text/rtf/RtfReader.h"
#include "platform/text/TextFileBytes.h"

#include <QDir>
#include <QFileInfo>

namespace platform::text {

bool readRtfd(const QString& folderPath, QTextDocument& document)
{
    if (!QFileInfo(folderPath).isDir())
        return false;
    const std::optional<QByteArray> text =
        readBoundedFile(QDir(folderPath).filePath(QStringLiteral("TXT.rtf")), kMaxRtfFileBytes);
    return text && readRtfData(*text, document, folderPath);
}

} // namespace platform::text
