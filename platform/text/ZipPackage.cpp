#include "platform/text/ZipPackage.h"

#include <QFile>

#include <zip.h>

namespace platform::text {

namespace {

constexpr qint64 kRatioCheckFrom = 1024 * 1024;
constexpr qint64 kReadChunk = 64 * 1024;

} // namespace

struct ZipPackage::Handle {
    zip_t* archive = nullptr;
    QByteArray data; // the buffer a package made from memory reads from
    ~Handle()
    {
        if (archive)
            zip_discard(archive);
    }
};

ZipPackage::ZipPackage(std::unique_ptr<Handle> handle, const ZipLimits& limits)
    : m_handle(std::move(handle)), m_limits(limits)
{
}

ZipPackage::~ZipPackage() = default;

std::unique_ptr<ZipPackage> ZipPackage::adopt(void* archive, QByteArray data, const ZipLimits& limits)
{
    auto handle = std::make_unique<Handle>();
    handle->archive = static_cast<zip_t*>(archive);
    handle->data = std::move(data);
    const zip_int64_t count = zip_get_num_entries(handle->archive, 0);
    if (count < 0 || count > limits.maxEntries)
        return nullptr;
    return std::unique_ptr<ZipPackage>(new ZipPackage(std::move(handle), limits));
}

std::unique_ptr<ZipPackage> ZipPackage::open(const QString& path, const ZipLimits& limits)
{
    const QByteArray native = QFile::encodeName(path);
    int error = 0;
    zip_t* archive = zip_open(native.constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        return nullptr;
    return adopt(archive, {}, limits);
}

std::unique_ptr<ZipPackage> ZipPackage::fromData(const QByteArray& data, const ZipLimits& limits)
{
    // The source reads the copy the handle keeps alive, not the caller's.
    QByteArray copy = data;
    copy.detach();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(copy.constData(), zip_uint64_t(copy.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return nullptr;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return nullptr;
    }
    return adopt(archive, std::move(copy), limits);
}

qint64 ZipPackage::indexOf(const QString& name) const
{
    const QByteArray utf8 = name.toUtf8();
    zip_int64_t index = zip_name_locate(m_handle->archive, utf8.constData(), 0);
    if (index < 0)
        index = zip_name_locate(m_handle->archive, utf8.constData(), ZIP_FL_NOCASE);
    return index;
}

bool ZipPackage::contains(const QString& name) const
{
    return indexOf(name) >= 0;
}

QStringList ZipPackage::names() const
{
    QStringList list;
    const zip_int64_t count = zip_get_num_entries(m_handle->archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(m_handle->archive, zip_uint64_t(i), 0))
            list << QString::fromUtf8(name);
    }
    return list;
}

std::optional<QByteArray> ZipPackage::read(const QString& name)
{
    const qint64 index = indexOf(name);
    if (index < 0)
        return std::nullopt;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_handle->archive, zip_uint64_t(index), 0, &stat) != 0)
        return std::nullopt;
    if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE))
        return std::nullopt;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return std::nullopt;
    const qint64 remaining = m_limits.maxTotalBytes - m_totalRead;
    const qint64 limit = std::min(m_limits.maxEntryBytes, remaining);
    if (stat.size > zip_uint64_t(limit))
        return std::nullopt;
    const qint64 size = qint64(stat.size);
    if (size > kRatioCheckFrom && qint64(stat.comp_size) * m_limits.maxRatio < size)
        return std::nullopt;

    zip_file_t* file = zip_fopen_index(m_handle->archive, zip_uint64_t(index), 0);
    if (!file)
        return std::nullopt;
    // The declared size is only a claim: never take more bytes than it says.
    QByteArray bytes;
    bool ok = true;
    while (true) {
        const qint64 chunk = std::min<qint64>(kReadChunk, size - bytes.size() + 1);
        const qsizetype at = bytes.size();
        bytes.resize(at + chunk);
        const zip_int64_t got = zip_fread(file, bytes.data() + at, zip_uint64_t(chunk));
        if (got < 0) {
            ok = false;
            break;
        }
        bytes.resize(at + got);
        if (bytes.size() > size) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
    }
    zip_fclose(file);
    if (!ok || bytes.size() != size)
        return std::nullopt;
    m_totalRead += size;
    return bytes;
}

} // namespace platform::text
