#include "platform/text/TextReader.h"

#include "platform/uti/TypeIdentifier.h"

#include <QFileInfo>
#include <QTextDocument>

namespace platform::text {

const QList<TextReader>& textReaders()
{
    // One line per reader; the first whose types the file conforms to reads it.
    static const QList<TextReader> readers = {
    };
    return readers;
}

} // namespace platform::text
