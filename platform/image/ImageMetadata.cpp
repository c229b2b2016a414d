#include "platform/image/ImageMetadata_p.h"

#include "platform/image/ImageLibraries_p.h"
#include "platform/image/ImagePropertyKeys.h"

#include <QFile>

#include <exiv2/exiv2.hpp>

namespace platform::image {

namespace {

// Largest number of entries taken from one group: a hostile file must not
// make us build dictionaries without end.
constexpr int kMaxEntriesPerGroup = 4096;

struct GroupRule {
    const char* exivPrefix;   // "Exif.Image."
    QLatin1StringView group;  // our dictionary key
    const char* entryPrefix;  // our entry prefix
    const char* stripFromTag; // a prefix of Exiv2's tag names that ours leave out
};

const GroupRule kRules[] = {
    {"Exif.Image.", keys::kCGImagePropertyTIFFDictionary, "kCGImagePropertyTIFF", ""},
    {"Exif.Photo.", keys::kCGImagePropertyExifDictionary, "kCGImagePropertyExif", ""},
    {"Exif.GPSInfo.", keys::kCGImagePropertyGPSDictionary, "kCGImagePropertyGPS", "GPS"},
    {"Exif.Canon.", keys::kCGImagePropertyMakerCanonDictionary, "kCGImagePropertyMakerCanon", ""},
    {"Exif.Nikon3.", keys::kCGImagePropertyMakerNikonDictionary, "kCGImagePropertyMakerNikon", ""},
    {"Iptc.Application2.", keys::kCGImagePropertyIPTCDictionary, "kCGImagePropertyIPTC", ""},
};

QVariant valueOf(const Exiv2::Value& value)
{
    const long count = value.count();
    const auto one = [&](long i) -> QVariant {
        switch (value.typeId()) {
        case Exiv2::unsignedByte:
        case Exiv2::unsignedShort:
        case Exiv2::unsignedLong:
        case Exiv2::signedShort:
        case Exiv2::signedLong:
        case Exiv2::signedByte: return QVariant::fromValue<qint64>(value.toLong(i));
        case Exiv2::unsignedRational:
        case Exiv2::signedRational:
        case Exiv2::tiffFloat:
        case Exiv2::tiffDouble: return value.toFloat(i);
        default: return QString::fromStdString(value.toString());
        }
    };
    const bool numeric = value.typeId() != Exiv2::asciiString && value.typeId() != Exiv2::string
                         && value.typeId() != Exiv2::undefined && value.typeId() != Exiv2::comment
                         && value.typeId() < Exiv2::xmpText;
    if (!numeric || count <= 1)
        return count == 0 ? QVariant(QString()) : one(0);
    QVariantList list;
    for (long i = 0; i < count && i < kMaxEntriesPerGroup; ++i)
        list << one(i);
    return list;
}

template <typename Data>
void collect(const Data& data, QVariantMap& groups)
{
    for (const auto& datum : data) {
        const std::string key = datum.key();
        for (const GroupRule& rule : kRules) {
            if (key.rfind(rule.exivPrefix, 0) != 0)
                continue;
            QVariantMap group = groups.value(rule.group).toMap();
            if (group.size() >= kMaxEntriesPerGroup)
                break;
            QString tag = QString::fromStdString(datum.tagName());
            if (*rule.stripFromTag && tag.startsWith(QLatin1StringView(rule.stripFromTag)))
                tag = tag.mid(int(std::strlen(rule.stripFromTag)));
            group.insert(QLatin1StringView(rule.entryPrefix) + tag, valueOf(datum.value()));
            groups.insert(rule.group, group);
            break;
        }
    }
}

QVariantMap collectAll(Exiv2::Image& image)
{
    image.readMetadata();
    QVariantMap groups;
    collect(image.exifData(), groups);
    collect(image.iptcData(), groups);
    QVariantMap xmp;
    for (const auto& datum : image.xmpData()) {
        if (xmp.size() >= kMaxEntriesPerGroup)
            break;
        xmp.insert(QString::fromStdString(datum.key()), QString::fromStdString(datum.toString()));
    }
    if (!xmp.isEmpty())
        groups.insert(keys::kCGImagePropertyXMPDictionary, xmp);
    return groups;
}

// Our entry back to Exiv2's key: "kCGImagePropertyGPSLatitude" in the GPS
// group is "Exif.GPSInfo.GPSLatitude".
std::string exivKeyOf(const GroupRule& rule, const QString& entry)
{
    const QLatin1StringView prefix(rule.entryPrefix);
    if (!entry.startsWith(prefix))
        return {};
    return std::string(rule.exivPrefix) + rule.stripFromTag + entry.mid(prefix.size()).toStdString();
}

std::string textOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QVariantList) {
        std::string joined;
        for (const QVariant& item : value.toList())
            joined += (joined.empty() ? "" : " ") + textOf(item);
        return joined;
    }
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const Exiv2::Rational r = Exiv2::floatToRationalCast(value.toFloat());
        return std::to_string(r.first) + "/" + std::to_string(r.second);
    }
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? "1" : "0";
    return value.toString().toStdString();
}

Exiv2::ExifData::iterator findIn(Exiv2::ExifData& data, const std::string& key)
{
    return data.findKey(Exiv2::ExifKey(key));
}

Exiv2::IptcData::iterator findIn(Exiv2::IptcData& data, const std::string& key)
{
    return data.findKey(Exiv2::IptcKey(key));
}

template <typename Data>
void setEntry(Data& data, const std::string& key, const QVariant& value)
{
    try {
        auto found = findIn(data, key);
        if (found != data.end())
            data.erase(found);
        data[key] = textOf(value); // read in the tag's own type
    } catch (const Exiv2::AnyError&) {
        // An entry Exiv2 does not know is left out.
    }
}

} // namespace

QVariantMap readMetadataGroups(const QString& path)
{
    ensureImageLibraries();
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        return image.get() ? collectAll(*image) : QVariantMap();
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "no metadata read from" << path << error.what();
        return {};
    }
}

QVariantMap readMetadataGroups(const QByteArray& data)
{
    ensureImageLibraries();
    try {
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(data.constData()),
                                               data.size());
        return image.get() ? collectAll(*image) : QVariantMap();
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "no metadata read from data:" << error.what();
        return {};
    }
}

bool hasMetadataGroups(const QVariantMap& properties)
{
    for (const GroupRule& rule : kRules)
        if (!properties.value(rule.group).toMap().isEmpty())
            return true;
    return !properties.value(keys::kCGImagePropertyXMPDictionary).toMap().isEmpty();
}

bool writeMetadataGroups(QByteArray& data, const QVariantMap& properties)
{
    if (!hasMetadataGroups(properties))
        return true;
    ensureImageLibraries();
    try {
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(data.constData()),
                                               data.size());
        if (!image.get())
            return false;
        image->readMetadata();
        for (const GroupRule& rule : kRules) {
            const QVariantMap group = properties.value(rule.group).toMap();
            for (auto it = group.begin(); it != group.end(); ++it) {
                const std::string key = exivKeyOf(rule, it.key());
                if (key.empty())
                    continue;
                if (key.rfind("Iptc.", 0) == 0)
                    setEntry(image->iptcData(), key, it.value());
                else
                    setEntry(image->exifData(), key, it.value());
            }
        }
        const QVariantMap xmp = properties.value(keys::kCGImagePropertyXMPDictionary).toMap();
        for (auto it = xmp.begin(); it != xmp.end(); ++it) {
            try {
                image->xmpData()[it.key().toStdString()] = it.value().toString().toStdString();
            } catch (const Exiv2::AnyError&) {
            }
        }
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        if (io.open() != 0)
            return false;
        const Exiv2::DataBuf written = io.read(long(io.size()));
        io.close();
        data = QByteArray(reinterpret_cast<const char*>(written.pData_), written.size_);
        return true;
    } catch (const std::exception& error) {
        qCInfo(lcImage) << "metadata not written:" << error.what();
        return false;
    }
}

} // namespace platform::image
