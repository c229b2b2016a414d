#pragma once
// Read-only access to the entries of a zip package (office documents), with
// every size bounded before anything is inflated: a package that claims or
// inflates to more than its limits is refused, never read in full.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace platform::text {

struct ZipLimits {
    qint64 maxEntryBytes = 64LL * 1024 * 1024;  // one inflated entry
    qint64 maxTotalBytes = 256LL * 1024 * 1024; // all entries read from one package
    qint64 maxRatio = 500;                      // inflated / stored, for entries past 1 MB
    qint64 maxEntries = 20000;
};

class ZipPackage {
public:
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Null when the file is no readable zip or has more entries than allowed.
    static std::unique_ptr<ZipPackage> open(const QString& path, const ZipLimits& limits = {});
    static std::unique_ptr<ZipPackage> fromData(const QByteArray& data, const ZipLimits& limits = {});

    bool contains(const QString& name) const;
    QStringList names() const;

    // The inflated bytes of an entry (exact name, else the same name in any
    // case); empty when missing, damaged, encrypted or past a limit.
    std::optional<QByteArray> read(const QString& name);

private:
    struct Handle;
    ZipPackage(std::unique_ptr<Handle> handle, const ZipLimits& limits);
    static std::unique_ptr<ZipPackage> adopt(void* archive, QByteArray data, const ZipLimits& limits);
    qint64 indexOf(const QString& name) const;

    std::unique_ptr<Handle> m_handle;
    ZipLimits m_limits;
    qint64 m_totalRead = 0;
};

} // namespace platform::text
