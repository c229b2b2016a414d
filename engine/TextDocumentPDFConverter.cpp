#include "engine/TextDocumentPDFConverter.h"

#include "Common UI Code/KLVUtil.h"
#include "engine/MergedPDF.h"
#include "engine/PDFFinalWrite.h"
#include "engine/SeparatePDFRun.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/text/PlainTextPrinter.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/TextReader.h"
#include "platform/uti/TypeIdentifier.h"

#include <QTextDocument>

#include <algorithm>
#include <memory>
#include <optional>

using platform::pdf::PdfDocument;
using platform::pdf::PdfPage;

namespace {

// A document is rich when its type is one of the text system's types other
// than plain text; plain when it is none of them or has no type.
bool IsRichTextFile(const QString& path)
{
    const QString type = platform::uti::typeOfFile(path);
    if (type.isEmpty())
        return false;
    const QStringList types = platform::text::textTypes();
    return std::any_of(types.begin(), types.end(), [&](const QString& candidate) {
        return candidate != QLatin1String("public.plain-text")
            && platform::uti::conformsTo(type, candidate);
    });
}

// Reads the file as the text view would: RTF or RTFD first, else whatever
// reader takes it. False when no reader accepts the file.
bool LoadTextDocument(const QString& path, QTextDocument& document)
{
    if (platform::text::readRTFDFromFile(path, document))
        return true;
    document.clear();
    const std::unique_ptr<QTextDocument> read = platform::text::readDocumentFromPath(path);
    if (!read)
        return false;
    platform::text::appendDocument(document, *read);
    return true;
}

// printedCharacters: what the printer put on each page, when known.
void RemoveBlankPages(PdfDocument& document, const QList<int>& printedCharacters)
{
    const QList<int> counts = printedCharacters.size() == document.pageCount() ? printedCharacters : QList<int>();
    for (int index = 0, printed = 0; index < document.pageCount(); ++printed) {
        const PdfPage page = document.page(index);
        if (IsBlankPrintedPage(page, printed, counts))
            document.removePage(index);
        else
            ++index;
    }
}

} // namespace

TextDocumentPDFConverter::TextDocumentPDFConverter() = default;

TextDocumentPDFConverter::~TextDocumentPDFConverter()
{
    destination.clear();
}

void TextDocumentPDFConverter::SetOptionsFromScriboraOptions(const ScriboraConversionOptions* options)
{
    sources = options->sources;
    destination = options->destination;
    pageWidth = options->pageWidth;
    pageHeight = options->pageHeight;
    leftMargin = options->leftMargin;
    rightMargin = options->rightMargin;
    topMargin = options->topMargin;
    bottomMargin = options->bottomMargin;
    orientation = options->orientation;
    documentAttributes = options->documentAttributes;
    textAttributes = options->textAttributes;
    overrideRichText = options->overrideRichText;
}

void TextDocumentPDFConverter::SetOptionsFromAllToPDFOptions(
    double width, double height, double left, double right, double top, double bottom,
    std::uint64_t pageOrientation, const QVariantMap& pdfAttributes,
    const QVariantMap& attributes, unsigned char overrideRich)
{
    pageWidth = width;
    pageHeight = height;
    leftMargin = left;
    rightMargin = right;
    topMargin = top;
    bottomMargin = bottom;
    orientation = pageOrientation;
    documentAttributes = pdfAttributes;
    textAttributes = attributes;
    overrideRichText = overrideRich;
    sources.clear();
    destination.clear();
}

void TextDocumentPDFConverter::SetTextProgress(QObject* object, const char* selector)
{
    progress.object = object;
    progress.selector = selector;
}

std::shared_ptr<PdfDocument> TextDocumentPDFConverter::PrintTextFile(const QUrl& source,
                                                                   QList<int>* printedCharacters)
{
    const QString sourcePath = source.toLocalFile();
    platform::text::PrintSettings settings;
    settings.paperSize = QSizeF(pageWidth, pageHeight);
    settings.landscape = orientation == 1;
    settings.leftMargin = leftMargin;
    settings.rightMargin = rightMargin;
    settings.topMargin = topMargin;
    settings.bottomMargin = bottomMargin;

    const bool rich = IsRichTextFile(sourcePath);
    if (!rich) {
        if (auto printed = platform::text::printPlainTextFile(sourcePath, textAttributes, settings,
                                                              printedCharacters))
            return *printed;
    }
    QTextDocument text;
    text.setUndoRedoEnabled(false);
    // A file no reader takes would print as an empty page and pass for a
    // converted document: report it as the failure it is.
    if (!LoadTextDocument(sourcePath, text))
        return nullptr;
    if (!rich || overrideRichText)
        platform::text::addAttributes(text, textAttributes, 0, platform::text::characterCount(text));
    return platform::text::printToPdfDocument(text, settings, printedCharacters);
}

bool TextDocumentPDFConverter::ConvertTextFileToPDF(const QUrl& source, const QUrl& output)
{
    QList<int> printedCharacters;
    const std::shared_ptr<PdfDocument> document = PrintTextFile(source, &printedCharacters);
    if (!document)
        return false;
    if (singlePDF)
        return WritePDFDocumentToURL(document.get(), output);

    RemoveBlankPages(*document, printedCharacters);
    // Readers refuse a PDF without pages: an empty document is one empty
    // page of the job's paper.
    const QSizeF paper = orientation == 1 ? QSizeF(pageHeight, pageWidth) : QSizeF(pageWidth, pageHeight);
    if (document->pageCount() == 0 && document->insertBlankPage(0, paper).isNull())
        return false;
    if (WritePDFThenMove(*document, output, documentAttributes) == FinalWriteResult::Done)
        return true;
    return WritePDFDataToURL(*document, output, documentAttributes);
}

bool TextDocumentPDFConverter::ConvertTextFilesToSeparatePDFs()
{
    singlePDF = 0;
    return ConvertEntriesToOwnPDFs(
        sources, destination, progress, {.pollCancel = true},
        [this](const QVariantMap&, const QUrl& file, const QUrl& output) -> std::optional<bool> {
            return ConvertTextFileToPDF(file, output);
        });
}

bool TextDocumentPDFConverter::ConvertTextFilesToSinglePDF()
{
    singlePDF = 1;
    const std::shared_ptr<PdfDocument> merged = PdfDocument::create();
    if (!merged)
        return false;
    int insertionIndex = 0;
    for (const SourceFileEntry& entry : sources) {
        if (!entry)
            continue;
        ReportProgress(progress, ConversionProgressNextInput);
        QList<int> printedCharacters;
        const QUrl file = entry->value(SourceFileKey::FilePath).toUrl();
        if (const std::shared_ptr<PdfDocument> printed = PrintTextFile(file, &printedCharacters))
            AppendPages(*merged, insertionIndex, BlankPages::Keep, *printed, printedCharacters);
        if (IsConversionCancelled(progress))
            return false;
    }
    if (merged->pageCount() == 0)
        return false;

    ReportProgress(progress, ConversionProgressSavingBegins);
    const bool result = WriteFinalPDF(*merged, destination, documentAttributes);
    ReportProgress(progress, ConversionProgressSavingEnds);
    return result;
}

namespace {

// A coarse look decides most pages at a small fraction of the cost: any ink
// there is ink at the full test's scale too. Only a page that looks empty
// is drawn again at that scale.
constexpr double kBlankTestScale = 0.5;
constexpr double kCoarseBlankTestScale = 0.0625;

// Whether every byte of the page drawn at scale over white is still white;
// nullopt when it could not be drawn.
std::optional<bool> drawsWhite(const PdfPage& page, const QRectF& box, double scale)
{
    const QImage bitmap = page.render(box, scale);
    if (bitmap.isNull() || bitmap.width() == 0 || bitmap.height() == 0)
        return std::nullopt;
    const int rowBytes = bitmap.width() * 4;
    for (int y = 0; y < bitmap.height(); ++y) {
        const uchar* row = bitmap.constScanLine(y);
        if (std::any_of(row, row + rowBytes, [](uchar byte) { return byte != 0xFF; }))
            return false;
    }
    return true;
}

} // namespace

bool IsBlankPDFPage(const PdfPage* page)
{
    if (!page || page->isNull())
        return false;
    if (page->text().length() > 5)
        return false;
    QRectF box = page->cropBox();
    if (box.width() == 0 || box.height() == 0)
        box = page->mediaBox();
    // Too small to draw coarsely: the full test alone.
    if (drawsWhite(*page, box, kCoarseBlankTestScale) == false)
        return false;
    return drawsWhite(*page, box, kBlankTestScale).value_or(false);
}

bool IsBlankPrintedPage(const PdfPage& page, int index, const QList<int>& printedCharacters)
{
    // A page that got more than five characters has text longer than that:
    // the test would only read it back to say so.
    if (index >= 0 && index < printedCharacters.size() && printedCharacters[index] > 5)
        return false;
    return IsBlankPDFPage(&page);
}

bool WritePDFDocumentToURL(const PdfDocument* document, const QUrl& url)
{
    return document && document->write(url);
}
