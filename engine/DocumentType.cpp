#include "engine/DocumentType.h"

#include "platform/uti/TypeIdentifier.h"

#include <QFileInfo>

#include <initializer_list>

namespace {

struct DocumentCode {
    std::int32_t type;
    std::initializer_list<const char*> utis;
};

// clang-format off
// In the order of comparison: OpenDocument text comes after the Office types.
const DocumentCode kDocumentCodes[] = {
    {1, {"public.rtf"}},
    {2, {"com.apple.rtfd"}},
    {3, {"public.html"}},
    {4, {"public.text"}},
    {5, {"public.plain-text", "com.apple.log", "com.apple.crashreport", "com.apple.panicreport",
         "com.apple.hangreport", "com.apple.spinreport", "com.apple.aslquery"}},
    {6, {"com.apple.webarchive"}},
    {12, {"com.microsoft.word.wordml"}},
    {13, {"com.microsoft.word.doc"}},
    {14, {"com.apple.traditional-mac-plain-text"}},
    {16, {"com.apple.keynote.key", "com.apple.iWork.Keynote.key"}},
    {17, {"com.microsoft.powerpoint.ppt"}},
    {18, {"com.microsoft.excel.xls"}},
    {7, {"org.oasis-open.opendocument.text", "org.oasis.opendocument.text", "org.oasis-open.opendocument"}},
    {8, {"org.oasis-open.opendocument.text-template"}},
    {9, {"org.openoffice.text"}},
    {10, {"org.openoffice.text-template"}},
    {19, {"org.oasis-open.opendocument.graphics"}},
    {20, {"org.oasis-open.opendocument.graphics-template"}},
    {21, {"org.oasis-open.opendocument.presentation"}},
    {22, {"org.oasis-open.opendocument.presentation-template"}},
    {23, {"org.oasis-open.opendocument.spreadsheet"}},
    {24, {"org.oasis-open.opendocument.spreadsheet-template"}},
    {25, {"org.oasis-open.opendocument.chart"}},
    {26, {"org.oasis-open.opendocument.chart-template"}},
    {27, {"org.oasis-open.opendocument.image"}},
    {28, {"org.oasis-open.opendocument.image-template"}},
    {29, {"org.oasis-open.opendocument.formula"}},
    {30, {"org.oasis-open.opendocument.formula-template"}},
    {31, {"org.oasis-open.opendocument.text-master"}},
    {32, {"org.oasis-open.opendocument.text-web"}},
    {11, {"org.openxmlformats.wordprocessingml.document",
          "org.openxmlformats.wordprocessingml.document.macroenabled"}},
    {33, {"org.openxmlformats.wordprocessingml.template",
          "org.openxmlformats.wordprocessingml.template.macroenabled",
          "org.openxmlformats.spreadsheetml.template",
          "org.openxmlformats.spreadsheetml.template.macroenabled"}},
    {34, {"org.openxmlformats.spreadsheetml.sheet", "org.openxmlformats.spreadsheetml.sheet.macroenabled"}},
    {36, {"org.openxmlformats.presentationml.presentation",
          "org.openxmlformats.presentationml.presentation.macroenabled",
          "org.openxmlformats.presentationml.slideshow",
          "org.openxmlformats.presentationml.slideshow.macroenabled"}},
    {37, {"org.openxmlformats.presentationml.template",
          "org.openxmlformats.presentationml.template.macroenabled"}},
};
// clang-format on

const char* const kWebExtensions[] = {"html", "HTML", "htm", "HTM", "svg",
                                      "asp",  "aspx", "jsp", "xhtml"};

} // namespace

std::int32_t DocumentTypeFromUTI(const QString& uti)
{
    if (uti.isEmpty())
        return 0;
    for (const DocumentCode& code : kDocumentCodes)
        for (const char* candidate : code.utis)
            if (uti == QLatin1StringView(candidate))
                return code.type;
    return 0;
}

bool IsHTMLFileURL(const QUrl& url)
{
    const QString path = url.toLocalFile();
    if (DocumentTypeFromUTI(platform::uti::typeOfFile(path)) == DocumentTypeHTML)
        return true;
    // There are no type codes of the old file system here: the extension decides.
    const QString extension = QFileInfo(path).suffix();
    for (const char* web : kWebExtensions)
        if (extension == QLatin1StringView(web))
            return true;
    return false;
}
