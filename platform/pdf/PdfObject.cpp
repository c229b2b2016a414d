#include "platform/pdf/PdfObject.h"

#include "platform/pdf/PdfDocument_p.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace platform::pdf {

struct PdfObject::Handle {
    QPDFObjectHandle object;
    // Keeps the objects' document alive while a handle exists.
    std::shared_ptr<const void> owner;
};

namespace {

using Handle = PdfObject::Handle;

PdfObject wrap(const Handle& parent, QPDFObjectHandle object)
{
    if (!object.isInitialized() || object.isNull())
        return {};
    return PdfObject(std::make_shared<const Handle>(Handle{std::move(object), parent.owner}));
}

// Runs a read on the handle; any library exception gives the fallback.
template <typename Result, typename Read>
Result read(const std::shared_ptr<const Handle>& handle, Result fallback, Read readObject)
{
    if (!handle)
        return fallback;
    try {
        return readObject(handle->object);
    } catch (const std::exception&) {
        return fallback;
    }
}

// A value of one type: none for an object of another.
template <typename Is, typename Get> auto readScalar(const std::shared_ptr<const Handle>& handle, Is is, Get get)
{
    using Value = decltype(get(std::declval<QPDFObjectHandle&>()));
    return read(handle, std::optional<Value>(), [&](QPDFObjectHandle object) -> std::optional<Value> {
        if (!is(object))
            return std::nullopt;
        return get(object);
    });
}

// PDF names and keys as qpdf spells them start with a slash.
QByteArray withoutSlash(const std::string& name)
{
    return name.empty() ? QByteArray() : QByteArray(name.data() + 1, qsizetype(name.size()) - 1);
}

// Collects stream data, refusing more than its limit.
class BoundedBuffer : public Pipeline {
public:
    explicit BoundedBuffer(int64_t limit) : Pipeline("bounded buffer", nullptr), m_limit(limit) { }

    void write(unsigned char const* data, size_t length) override
    {
        if (int64_t(length) > m_limit - int64_t(m_bytes.size()))
            throw std::length_error("stream data above its limit");
        m_bytes.append(reinterpret_cast<const char*>(data), qsizetype(length));
    }
    void finish() override { }

    QByteArray& bytes() { return m_bytes; }

private:
    int64_t m_limit;
    QByteArray m_bytes;
};

// The filter names of a stream, in the order they are applied. False when
// /Filter is neither a name nor an array of names.
bool filterNames(QPDFObjectHandle dictionary, std::vector<std::string>& names)
{
    QPDFObjectHandle filter = dictionary.getKey("/Filter");
    if (filter.isNull())
        return true;
    if (filter.isName()) {
        names.push_back(filter.getName());
        return true;
    }
    if (!filter.isArray())
        return false;
    for (QPDFObjectHandle item : filter.aitems()) {
        if (!item.isName())
            return false;
        names.push_back(item.getName());
    }
    return true;
}

std::optional<PdfDataFormat> imageCodecFormat(const std::string& filter)
{
    if (filter == "/DCTDecode" || filter == "/DCT")
        return PdfDataFormat::JPEGEncoded;
    if (filter == "/JPXDecode")
        return PdfDataFormat::JPEG2000;
    return std::nullopt;
}

// The stream's data through every filter qpdf applies without loss; none
// when a filter is left over (an image codec, CCITT, JBIG2) or fails.
std::optional<QByteArray> pipeDecoded(QPDFObjectHandle stream, int64_t maxBytes, qpdf_stream_decode_level_e level)
{
    BoundedBuffer buffer(maxBytes);
    bool filtered = false;
    if (!stream.pipeStreamData(&buffer, &filtered, 0, level, true))
        return std::nullopt;
    std::vector<std::string> names;
    if (level != qpdf_dl_none && !filtered && (!filterNames(stream.getDict(), names) || !names.empty()))
        return std::nullopt;
    return std::move(buffer.bytes());
}

// The filters before a last image codec, applied on a copy of the stream in
// a scratch document, so the document itself is never changed.
std::optional<QByteArray> decodeBeforeLastFilter(QPDFObjectHandle stream, int64_t maxBytes)
{
    const std::optional<QByteArray> raw = pipeDecoded(stream, maxBytes, qpdf_dl_none);
    if (!raw)
        return std::nullopt;
    QPDFObjectHandle dictionary = stream.getDict();
    QPDFObjectHandle filters = dictionary.getKey("/Filter");
    QPDFObjectHandle parameters = dictionary.getKey("/DecodeParms");
    const int kept = filters.getArrayNItems() - 1;
    QPDFObjectHandle keptFilters = QPDFObjectHandle::newArray();
    QPDFObjectHandle keptParameters = QPDFObjectHandle::newArray();
    for (int i = 0; i < kept; ++i) {
        keptFilters.appendItem(filters.getArrayItem(i));
        keptParameters.appendItem(parameters.isArray() ? parameters.getArrayItem(i).unsafeShallowCopy()
                                                       : QPDFObjectHandle::newNull());
    }
    QPDF scratch;
    scratch.emptyPDF();
    scratch.setSuppressWarnings(true);
    QPDFObjectHandle copy = scratch.newStream(std::string(raw->constData(), size_t(raw->size())));
    copy.replaceStreamData(std::string(raw->constData(), size_t(raw->size())), keptFilters, keptParameters);
    return pipeDecoded(copy, maxBytes, qpdf_dl_specialized);
}

} // namespace

PdfObject::PdfObject(std::shared_ptr<const Handle> handle) : m_handle(std::move(handle)) { }

PdfObjectType PdfObject::type() const
{
    return read(m_handle, PdfObjectType::Null, [](QPDFObjectHandle object) {
        switch (object.getTypeCode()) {
        case ::ot_boolean:
            return PdfObjectType::Boolean;
        case ::ot_integer:
            return PdfObjectType::Integer;
        case ::ot_real:
            return PdfObjectType::Real;
        case ::ot_name:
            return PdfObjectType::Name;
        case ::ot_string:
            return PdfObjectType::String;
        case ::ot_array:
            return PdfObjectType::Array;
        case ::ot_dictionary:
            return PdfObjectType::Dictionary;
        case ::ot_stream:
            return PdfObjectType::Stream;
        default:
            return PdfObjectType::Null;
        }
    });
}

PdfObjectId PdfObject::id() const
{
    return read(m_handle, PdfObjectId{}, [](QPDFObjectHandle object) {
        const QPDFObjGen objGen = object.getObjGen();
        return PdfObjectId{objGen.getObj(), objGen.getGen()};
    });
}

std::optional<bool> PdfObject::asBoolean() const
{
    return readScalar(
        m_handle, [](QPDFObjectHandle& o) { return o.isBool(); }, [](QPDFObjectHandle& o) { return o.getBoolValue(); });
}

std::optional<int64_t> PdfObject::asInteger() const
{
    return readScalar(
        m_handle, [](QPDFObjectHandle& o) { return o.isInteger(); },
        [](QPDFObjectHandle& o) { return int64_t(o.getIntValue()); });
}

std::optional<double> PdfObject::asNumber() const
{
    return readScalar(
        m_handle, [](QPDFObjectHandle& o) { return o.isNumber(); },
        [](QPDFObjectHandle& o) { return o.getNumericValue(); });
}

std::optional<QByteArray> PdfObject::asName() const
{
    return readScalar(
        m_handle, [](QPDFObjectHandle& o) { return o.isName(); },
        [](QPDFObjectHandle& o) { return withoutSlash(o.getName()); });
}

std::optional<QByteArray> PdfObject::asString() const
{
    return readScalar(
        m_handle, [](QPDFObjectHandle& o) { return o.isString(); },
        [](QPDFObjectHandle& o) {
            const std::string value = o.getStringValue();
            return QByteArray(value.data(), qsizetype(value.size()));
        });
}

std::optional<PdfArray> PdfObject::asArray() const
{
    if (type() != PdfObjectType::Array)
        return std::nullopt;
    return PdfArray(*this);
}

std::optional<PdfDictionary> PdfObject::asDictionary() const
{
    if (type() != PdfObjectType::Dictionary)
        return std::nullopt;
    return PdfDictionary(*this);
}

std::optional<PdfStream> PdfObject::asStream() const
{
    if (type() != PdfObjectType::Stream)
        return std::nullopt;
    return PdfStream(*this);
}

int64_t PdfArray::count() const
{
    return read(m_handle, int64_t(0), [](QPDFObjectHandle object) {
        return object.isArray() ? int64_t(object.getArrayNItems()) : int64_t(0);
    });
}

PdfObject PdfArray::object(int64_t index) const
{
    return read(m_handle, PdfObject(), [&](QPDFObjectHandle object) {
        if (!object.isArray() || index < 0 || index >= int64_t(object.getArrayNItems()))
            return PdfObject();
        return wrap(*m_handle, object.getArrayItem(int(index)));
    });
}

std::optional<PdfArray> PdfArray::arrayAt(int64_t index) const { return object(index).asArray(); }
std::optional<PdfDictionary> PdfArray::dictionaryAt(int64_t index) const { return object(index).asDictionary(); }
std::optional<PdfStream> PdfArray::streamAt(int64_t index) const { return object(index).asStream(); }

QList<QByteArray> PdfDictionary::keys() const
{
    return read(m_handle, QList<QByteArray>(), [](QPDFObjectHandle object) {
        QList<QByteArray> keys;
        if (!object.isDictionary())
            return keys;
        for (const std::string& key : object.getKeys())
            keys.append(withoutSlash(key));
        return keys;
    });
}

PdfObject PdfDictionary::object(const char* key) const
{
    return read(m_handle, PdfObject(), [&](QPDFObjectHandle object) {
        if (!object.isDictionary())
            return PdfObject();
        return wrap(*m_handle, object.getKey(std::string("/") + key));
    });
}

std::optional<PdfArray> PdfDictionary::array(const char* key) const { return object(key).asArray(); }
std::optional<PdfDictionary> PdfDictionary::dictionary(const char* key) const { return object(key).asDictionary(); }
std::optional<PdfStream> PdfDictionary::stream(const char* key) const { return object(key).asStream(); }

PdfDictionary PdfStream::dictionary() const
{
    return read(m_handle, PdfDictionary(), [&](QPDFObjectHandle object) {
        if (!object.isStream())
            return PdfDictionary();
        return PdfDictionary(wrap(*m_handle, object.getDict()));
    });
}

std::optional<PdfStreamData> PdfStream::copyData(int64_t maxBytes) const
{
    return read(m_handle, std::optional<PdfStreamData>(), [&](QPDFObjectHandle object) -> std::optional<PdfStreamData> {
        std::vector<std::string> filters;
        if (!object.isStream() || !filterNames(object.getDict(), filters))
            return std::nullopt;
        const std::optional<PdfDataFormat> codec = filters.empty() ? std::nullopt : imageCodecFormat(filters.back());
        std::optional<QByteArray> bytes;
        if (!codec)
            bytes = pipeDecoded(object, maxBytes, qpdf_dl_specialized);
        else if (filters.size() == 1)
            bytes = pipeDecoded(object, maxBytes, qpdf_dl_none);
        else
            bytes = decodeBeforeLastFilter(object, maxBytes);
        if (!bytes)
            return std::nullopt;
        return PdfStreamData{std::move(*bytes), codec.value_or(PdfDataFormat::Raw)};
    });
}

std::optional<QByteArray> PdfStream::copyRawData(int64_t maxBytes) const
{
    return read(m_handle, std::optional<QByteArray>(), [&](QPDFObjectHandle object) -> std::optional<QByteArray> {
        if (!object.isStream())
            return std::nullopt;
        return pipeDecoded(object, maxBytes, qpdf_dl_none);
    });
}

PdfDictionary documentCatalog(const PdfDocument& document)
{
    const PdfDocument::Impl& impl = document.impl();
    if (!impl.qpdf)
        return {};
    try {
        auto handle = std::make_shared<const Handle>(Handle{impl.qpdf->getRoot(), document.shared_from_this()});
        return PdfObject(handle).asDictionary().value_or(PdfDictionary());
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace platform::pdf
