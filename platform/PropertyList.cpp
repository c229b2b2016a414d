#include "platform/PropertyList.h"

#include "platform/CoreLog_p.h"
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <plist/plist.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace platform {

namespace {

// Nesting beyond this is refused before libplist (which recurses) sees it.
constexpr int kMaxDepth = 512;
// Larger files are not property lists we want to hold in memory.
constexpr qsizetype kMaxFileSize = qsizetype(1) << 30;
// Seconds between 1970-01-01 and 2001-01-01, the property-list epoch.
constexpr qint64 kEpochOffset = 978307200;

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

std::uint64_t readBigEndian(const unsigned char* p, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Walks a binary property list's object graph without recursion and checks
// that libplist's own recursive parse stays shallow and small: nesting at
// most kMaxDepth, and no more expanded objects than the file has bytes (a
// graph of shared containers would otherwise expand exponentially).
bool binaryStructureIsBounded(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const std::uint64_t size = std::uint64_t(data.size());
    if (size < 8 + 32)
        return false;
    const unsigned char* trailer = bytes + size - 32;
    const int offsetSize = trailer[6];
    const int refSize = trailer[7];
    const std::uint64_t objectCount = readBigEndian(trailer + 8, 8);
    const std::uint64_t topObject = readBigEndian(trailer + 16, 8);
    const std::uint64_t tableOffset = readBigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8)
        return false;
    const std::uint64_t tableEnd = size - 32;
    if (objectCount == 0 || topObject >= objectCount || tableOffset > tableEnd
        || objectCount > (tableEnd - tableOffset) / std::uint64_t(offsetSize))
        return false;

    auto objectOffset = [&](std::uint64_t index) {
        return readBigEndian(bytes + tableOffset + index * offsetSize, offsetSize);
    };

    // libplist aborts on a dictionary key with a NUL character in it.
    auto keyIsClean = [&](std::uint64_t offset) {
        if (offset >= tableOffset)
            return false;
        const int kind = bytes[offset] >> 4;
        if (kind != 0x5 && kind != 0x6)
            return true; // not a string: libplist refuses it as a key
        std::uint64_t length = bytes[offset] & 0x0F;
        std::uint64_t pos = offset + 1;
        if (length == 0x0F) {
            if (pos >= tableOffset || (bytes[pos] & 0xF0) != 0x10)
                return false;
            const int lengthSize = 1 << (bytes[pos] & 0x0F);
            if (lengthSize > 8 || pos + 1 + lengthSize > tableOffset)
                return false;
            length = readBigEndian(bytes + pos + 1, lengthSize);
            pos += 1 + lengthSize;
        }
        const int unit = kind == 0x6 ? 2 : 1;
        if (length > (tableOffset - pos) / unit)
            return false;
        for (std::uint64_t i = 0; i < length; ++i) {
            if (unit == 1 ? bytes[pos + i] == 0
                          : bytes[pos + 2 * i] == 0 && bytes[pos + 2 * i + 1] == 0)
                return false;
        }
        return true;
    };

    struct Entry {
        std::uint64_t index;
        int depth;
    };
    std::vector<Entry> stack{{topObject, 1}};
    std::uint64_t visits = 0;
    while (!stack.empty()) {
        const Entry entry = stack.back();
        stack.pop_back();
        if (++visits > size)
            return false;
        const std::uint64_t offset = objectOffset(entry.index);
        if (offset >= tableOffset)
            return false;
        const unsigned char marker = bytes[offset];
        const int type = marker >> 4;
        if (type != 0xA && type != 0xB && type != 0xC && type != 0xD)
            continue; // scalars are checked by libplist itself
        if (entry.depth >= kMaxDepth)
            return false;
        std::uint64_t count = marker & 0x0F;
        std::uint64_t pos = offset + 1;
        if (count == 0x0F) {
            if (pos >= tableOffset || (bytes[pos] & 0xF0) != 0x10)
                return false;
            const int countSize = 1 << (bytes[pos] & 0x0F);
            if (countSize > 8 || pos + 1 + countSize > tableOffset)
                return false;
            count = readBigEndian(bytes + pos + 1, countSize);
            pos += 1 + countSize;
        }
        const std::uint64_t refs = type == 0xD ? 2 : 1;
        if (count > (tableOffset - pos) / (refs * refSize))
            return false;
        for (std::uint64_t i = 0; i < count * refs; ++i) {
            const std::uint64_t child = readBigEndian(bytes + pos + i * refSize, refSize);
            if (child >= objectCount)
                return false;
            if (type == 0xD && i < count && !keyIsClean(objectOffset(child)))
                return false;
            stack.push_back({child, entry.depth + 1});
        }
    }
    return true;
}

// XML nesting, counted conservatively from the container tags.
bool xmlDepthIsBounded(const QByteArray& data)
{
    int depth = 0;
    const char* p = data.constData();
    const char* end = p + data.size();
    for (; p < end; ++p) {
        if (*p != '<')
            continue;
        const char* tag = p + 1;
        const bool closing = tag < end && *tag == '/';
        if (closing)
            ++tag;
        qsizetype nameLength = 0;
        if (end - tag >= 4 && std::memcmp(tag, "dict", 4) == 0)
            nameLength = 4;
        else if (end - tag >= 5 && std::memcmp(tag, "array", 5) == 0)
            nameLength = 5;
        else
            continue;
        const char* after = tag + nameLength;
        if (after < end && *after != '>' && *after != '/' && *after != ' ' && *after != '\t'
            && *after != '\r' && *after != '\n')
            continue; // another tag that merely starts with the name
        if (closing) {
            --depth;
            continue;
        }
        const char* close = static_cast<const char*>(std::memchr(after, '>', end - after));
        if (close && close[-1] == '/')
            continue; // <array/>
        if (++depth > kMaxDepth)
            return false;
    }
    return true;
}

// libplist 2.2 keeps one integer type: values above INT64_MAX are marked as
// unsigned internally and printed unsigned, everything else signed.
QVariant integerValue(plist_t node)
{
    std::uint64_t value = 0;
    plist_get_uint_val(node, &value);
    if (value <= std::uint64_t(std::numeric_limits<qint64>::max()))
        return QVariant::fromValue(qlonglong(value));
    PlistPtr copy(plist_copy(node));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(copy.get()), &xml, &length);
    const bool negative = xml && QByteArray::fromRawData(xml, length).contains("<integer>-");
    if (xml)
        plist_to_xml_free(xml);
    if (negative)
        return QVariant::fromValue(qlonglong(value));
    return QVariant::fromValue(qulonglong(value));
}

std::optional<QVariant> toVariant(plist_t node, int depth)
{
    if (!node || depth > kMaxDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT:
        return integerValue(node);
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        if (!text || length > uint64_t(std::numeric_limits<qsizetype>::max()))
            return QVariant(QString());
        return QVariant(QString::fromUtf8(text, qsizetype(length)));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        if (!bytes || length > uint64_t(std::numeric_limits<qsizetype>::max()))
            return QVariant(QByteArray());
        return QVariant(QByteArray(bytes, qsizetype(length)));
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        // libplist answers the truncated second and the fraction's magnitude
        // (the sign of a time within a second before 2001 is lost there).
        qint64 fraction = microseconds < 0 ? -qint64(microseconds) : qint64(microseconds);
        if (seconds < 0)
            fraction = -fraction;
        const qint64 msecs = (kEpochOffset + seconds) * 1000 + fraction / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant::fromValue(qulonglong(value));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            auto item = toVariant(plist_array_get_item(node, i), depth + 1);
            if (!item)
                return std::nullopt;
            list.append(*item);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return std::nullopt;
        bool ok = true;
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            auto item = toVariant(value, depth + 1);
            if (key && item)
                map.insert(QString::fromUtf8(key), *item);
            std::free(key);
            if (!item) {
                ok = false;
                break;
            }
        }
        std::free(iter);
        if (!ok)
            return std::nullopt;
        return QVariant(map);
    }
    default:
        return std::nullopt;
    }
}

plist_t newUnsigned(qulonglong value)
{
    if (value <= qulonglong(std::numeric_limits<qint64>::max()))
        return plist_new_uint(value);
    // Only the parser marks a node as unsigned; plist_new_uint would print it negative.
    const QByteArray xml = "<plist version=\"1.0\"><integer>" + QByteArray::number(value)
                           + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    return node;
}

plist_t fromVariant(const QVariant& value, int depth)
{
    if (depth > kMaxDepth)
        return nullptr;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        return plist_new_uint(std::uint64_t(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return newUnsigned(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            return nullptr;
        const qint64 msecs = date.toMSecsSinceEpoch() - kEpochOffset * 1000;
        qint64 seconds = msecs / 1000;
        qint64 rest = msecs % 1000;
        if (rest < 0) {
            rest += 1000;
            --seconds;
        }
        if (seconds < std::numeric_limits<int32_t>::min()
            || seconds > std::numeric_limits<int32_t>::max())
            return nullptr;
        return plist_new_date(int32_t(seconds), int32_t(rest * 1000));
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        PlistPtr array(plist_new_array());
        for (const QVariant& item : value.toList()) {
            plist_t node = fromVariant(item, depth + 1);
            if (!node)
                return nullptr;
            plist_array_append_item(static_cast<plist_t>(array.get()), node);
        }
        return static_cast<plist_t>(array.release());
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        PlistPtr dict(plist_new_dict());
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_t node = fromVariant(it.value(), depth + 1);
            if (!node)
                return nullptr;
            plist_dict_set_item(static_cast<plist_t>(dict.get()), it.key().toUtf8().constData(),
                                node);
        }
        return static_cast<plist_t>(dict.release());
    }
    default:
        return nullptr;
    }
}

} // namespace

std::optional<QVariant> readPropertyList(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > kMaxFileSize) {
        qCInfo(lcCore) << "property list refused: size" << data.size();
        return std::nullopt;
    }
    const bool binary = data.startsWith("bplist00");
    if (binary ? !binaryStructureIsBounded(data) : !xmlDepthIsBounded(data)) {
        qCInfo(lcCore) << "property list refused: nested too deep or out of bounds";
        return std::nullopt;
    }
    plist_t root = nullptr;
    if (binary)
        plist_from_bin(data.constData(), uint32_t(data.size()), &root);
    else
        plist_from_xml(data.constData(), uint32_t(data.size()), &root);
    if (!root) {
        qCInfo(lcCore) << "property list refused: not readable as" << (binary ? "binary" : "XML");
        return std::nullopt;
    }
    PlistPtr owner(root);
    return toVariant(root, 1);
}

std::optional<QVariant> readPropertyListFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) {
        qCInfo(lcCore) << "property list" << path << "refused:" << file.errorString() << "size" << file.size();
        return std::nullopt;
    }
    return readPropertyList(file.readAll());
}

QByteArray writePropertyList(const QVariant& value, PropertyListFormat format)
{
    PlistPtr root(fromVariant(value, 1));
    if (!root)
        return {};
    char* out = nullptr;
    uint32_t length = 0;
    QByteArray result;
    if (format == PropertyListFormat::Binary) {
        plist_to_bin(static_cast<plist_t>(root.get()), &out, &length);
        if (out) {
            result = QByteArray(out, qsizetype(length));
            plist_to_bin_free(out);
        }
    } else {
        plist_to_xml(static_cast<plist_t>(root.get()), &out, &length);
        if (out) {
            result = QByteArray(out, qsizetype(length));
            plist_to_xml_free(out);
        }
    }
    return result;
}

bool writePropertyListFile(const QVariant& value, const QString& path, PropertyListFormat format,
                           int mode)
{
    const QByteArray bytes = writePropertyList(value, format);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file before any content is written, so a
    // password file is never readable by others, not even for a moment.
    if (::fchmod(file.handle(), mode_t(mode & 07777)) != 0) {
        file.cancelWriting();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace platform
