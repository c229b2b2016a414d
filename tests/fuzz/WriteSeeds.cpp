// Writes the tests' sample documents as the fuzzers' starting corpus, one
// folder per reader (and the main XML parts of the packages for the part
// fuzzers): random bytes alone almost never make a valid zip or compound
// file, so the readers would hardly be reached.
//   fuzz_seeds <folder>
#include "tests/support/ImageFixtures.h"
#include "tests/support/OfficeArtFixtures.h"
#include "tests/support/WordDocumentFixtures.h"
#include "tests/support/Word6Builder.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

// A fast-saved Word 6 stream: two pieces out of order, a style sheet and a
// table with its row definition.
QByteArray fastSavedWord6Stream()
{
    using testsupport::word6Sprm8;
    testsupport::Word6Builder b;
    b.setStyles({{true, 0, 0xFFF, "Normal", {}, testsupport::word6Sprm16(99, 24)}});
    b.paragraph({{"Before the table, ", {}}, {"bold", word6Sprm8(85, 1)}, {"\r", {}}}, word6Sprm8(5, 1));
    QByteArray cells = QByteArray(1, char(2)) + testsupport::le16(0) + testsupport::le16(1440) + testsupport::le16(2880);
    cells += QByteArray(20, '\x08');
    for (const char* cell : {"one\a", "two\a"})
        b.paragraph({{cell, {}}}, word6Sprm8(24, 1));
    b.paragraph({{"\a", {}}}, word6Sprm8(24, 1) + word6Sprm8(25, 1)
                                  + testsupport::word6Sprm(190, testsupport::le16(quint16(cells.size() + 1)) + cells));
    b.paragraph({{"After it\r", word6Sprm8(86, 1)}});
    b.splitPiecesAt(10);
    return b.wordDocument();
}

QByteArray partOf(const QList<QPair<QString, QByteArray>>& entries, const char* name)
{
    for (const auto& [entry, bytes] : entries)
        if (entry == QLatin1String(name))
            return bytes;
    return {};
}

} // namespace

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
        {QStringLiteral("Doc/word6"), testsupport::sampleWord6()},
        {QStringLiteral("WordStream/word6"), testsupport::sampleWord6Stream()},
        {QStringLiteral("WordStream/fast-saved"), fastSavedWord6Stream()},
        {QStringLiteral("Doc/drawings"), testsupport::sampleDocWithDrawings()},
        {QStringLiteral("DocxPart"), partOf(testsupport::sampleDocxEntries(), "word/document.xml")},
        {QStringLiteral("OdtPart"), partOf(testsupport::sampleOdtEntries(), "content.xml")},
        // The image source's corpus (libFuzzer reads folders recursively).
        {QStringLiteral("ImageSource/jpeg"), testsupport::jpegBytes({16, 8}, 3, 6, 300)},
        {QStringLiteral("ImageSource/cmyk"), testsupport::jpegBytes({8, 8}, 4)},
        {QStringLiteral("ImageSource/png"), testsupport::png16AlphaBytes({8, 4})},
        {QStringLiteral("ImageSource/tiff"), testsupport::tiffPagesBytes({{8, 4}, {3, 3}})},
        {QStringLiteral("ImageSource/gif"), testsupport::gifBytes({6, 4})},
        {QStringLiteral("ImageSource/bmp"), testsupport::bmpBytes({5, 3})},
        {QStringLiteral("ImageSource/sgi"), testsupport::sgiBytes({4, 4})},
        {QStringLiteral("WebPDecode/lossless"), testsupport::webpBytes({8, 8}, true, true)},
        {QStringLiteral("WebPDecode/lossy"), testsupport::webpBytes({8, 8}, false, false)},
        {QStringLiteral("Theme"), testsupport::docxTheme("Cambria", "Calibri")},
        {QStringLiteral("Numbering"), [] {
             for (const auto& [name, bytes] : testsupport::sampleDocxEntries())
                 if (name == u"word/numbering.xml")
                     return bytes;
             return QByteArray();
         }()},
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
