#include "platform/text/word/CompoundFile.h"

#include <QtEndian>

namespace platform::text {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;
constexpr int kMaxDirectoryEntries = 100000;

std::uint32_t u32(const QByteArray& d, qint64 at)
{
    return qFromLittleEndian<quint32>(d.constData() + at);
}

std::uint16_t u16(const QByteArray& d, qint64 at)
{
    return qFromLittleEndian<quint16>(d.constData() + at);
}

} // namespace

std::optional<QByteArray> CompoundFile::chain(const QList<std::uint32_t>& table, std::uint32_t start,
                                              std::uint64_t size, qint64 sectorSize, bool mini) const
{
    const QByteArray& source = mini ? m_miniStream : m_data;
    const qint64 capacity = mini ? source.size() : source.size() - sectorSize;
    if (size > std::uint64_t(std::max<qint64>(capacity, 0)))
        return std::nullopt;
    QByteArray out;
    out.reserve(qsizetype(size));
    std::uint32_t sector = start;
    // A chain visits each sector at most once: a second visit is a cycle.
    QList<bool> visited(table.size(), false);
    while (std::uint64_t(out.size()) < size) {
        if (sector > kMaxRegular || sector >= std::uint32_t(table.size()) || visited[sector])
            return std::nullopt;
        visited[sector] = true;
        const qint64 at = mini ? qint64(sector) * sectorSize : sectorOffset(sector);
        const qint64 take = std::min<qint64>(sectorSize, qint64(size) - out.size());
        if (at < 0 || at + take > source.size())
            return std::nullopt;
        out.append(source.constData() + at, take);
        sector = table[sector];
    }
    return out;
}

std::optional<CompoundFile> CompoundFile::parse(const QByteArray& data)
{
    if (data.size() < 512 || !data.startsWith("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"))
        return std::nullopt;
    CompoundFile file;
    file.m_data = data;
    const int shift = u16(data, 30);
    const int miniShift = u16(data, 32);
    if ((shift != 9 && shift != 12) || miniShift != 6 || u16(data, 28) != 0xFFFE)
        return std::nullopt;
    file.m_sectorSize = qint64(1) << shift;
    file.m_miniSectorSize = qint64(1) << miniShift;
    const qint64 sectorCount = (data.size() - file.m_sectorSize) / file.m_sectorSize + 1;
    const std::uint32_t fatSectors = u32(data, 44);
    const std::uint32_t firstDirectory = u32(data, 48);
    file.m_miniCutoff = u32(data, 56);
    const std::uint32_t firstMiniFat = u32(data, 60);
    const std::uint32_t miniFatSectors = u32(data, 64);
    std::uint32_t difat = u32(data, 68);
    const std::uint32_t difatSectors = u32(data, 72);
    if (fatSectors > sectorCount || miniFatSectors > sectorCount || difatSectors > sectorCount)
        return std::nullopt;

    // The sectors of the allocation table: 109 in the header, the rest in
    // the chained DIFAT sectors.
    QList<std::uint32_t> fatList;
    for (int i = 0; i < 109 && fatList.size() < qsizetype(fatSectors); ++i)
        fatList.append(u32(data, 76 + 4 * i));
    const qint64 perDifat = file.m_sectorSize / 4 - 1;
    for (std::uint32_t n = 0; fatList.size() < qsizetype(fatSectors); ++n) {
        if (n >= difatSectors || difat > kMaxRegular)
            return std::nullopt;
        const qint64 at = file.sectorOffset(difat);
        if (at + file.m_sectorSize > data.size())
            return std::nullopt;
        for (qint64 i = 0; i < perDifat && fatList.size() < qsizetype(fatSectors); ++i)
            fatList.append(u32(data, at + 4 * i));
        difat = u32(data, at + 4 * perDifat);
    }
    const qint64 perSector = file.m_sectorSize / 4;
    file.m_fat.reserve(fatList.size() * perSector);
    for (std::uint32_t sector : fatList) {
        const qint64 at = file.sectorOffset(sector);
        if (sector > kMaxRegular || at + file.m_sectorSize > data.size())
            return std::nullopt;
        for (qint64 i = 0; i < perSector; ++i)
            file.m_fat.append(u32(data, at + 4 * i));
    }

    // The directory: a chain like any other, its length unknown up front.
    QByteArray directory;
    {
        std::uint32_t sector = firstDirectory;
        qint64 steps = 0;
        while (sector != kEndOfChain) {
            if (sector > kMaxRegular || sector >= std::uint32_t(file.m_fat.size()) || ++steps > file.m_fat.size()
                || directory.size() / 128 > kMaxDirectoryEntries)
                return std::nullopt;
            const qint64 at = file.sectorOffset(sector);
            if (at + file.m_sectorSize > data.size())
                return std::nullopt;
            directory.append(data.constData() + at, file.m_sectorSize);
            sector = file.m_fat[sector];
        }
    }
    for (qint64 at = 0; at + 128 <= directory.size(); at += 128) {
        Entry e;
        const int nameBytes = std::min<int>(u16(directory, at + 64), 64);
        const int chars = std::max(0, nameBytes / 2 - 1);
        for (int i = 0; i < chars; ++i)
            e.name.append(QChar(u16(directory, at + 2 * i)));
        e.type = directory[at + 66];
        e.left = u32(directory, at + 68);
        e.right = u32(directory, at + 72);
        e.child = u32(directory, at + 76);
        e.start = u32(directory, at + 116);
        e.size = u32(directory, at + 120);
        if (file.m_sectorSize == 4096)
            e.size |= std::uint64_t(u32(directory, at + 124)) << 32;
        file.m_entries.append(e);
    }
    if (file.m_entries.isEmpty() || file.m_entries[0].type != 5)
        return std::nullopt;

    if (miniFatSectors > 0 && firstMiniFat <= kMaxRegular) {
        const auto miniFat = file.chain(file.m_fat, firstMiniFat, std::uint64_t(miniFatSectors) * file.m_sectorSize,
                                        file.m_sectorSize, false);
        if (!miniFat)
            return std::nullopt;
        for (qint64 i = 0; i + 4 <= miniFat->size(); i += 4)
            file.m_miniFat.append(u32(*miniFat, i));
        const Entry& root = file.m_entries[0];
        if (root.size > 0) {
            const auto mini = file.chain(file.m_fat, root.start, root.size, file.m_sectorSize, false);
            if (!mini)
                return std::nullopt;
            file.m_miniStream = *mini;
        }
    }
    return file;
}

const CompoundFile::Entry* CompoundFile::rootStream(const QString& name) const
{
    // The root's children form a tree through their left and right links;
    // each entry is visited once, so a damaged tree cannot loop.
    QList<bool> visited(m_entries.size(), false);
    QList<std::uint32_t> pending{m_entries[0].child};
    while (!pending.isEmpty()) {
        const std::uint32_t index = pending.takeLast();
        if (index >= std::uint32_t(m_entries.size()) || visited[index])
            continue;
        visited[index] = true;
        const Entry& e = m_entries[index];
        // Writers differ in the case of stream names ("1Table", "1table").
        if (e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
        pending.append(e.left);
        pending.append(e.right);
    }
    return nullptr;
}

bool CompoundFile::hasStream(const QString& name) const
{
    return rootStream(name) != nullptr;
}

std::optional<QByteArray> CompoundFile::stream(const QString& name) const
{
    const Entry* e = rootStream(name);
    if (!e)
        return std::nullopt;
    if (e->size == 0)
        return QByteArray();
    if (e->size < m_miniCutoff)
        return chain(m_miniFat, e->start, e->size, m_miniSectorSize, true);
    return chain(m_fat, e->start, e->size, m_sectorSize, false);
}

} // namespace platform::text
