#pragma once
// Private to platform/pdf: page texts with each character's look (font,
// size, weight, slant, colour), read through Poppler's GLib interface, the
// one that reports text attributes.
#include "platform/pdf/PopplerSource_p.h"

#include <memory>

class QTextDocument;

namespace platform::pdf {

class AttributedTextReader {
public:
    // Null when Poppler cannot read the source or it stays locked.
    static std::unique_ptr<AttributedTextReader> open(const PopplerSource& source);
    ~AttributedTextReader();
    AttributedTextReader(const AttributedTextReader&) = delete;
    AttributedTextReader& operator=(const AttributedTextReader&) = delete;

    // The text of the page at index in reading order, lines as paragraphs;
    // null when there is no such page.
    std::unique_ptr<QTextDocument> pageText(int index) const;

private:
    struct Document;
    explicit AttributedTextReader(std::unique_ptr<Document> document);
    std::unique_ptr<Document> d;
};

} // namespace platform::pdf
