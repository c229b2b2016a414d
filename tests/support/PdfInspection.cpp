#include "tests/support/PdfInspection.h"

#include <poppler-qt6.h>

#include <memory>

namespace testsupport {

namespace {

std::unique_ptr<Poppler::Document> load(const QString& path, const QString& password)
{
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(path, password.toUtf8(), password.toUtf8());
    if (!document || document->isLocked())
        return nullptr;
    return document;
}

} // namespace

std::optional<PdfFacts> inspectPdf(const QString& path, const QString& password)
{
    const std::unique_ptr<Poppler::Document> document = load(path, password);
    if (!document)
        return std::nullopt;
    PdfFacts facts;
    facts.pageCount = document->numPages();
    for (int i = 0; i < facts.pageCount; ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        if (!page)
            continue;
        facts.pageSizes << page->pageSizeF();
        facts.pageTexts << page->text(QRectF());
    }
    for (const Poppler::FontInfo& font : document->fonts())
        facts.fontNames << font.name();
    facts.encrypted = document->isEncrypted();
    facts.title = document->info(QStringLiteral("Title"));
    facts.author = document->info(QStringLiteral("Author"));
    facts.subject = document->info(QStringLiteral("Subject"));
    facts.keywords = document->info(QStringLiteral("Keywords"));
    facts.okToPrint = document->okToPrint();
    facts.okToCopy = document->okToCopy();
    return facts;
}

QStringList foldedPageTexts(const QString& path)
{
    const std::optional<PdfFacts> facts = inspectPdf(path);
    QStringList pages;
    for (const QString& text : facts ? facts->pageTexts : QStringList())
        pages.append(text.simplified());
    return pages;
}

bool needsPassword(const QString& path)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    return document && document->isLocked();
}

QList<PdfWord> pageWords(const QString& path, int pageIndex)
{
    QList<PdfWord> words;
    const std::unique_ptr<Poppler::Document> document = load(path, {});
    const std::unique_ptr<Poppler::Page> page = document ? document->page(pageIndex) : nullptr;
    if (!page)
        return words;
    for (const auto& box : page->textList())
        words.append({box->text(), box->boundingBox()});
    return words;
}

QImage renderPdfPage(const QString& path, int pageIndex, double dpi)
{
    const std::unique_ptr<Poppler::Document> document = load(path, {});
    if (!document)
        return {};
    const std::unique_ptr<Poppler::Page> page = document->page(pageIndex);
    return page ? page->renderToImage(dpi, dpi) : QImage();
}

} // namespace testsupport
