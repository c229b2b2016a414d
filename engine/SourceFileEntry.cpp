#include "engine/SourceFileEntry.h"

#include <QUrl>

SourceFileEntry MakeSourceFileEntry(const QUrl& file, int fileType)
{
    auto entry = std::make_shared<QVariantMap>();
    entry->insert(SourceFileKey::FileType, fileType);
    entry->insert(SourceFileKey::FilePath, file);
    return entry;
}
