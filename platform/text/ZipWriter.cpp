#include "platform/text/ZipWriter.h"

#include <zip.h>

namespace platform::text {

namespace {

bool addEntries(zip_t* archive, const QList<ZipEntry>& entries)
{
    for (const ZipEntry& entry : entries) {
        // The bytes stay alive (entries) until the archive is closed.
        zip_source_t* source = zip_source_buffer(archive, entry.bytes.constData(), zip_uint64_t(entry.bytes.size()), 0);
        if (!source)
            return false;
        const zip_int64_t index
            = zip_file_add(archive, entry.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        if (zip_set_file_compression(archive, zip_uint64_t(index), entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0)
            != 0)
            return false;
        // No time stamps from the clock: the same text makes the same file.
        zip_file_set_dostime(archive, zip_uint64_t(index), 0, (1 << 5) | 1, 0);
    }
    return true;
}

std::optional<QByteArray> readAll(zip_source_t* source)
{
    zip_stat_t stat;
    if (zip_source_stat(source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(source) != 0)
        return std::nullopt;
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(source, bytes.data(), stat.size);
    zip_source_close(source);
    if (read != zip_int64_t(stat.size))
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<QByteArray> zipArchive(const QList<ZipEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!buffer)
        return std::nullopt;
    // The buffer outlives the archive: closing the archive fills it.
    zip_source_keep(buffer);
    zip_error_init(&error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(buffer);
        zip_source_free(buffer);
        return std::nullopt;
    }
    if (!addEntries(archive, entries) || zip_close(archive) != 0) {
        zip_discard(archive);
        zip_source_free(buffer);
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = readAll(buffer);
    zip_source_free(buffer);
    return bytes;
}

} // namespace platform::text
