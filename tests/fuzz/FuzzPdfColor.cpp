// Colour spaces and functions read from PDF objects the fuzzer writes. The
// input holds up to four object bodies, each ended by a line "endobj"; they
// become objects 3 to 6 of a small document, and object 3 is read as a
// colour-space array (with its tint tables) or as a function.
#include "pdfdecode/PDFColorSpace.h"
#include "pdfdecode/PDFFunction.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfObject.h"
#include "tests/support/HandWrittenPdf.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

constexpr int kMaxBodies = 4;

QByteArray documentAround(const QList<QByteArray>& bodies)
{
    return testsupport::handWrittenPdf(
        QList<QByteArray>{"<< /Type /Catalog /Pages 2 0 R /Test 3 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>"}
        + bodies);
}

void readColorSpace(const platform::pdf::PdfArray& array)
{
    PDFColorSpaceKind kind = kPDFColorSpaceUnknown;
    uint64_t count = 0;
    CreateColorSpaceFromArray(array, &kind, &count);
    QByteArray tints;
    for (int i = 0; i < 64; ++i)
        tints += char(i * 4);
    if (kind == kPDFSeparation)
        CreateSeparationTintTable(array, tints);
    else if (kind == kPDFDeviceN)
        CreateDeviceNTintTable(array, tints);
}

void readFunction(const platform::pdf::PdfObject& object)
{
    PDFFunction function;
    if (const auto stream = object.asStream())
        LoadFunctionFromStream(function, *stream);
    else if (const auto dictionary = object.asDictionary())
        LoadFunctionDictionary(function, *dictionary);
    else
        return;
    double inputs[PDFFunction::kMaxInputs];
    for (int step = 0; step <= 4; ++step) {
        for (double& input : inputs)
            input = step / 4.0;
        EvaluatePDFFunction(function, inputs, PDFFunction::kMaxInputs);
        EvaluatePDFFunction(function, inputs, 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> bodies = input.split('\n');
    // Lines up to "endobj" form one body.
    QList<QByteArray> objects(1);
    for (const QByteArray& line : bodies) {
        if (line == "endobj") {
            if (objects.size() == kMaxBodies)
                break;
            objects.append(QByteArray());
        } else {
            objects.last() += line + '\n';
        }
    }
    const auto document = platform::pdf::PdfDocument::fromData(documentAround(objects));
    if (!document)
        return 0;
    const platform::pdf::PdfObject object = platform::pdf::documentCatalog(*document).object("Test");
    if (const auto array = object.asArray())
        readColorSpace(*array);
    else
        readFunction(object);
    return 0;
}
