#include "platform/text/word/DocPropertyPages_p.h"

#include "platform/text/word/WordBytes_p.h"

#include <QHash>

namespace platform::text {

namespace {

constexpr qsizetype kPageSize = 512;
// The count of entries takes the page's last byte.
constexpr qsizetype kPageSpace = kPageSize - 1;
// Limits of the format: runs of a character page, paragraphs of a
// paragraph page.
constexpr qsizetype kMaxCharacterRuns = 0x65;
constexpr qsizetype kMaxParagraphs = 0x1D;
// A paragraph entry's offset byte and its twelve bytes of height cache.
constexpr qsizetype kParagraphEntry = 13;

// The stored form of a run's properties, as it sits in the page.
QByteArray storedProperties(const DocPropertyRun& run, bool paragraph)
{
    if (!paragraph)
        return char(run.modifiers.size()) + run.modifiers;
    QByteArray body(2, '\0');
    qToLittleEndian(run.style, body.data());
    body += run.modifiers;
    // An odd size is counted in words less one; an even one after a zero.
    if (body.size() % 2 == 1)
        return char((body.size() + 1) / 2) + body;
    return QByteArray(1, '\0') + char(body.size() / 2) + body;
}

// Builds the pages: offsets, then per entry an offset byte (plus the height
// cache for paragraphs), properties packed down from the page's end.
DocPropertyPages pack(const QList<DocPropertyRun>& runs, bool paragraph)
{
    const qsizetype entrySize = paragraph ? kParagraphEntry : 1;
    const qsizetype maxEntries = paragraph ? kMaxParagraphs : kMaxCharacterRuns;
    DocPropertyPages out;
    qsizetype next = 0;
    while (next < runs.size()) {
        QByteArray page(kPageSize, '\0');
        QHash<QByteArray, int> placed; // stored properties -> word offset
        qsizetype top = kPageSpace; // properties live in [top, 511)
        qsizetype count = 0;
        QList<int> offsets;
        while (next + count < runs.size() && count < maxEntries) {
            const DocPropertyRun& run = runs[next + count];
            const QByteArray stored
                = run.modifiers.isEmpty() && !paragraph ? QByteArray() : storedProperties(run, paragraph);
            qsizetype newTop = top;
            if (!stored.isEmpty() && !placed.contains(stored))
                newTop = (top - stored.size()) & ~qsizetype(1);
            const qsizetype header = 4 * (count + 2) + entrySize * (count + 1);
            if (header > newTop)
                break;
            if (newTop != top) {
                page.replace(newTop, stored.size(), stored);
                placed.insert(stored, int(newTop / 2));
                top = newTop;
            }
            offsets.append(stored.isEmpty() ? 0 : placed.value(stored));
            ++count;
        }
        if (count == 0) // properties larger than a page: none are that large
            return {};
        for (qsizetype k = 0; k < count; ++k)
            put32(page, 4 * k, runs[next + k].from);
        put32(page, 4 * count, runs[next + count - 1].to);
        for (qsizetype k = 0; k < count; ++k)
            page[4 * (count + 1) + entrySize * k] = char(offsets[k]);
        page[kPageSpace] = char(count);
        out.pages.append(page);
        out.firstBytes.append(runs[next].from);
        next += count;
    }
    out.end = runs.isEmpty() ? 0 : runs.last().to;
    return out;
}

} // namespace

DocPropertyPages characterPages(const QList<DocPropertyRun>& runs) { return pack(runs, false); }

DocPropertyPages paragraphPages(const QList<DocPropertyRun>& paragraphs) { return pack(paragraphs, true); }

QByteArray binTable(const DocPropertyPages& pages, std::uint32_t firstPageOffset)
{
    const qsizetype n = pages.pages.size();
    QByteArray table(4 * (n + 1) + 4 * n, '\0');
    for (qsizetype i = 0; i < n; ++i) {
        put32(table, 4 * i, pages.firstBytes[i]);
        put32(table, 4 * (n + 1) + 4 * i, std::uint32_t(firstPageOffset / kPageSize + i));
    }
    put32(table, 4 * n, pages.end);
    return table;
}

} // namespace platform::text
