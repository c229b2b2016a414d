#include "platform/text/odf/OdtWriter.h"

#include "platform/text/OutputFiles.h"
#include "platform/text/TextRuns.h"
#include "platform/text/ZipWriter.h"

#include <QHash>
#include <QXmlStreamWriter>

namespace platform::text {

namespace {

const char kMimeType[] = "application/vnd.oasis.opendocument.text";

const char kManifest[]
    = R"(<?xml version="1.0" encoding="UTF-8"?>)"
      "\n"
      R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">)"
      R"(<manifest:file-entry manifest:full-path="/" manifest:version="1.2" manifest:media-type="application/vnd.oasis.opendocument.text"/>)"
      R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
      R"(<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>)"
      R"(</manifest:manifest>)";

const QList<QPair<QString, QString>>& namespaces()
{
    static const QList<QPair<QString, QString>> list{
        {QStringLiteral("office"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0")},
        {QStringLiteral("style"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0")},
        {QStringLiteral("text"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0")},
        {QStringLiteral("fo"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")},
        {QStringLiteral("svg"), QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")},
    };
    return list;
}

// Names of the styles and font declarations of one document.
class OdtStyles {
public:
    explicit OdtStyles(const QList<TextParagraph>& paragraphs, const RunLook& defaultLook)
        : m_families(fontFamiliesOf(paragraphs))
    {
        if (!m_families.contains(defaultLook.family))
            m_families.append(defaultLook.family);
        for (const TextParagraph& paragraph : paragraphs)
            for (const TextRun& run : paragraph.runs)
                if (!m_textStyles.contains(run.look))
                    m_textStyles.append(run.look);
    }

    QString fontName(const QString& family) const { return QStringLiteral("F%1").arg(m_families.indexOf(family) + 1); }
    QString textStyle(const RunLook& look) const { return QStringLiteral("T%1").arg(m_textStyles.indexOf(look) + 1); }

    void writeFontFaces(QXmlStreamWriter& xml) const
    {
        xml.writeStartElement(QStringLiteral("office:font-face-decls"));
        for (const QString& family : m_families) {
            xml.writeEmptyElement(QStringLiteral("style:font-face"));
            xml.writeAttribute(QStringLiteral("style:name"), fontName(family));
            xml.writeAttribute(QStringLiteral("svg:font-family"), QLatin1Char('\'') + family + QLatin1Char('\''));
        }
        xml.writeEndElement();
    }

    void writeTextProperties(QXmlStreamWriter& xml, const RunLook& look) const
    {
        xml.writeEmptyElement(QStringLiteral("style:text-properties"));
        xml.writeAttribute(QStringLiteral("style:font-name"), fontName(look.family));
        const QString size = QString::number(look.points) + QStringLiteral("pt");
        xml.writeAttribute(QStringLiteral("fo:font-size"), size);
        xml.writeAttribute(QStringLiteral("style:font-size-asian"), size);
        xml.writeAttribute(QStringLiteral("style:font-size-complex"), size);
        const QString weight = look.bold ? QStringLiteral("bold") : QStringLiteral("normal");
        xml.writeAttribute(QStringLiteral("fo:font-weight"), weight);
        xml.writeAttribute(QStringLiteral("style:font-weight-asian"), weight);
        xml.writeAttribute(QStringLiteral("style:font-weight-complex"), weight);
        const QString style = look.italic ? QStringLiteral("italic") : QStringLiteral("normal");
        xml.writeAttribute(QStringLiteral("fo:font-style"), style);
        xml.writeAttribute(QStringLiteral("style:font-style-asian"), style);
        xml.writeAttribute(QStringLiteral("style:font-style-complex"), style);
        if (look.color.isValid())
            xml.writeAttribute(QStringLiteral("fo:color"), look.color.name());
        if (look.underline) {
            xml.writeAttribute(QStringLiteral("style:text-underline-style"), QStringLiteral("solid"));
            xml.writeAttribute(QStringLiteral("style:text-underline-width"), QStringLiteral("auto"));
            xml.writeAttribute(QStringLiteral("style:text-underline-color"), QStringLiteral("font-color"));
        }
        if (look.strikeOut)
            xml.writeAttribute(QStringLiteral("style:text-line-through-style"), QStringLiteral("solid"));
    }

    void writeAutomaticStyles(QXmlStreamWriter& xml) const
    {
        xml.writeStartElement(QStringLiteral("office:automatic-styles"));
        for (const auto& [name, align] : paragraphStyles()) {
            xml.writeStartElement(QStringLiteral("style:style"));
            xml.writeAttribute(QStringLiteral("style:name"), name);
            xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("paragraph"));
            xml.writeEmptyElement(QStringLiteral("style:paragraph-properties"));
            xml.writeAttribute(QStringLiteral("fo:text-align"), align);
            xml.writeEndElement();
        }
        for (const RunLook& look : m_textStyles) {
            xml.writeStartElement(QStringLiteral("style:style"));
            xml.writeAttribute(QStringLiteral("style:name"), textStyle(look));
            xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("text"));
            writeTextProperties(xml, look);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }

    static QString paragraphStyle(Qt::Alignment alignment)
    {
        return alignment & Qt::AlignHCenter ? QStringLiteral("PCenter")
            : alignment & Qt::AlignRight    ? QStringLiteral("PEnd")
            : alignment & Qt::AlignJustify  ? QStringLiteral("PJustify")
                                            : QStringLiteral("PStart");
    }

private:
    static QList<QPair<QString, QString>> paragraphStyles()
    {
        return {{QStringLiteral("PStart"), QStringLiteral("start")},
                {QStringLiteral("PCenter"), QStringLiteral("center")},
                {QStringLiteral("PEnd"), QStringLiteral("end")},
                {QStringLiteral("PJustify"), QStringLiteral("justify")}};
    }

    QStringList m_families;
    QList<RunLook> m_textStyles;
};

void startRoot(QXmlStreamWriter& xml, const char* name)
{
    xml.setAutoFormatting(false);
    xml.writeStartDocument();
    xml.writeStartElement(QLatin1StringView(name));
    for (const auto& [prefix, uri] : namespaces())
        xml.writeAttribute(QStringLiteral("xmlns:") + prefix, uri);
    xml.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.2"));
}

// Text of a paragraph's span. White space collapses in OpenDocument: a space
// after another (or opening the paragraph) is written as text:s, tabs and
// line breaks as elements. afterSpace carries "the last character written
// was white space, or none was" from span to span.
void spanText(QXmlStreamWriter& xml, const QString& text, bool& afterSpace)
{
    QString pending;
    int spaces = 0;
    const auto flushSpaces = [&] {
        if (spaces > 0) {
            xml.writeEmptyElement(QStringLiteral("text:s"));
            if (spaces > 1)
                xml.writeAttribute(QStringLiteral("text:c"), QString::number(spaces));
            spaces = 0;
        }
    };
    const auto flushText = [&] {
        if (!pending.isEmpty())
            xml.writeCharacters(pending);
        pending.clear();
    };
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            if (afterSpace) {
                flushText();
                ++spaces;
            } else {
                pending.append(c);
                afterSpace = true;
            }
            continue;
        }
        flushSpaces();
        if (c == QLatin1Char('\t') || c == QChar::LineSeparator) {
            flushText();
            xml.writeEmptyElement(c == QLatin1Char('\t') ? QStringLiteral("text:tab")
                                                         : QStringLiteral("text:line-break"));
            afterSpace = true;
        } else {
            pending.append(c);
            afterSpace = false;
        }
    }
    flushSpaces();
    flushText();
}

QByteArray contentPart(const QList<TextParagraph>& paragraphs, const OdtStyles& styles)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startRoot(xml, "office:document-content");
    styles.writeFontFaces(xml);
    styles.writeAutomaticStyles(xml);
    xml.writeStartElement(QStringLiteral("office:body"));
    xml.writeStartElement(QStringLiteral("office:text"));
    for (const TextParagraph& paragraph : paragraphs) {
        xml.writeStartElement(QStringLiteral("text:p"));
        xml.writeAttribute(QStringLiteral("text:style-name"), OdtStyles::paragraphStyle(paragraph.alignment));
        bool afterSpace = true;
        for (const TextRun& run : paragraph.runs) {
            xml.writeStartElement(QStringLiteral("text:span"));
            xml.writeAttribute(QStringLiteral("text:style-name"), styles.textStyle(run.look));
            spanText(xml, run.text, afterSpace);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return bytes;
}

QByteArray stylesPart(const OdtStyles& styles, const RunLook& defaultLook)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startRoot(xml, "office:document-styles");
    styles.writeFontFaces(xml);
    xml.writeStartElement(QStringLiteral("office:styles"));
    xml.writeStartElement(QStringLiteral("style:default-style"));
    xml.writeAttribute(QStringLiteral("style:family"), QStringLiteral("paragraph"));
    styles.writeTextProperties(xml, defaultLook);
    xml.writeEndDocument();
    return bytes;
}

} // namespace

std::optional<QByteArray> odtData(const QTextDocument& document)
{
    const QList<TextParagraph> paragraphs = textParagraphs(document);
    const RunLook look = documentLook(document);
    const OdtStyles styles(paragraphs, look);
    return zipArchive({
        {QStringLiteral("mimetype"), QByteArray(kMimeType), true},
        {QStringLiteral("META-INF/manifest.xml"), QByteArray(kManifest)},
        {QStringLiteral("content.xml"), contentPart(paragraphs, styles)},
        {QStringLiteral("styles.xml"), stylesPart(styles, look)},
    });
}

bool writeOdt(const QTextDocument& document, const QString& path) { return writeOutputFile(path, odtData(document)); }

} // namespace platform::text
