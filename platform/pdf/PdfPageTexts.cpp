// Page texts. Extraction is the slow part of looking at many pages (a
// blank-page test walks every page of a printed document), so when many are
// wanted the pages are shared out among threads, each with a Poppler
// document of its own over the same bytes.
#include "platform/ParallelWork.h"
#include "platform/pdf/PdfDocument_p.h"

#include <poppler/qt6/poppler-qt6.h>

#include <algorithm>
#include <exception>
#include <vector>

namespace platform::pdf {

namespace {

// Texts of the pages whose indexes are first, first + step, ...
void extractTexts(const PopplerSource& source, int first, int step, std::vector<QString>& texts)
{
    try {
        const std::unique_ptr<Poppler::Document> document = source.load();
        if (!document)
            return;
        for (int index = first; index < int(texts.size()); index += step) {
            const std::unique_ptr<Poppler::Page> page = document->page(index);
            if (page)
                texts[size_t(index)] = page->text(QRectF());
        }
    } catch (const std::exception&) {
    }
}

} // namespace

QString PdfDocument::Impl::pageText(QPDFObjGen page) const
{
    if (!m_pageTextsValid) {
        m_pageTexts.clear();
        m_pageTextsValid = true;
    }
    if (const auto found = m_pageTexts.find(page); found != m_pageTexts.end())
        return found->second;
    const int index = indexOf(page);
    if (index < 0)
        return {};

    if (m_pageTexts.empty()) {
        QString text;
        try {
            if (Poppler::Document* document = popplerDocument())
                if (const std::unique_ptr<Poppler::Page> one = document->page(index))
                    text = one->text(QRectF());
        } catch (const std::exception&) {
        }
        m_pageTexts[page] = text;
        return text;
    }

    const auto& objects = pages();
    const PopplerSource source = popplerSource();
    if (source.path.isEmpty() && source.data.isEmpty())
        return {};
    std::vector<QString> texts(objects.size());
    // Below a few dozen pages a thread costs more than it saves.
    const int threads = std::clamp(int(objects.size()) / 24, 1, workerThreadCount());
    // Each worker writes only its own elements of texts.
    runInParallel(threads, [&](int part) { extractTexts(source, part, threads, texts); });
    for (size_t i = 0; i < objects.size(); ++i)
        m_pageTexts.try_emplace(objects[i].getObjGen(), texts[i]);
    return m_pageTexts[page];
}

} // namespace platform::pdf
