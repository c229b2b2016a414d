#pragma once
// Private to the Word 97 writer: formatting of text runs and paragraphs
// packed into the 512-byte property pages of the WordDocument stream, and
// the bin tables that find them.
#include <QByteArray>
#include <QList>

#include <cstdint>

namespace platform::text {

// Formatting over the stream's bytes [from, to): character modifiers for a
// run, or a paragraph's style index with its modifiers.
struct DocPropertyRun {
    std::uint32_t from;
    std::uint32_t to;
    QByteArray modifiers;
    std::uint16_t style = 0; // paragraphs only
};

struct DocPropertyPages {
    QList<QByteArray> pages; // 512 bytes each, in order
    QList<std::uint32_t> firstBytes; // the first byte each page covers
    std::uint32_t end = 0; // the byte after the last run
};

// Runs in order, each starting where the one before ends.
DocPropertyPages characterPages(const QList<DocPropertyRun>& runs);
DocPropertyPages paragraphPages(const QList<DocPropertyRun>& paragraphs);

// The bin table of pages stored from stream offset firstPageOffset on
// (a multiple of 512).
QByteArray binTable(const DocPropertyPages& pages, std::uint32_t firstPageOffset);

} // namespace platform::text
