#include "engine/AllToPDFConverter.h"

#include "Common UI Code/KLVUtil.h"
#include "engine/HTMLToPDF.h"
#include "engine/MergedPDF.h"
#include "engine/PDFFinalWrite.h"
#include "engine/TextDocumentPDFConverter.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfOutline.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>
#include <vector>

using platform::pdf::PdfDocument;
using platform::pdf::PdfOutline;
using platform::pdf::PdfPage;

namespace {

const QString kPdfExtension = QStringLiteral("pdf");

QUrl entryFile(const QVariantMap& entry)
{
    return entry.value(SourceFileKey::FilePath).toUrl();
}

// The file name less its last extension; a leading dot is part of the name.
QString labelForFile(const QUrl& file)
{
    const QString name = QFileInfo(file.path()).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

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
    item.setLabel(labelForFile(file));
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
    // Inputs whose pages and outline items the merged document refers to
    // until it is written.
    std::vector<std::shared_ptr<PdfDocument>> keepAlive;
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
    state.keepAlive.push_back(std::move(input.document));
}

// Text and web inputs: printed to a temporary PDF whose non-blank pages join
// the merged document.
void mergePrintedInput(MergeState& state, int fileType, const QUrl& file,
                       const AllToPDFConversionOptions& options)
{
    const QUrl temporary = GetTemporaryFileURL();
    if (temporary.isEmpty())
        return;
    const QString temporaryPath = temporary.toLocalFile();
    bool ok = false;
    if (fileType == FileKindWeb) {
        ok = convertWebDocument(file, temporary, options, {});
    } else {
        TextDocumentPDFConverter converter;
        configureTextConverter(converter, options, true);
        ok = converter.ConvertTextFileToPDF(file, temporary);
    }
    if (ok && QFileInfo::exists(temporaryPath)) {
        const std::shared_ptr<PdfDocument> printed = PdfDocument::open(temporary);
        const int count = printed ? printed->pageCount() : 0;
        int first = -1;
        for (int i = 0; i < count; ++i) {
            const PdfPage page = printed->page(i);
            if (page.isNull() || IsBlankPDFPage(&page))
                continue;
            if (state.merged->insertPage(page, state.insertionIndex).isNull())
                continue;
            if (first < 0)
                first = state.insertionIndex;
            ++state.insertionIndex;
        }
        if (options.outlinePerInput && first >= 0) {
            auto item = PdfOutline::create();
            setItemDestination(*item, state.merged->page(first), file);
            state.addItem(item);
        }
    }
    // Also after a failed print, so that no intermediate is left behind.
    QFile::remove(temporaryPath);
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
    bool result = true;
    for (const SourceFileEntry& entryPointer : options.sources) {
        {
            const QVariantMap entry = entryPointer ? *entryPointer : QVariantMap();
            const int fileType = entry.value(SourceFileKey::FileType).toInt();
            const QUrl file = entryFile(entry);
            const QUrl output =
                GetUniqueFileURLForFile(options.destination, file, kPdfExtension, false);
            ReportProgress(options.progress, ConversionProgressNextInput);
            switch (fileType) {
            case FileKindText: {
                TextDocumentPDFConverter converter;
                configureTextConverter(converter, options, false);
                result = converter.ConvertTextFileToPDF(file, output);
                break;
            }
            case FileKindPDF:
                if (const std::optional<bool> done =
                        convertPdfToOwnFile(entry, file, output, options))
                    result = *done;
                break;
            case FileKindWeb:
                result = convertWebDocument(file, output, options, options.documentAttributes);
                break;
            default:
                break;
            }
        }
        if (IsConversionCancelled(options.progress))
            return false;
    }
    return result;
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
            const QUrl file = entryFile(entry);
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
    const bool result = WriteMergedPDF(*state.merged, options.destination, options.documentAttributes);
    state.merged.reset();
    state.keepAlive.clear();
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
