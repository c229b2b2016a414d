#pragma once
// PDF objects for the tests of the object readers: built with qpdf, stored
// under /Test in the catalog of a document written to memory, and read back
// through the PDF layer.
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfObject.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QByteArray>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct PdfObjectFixture {
    std::shared_ptr<platform::pdf::PdfDocument> document;
    // The catalog's /Test entry.
    platform::pdf::PdfObject object;
};

PdfObjectFixture readBackObject(const std::function<QPDFObjectHandle(QPDF&)>& build);
// The same for an object written as text, {0}, {1}, ... standing for
// references to the objects that make returns (streams, for one).
PdfObjectFixture readBackObject(const std::string& text,
                                const std::function<std::vector<QPDFObjectHandle>(QPDF&)>& make = {});

// A new stream of data whose dictionary holds the entries of dictionaryText;
// the filters it names must match the data.
QPDFObjectHandle makeStream(QPDF& qpdf, const QByteArray& data, const std::string& dictionaryText = "<< >>");

// Data compressed as /FlateDecode reads it.
QByteArray flateEncoded(const QByteArray& data);

} // namespace testsupport
