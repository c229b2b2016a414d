#include "pdfdecode/PDFTextExporter.h"

#include "Common UI Code/KLVUtil.h"
#include "platform/ObjectMessaging.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/text/PlainTextWriter.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/odf/OdtWriter.h"
#include "platform/text/rtf/RtfWriter.h"
#include "platform/text/rtf/RtfdWriter.h"
#include "platform/text/word/DocWriter.h"
#include "platform/text/word/DocxWriter.h"

#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Pages whose text is at most this long are kept only when they hold more
// than white space.
constexpr qsizetype kShortPageText = 19;

struct PageSelection {
    qint64 start = 0; // page indices [start, end)
    qint64 end = 0;
    bool valid = true;
};

PageSelection selectPages(const PDFTextExportOptions& options, qint64 count)
{
    const bool firstInside = options.firstPage >= 1 && options.firstPage <= count;
    switch (options.pageRangeMode) {
    case PageRangeSinglePage:
        return firstInside ? PageSelection{options.firstPage - 1, options.firstPage} : PageSelection{0, 0, false};
    case PageRangeFirstToLast:
        if (!firstInside)
            return {0, 0, false};
        return {options.firstPage - 1, options.lastPage >= 1 && options.lastPage <= count ? options.lastPage : count};
    default:
        return {0, count};
    }
}

QString baseNameOf(const PDFTextExportOptions& options)
{
    if (!options.baseName.isEmpty())
        return options.baseName;
    return QFileInfo(options.source.toLocalFile()).completeBaseName();
}

// Whether the next page's text would join the last line of text.
bool endsWithLineBreak(const QTextDocument& text)
{
    const int count = text.characterCount();
    if (count < 2)
        return true;
    const QChar last = text.characterAt(count - 2);
    return last == QChar::ParagraphSeparator || last == QChar::LineSeparator || last == QLatin1Char('\n');
}

void appendPage(std::unique_ptr<QTextDocument>& collected, std::unique_ptr<QTextDocument> page)
{
    if (!collected) {
        collected = std::move(page);
        return;
    }
    if (!endsWithLineBreak(*collected)) {
        QTextCursor cursor(collected.get());
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
    }
    platform::text::appendDocument(*collected, *page);
}

bool isCancelled(const PDFTextExportOptions& options)
{
    return options.progressObject && platform::askBool(options.progressObject, "isConversionCancelled");
}

} // namespace

PDFTextExporter::PDFTextExporter(PDFTextExportOptions* options) : m_options(options)
{
    m_document = platform::pdf::PdfDocument::open(options->source);
    if (!m_document)
        throw kPDFTextExportOpenError;
    // A wrong password leaves the document locked: it then shows no pages.
    if (m_document->isEncrypted() && m_document->isLocked())
        m_document->unlock(options->password);
}

PDFTextExporter::~PDFTextExporter() = default;

bool IsPageTextKept(const QString& text)
{
    if (text.size() > kShortPageText)
        return true;
    for (const QChar c : text) {
        if (!c.isSpace() && c != QChar::ObjectReplacementCharacter)
            return true;
    }
    return false;
}

bool ExportPDFText(PDFTextExporter* exporter)
{
    const PDFTextExportOptions& options = *exporter->options();
    if (options.format < TextExportPlainUTF8 || options.format > TextExportODT)
        return false;
    platform::pdf::PdfDocument& document = *exporter->document();
    const qint64 count = document.pageCount();
    const PageSelection selection = selectPages(options, count);
    if (!selection.valid)
        return false;
    const QString baseName = baseNameOf(options);
    const int digits = int(QString::number(count).size());
    const bool perPage = options.oneFilePerPage != 0;

    bool kept = false;
    bool writeFailed = false;
    bool cancelled = false;
    std::unique_ptr<QTextDocument> collected;
    for (qint64 index = selection.start; index < selection.end; ++index) {
        const qint64 pageNumber = index + 1;
        if (options.progressObject) {
            if (isCancelled(options)) {
                cancelled = true;
                break;
            }
            if (options.progressSelector)
                platform::performSelectorOnMainThread(options.progressObject, options.progressSelector,
                                                      QVariant::fromValue<qlonglong>(pageNumber), true);
        }
        const platform::pdf::PdfPage page = document.page(int(index));
        if (page.isNull())
            continue;
        QUrl file;
        if (perPage) {
            const QString name = selection.end == 1
                ? baseName
                : QStringLiteral("%1-%2").arg(baseName).arg(pageNumber, digits, 10, QLatin1Char('0'));
            file = GetUniqueFileURL(options.destination, name, options.extension, false);
        }
        std::unique_ptr<QTextDocument> text = page.attributedText();
        if (!text || !IsPageTextKept(text->toRawText()))
            continue;
        kept = true;
        if (perPage) {
            if (!WriteAttributedText(exporter, file, *text))
                writeFailed = true;
        } else {
            appendPage(collected, std::move(text));
        }
    }
    if (!perPage && kept) {
        if (!WriteAttributedText(exporter, GetUniqueFileURL(options.destination, baseName, options.extension, false),
                                 *collected))
            writeFailed = true;
        // The file holds only part of the selection.
        if (cancelled)
            return false;
    }
    return kept && !writeFailed;
}

bool WriteAttributedText(PDFTextExporter* exporter, const QUrl& file, const QTextDocument& text)
{
    using namespace platform::text;
    const QString path = file.toLocalFile();
    if (path.isEmpty())
        return false;
    switch (exporter->options()->format) {
    case TextExportPlainUTF8:
        return writePlainText(text, path, PlainTextEncoding::Utf8);
    case TextExportPlainUTF16:
        return writePlainText(text, path, PlainTextEncoding::Utf16);
    case TextExportRTF:
        return writeRtf(text, path);
    case TextExportRTFD:
        return writeRtfd(text, path);
    case TextExportDOC:
        return writeDoc(text, path);
    case TextExportDOCX:
        return writeDocx(text, path);
    case TextExportODT:
        return writeOdt(text, path);
    default:
        return false;
    }
}
