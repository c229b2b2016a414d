// Writes the tests' sample documents as the fuzzers' starting corpus, one
// folder per reader: random bytes alone almost never make a valid zip or
// compound file, so the readers would hardly be reached.
//   fuzz_seeds <folder>
#include "tests/support/WordDocumentFixtures.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QList<QPair<QString, QByteArray>> seeds = {
        {QStringLiteral("Docx"), testsupport::sampleDocx()},
        {QStringLiteral("Odt"), testsupport::sampleOdt()},
        {QStringLiteral("FlatOdt"), testsupport::sampleFlatOdt()},
        {QStringLiteral("WordML"), testsupport::sampleWordML()},
        {QStringLiteral("Doc"), testsupport::sampleDoc()},
    };
    for (const auto& [reader, bytes] : seeds) {
        const QString folder = root + QLatin1Char('/') + reader;
        QFile file(folder + QStringLiteral("/sample"));
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
