#include "engine/AllToPDFConverter.h"

#include "Common UI Code/KLVUtil.h"
#include "engine/HTMLToPDF.h"
#include "engine/MergedPDF.h"
#include "engine/PDFFinalWrite.h"
#include "engine/SeparatePDFRun.h"
#include "engine/TextDocumentPDFConverter.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfOutline.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>

using platform::pdf::PdfDocument;
using platform::pdf::PdfOutline;
using platform::pdf::PdfPage;

namespace {

enum class PdfInputState { Ready, Missing, Unopenable, Refused };

struct PdfInput {
    PdfInputState state = PdfInputState::Missing;
    std::shared_ptr<PdfDocument> document;
};

PdfInput preparePdfInput(const QUrl& file, const QString& password)
{
    PdfInput input;
    if (!file.isLocalFile() || !QFileInfo::exists(file.toLocalFile()))
        return input;
    input.document = PdfDocument::open(file);
    if (!input.document) {
        input.state = PdfInputState::Unopenable;
        return input;
    }
    input.state = PdfInputState::Refused;
    if (input.document->isEncrypted()
        && !(input.document->unlock(password) && input.document->allowsPrinting()))
        return input;
    if (input.document->pageCount() < 1)
        return input;
    input.state = PdfInputState::Ready;
    return input;
}

// The entry's extra rotation; 0 when it is out of range or no quarter turn,
// which a page's /Rotate could not hold.
int entryAngle(const QVariantMap& entry)
{
    const int angle = entry.value(SourceFileKey::Angle).toInt();
    if (angle < -270 || angle > 270 || angle % 90 != 0)
        return 0;
    return angle;
}

void rotatePage(PdfPage& page, int angle)
{
    int rotation = page.rotation() + angle;
    if (rotation >= 360)
        rotation -= 360;
    else if (rotation <= -360)
        rotation += 360;
    page.setRotation(rotation);
}

void rotateAllPages(PdfDocument& document, int angle)
{
    if (angle == 0)
        return;
    const int count = document.pageCount();
    for (int i = 0; i < count; ++i) {
        PdfPage page = document.page(i);
        if (!page.isNull())
            rotatePage(page, angle);
    }
}

void setItemDestination(PdfOutline& item, const PdfPage& page, const QUrl& file)
{
    // The top-left corner of the page as shown.
    const QRectF box = page.isNull() ? QRectF() : page.cropBox();
    item.setDestination(page, QPointF(box.x(), box.y() + box.height()));
    item.setLabel(QString::fromStdString(GetFileNameWithoutExtension(file)));
}

void configureTextConverter(TextDocumentPDFConverter& converter,
                            const AllToPDFConversionOptions& options, bool intermediate)
{
    converter.SetOptionsFromAllToPDFOptions(
        options.pageWidth, options.pageHeight, options.leftMargin, options.rightMargin,
        options.topMargin, options.bottomMargin, options.orientation,
        options.documentAttributes, options.textAttributes, options.overrideRichText);
    converter.SetTextProgress(options.progress.object, options.progress.selector);
    converter.singlePDF = intermediate ? 1 : 0;
}

bool convertWebDocument(const QUrl& file, const QUrl& output,
                        const AllToPDFConversionOptions& options,
                        const QVariantMap& documentAttributes)
{
    HTMLToPDF converter;
    converter.Init(options.pageWidth, options.pageHeight, options.leftMargin,
                   options.rightMargin, options.topMargin, options.bottomMargin,
                   options.orientation, documentAttributes);
    converter.SetProgressCallbackInfo(options.progress);
    converter.SetTempDestinationURL(output);
    return converter.SaveAsPDF(file);
}

// Separate run, one PDF input: nullopt leaves the run's result as it is.
std::optional<bool> convertPdfToOwnFile(const QVariantMap& entry, const QUrl& file,
                                        const QUrl& output,
                                        const AllToPDFConversionOptions& options)
{
    PdfInput input = preparePdfInput(file, entry.value(SourceFileKey::Password).toString());
    if (input.state == PdfInputState::Missing)
        return std::nullopt;
    if (input.state == PdfInputState::Unopenable)
        return false;
    const QString outputPath = output.toLocalFile();
    if (input.state == PdfInputState::Ready) {
        rotateAllPages(*input.document, entryAngle(entry));
        QFile::remove(outputPath);
        if (WritePDFThenMove(*input.document, output, options.documentAttributes)
            == FinalWriteResult::Done)
            return true;
    }
    // Refused or unwritable: the input goes out unchanged under the output name.
    input.document.reset();
    QFile::remove(outputPath);
    return QFile::copy(file.toLocalFile(), outputPath);
}

// Merged run: what a run collects across its entries.
struct MergeState {
    std::shared_ptr<PdfDocument> merged = PdfDocument::create();
    std::shared_ptr<PdfOutline> outlineRoot = PdfOutline::create();
    int insertionIndex = 0;
    int outlineChildCount = 0;

    void addItem(const std::shared_ptr<PdfOutline>& item)
    {
        outlineRoot->insertChild(item, outlineChildCount++);
    }
};

void mergePdfInput(MergeState& state, const QVariantMap& entry, const QUrl& file,
                   bool outlinePerInput)
{
    PdfInput input = preparePdfInput(file, entry.value(SourceFileKey::Password).toString());
    if (input.state != PdfInputState::Ready)
        return;
    PdfDocument& document = *input.document;
    const int angle = entryAngle(entry);
    const int count = document.pageCount();
    PdfPage first;
    for (int i = 0; i < count; ++i) {
        PdfPage page = document.page(i);
        if (page.isNull())
            continue;
        if (angle != 0)
            rotatePage(page, angle);
        PdfPage inserted = state.merged->insertPage(page, state.insertionIndex);
        if (inserted.isNull())
            continue;
        if (first.isNull())
            first = inserted;
        ++state.insertionIndex;
    }
    if (first.isNull())
        return;
    if (outlinePerInput) {
        // The input's own outline root becomes its item, so its bookmarks
        // follow nested under it.
        std::shared_ptr<PdfOutline> item = document.outlineRoot();
        if (!item)
            item = PdfOutline::create();
        setItemDestination(*item, first, file);
        state.addItem(item);
    }
    // The input goes now: its bookmarks lead to the copies of its pages,
    // which read their streams from its file.
}

// Text and web inputs: printed, text in memory and web documents to a
// temporary PDF, their non-blank pages joining the merged document.
void mergePrintedInput(MergeState& state, int fileType, const QUrl& file,
                       const AllToPDFConversionOptions& options)
{
    int firstPage = -1;
    if (fileType == FileKindWeb) {
        firstPage = AppendConvertedPages(*state.merged, state.insertionIndex, BlankPages::Drop,
                                         [&](const QUrl& temporary) {
                                             return convertWebDocument(file, temporary, options, {});
                                         })
                        .firstPage;
    } else {
        TextDocumentPDFConverter converter;
        configureTextConverter(converter, options, true);
        QList<int> printedCharacters;
        if (const std::shared_ptr<PdfDocument> printed = converter.PrintTextFile(file, &printedCharacters))
            firstPage = AppendPages(*state.merged, state.insertionIndex, BlankPages::Drop, *printed,
                                    printedCharacters);
    }
    if (options.outlinePerInput && firstPage >= 0) {
        auto item = PdfOutline::create();
        setItemDestination(*item, state.merged->page(firstPage), file);
        state.addItem(item);
    }
}

} // namespace

AllToPDFConverter::AllToPDFConverter(AllToPDFConversionOptions* options) : m_options(options) {}

AllToPDFConverter::~AllToPDFConverter()
{
    m_options = nullptr;
}

bool AllToPDFConverter::ConvertAllToSeparatePDFs()
{
    const AllToPDFConversionOptions& options = *m_options;
    return ConvertEntriesToOwnPDFs(
        options.sources, options.destination, options.progress, {.pollCancel = true},
        [&](const QVariantMap& entry, const QUrl& file,
            const QUrl& output) -> std::optional<bool> {
            switch (entry.value(SourceFileKey::FileType).toInt()) {
            case FileKindText: {
                TextDocumentPDFConverter converter;
                configureTextConverter(converter, options, false);
                return converter.ConvertTextFileToPDF(file, output);
            }
            case FileKindPDF:
                return convertPdfToOwnFile(entry, file, output, options);
            case FileKindWeb:
                return convertWebDocument(file, output, options, options.documentAttributes);
            default:
                return std::nullopt;
            }
        });
}

bool AllToPDFConverter::ConvertAllToSinglePDF()
{
    const AllToPDFConversionOptions& options = *m_options;
    MergeState state;
    if (!state.merged)
        return false;
    for (const SourceFileEntry& entryPointer : options.sources) {
        {
            const QVariantMap entry = entryPointer ? *entryPointer : QVariantMap();
            const int fileType = entry.value(SourceFileKey::FileType).toInt();
            const QUrl file = entry.value(SourceFileKey::FilePath).toUrl();
            ReportProgress(options.progress, ConversionProgressNextInput);
            switch (fileType) {
            case FileKindPDF:
                mergePdfInput(state, entry, file, options.outlinePerInput != 0);
                break;
            case FileKindText:
            case FileKindWeb:
                mergePrintedInput(state, fileType, file, options);
                break;
            default:
                break;
            }
        }
        if (IsConversionCancelled(options.progress))
            return false;
    }

    if (state.merged->pageCount() == 0)
        return false;
    ReportProgress(options.progress, ConversionProgressSavingBegins);
    if (state.outlineRoot->childCount() > 0)
        state.merged->setOutlineRoot(state.outlineRoot);
    const bool result = WriteFinalPDF(*state.merged, options.destination, options.documentAttributes);
    state.merged.reset();
    ReportProgress(options.progress, ConversionProgressSavingEnds);
    return result;
}

bool ConvertDocumentsToPDF(AllToPDFConversionOptions* options)
{
    if (!options || options->destination.isEmpty() || !options->destination.isLocalFile())
        return false;
    AllToPDFConverter converter(options);
    return options->singlePDF ? converter.ConvertAllToSinglePDF()
                              : converter.ConvertAllToSeparatePDFs();
}
