#pragma once
// Damaged or unusual PDFs for the PDF layer's tests: a numbered PDF whose
// objects a test edits with qpdf itself before our layer opens it.
#include <qpdf/QPDF.hh>

#include <QByteArray>

#include <functional>
#include <string>
#include <vector>

namespace pdftest {

QByteArray editPdf(const QByteArray& pdf, const std::function<void(QPDF&, std::vector<QPDFObjectHandle>&)>& edit);
QByteArray editedPdf(int pageCount, const std::function<void(QPDF&, std::vector<QPDFObjectHandle>&)>& edit);

// Parses text with {0}, {1}, ... standing for references to those pages.
QPDFObjectHandle parseWithPages(QPDF& qpdf, std::vector<QPDFObjectHandle>& pages, std::string text);

} // namespace pdftest
