#include "platform/pdf/PdfObject.h"

#include "tests/support/PdfObjectFixture.h"

#include <gtest/gtest.h>

using namespace platform::pdf;
using testsupport::flateEncoded;
using testsupport::makeStream;
using testsupport::readBackObject;

namespace {

// The first bytes of a JPEG and of a JPEG 2000 codestream: the layer only
// passes them on, so they need not be whole images.
const QByteArray kJpegBytes = QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000ffd9");
const QByteArray kJpxBytes = QByteArray::fromHex("ff4fff51002f000000000010");

} // namespace

TEST(PdfObject, TypedGettersReadMissingOrMistypedEntriesAsAbsent)
{
    const auto fixture = readBackObject(
        "<< /I 3 /R 2.5 /N /A#20B /S (text) /A [1 /x [2] << /K 1 >>] /D << /K /V >> /B true /Ref {0} >>",
        [](QPDF& qpdf) { return std::vector{qpdf.makeIndirectObject(QPDFObjectHandle::newInteger(42))}; });
    const auto dictionary = fixture.object.asDictionary();
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->integer("I"), 3);
    EXPECT_EQ(dictionary->number("I"), 3.0);
    EXPECT_EQ(dictionary->number("R"), 2.5);
    EXPECT_FALSE(dictionary->integer("R"));
    EXPECT_EQ(dictionary->name("N"), QByteArray("A B"));
    EXPECT_FALSE(dictionary->name("S"));
    EXPECT_EQ(dictionary->string("S"), QByteArray("text"));
    EXPECT_EQ(dictionary->boolean("B"), true);
    EXPECT_FALSE(dictionary->integer("B"));
    EXPECT_EQ(dictionary->integer("Ref"), 42);
    EXPECT_FALSE(dictionary->integer("Missing"));
    EXPECT_TRUE(dictionary->object("Missing").isNull());
    EXPECT_FALSE(dictionary->array("D"));
    EXPECT_EQ(dictionary->dictionary("D")->name("K"), QByteArray("V"));
    EXPECT_FALSE(dictionary->stream("D"));

    const auto array = dictionary->array("A");
    ASSERT_TRUE(array);
    EXPECT_EQ(array->count(), 4);
    EXPECT_EQ(array->integerAt(0), 1);
    EXPECT_EQ(array->nameAt(1), QByteArray("x"));
    EXPECT_EQ(array->arrayAt(2)->count(), 1);
    EXPECT_EQ(array->dictionaryAt(3)->integer("K"), 1);
    EXPECT_FALSE(array->integerAt(1));
    EXPECT_TRUE(array->object(4).isNull());
    EXPECT_TRUE(array->object(-1).isNull());
    // An array read as a dictionary, and the other way round, holds nothing.
    EXPECT_TRUE(PdfDictionary(*array).object("K").isNull());
    EXPECT_EQ(PdfArray(*dictionary).count(), 0);
}

TEST(PdfObject, IndirectObjectsHaveAnIdentityAndDirectOnesNone)
{
    const auto fixture = readBackObject(
        "[{0} 5]", [](QPDF& qpdf) { return std::vector{qpdf.makeIndirectObject(QPDFObjectHandle::parse("[1 2]"))}; });
    const auto array = fixture.object.asArray();
    ASSERT_TRUE(array);
    EXPECT_FALSE(array->id().isIndirect());
    EXPECT_TRUE(array->arrayAt(0)->id().isIndirect());
    EXPECT_FALSE(array->object(1).id().isIndirect());
}

TEST(PdfObject, ObjectsKeepTheirDocumentAlive)
{
    auto fixture = readBackObject("<< /K [7] >>");
    const auto dictionary = fixture.object.asDictionary();
    fixture = {};
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->array("K")->integerAt(0), 7);
}

TEST(PdfObject, StreamDataIsDecodedUpToALastImageCodec)
{
    struct Case {
        const char* name;
        QByteArray data;
        std::string dictionary;
        std::optional<QByteArray> expected;
        PdfDataFormat format;
    };
    const QByteArray text("calculator { 2 mul } text");
    const Case cases[] = {
        {"unfiltered", text, "<< >>", text, PdfDataFormat::Raw},
        {"flate", flateEncoded(text), "<< /Filter /FlateDecode >>", text, PdfDataFormat::Raw},
        {"hex and flate", flateEncoded(text).toHex() + ">", "<< /Filter [/ASCIIHexDecode /FlateDecode] >>", text,
         PdfDataFormat::Raw},
        {"jpeg", kJpegBytes, "<< /Filter /DCTDecode >>", kJpegBytes, PdfDataFormat::JPEGEncoded},
        {"flate then jpeg", flateEncoded(kJpegBytes),
         "<< /Filter [/FlateDecode /DCTDecode] /DecodeParms [null null] >>", kJpegBytes, PdfDataFormat::JPEGEncoded},
        {"jpeg 2000", kJpxBytes, "<< /Filter [/JPXDecode] >>", kJpxBytes, PdfDataFormat::JPEG2000},
        {"fax", QByteArray(8, '\0'), "<< /Filter /CCITTFaxDecode >>", std::nullopt, PdfDataFormat::Raw},
        {"jpeg before flate", flateEncoded(kJpegBytes), "<< /Filter [/DCTDecode /FlateDecode] >>", std::nullopt,
         PdfDataFormat::Raw},
        {"damaged flate", QByteArray("not compressed at all"), "<< /Filter /FlateDecode >>", std::nullopt,
         PdfDataFormat::Raw},
        {"filter not a name", text, "<< /Filter 5 >>", std::nullopt, PdfDataFormat::Raw},
    };
    for (const Case& c : cases) {
        const auto fixture = readBackObject([&](QPDF& qpdf) { return makeStream(qpdf, c.data, c.dictionary); });
        const auto stream = fixture.object.asStream();
        ASSERT_TRUE(stream) << c.name;
        const auto data = stream->copyData(1 << 20);
        ASSERT_EQ(bool(data), bool(c.expected)) << c.name;
        if (!data)
            continue;
        EXPECT_EQ(data->bytes, *c.expected) << c.name;
        EXPECT_EQ(data->format, c.format) << c.name;
        EXPECT_EQ(stream->copyRawData(1 << 20), c.data) << c.name;
    }
}

TEST(PdfObject, StreamDataAboveTheLimitIsRefused)
{
    const QByteArray zeros(100000, '\0');
    const auto fixture = readBackObject(
        [&](QPDF& qpdf) { return makeStream(qpdf, flateEncoded(zeros), "<< /Filter /FlateDecode /Extra 1 >>"); });
    const auto stream = fixture.object.asStream();
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->dictionary().integer("Extra"), 1);
    EXPECT_FALSE(stream->copyData(zeros.size() - 1));
    const auto data = stream->copyData(zeros.size());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->bytes, zeros);
}
