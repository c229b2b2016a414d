#include "platform/text/word/DocxWriter.h"

#include "platform/text/OutputFiles.h"
#include "platform/text/TextRuns.h"
#include "platform/text/ZipWriter.h"

#include <QXmlStreamWriter>

#include <cmath>

namespace platform::text {

namespace {

constexpr QLatin1StringView kWordNamespace{"http://schemas.openxmlformats.org/wordprocessingml/2006/main"};

const char kContentTypes[]
    = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      "\n"
      R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="xml" ContentType="application/xml"/>)"
      R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
      R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
      R"(</Types>)";

const char kPackageRelationships[]
    = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      "\n"
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
      R"(</Relationships>)";

const char kDocumentRelationships[]
    = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      "\n"
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
      R"(</Relationships>)";

void valueElement(QXmlStreamWriter& xml, const char* name, const QString& value)
{
    xml.writeEmptyElement(QLatin1StringView("w:") + QLatin1StringView(name));
    xml.writeAttribute(QStringLiteral("w:val"), value);
}

// Run properties in the order the schema gives them (Word refuses others).
void runProperties(QXmlStreamWriter& xml, const RunLook& look)
{
    xml.writeStartElement(QStringLiteral("w:rPr"));
    xml.writeEmptyElement(QStringLiteral("w:rFonts"));
    for (const char* slot : {"w:ascii", "w:hAnsi", "w:eastAsia", "w:cs"})
        xml.writeAttribute(QLatin1StringView(slot), look.family);
    if (look.bold)
        xml.writeEmptyElement(QStringLiteral("w:b"));
    if (look.italic)
        xml.writeEmptyElement(QStringLiteral("w:i"));
    if (look.strikeOut)
        xml.writeEmptyElement(QStringLiteral("w:strike"));
    if (look.color.isValid())
        valueElement(xml, "color", look.color.name().mid(1).toUpper());
    const QString halfPoints = QString::number(std::lround(look.points * 2));
    valueElement(xml, "sz", halfPoints);
    valueElement(xml, "szCs", halfPoints);
    if (look.underline)
        valueElement(xml, "u", QStringLiteral("single"));
    xml.writeEndElement();
}

// A run's text: tabs and line breaks are elements of their own.
void runText(QXmlStreamWriter& xml, const QString& text)
{
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start) {
            xml.writeStartElement(QStringLiteral("w:t"));
            xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            xml.writeCharacters(text.mid(start, end - start));
            xml.writeEndElement();
        }
        start = end + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\t')) {
            flush(i);
            xml.writeEmptyElement(QStringLiteral("w:tab"));
        } else if (text[i] == QChar::LineSeparator) {
            flush(i);
            xml.writeEmptyElement(QStringLiteral("w:br"));
        }
    }
    flush(text.size());
}

QString alignmentValue(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral("center");
    if (alignment & Qt::AlignRight)
        return QStringLiteral("right");
    if (alignment & Qt::AlignJustify)
        return QStringLiteral("both");
    return {};
}

// Opens a part's root element in the WordprocessingML namespace.
void startPart(QXmlStreamWriter& xml, const char* root)
{
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QLatin1StringView(root));
    xml.writeAttribute(QStringLiteral("xmlns:w"), kWordNamespace);
}

QByteArray documentPart(const QList<TextParagraph>& paragraphs)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startPart(xml, "w:document");
    xml.writeStartElement(QStringLiteral("w:body"));
    for (const TextParagraph& paragraph : paragraphs) {
        xml.writeStartElement(QStringLiteral("w:p"));
        xml.writeStartElement(QStringLiteral("w:pPr"));
        if (const QString jc = alignmentValue(paragraph.alignment); !jc.isEmpty())
            valueElement(xml, "jc", jc);
        runProperties(xml, paragraph.markLook);
        xml.writeEndElement();
        for (const TextRun& run : paragraph.runs) {
            xml.writeStartElement(QStringLiteral("w:r"));
            runProperties(xml, run.look);
            runText(xml, run.text);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray stylesPart(const RunLook& look)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    startPart(xml, "w:styles");
    xml.writeStartElement(QStringLiteral("w:docDefaults"));
    xml.writeStartElement(QStringLiteral("w:rPrDefault"));
    runProperties(xml, look);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("w:style"));
    xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("paragraph"));
    xml.writeAttribute(QStringLiteral("w:default"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("w:styleId"), QStringLiteral("Normal"));
    valueElement(xml, "name", QStringLiteral("Normal"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

} // namespace

std::optional<QByteArray> docxData(const QTextDocument& document)
{
    const QList<TextParagraph> paragraphs = textParagraphs(document);
    return zipArchive({
        {QStringLiteral("[Content_Types].xml"), QByteArray(kContentTypes)},
        {QStringLiteral("_rels/.rels"), QByteArray(kPackageRelationships)},
        {QStringLiteral("word/document.xml"), documentPart(paragraphs)},
        {QStringLiteral("word/_rels/document.xml.rels"), QByteArray(kDocumentRelationships)},
        {QStringLiteral("word/styles.xml"), stylesPart(documentLook(document))},
    });
}

bool writeDocx(const QTextDocument& document, const QString& path) { return writeOutputFile(path, docxData(document)); }

} // namespace platform::text
