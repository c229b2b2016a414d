#include "platform/text/OutputFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

namespace platform::text {

namespace {

// A fresh name in the folder of path, beginning with its own name.
QString besidePath(const QString& path, const char* purpose)
{
    const QFileInfo info(path);
    return info.absoluteDir().filePath(
        QStringLiteral(".%1.%2-%3")
            .arg(info.fileName(), QLatin1StringView(purpose), QUuid::createUuid().toString(QUuid::WithoutBraces)));
}

bool writeInto(const QString& folder, const QList<QPair<QString, QByteArray>>& files)
{
    for (const auto& [name, bytes] : files) {
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            return false;
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            return false;
    }
    return true;
}

} // namespace

bool writeOutputFile(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo(path).isDir())
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool writeOutputFile(const QString& path, const std::optional<QByteArray>& bytes)
{
    return bytes && writeOutputFile(path, *bytes);
}

bool writeOutputFolder(const QString& folderPath, const QList<QPair<QString, QByteArray>>& files)
{
    const QFileInfo target(folderPath);
    if (target.exists() && !target.isDir())
        return false;
    const QString fresh = besidePath(folderPath, "new");
    if (!QDir().mkdir(fresh))
        return false;
    if (!writeInto(fresh, files)) {
        QDir(fresh).removeRecursively();
        return false;
    }
    QString old;
    if (target.exists()) {
        old = besidePath(folderPath, "old");
        if (!QDir().rename(folderPath, old)) {
            QDir(fresh).removeRecursively();
            return false;
        }
    }
    if (!QDir().rename(fresh, folderPath)) {
        if (!old.isEmpty())
            QDir().rename(old, folderPath);
        QDir(fresh).removeRecursively();
        return false;
    }
    if (!old.isEmpty())
        QDir(old).removeRecursively();
    return true;
}

} // namespace platform::text
