#pragma once
// A test fixture with a temporary folder of its own, removed afterwards.
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

class TemporaryFolderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    // Writes a file below the folder (creating its folders); answers its path.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        writeFile(path(name), bytes);
        return path(name);
    }

    QTemporaryDir dir;
};

// A temporary folder whose "tmp" subfolder stands in for the system's
// temporary folder during the test, so that leftover temporary files show.
class TemporaryFilesTest : public TemporaryFolderTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(path("tmp"));
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(path("tmp")));
    }
    void TearDown() override
    {
        if (m_savedTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_savedTmp);
    }
    QStringList leftovers() const
    {
        return QDir(path("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

private:
    QByteArray m_savedTmp;
};

} // namespace testsupport
