#pragma once
// One input of a job: a dictionary shared by reference between the file list
// and the engine.
#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>

using SourceFileEntry = std::shared_ptr<QVariantMap>;
using SourceFileEntries = QList<SourceFileEntry>;

// The kind of an input, the value of its "FileType".
enum FileKindCategory : int {
    FileKindImage = 1,
    FileKindText = 2,
    FileKindPDF = 3,
    FileKindWeb = 4,
};

// Keys of a source-file entry.
namespace SourceFileKey {
inline const QString FileType = QStringLiteral("FileType");     // int, FileKindCategory
inline const QString Kind = QStringLiteral("Kind");             // QString
inline const QString FilePath = QStringLiteral("FilePath");     // QUrl
inline const QString Icon = QStringLiteral("Icon");             // QIcon
inline const QString Angle = QStringLiteral("Angle");           // int, degrees
inline const QString Width = QStringLiteral("Width");           // float, points
inline const QString Height = QStringLiteral("Height");         // float, points
inline const QString PageCount = QStringLiteral("Page Count");  // int
inline const QString Password = QStringLiteral("Password");     // QString
} // namespace SourceFileKey

// Makes an entry for a file of the given category.
SourceFileEntry MakeSourceFileEntry(const QUrl& file, int fileType);
