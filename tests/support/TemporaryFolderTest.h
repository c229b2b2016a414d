#pragma once
// A test fixture with a temporary folder of its own, removed afterwards.
#include "tests/support/TestSupport.h"

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

} // namespace testsupport
