// One part of a word-processing package fed arbitrary bytes: the input is
// the main XML part (PART), packed with the sample document's other parts
// (SAMPLE_ENTRIES) into a zip the reader (READ_FUNCTION) opens. Mutating
// the zip itself almost never gets past the zip layer; this reaches the XML
// parsers behind it.
#include "platform/text/odf/OdtReader.h"
#include "platform/text/word/DocxReader.h"
#include "tests/fuzz/FuzzApplication.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextDocument>
#include <QtEndian>

#include <zlib.h>

#include <cstdint>

namespace {

QList<QPair<QString, QByteArray>>* g_entries = nullptr;

void put16(QByteArray& out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, quint16(value & 0xFFFF));
    put16(out, quint16(value >> 16));
}

// A zip of stored (not deflated) entries, made in memory: fast enough to
// pack every input.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries)
{
    QByteArray out, directory;
    for (const auto& entry : entries) {
        const QByteArray fileName = entry.first.toUtf8();
        const QByteArray& bytes = entry.second;
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
        const quint32 offset = quint32(out.size());
        const auto header = [&](QByteArray& to, bool central) {
            put32(to, central ? 0x02014b50 : 0x04034b50);
            if (central)
                put16(to, 20); // made by
            put16(to, 20);     // needed to extract
            put16(to, 0);      // flags
            put16(to, 0);      // stored
            put32(to, 0);      // time and date
            put32(to, crc);
            put32(to, quint32(bytes.size()));
            put32(to, quint32(bytes.size()));
            put16(to, quint16(fileName.size()));
            put16(to, 0); // extra field
            if (central) {
                put16(to, 0); // comment
                put16(to, 0); // disk
                put16(to, 0); // internal attributes
                put32(to, 0); // external attributes
                put32(to, offset);
            }
            to += fileName;
        };
        header(out, false);
        out += bytes;
        header(directory, true);
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startFuzzApplication(argc, argv);
    loadFontConfiguration();
    g_entries = new QList<QPair<QString, QByteArray>>(testsupport::SAMPLE_ENTRIES());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QList<QPair<QString, QByteArray>> entries = *g_entries;
    for (auto& [name, bytes] : entries)
        if (name == QLatin1String(PART))
            bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    platform::text::READ_FUNCTION(storedZip(entries), document);
    return 0;
}
