#include "platform/text/rtf/RtfdWriter.h"

#include "platform/text/OutputFiles.h"
#include "platform/text/rtf/RtfWriter.h"

namespace platform::text {

bool writeRtfd(const QTextDocument& document, const QString& folderPath)
{
    return writeOutputFolder(folderPath, {{QStringLiteral("TXT.rtf"), rtfData(document)}});
}

} // namespace platform::text
