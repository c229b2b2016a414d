#include "platform/text/word/CompoundFileWriter.h"

#include "platform/text/word/WordBytes_p.h"

#include <QSet>

#include <algorithm>

namespace platform::text {

namespace {

constexpr qint64 kSectorSize = 512;
constexpr qint64 kEntriesPerSector = kSectorSize / 4;
// Streams shorter than this would belong in the mini stream.
constexpr qint64 kMiniStreamCutoff = 4096;
constexpr int kHeaderFatEntries = 109;
constexpr int kMaxNameLength = 31;

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;

qint64 sectorsFor(qint64 bytes) { return (bytes + kSectorSize - 1) / kSectorSize; }

struct Entry {
    QString name;
    int type; // 2 stream, 5 root
    quint32 start = kEndOfChain;
    quint32 size = 0;
    quint32 left = kNoStream, right = kNoStream, child = kNoStream;
    bool red = false;
};

// The directory's order: shorter names first, then by upper-case letters.
bool comesBefore(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return a.toUpper() < b.toUpper();
}

// A balanced tree over entries[from, to) (sorted), its root's index
// returned. Built by halving, every level above the deepest is full, so
// black inner levels with red nodes on the deepest one make a valid
// red-black tree.
quint32 buildTree(QList<Entry>& entries, const QList<int>& order, int from, int to, int depth, int deepest)
{
    if (from >= to)
        return kNoStream;
    const int middle = (from + to) / 2;
    Entry& node = entries[order[middle]];
    node.red = depth == deepest && depth > 0;
    const quint32 left = buildTree(entries, order, from, middle, depth + 1, deepest);
    const quint32 right = buildTree(entries, order, middle + 1, to, depth + 1, deepest);
    entries[order[middle]].left = left;
    entries[order[middle]].right = right;
    return quint32(order[middle]);
}

int treeDepth(int count)
{
    int depth = -1;
    for (int n = count; n > 0; n /= 2)
        ++depth;
    return depth;
}

void writeEntry(QByteArray& d, qint64 at, const Entry& e)
{
    for (qsizetype i = 0; i < e.name.size(); ++i)
        put16(d, at + 2 * i, e.name[i].unicode());
    put16(d, at + 64, quint16((e.name.size() + 1) * 2));
    d[at + 66] = char(e.type);
    d[at + 67] = e.red ? 0 : 1;
    put32(d, at + 68, e.left);
    put32(d, at + 72, e.right);
    put32(d, at + 76, e.child);
    put32(d, at + 116, e.start);
    put32(d, at + 120, e.size);
}

} // namespace

std::optional<QByteArray> compoundFileData(const QList<QPair<QString, QByteArray>>& streams)
{
    QList<Entry> entries{{QStringLiteral("Root Entry"), 5}};
    QSet<QString> names;
    qint64 streamSectors = 0;
    for (const auto& [name, bytes] : streams) {
        if (name.isEmpty() || name.size() > kMaxNameLength || names.contains(name.toUpper()))
            return std::nullopt;
        names.insert(name.toUpper());
        const qint64 size = std::max<qint64>(bytes.size(), kMiniStreamCutoff);
        if (size > 0x7FFFFFFF)
            return std::nullopt;
        entries.append({name, 2, quint32(streamSectors), quint32(size)});
        streamSectors += sectorsFor(size);
    }
    const qint64 directorySectors = sectorsFor(entries.size() * 128);

    // The table must also map its own sectors and those of its extension.
    qint64 fatSectors = 1, difatSectors = 0;
    for (;;) {
        const qint64 total = streamSectors + directorySectors + fatSectors + difatSectors;
        const qint64 neededFat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const qint64 neededDifat = neededFat > kHeaderFatEntries
            ? (neededFat - kHeaderFatEntries + kEntriesPerSector - 2) / (kEntriesPerSector - 1)
            : 0;
        if (neededFat <= fatSectors && neededDifat <= difatSectors)
            break;
        fatSectors = std::max(fatSectors, neededFat);
        difatSectors = std::max(difatSectors, neededDifat);
    }
    const qint64 directoryStart = streamSectors;
    const qint64 fatStart = directoryStart + directorySectors;
    const qint64 difatStart = fatStart + fatSectors;
    const qint64 totalSectors = difatStart + difatSectors;

    QList<quint32> fat(fatSectors * kEntriesPerSector, kFreeSector);
    const auto chain = [&](qint64 start, qint64 count) {
        for (qint64 i = 0; i < count; ++i)
            fat[start + i] = i + 1 < count ? quint32(start + i + 1) : kEndOfChain;
    };
    for (qsizetype i = 1; i < entries.size(); ++i)
        chain(entries[i].start, sectorsFor(entries[i].size));
    chain(directoryStart, directorySectors);
    for (qint64 i = 0; i < fatSectors; ++i)
        fat[fatStart + i] = kFatSector;
    for (qint64 i = 0; i < difatSectors; ++i)
        fat[difatStart + i] = kDifatSector;

    QList<int> order;
    for (int i = 1; i < int(entries.size()); ++i)
        order.append(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return comesBefore(entries[a].name, entries[b].name); });
    entries[0].child = buildTree(entries, order, 0, int(order.size()), 0, treeDepth(int(order.size())));

    QByteArray d((1 + totalSectors) * kSectorSize, '\0');
    const auto sector = [](qint64 n) { return (n + 1) * kSectorSize; };
    // Header.
    d.replace(0, 8, QByteArray::fromHex("D0CF11E0A1B11AE1"));
    put16(d, 24, 0x003E);
    put16(d, 26, 0x0003);
    put16(d, 28, 0xFFFE);
    put16(d, 30, 9);
    put16(d, 32, 6);
    put32(d, 44, quint32(fatSectors));
    put32(d, 48, quint32(directoryStart));
    put32(d, 56, quint32(kMiniStreamCutoff));
    put32(d, 60, kEndOfChain);
    put32(d, 68, difatSectors ? quint32(difatStart) : kEndOfChain);
    put32(d, 72, quint32(difatSectors));
    for (int i = 0; i < kHeaderFatEntries; ++i)
        put32(d, 76 + 4 * i, i < fatSectors ? quint32(fatStart + i) : kFreeSector);
    // The extension lists the rest of the table's sectors, 127 a sector,
    // each sector ending with the number of the next.
    for (qint64 k = 0; k < difatSectors; ++k) {
        const qint64 at = sector(difatStart + k);
        for (qint64 i = 0; i < kEntriesPerSector - 1; ++i) {
            const qint64 fatIndex = kHeaderFatEntries + k * (kEntriesPerSector - 1) + i;
            put32(d, at + 4 * i, fatIndex < fatSectors ? quint32(fatStart + fatIndex) : kFreeSector);
        }
        put32(d, at + 4 * (kEntriesPerSector - 1), k + 1 < difatSectors ? quint32(difatStart + k + 1) : kEndOfChain);
    }
    for (qsizetype i = 1; i < entries.size(); ++i) {
        const QByteArray& bytes = streams[i - 1].second;
        d.replace(sector(entries[i].start), bytes.size(), bytes);
    }
    for (qsizetype i = 0; i < entries.size(); ++i)
        writeEntry(d, sector(directoryStart) + 128 * i, entries[i]);
    for (qsizetype i = entries.size(); i < directorySectors * 4; ++i) {
        // Unused: no name, no type, colour 0, no links.
        Entry unused{QString(), 0, 0};
        unused.red = true;
        writeEntry(d, sector(directoryStart) + 128 * i, unused);
        put16(d, sector(directoryStart) + 128 * i + 64, 0);
    }
    for (qsizetype i = 0; i < fat.size(); ++i)
        put32(d, sector(fatStart) + 4 * i, fat[i]);
    return d;
}

} // namespace platform::text
