#pragma once
// The OLE compound file container of Word 97-2003 documents: streams found
// by name through the sector allocation tables, every chain checked for
// cycles and bounds.
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform::text {

class CompoundFile {
public:
    // Null when data is no compound file or its header or tables are damaged.
    static std::optional<CompoundFile> parse(const QByteArray& data);

    // A stream of the root storage by name (streams of embedded storages
    // are not the document's own); empty when there is none or its chain is
    // damaged.
    std::optional<QByteArray> stream(const QString& name) const;
    bool hasStream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };
    const Entry* rootStream(const QString& name) const;
    std::optional<QByteArray> chain(const QList<std::uint32_t>& table, std::uint32_t start, std::uint64_t size,
                                    qint64 sectorSize, bool mini) const;
    qint64 sectorOffset(std::uint32_t sector) const { return qint64(sector + 1) * m_sectorSize; }

    QByteArray m_data;
    qint64 m_sectorSize = 512;
    qint64 m_miniSectorSize = 64;
    std::uint32_t m_miniCutoff = 4096;
    QList<std::uint32_t> m_fat;
    QList<std::uint32_t> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_entries;
};

} // namespace platform::text
