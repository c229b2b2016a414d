#include "tests/support/PdfObjectFixture.h"

#include <qpdf/QPDFWriter.hh>

namespace testsupport {

PdfObjectFixture readBackObject(const std::function<QPDFObjectHandle(QPDF&)>& build)
{
    QPDF qpdf;
    qpdf.emptyPDF();
    qpdf.setSuppressWarnings(true);
    qpdf.getRoot().replaceKey("/Test", build(qpdf));
    QPDFWriter writer(qpdf);
    // Streams are stored as the test made them.
    writer.setCompressStreams(false);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setOutputMemory();
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    const QByteArray bytes(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    PdfObjectFixture fixture;
    fixture.document = platform::pdf::PdfDocument::fromData(bytes);
    if (fixture.document)
        fixture.object = platform::pdf::documentCatalog(*fixture.document).object("Test");
    return fixture;
}

PdfObjectFixture readBackObject(const std::string& text,
                                const std::function<std::vector<QPDFObjectHandle>(QPDF&)>& make)
{
    return readBackObject([&](QPDF& qpdf) {
        std::string resolved = text;
        std::vector<QPDFObjectHandle> objects = make ? make(qpdf) : std::vector<QPDFObjectHandle>();
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const std::string token = "{" + std::to_string(i) + "}";
            const std::string reference = objects[i].unparse();
            for (std::size_t at = resolved.find(token); at != std::string::npos; at = resolved.find(token))
                resolved.replace(at, token.size(), reference);
        }
        return QPDFObjectHandle::parse(&qpdf, resolved);
    });
}

QPDFObjectHandle makeStream(QPDF& qpdf, const QByteArray& data, const std::string& dictionaryText)
{
    QPDFObjectHandle stream = qpdf.newStream(std::string(data.constData(), std::size_t(data.size())));
    QPDFObjectHandle entries = QPDFObjectHandle::parse(&qpdf, dictionaryText);
    for (auto [key, value] : entries.ditems())
        stream.getDict().replaceKey(key, value);
    return stream;
}

QByteArray flateEncoded(const QByteArray& data)
{
    // qCompress writes a zlib stream behind a four-byte length.
    return qCompress(data).mid(4);
}

} // namespace testsupport
