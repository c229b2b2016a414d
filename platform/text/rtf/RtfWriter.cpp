#include "platform/text/rtf/RtfWriter.h"

#include "platform/text/OutputFiles.h"
#include "platform/text/TextRuns.h"

#include <QHash>

#include <cmath>

namespace platform::text {

namespace {

// Text as RTF: the three special characters escaped, tabs and line breaks
// as control words, the rest of the text outside ASCII as signed 16-bit
// \u values, each followed by one replacement character (\uc1).
void appendEscaped(QByteArray& out, QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x80) {
            out += "\\u";
            out += QByteArray::number(qint16(u));
            out += '?';
        }
    }
}

class RtfComposer {
public:
    explicit RtfComposer(const QList<TextParagraph>& paragraphs) : m_paragraphs(paragraphs)
    {
        const QStringList families = fontFamiliesOf(paragraphs);
        for (qsizetype i = 0; i < families.size(); ++i)
            m_fonts.insert(families[i], int(i));
        const QList<QColor> colors = colorsOf(paragraphs);
        for (qsizetype i = 0; i < colors.size(); ++i)
            m_colors.insert(colors[i].rgb(), int(i) + 1); // 0 is the automatic colour
        m_out.reserve(1024);
        header(families, colors);
    }

    QByteArray compose()
    {
        for (qsizetype i = 0; i < m_paragraphs.size(); ++i) {
            paragraph(m_paragraphs[i]);
            // The last paragraph ends with the document: a \par there would
            // add an empty one.
            m_out += i + 1 < m_paragraphs.size() ? "\\par\n" : "\n";
        }
        m_out += "}\n";
        return m_out;
    }

private:
    void header(const QStringList& families, const QList<QColor>& colors)
    {
        m_out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (qsizetype i = 0; i < families.size(); ++i) {
            m_out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            QString name = families[i];
            appendEscaped(m_out, name.remove(QLatin1Char(';')));
            m_out += ";}";
        }
        m_out += "}\n{\\colortbl;";
        for (const QColor& c : colors)
            m_out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue"
                + QByteArray::number(c.blue()) + ';';
        m_out += "}\n";
    }

    void look(const RunLook& look)
    {
        m_out += "\\f" + QByteArray::number(m_fonts.value(look.family)) + "\\fs"
            + QByteArray::number(std::lround(look.points * 2));
        if (look.bold)
            m_out += "\\b";
        if (look.italic)
            m_out += "\\i";
        if (look.underline)
            m_out += "\\ul";
        if (look.strikeOut)
            m_out += "\\strike";
        if (look.color.isValid())
            m_out += "\\cf" + QByteArray::number(m_colors.value(look.color.rgb()));
        m_out += ' ';
    }

    void paragraph(const TextParagraph& p)
    {
        m_out += "\\pard\\plain";
        m_out += p.alignment & Qt::AlignHCenter ? "\\qc"
            : p.alignment & Qt::AlignRight      ? "\\qr"
            : p.alignment & Qt::AlignJustify    ? "\\qj"
                                                : "\\ql";
        look(p.markLook);
        for (const TextRun& run : p.runs) {
            m_out += "{\\plain";
            look(run.look);
            appendEscaped(m_out, run.text);
            m_out += '}';
        }
    }

    const QList<TextParagraph>& m_paragraphs;
    QHash<QString, int> m_fonts;
    QHash<QRgb, int> m_colors;
    QByteArray m_out;
};

} // namespace

QByteArray rtfData(const QTextDocument& document)
{
    const QList<TextParagraph> paragraphs = textParagraphs(document);
    return RtfComposer(paragraphs).compose();
}

bool writeRtf(const QTextDocument& document, const QString& path) { return writeOutputFile(path, rtfData(document)); }

} // namespace platform::text
