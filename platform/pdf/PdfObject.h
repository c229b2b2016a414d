#pragma once
// PDF objects as the decoders read them: arrays, dictionaries, streams and
// scalar values of a document's object tree, with typed getters in which a
// missing entry or one of another type reads as absent (an indirect reference
// is followed). Stream data is copied into a buffer of bounded size. Handles
// keep their document alive; no call throws.
#include <QByteArray>
#include <QList>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform::pdf {

class PdfArray;
class PdfDictionary;
class PdfDocument;
class PdfStream;

enum class PdfObjectType { Null, Boolean, Integer, Real, Name, String, Array, Dictionary, Stream };

// What copied stream data holds: every filter applied, or every filter but a
// last image codec, whose data is left for an image decoder.
enum class PdfDataFormat { Raw, JPEGEncoded, JPEG2000 };

struct PdfStreamData {
    QByteArray bytes;
    PdfDataFormat format = PdfDataFormat::Raw;
};

// An indirect object's number and generation; 0 0 for direct objects, which
// cannot be part of a cycle.
struct PdfObjectId {
    int number = 0;
    int generation = 0;
    bool isIndirect() const { return number != 0; }
    bool operator==(const PdfObjectId& other) const { return number == other.number && generation == other.generation; }
    bool operator<(const PdfObjectId& other) const
    {
        return number != other.number ? number < other.number : generation < other.generation;
    }
};

class PdfObject {
public:
    struct Handle;

    // The null object.
    PdfObject() = default;
    explicit PdfObject(std::shared_ptr<const Handle> handle);

    PdfObjectType type() const;
    bool isNull() const { return type() == PdfObjectType::Null; }
    PdfObjectId id() const;

    std::optional<bool> asBoolean() const;
    std::optional<int64_t> asInteger() const;
    // An integer or a real.
    std::optional<double> asNumber() const;
    // A name's bytes without the slash, escapes resolved.
    std::optional<QByteArray> asName() const;
    std::optional<QByteArray> asString() const;
    std::optional<PdfArray> asArray() const;
    std::optional<PdfDictionary> asDictionary() const;
    std::optional<PdfStream> asStream() const;

protected:
    std::shared_ptr<const Handle> m_handle;
};

class PdfArray : public PdfObject {
public:
    PdfArray() = default;
    explicit PdfArray(const PdfObject& object) : PdfObject(object) { }

    int64_t count() const;
    // The null object for an index outside the array.
    PdfObject object(int64_t index) const;

    std::optional<bool> booleanAt(int64_t index) const { return object(index).asBoolean(); }
    std::optional<int64_t> integerAt(int64_t index) const { return object(index).asInteger(); }
    std::optional<double> numberAt(int64_t index) const { return object(index).asNumber(); }
    std::optional<QByteArray> nameAt(int64_t index) const { return object(index).asName(); }
    std::optional<QByteArray> stringAt(int64_t index) const { return object(index).asString(); }
    std::optional<PdfArray> arrayAt(int64_t index) const;
    std::optional<PdfDictionary> dictionaryAt(int64_t index) const;
    std::optional<PdfStream> streamAt(int64_t index) const;
};

class PdfDictionary : public PdfObject {
public:
    PdfDictionary() = default;
    explicit PdfDictionary(const PdfObject& object) : PdfObject(object) { }

    // Keys without their slash.
    QList<QByteArray> keys() const;
    // The null object for a missing key.
    PdfObject object(const char* key) const;

    std::optional<bool> boolean(const char* key) const { return object(key).asBoolean(); }
    std::optional<int64_t> integer(const char* key) const { return object(key).asInteger(); }
    std::optional<double> number(const char* key) const { return object(key).asNumber(); }
    std::optional<QByteArray> name(const char* key) const { return object(key).asName(); }
    std::optional<QByteArray> string(const char* key) const { return object(key).asString(); }
    std::optional<PdfArray> array(const char* key) const;
    std::optional<PdfDictionary> dictionary(const char* key) const;
    std::optional<PdfStream> stream(const char* key) const;
};

class PdfStream : public PdfObject {
public:
    PdfStream() = default;
    explicit PdfStream(const PdfObject& object) : PdfObject(object) { }

    PdfDictionary dictionary() const;
    // The data with its filters applied, a last DCT or JPX filter excepted
    // (its format says so). None when a filter cannot be applied, the data
    // is damaged or it would exceed maxBytes.
    std::optional<PdfStreamData> copyData(int64_t maxBytes) const;
    // The data as stored in the file (decrypted), no filter applied.
    std::optional<QByteArray> copyRawData(int64_t maxBytes) const;
};

// The document catalog; a null dictionary while the document is locked.
PdfDictionary documentCatalog(const PdfDocument& document);

} // namespace platform::pdf
