#include "tests/platform/pdf/QpdfEdit.h"

#include "tests/platform/pdf/PdfTestFixtures.h"

#include <qpdf/QPDFWriter.hh>

namespace pdftest {

QByteArray editedPdf(int pageCount, const std::function<void(QPDF&, std::vector<QPDFObjectHandle>&)>& edit)
{
    return editPdf(makeNumberedPdf(pageCount), edit);
}

QByteArray editPdf(const QByteArray& base, const std::function<void(QPDF&, std::vector<QPDFObjectHandle>&)>& edit)
{
    QPDF qpdf;
    qpdf.setSuppressWarnings(true);
    qpdf.processMemoryFile("base", base.constData(), size_t(base.size()));
    std::vector<QPDFObjectHandle> pages = qpdf.getAllPages();
    edit(qpdf, pages);
    QPDFWriter writer(qpdf);
    writer.setOutputMemory();
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

QPDFObjectHandle parseWithPages(QPDF& qpdf, std::vector<QPDFObjectHandle>& pages, std::string text)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string token = "{" + std::to_string(i) + "}";
        const std::string ref = pages[i].unparse();
        for (size_t at = text.find(token); at != std::string::npos; at = text.find(token))
            text.replace(at, token.size(), ref);
    }
    return QPDFObjectHandle::parse(&qpdf, text);
}

} // namespace pdftest
