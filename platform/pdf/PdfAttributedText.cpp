#include "platform/pdf/PdfAttributedText_p.h"

#include "platform/pdf/PdfFontName_p.h"

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <poppler/glib/poppler.h>
#pragma pop_macro("signals")

#include <QColor>
#include <QFileInfo>
#include <QHash>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace platform::pdf {

namespace {

// Sizes are kept to half points, what word processors store: extraction
// reports 11.955 where 12 was set.
double roundedPoints(double size) { return std::round(size * 2) / 2; }

struct GObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};

int colourChannel(guint16 value) { return (int(value) + 128) / 257; }

} // namespace

struct AttributedTextReader::Document {
    std::unique_ptr<PopplerDocument, GObjectDeleter> poppler;
    // Looks by font name: a page names the same few fonts over and over.
    mutable QHash<QString, FontLook> looks;

    QTextCharFormat format(const PopplerTextAttributes& attributes) const;
};

QTextCharFormat AttributedTextReader::Document::format(const PopplerTextAttributes& attributes) const
{
    QTextCharFormat format;
    if (attributes.font_name && *attributes.font_name) {
        const QString name = QString::fromUtf8(attributes.font_name);
        auto look = looks.constFind(name);
        if (look == looks.cend())
            look = looks.insert(name, fontLookFromName(name));
        if (!look->family.isEmpty())
            format.setFontFamilies({look->family});
        format.setFontWeight(look->weight);
        format.setFontItalic(look->italic);
    }
    const double points = roundedPoints(attributes.font_size);
    if (std::isfinite(points) && points >= 1)
        format.setFontPointSize(std::min(points, 1638.0));
    if (attributes.is_underlined)
        format.setFontUnderline(true);
    format.setForeground(QColor(colourChannel(attributes.color.red), colourChannel(attributes.color.green),
                                colourChannel(attributes.color.blue)));
    return format;
}

AttributedTextReader::AttributedTextReader(std::unique_ptr<Document> document) : d(std::move(document)) { }
AttributedTextReader::~AttributedTextReader() = default;

std::unique_ptr<AttributedTextReader> AttributedTextReader::open(const PopplerSource& source)
{
    GError* error = nullptr;
    const char* password = source.password.isEmpty() ? nullptr : source.password.constData();
    PopplerDocument* poppler = nullptr;
    if (!source.path.isEmpty()) {
        const QByteArray path = QFile::encodeName(QFileInfo(source.path).absoluteFilePath());
        if (gchar* uri = g_filename_to_uri(path.constData(), nullptr, nullptr)) {
            poppler = poppler_document_new_from_file(uri, password, &error);
            g_free(uri);
        }
    } else if (!source.data.isEmpty()) {
        GBytes* bytes = g_bytes_new(source.data.constData(), gsize(source.data.size()));
        poppler = poppler_document_new_from_bytes(bytes, password, &error);
        g_bytes_unref(bytes);
    }
    if (error)
        g_error_free(error);
    if (!poppler)
        return nullptr;
    auto document = std::make_unique<Document>();
    document->poppler.reset(poppler);
    return std::unique_ptr<AttributedTextReader>(new AttributedTextReader(std::move(document)));
}

std::unique_ptr<QTextDocument> AttributedTextReader::pageText(int index) const
{
    if (index < 0 || index >= poppler_document_get_n_pages(d->poppler.get()))
        return nullptr;
    const std::unique_ptr<PopplerPage, GObjectDeleter> page(poppler_document_get_page(d->poppler.get(), index));
    if (!page)
        return nullptr;
    gchar* utf8 = poppler_page_get_text(page.get());
    const QString text = QString::fromUtf8(utf8);
    g_free(utf8);
    GList* attributes = poppler_page_get_text_attributes(page.get());

    // Attribute ranges count characters (code points), ends included; the
    // text is UTF-16, so each code point's position is looked up.
    QList<qsizetype> offsets;
    offsets.reserve(text.size() + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        offsets.append(i);
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    const qsizetype characters = offsets.size();
    offsets.append(text.size());

    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document.get());
    qsizetype done = 0; // characters inserted so far
    const auto insert = [&](qsizetype upTo, const QTextCharFormat& format) {
        if (upTo <= done)
            return;
        cursor.insertText(text.mid(offsets[done], offsets[upTo] - offsets[done]), format);
        done = upTo;
    };
    for (GList* item = attributes; item; item = item->next) {
        const auto* range = static_cast<const PopplerTextAttributes*>(item->data);
        const qsizetype start = std::clamp<qsizetype>(range->start_index, 0, characters);
        const qsizetype end = std::clamp<qsizetype>(qsizetype(range->end_index) + 1, 0, characters);
        insert(start, QTextCharFormat());
        insert(end, d->format(*range));
    }
    insert(characters, QTextCharFormat());
    poppler_page_free_text_attributes(attributes);
    return document;
}

} // namespace platform::pdf
