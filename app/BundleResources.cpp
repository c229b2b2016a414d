#include "app/BundleResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Where files installed beside the program live, relative to its folder.
constexpr const char* kInstalledDataFolder = "../share/scribora";

QString fileBesideProgram(const QString& fileName)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const QString& folder : {QString(), QString::fromLatin1(kInstalledDataFolder)}) {
        const QFileInfo candidate(programFolder.filePath(folder.isEmpty() ? fileName
                                                                          : folder + QLatin1Char('/') + fileName));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

QString resourceFileName(const QString& name, const QString& type)
{
    return type.isEmpty() ? name : name + QLatin1Char('.') + type;
}

} // namespace

QString PathForResource(const QString& name, const QString& type)
{
    const QString fileName = resourceFileName(name, type);
    const QString compiled = QStringLiteral(":/") + fileName;
    if (QFileInfo(compiled).isFile())
        return compiled;
    return fileBesideProgram(fileName);
}

QUrl URLForResource(const QString& name, const QString& type)
{
    const QString path = fileBesideProgram(resourceFileName(name, type));
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}
