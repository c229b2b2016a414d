#include "platform/text/TextRuns.h"

#include "platform/text/RichTextBuilder.h"

#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace platform::text {

namespace {

RunLook lookOf(const QTextCharFormat& format, const QFont& base)
{
    const QFont font = format.font().resolve(base);
    RunLook look;
    look.family = font.families().value(0, font.family());
    look.points = font.pointSizeF() > 0 ? font.pointSizeF() : 12;
    look.bold = font.weight() >= QFont::DemiBold;
    look.italic = font.italic();
    look.underline = font.underline();
    look.strikeOut = font.strikeOut();
    if (format.foreground().style() != Qt::NoBrush)
        look.color = format.foreground().color();
    return look;
}

bool isWritable(char16_t u)
{
    if (u == u'\t' || u == QChar::LineSeparator)
        return true;
    return u >= 0x20 && !(u >= 0x7F && u < 0xA0) && u != QChar::ObjectReplacementCharacter
        && u != QChar::ParagraphSeparator && u != 0xFDD0 && u != 0xFDD1 && u != 0xFFFE && u != 0xFFFF;
}

// Text a writer can carry: tabs and line breaks, no pictures, no other
// control characters, surrogates only in pairs.
QString writableText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(text[++i]);
        } else if (!c.isSurrogate() && isWritable(c.unicode())) {
            out.append(c);
        }
    }
    return out;
}

} // namespace

QList<TextParagraph> textParagraphs(const QTextDocument& document)
{
    const QFont base = document.defaultFont();
    QList<TextParagraph> paragraphs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        TextParagraph paragraph;
        paragraph.alignment = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        paragraph.markLook = lookOf(block.charFormat(), base);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat() || format.boolProperty(kHiddenTextProperty))
                continue;
            const QString text = writableText(fragment.text());
            if (text.isEmpty())
                continue;
            const RunLook look = lookOf(format, base);
            if (!paragraph.runs.isEmpty() && paragraph.runs.last().look == look)
                paragraph.runs.last().text += text;
            else
                paragraph.runs.append({text, look});
        }
        paragraphs.append(paragraph);
    }
    return paragraphs;
}

RunLook documentLook(const QTextDocument& document) { return lookOf(QTextCharFormat(), document.defaultFont()); }

QStringList fontFamiliesOf(const QList<TextParagraph>& paragraphs)
{
    QStringList families;
    QSet<QString> seen;
    const auto add = [&](const QString& family) {
        if (!seen.contains(family)) {
            seen.insert(family);
            families.append(family);
        }
    };
    for (const TextParagraph& paragraph : paragraphs) {
        add(paragraph.markLook.family);
        for (const TextRun& run : paragraph.runs)
            add(run.look.family);
    }
    return families;
}

QList<QColor> colorsOf(const QList<TextParagraph>& paragraphs)
{
    QList<QColor> colors;
    QSet<QRgb> seen;
    for (const TextParagraph& paragraph : paragraphs) {
        for (const TextRun& run : paragraph.runs) {
            if (run.look.color.isValid() && !seen.contains(run.look.color.rgb())) {
                seen.insert(run.look.color.rgb());
                colors.append(run.look.color);
            }
        }
    }
    return colors;
}

} // namespace platform::text
