#include "tests/support/WordDocumentFixtures.h"

#include "tests/support/OfficeArtFixtures.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <zip.h>

namespace testsupport {

void put16(QByteArray& d, qsizetype at, quint16 v)
{
    if (d.size() < at + 2)
        d.resize(at + 2, '\0');
    qToLittleEndian<quint16>(v, d.data() + at);
}

void put32(QByteArray& d, qsizetype at, quint32 v)
{
    if (d.size() < at + 4)
        d.resize(at + 4, '\0');
    qToLittleEndian<quint32>(v, d.data() + at);
}

QByteArray le16(quint16 v)
{
    QByteArray d;
    put16(d, 0, v);
    return d;
}

QByteArray le32(quint32 v)
{
    QByteArray d;
    put32(d, 0, v);
    return d;
}

namespace {

const char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

} // namespace

QStringList sampleWords()
{
    return {"Report Title", "plain", "bold words", "italic words", "red words", "first item",
            "second item", "cell A1", "cell B1", "cell A2", "cell B2", "Page 7 end", "The end"};
}

QByteArray zipBytes(const QList<QPair<QString, QByteArray>>& entries, bool store)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("package.zip"));
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return {};
    QList<QByteArray> keep = {}; // the sources read these when the archive closes
    for (const auto& [name, bytes] : entries) {
        keep.append(bytes);
        zip_source_t* source = zip_source_buffer(archive, keep.last().constData(), zip_uint64_t(keep.last().size()), 0);
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            continue;
        }
        if (store)
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return {};
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// ---------------------------------------------------------------- DOCX

namespace {

QByteArray docxDocument(const QByteArray& body)
{
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:document xmlns:w=")") + kW + R"(" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"
 xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"
 xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"
 xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"
 xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"
 xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"
 xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office"
 xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math"
 xmlns:x="urn:unknown-extension">
<w:body>
)" + body + "\n</w:body></w:document>";
}

} // namespace

QList<QPair<QString, QByteArray>> sampleDocxEntries()
{
    const QByteArray contentTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/><Default Extension="png" ContentType="image/png"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
</Types>)";
    const QByteArray rels = R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
</Relationships>)";
    const QByteArray documentRels = R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering" Target="numbering.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/image1.png"/>
<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target="http://example.invalid/" TargetMode="External"/>
</Relationships>)";
    const QByteArray styles = QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<w:styles xmlns:w=")") + kW + R"(">
<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="DejaVu Serif" w:hAnsi="DejaVu Serif"/><w:sz w:val="22"/></w:rPr></w:rPrDefault>
<w:pPrDefault><w:pPr><w:spacing w:after="120"/></w:pPr></w:pPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Title"><w:basedOn w:val="Normal"/><w:rPr><w:b/><w:sz w:val="40"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Title"/>
  <w:pPr><w:jc w:val="center"/><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:sz w:val="32"/></w:rPr></w:style>
<w:style w:type="character" w:styleId="Emphasis"><w:rPr><w:i/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="ListBullet"><w:basedOn w:val="Normal"/><w:pPr><w:numPr><w:numId w:val="1"/></w:numPr></w:pPr></w:style>
</w:styles>)";
    const QByteArray numbering = QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<w:numbering xmlns:w=")") + kW + R"(">
<w:abstractNum w:abstractNumId="10"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val="&#8226;"/></w:lvl>
<w:lvl w:ilvl="1"><w:numFmt w:val="decimal"/></w:lvl></w:abstractNum>
<w:num w:numId="1"><w:abstractNumId w:val="10"/></w:num>
</w:numbering>)";
    const QByteArray document = docxDocument(R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Report Title</w:t></w:r></w:p>
<w:p><w:r><w:t xml:space="preserve">plain </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>bold words</w:t></w:r><w:r><w:t xml:space="preserve"> and </w:t></w:r><w:r><w:rPr><w:rStyle w:val="Emphasis"/></w:rPr><w:t>italic words</w:t></w:r><w:r><w:t xml:space="preserve"> and </w:t></w:r><w:hyperlink r:id="rId4"><w:r><w:rPr><w:color w:val="FF0000"/><w:u w:val="single"/></w:rPr><w:t>red words</w:t></w:r></w:hyperlink><w:r><w:rPr><w:vanish/></w:rPr><w:t>hidden words</w:t></w:r></w:p>
<w:p><w:pPr><w:pStyle w:val="ListBullet"/></w:pPr><w:r><w:t>first item</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><x:unknown><w:r><w:t>second item</w:t></w:r></x:unknown></w:p>
<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/></w:tblPr><w:tblGrid><w:gridCol w:w="3000"/><w:gridCol w:w="3000"/></w:tblGrid>
<w:tr><w:tc><w:tcPr><w:tcW w:w="3000"/></w:tcPr><w:p><w:r><w:t>cell A1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>cell B1</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>cell A2</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>cell B2</w:t></w:r></w:p></w:tc></w:tr>
</w:tbl>
<w:p><w:r><w:drawing><wp:inline><wp:extent cx="508000" cy="508000"/><wp:docPr id="1" name="Picture 1" descr="not shown"/>
<a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture"><pic:pic><pic:blipFill><a:blip r:embed="rId3"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>
<w:p><w:r><w:t xml:space="preserve">Page </w:t></w:r><w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>7</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r><w:r><w:t xml:space="preserve"> end</w:t></w:r></w:p>
<w:p><w:r><w:delText>deleted words</w:delText></w:r><w:r><w:t>The end</w:t></w:r></w:p>
<w:sectPr><w:headerReference w:type="default" r:id="rId9"/><w:pgSz w:w="12240" w:h="15840"/></w:sectPr>)");
    return {{"[Content_Types].xml", contentTypes},
            {"_rels/.rels", rels},
            {"word/_rels/document.xml.rels", documentRels},
            {"word/document.xml", document},
            {"word/styles.xml", styles},
            {"word/numbering.xml", numbering},
            {"word/media/image1.png", pngBytes(QSize(40, 40), Qt::blue)}};
}

QList<QPair<QString, QByteArray>> docxEntriesWithBody(const QByteArray& body, const QByteArray& numbering)
{
    QList<QPair<QString, QByteArray>> entries = sampleDocxEntries();
    for (auto& [name, bytes] : entries) {
        if (name == u"word/document.xml")
            bytes = docxDocument(body);
        else if (name == u"word/numbering.xml" && !numbering.isEmpty())
            bytes = QByteArray("<w:numbering xmlns:w=\"") + kW + "\">" + numbering + "</w:numbering>";
    }
    return entries;
}

QByteArray docxWithStories(const QByteArray& body, const QList<DocxStory>& stories)
{
    QList<QPair<QString, QByteArray>> entries = docxEntriesWithBody(body);
    QByteArray relationships;
    for (const DocxStory& story : stories) {
        const QByteArray kind = story.footer ? "footer" : "header";
        const QString part = QStringLiteral("%1-%2.xml").arg(QString::fromLatin1(kind), story.id);
        relationships += "<Relationship Id=\"" + story.id.toUtf8()
                         + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + kind
                         + "\" Target=\"" + part.toUtf8() + "\"/>";
        entries.append({QStringLiteral("word/") + part, QByteArray("<w:") + (story.footer ? "ftr" : "hdr")
                                                            + " xmlns:w=\"" + kW + "\">" + story.paragraphs + "</w:"
                                                            + (story.footer ? "ftr" : "hdr") + ">"});
    }
    for (auto& [name, bytes] : entries)
        if (name == u"word/_rels/document.xml.rels")
            bytes.insert(bytes.indexOf("</Relationships>"), relationships);
    return zipBytes(entries);
}

QByteArray sampleDocx()
{
    return zipBytes(sampleDocxEntries());
}

QByteArray docxTheme(const char* major, const char* minor)
{
    return QByteArray(R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements>
<a:fontScheme name="Office"><a:majorFont><a:latin typeface=")") + major + R"("/><a:ea typeface=""/></a:majorFont>
<a:minorFont><a:latin typeface=")" + minor + R"("/><a:ea typeface=""/><a:cs typeface=""/></a:minorFont></a:fontScheme>
</a:themeElements></a:theme>)";
}

// ---------------------------------------------------------------- ODT

namespace {

const char kOdfNamespaces[] = R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3")";

const char kOdfNamedStyles[] = R"(<office:styles>
<style:default-style style:family="paragraph"><style:text-properties style:font-name="Serif" fo:font-size="11pt"/></style:default-style>
<style:style style:name="Standard" style:family="paragraph"/>
<style:style style:name="Heading" style:family="paragraph" style:parent-style-name="Standard"><style:text-properties fo:font-weight="bold" fo:font-size="20pt"/></style:style>
<style:style style:name="Heading_20_1" style:family="paragraph" style:parent-style-name="Heading" style:default-outline-level="1"><style:paragraph-properties fo:text-align="center"/><style:text-properties fo:font-size="16pt"/></style:style>
<style:style style:name="Emphasis" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
</office:styles>)";

const char kOdfFonts[] = R"(<office:font-face-decls><style:font-face style:name="Serif" svg:font-family="'DejaVu Serif'"/></office:font-face-decls>)";

const char kOdfAutomaticStyles[] = R"(<office:automatic-styles>
<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
<style:style style:name="T2" style:family="text"><style:text-properties fo:color="#ff0000" style:text-underline-style="solid"/></style:style>
<style:style style:name="T3" style:family="text"><style:text-properties text:display="none"/></style:style>
<style:style style:name="col" style:family="table-column"><style:table-column-properties style:column-width="2in"/></style:style>
<text:list-style style:name="L1"><text:list-level-style-bullet text:level="1" text:bullet-char="&#8226;"/><text:list-level-style-number text:level="2" style:num-format="1"/></text:list-style>
</office:automatic-styles>)";

QByteArray odtBody(const QByteArray& picture)
{
    return QByteArray(R"(<office:body><office:text>
<text:sequence-decls><text:sequence-decl text:display-outline-level="0" text:name="Figure"/></text:sequence-decls>
<text:h text:style-name="Heading_20_1" text:outline-level="1">Report Title</text:h>
<text:p text:style-name="Standard">plain <text:span text:style-name="T1">bold words</text:span> and <text:span text:style-name="Emphasis">italic words</text:span> and <text:a xlink:href="http://example.invalid/"><text:span text:style-name="T2">red words</text:span></text:a></text:p>
<text:list text:style-name="L1"><text:list-item><text:p>first item</text:p></text:list-item><text:list-item><text:p>second <text:unknown-element>item</text:unknown-element></text:p></text:list-item></text:list>
<table:table table:name="T"><table:table-column table:style-name="col" table:number-columns-repeated="2"/>
<table:table-row><table:table-cell><text:p>cell A1</text:p></table:table-cell><table:table-cell><text:p>cell B1</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>cell A2</text:p></table:table-cell><table:table-cell><text:p>cell B2</text:p></table:table-cell></table:table-row>
</table:table>
<text:p><draw:frame draw:name="Picture" svg:width="40pt" svg:height="40pt"><svg:desc>not shown</svg:desc>)") + picture + R"(</draw:frame></text:p>
<text:p>Page <text:page-number text:select-page="current">7</text:page-number> end<text:span text:style-name="T3"> hidden words</text:span></text:p>
<text:p>The<text:s/>end<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>note words</text:p></text:note-body></text:note></text:p>
</office:text></office:body>)";
}

QByteArray odtAutomaticStyles(const QByteArray& more)
{
    QByteArray styles = kOdfAutomaticStyles;
    styles.insert(styles.indexOf("</office:automatic-styles>"), more);
    return styles;
}

} // namespace

QList<QPair<QString, QByteArray>> odtEntriesWithBody(const QByteArray& body, const QByteArray& automaticStyles)
{
    QList<QPair<QString, QByteArray>> entries = sampleOdtEntries();
    for (auto& [name, bytes] : entries) {
        if (name == u"content.xml")
            bytes = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content ") + kOdfNamespaces
                    + ">" + kOdfFonts + odtAutomaticStyles(automaticStyles) + "<office:body><office:text>" + body
                    + "</office:text></office:body></office:document-content>";
    }
    return entries;
}

QByteArray flatOdtWithBody(const QByteArray& body, const QByteArray& automaticStyles, const QByteArray& masterStyles)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document ") + kOdfNamespaces
           + " office:mimetype=\"application/vnd.oasis.opendocument.text\">" + kOdfFonts + kOdfNamedStyles
           + odtAutomaticStyles(automaticStyles) + "<office:master-styles>" + masterStyles
           + "</office:master-styles><office:body><office:text>" + body
           + "</office:text></office:body></office:document>";
}

QByteArray odtStyles(const QByteArray& automaticStyles, const QByteArray& masterStyles)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles ") + kOdfNamespaces + ">"
           + kOdfFonts + kOdfNamedStyles + "<office:automatic-styles>" + automaticStyles
           + "</office:automatic-styles><office:master-styles>" + masterStyles
           + "</office:master-styles></office:document-styles>";
}

QList<QPair<QString, QByteArray>> sampleOdtEntries()
{
    const QByteArray content = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content ")
                               + kOdfNamespaces + ">" + kOdfFonts + kOdfAutomaticStyles
                               + odtBody(R"(<draw:image xlink:href="Pictures/image1.png" xlink:type="simple"/>)")
                               + "</office:document-content>";
    const QByteArray styles = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles ")
                              + kOdfNamespaces + ">" + kOdfFonts + kOdfNamedStyles + "</office:document-styles>";
    const QByteArray manifest = R"(<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">
<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>
<manifest:file-entry manifest:full-path="Pictures/image1.png" manifest:media-type="image/png"/>
</manifest:manifest>)";
    return {{"mimetype", "application/vnd.oasis.opendocument.text"},
            {"content.xml", content},
            {"styles.xml", styles},
            {"META-INF/manifest.xml", manifest},
            {"Pictures/image1.png", pngBytes(QSize(40, 40), Qt::blue)}};
}

QByteArray sampleOdt()
{
    return zipBytes(sampleOdtEntries());
}

QByteArray sampleFlatOdt()
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document ") + kOdfNamespaces
           + " office:mimetype=\"application/vnd.oasis.opendocument.text\">" + kOdfFonts + kOdfNamedStyles
           + kOdfAutomaticStyles
           + odtBody("<draw:image><office:binary-data>" + pngBytes(QSize(40, 40), Qt::blue).toBase64()
                     + "</office:binary-data></draw:image>")
           + "</office:document>";
}

QByteArray sampleSxw()
{
    const QByteArray content = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="http://openoffice.org/2000/office" xmlns:style="http://openoffice.org/2000/style"
 xmlns:text="http://openoffice.org/2000/text" xmlns:table="http://openoffice.org/2000/table"
 xmlns:draw="http://openoffice.org/2000/drawing" xmlns:fo="http://www.w3.org/1999/XSL/Format"
 xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:svg="http://www.w3.org/2000/svg" office:class="text" office:version="1.0">
<office:font-decls><style:font-decl style:name="Serif" fo:font-family="'DejaVu Serif'"/></office:font-decls>
<office:automatic-styles>
<style:style style:name="P1" style:family="paragraph"><style:properties fo:font-weight="bold" style:font-name="Serif" fo:text-align="center"/></style:style>
<style:style style:name="T1" style:family="text"><style:properties style:text-underline="single"/></style:style>
<text:list-style style:name="L1"><text:list-level-style-number text:level="1" style:num-format="1"/></text:list-style>
</office:automatic-styles>
<office:body>
<text:h text:level="2">Old heading</text:h>
<text:p text:style-name="P1">Bold words<text:tab-stop/>after a tab <text:span text:style-name="T1">underlined</text:span></text:p>
<text:ordered-list text:style-name="L1"><text:list-item><text:p>First item</text:p></text:list-item><text:list-item><text:p>Second item</text:p></text:list-item></text:ordered-list>
<table:table table:name="T"><table:table-column table:number-columns-repeated="2"/>
<table:table-row><table:table-cell><text:p>A1</text:p></table:table-cell><table:table-cell><text:p>B1</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>A2</text:p></table:table-cell><table:table-cell><text:p>B2</text:p></table:table-cell></table:table-row>
</table:table>
<text:p><draw:image draw:name="P" svg:width="1cm" svg:height="1cm" xlink:href="#Pictures/image1.png"/>Closing line</text:p>
</office:body></office:document-content>)";
    return zipBytes({{"mimetype", "application/vnd.sun.xml.writer"},
                     {"content.xml", content},
                     {"Pictures/image1.png", pngBytes(QSize(40, 40), Qt::blue)}});
}

// ---------------------------------------------------------------- Word 2003 XML

namespace {

QByteArray wordMLDocument(const QByteArray& body, const QByteArray& lists)
{
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<?mso-application progid="Word.Document"?>
<w:wordDocument xmlns:w="http://schemas.microsoft.com/office/word/2003/wordml" xmlns:v="urn:schemas-microsoft-com:vml"
 xmlns:wx="http://schemas.microsoft.com/office/word/2003/auxHint" xmlns:o="urn:schemas-microsoft-com:office:office"
 xmlns:aml="http://schemas.microsoft.com/aml/2001/core" w:macrosPresent="no">
<o:DocumentProperties><o:Title>not shown</o:Title></o:DocumentProperties>
<w:fonts><w:defaultFonts w:ascii="DejaVu Serif"/></w:fonts>
<w:lists>)") + lists + R"(</w:lists>
<w:styles><w:style w:type="paragraph" w:default="on" w:styleId="Normal"><w:rPr><w:sz w:val="22"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:basedOn w:val="Normal"/><w:pPr><w:jc w:val="center"/><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/></w:rPr></w:style></w:styles>
<w:docPr><w:view w:val="print"/></w:docPr>
<w:body><wx:sect>
)" + body + R"(
<w:sectPr><w:hdr w:type="odd"><w:p><w:r><w:t>header words</w:t></w:r></w:p></w:hdr></w:sectPr>
</wx:sect></w:body></w:wordDocument>)";
}

const char kWordMLLists[] = R"(<w:listDef w:listDefId="0"><w:lvl w:ilvl="0"><w:nfc w:val="23"/><w:lvlText w:val="&#xF0B7;"/><w:rPr><w:rFonts w:ascii="Symbol" w:h-ansi="Symbol"/></w:rPr></w:lvl></w:listDef>
<w:list w:ilfo="1"><w:ilst w:val="0"/></w:list>)";

} // namespace

QByteArray wordMLWithBody(const QByteArray& body, const QByteArray& lists)
{
    return wordMLDocument(body, lists.isEmpty() ? QByteArray(kWordMLLists) : lists);
}

QByteArray sampleWordML()
{
    return wordMLWithBody(QByteArray(R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Report Title</w:t></w:r></w:p>
<w:p><w:r><w:t>plain </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>bold words</w:t></w:r><w:r><w:t> and </w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>italic words</w:t></w:r><w:r><w:t> and </w:t></w:r><w:hlink w:dest="http://example.invalid/"><w:r><w:rPr><w:color w:val="FF0000"/></w:rPr><w:t>red words</w:t></w:r></w:hlink></w:p>
<w:p><w:pPr><w:listPr><w:ilvl w:val="0"/><w:ilfo w:val="1"/></w:listPr></w:pPr><w:r><w:t>first item</w:t></w:r></w:p>
<w:p><w:pPr><w:listPr><w:ilvl w:val="0"/><w:ilfo w:val="1"/></w:listPr></w:pPr><w:r><w:t>second item</w:t></w:r></w:p>
<w:tbl><w:tblGrid><w:gridCol w:w="3000"/><w:gridCol w:w="3000"/></w:tblGrid>
<w:tr><w:tc><w:p><w:r><w:t>cell A1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>cell B1</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>cell A2</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>cell B2</w:t></w:r></w:p></w:tc></w:tr></w:tbl>
<w:p><w:r><w:pict><w:binData w:name="wordml://01000001.png">)") + pngBytes(QSize(40, 40), Qt::blue).toBase64() + R"(</w:binData>
<v:shape id="_x0000_i1025" style="width:40pt;height:40pt"><v:imagedata src="wordml://01000001.png" o:title="not shown"/></v:shape></w:pict></w:r></w:p>
<w:p><w:r><w:t>Page </w:t></w:r><w:fldSimple w:instr=" PAGE "><w:r><w:t>7</w:t></w:r></w:fldSimple><w:r><w:t> end</w:t></w:r></w:p>
<w:p><aml:annotation aml:id="1" w:type="Word.Deletion"><aml:content><w:r><w:delText>deleted words</w:delText></w:r></aml:content></aml:annotation><aml:annotation aml:id="2" w:type="Word.Insertion"><aml:content><w:r><w:t>The end</w:t></w:r></aml:content></aml:annotation><w:r><w:footnote><w:p><w:r><w:t>note words</w:t></w:r></w:p></w:footnote></w:r><aml:annotation aml:id="3" w:type="Word.Comment"><aml:content><w:p><w:r><w:t>comment words</w:t></w:r></w:p></aml:content></aml:annotation></w:p>)");
}

// ---------------------------------------------------------------- Word 97

namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF, kEndOfChain = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD,
                  kDifatSector = 0xFFFFFFFC;
constexpr qsizetype kMiniCutoff = 4096, kMiniSector = 64;

struct DirectoryEntry {
    QString name;
    int type; // 1 storage, 2 stream, 5 root
    QList<int> children;
    quint32 left = kFreeSector, right = kFreeSector, child = kFreeSector;
    quint32 start = kEndOfChain;
    quint64 size = 0;
};

// Siblings are kept as a binary tree ordered by name length, then name.
bool directoryOrder(const DirectoryEntry& a, const DirectoryEntry& b)
{
    if (a.name.size() != b.name.size())
        return a.name.size() < b.name.size();
    return a.name.toUpper() < b.name.toUpper();
}

int linkSiblings(QList<DirectoryEntry>& entries, const QList<int>& sorted, qsizetype from, qsizetype to)
{
    if (from >= to)
        return -1;
    const qsizetype middle = (from + to) / 2;
    const int node = sorted[middle];
    const int left = linkSiblings(entries, sorted, from, middle);
    const int right = linkSiblings(entries, sorted, middle + 1, to);
    entries[node].left = left < 0 ? kFreeSector : quint32(left);
    entries[node].right = right < 0 ? kFreeSector : quint32(right);
    return node;
}

// Chains count sectors from 0 in the order they are handed out.
void allocate(QList<quint32>& table, quint32 first, quint32 count)
{
    for (quint32 k = 0; k < count; ++k)
        table[first + k] = k + 1 < count ? first + k + 1 : kEndOfChain;
}

} // namespace

QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams, const CompoundFileOptions& options)
{
    const qsizetype sectorSize = qsizetype(1) << options.sectorShift;
    const qsizetype perSector = sectorSize / 4;
    const auto sectorsFor = [&](qsizetype bytes) { return quint32((bytes + sectorSize - 1) / sectorSize); };

    // The directory: storages made as their paths name them.
    QList<DirectoryEntry> entries{DirectoryEntry{QStringLiteral("Root Entry"), 5, {}}};
    QList<int> streamEntries;
    for (const auto& s : streams) {
        int parent = 0;
        const QStringList parts = s.first.split(QLatin1Char('/'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const bool last = i + 1 == parts.size();
            int found = -1;
            for (int child : std::as_const(entries[parent].children))
                if (!last && entries[child].type == 1 && entries[child].name == parts[i])
                    found = child;
            if (found < 0) {
                found = int(entries.size());
                entries.append(DirectoryEntry{parts[i], last ? 2 : 1, {}});
                entries[parent].children.append(found);
            }
            parent = found;
        }
        streamEntries.append(parent);
    }
    for (DirectoryEntry& e : entries) {
        QList<int> sorted = e.children;
        std::sort(sorted.begin(), sorted.end(), [&](int a, int b) { return directoryOrder(entries[a], entries[b]); });
        const int child = linkSiblings(entries, sorted, 0, sorted.size());
        e.child = child < 0 ? kFreeSector : quint32(child);
    }

    // Stream bodies: small ones in the mini stream, the rest in sectors of
    // their own (padded past the cutoff unless small streams are wanted).
    QList<QByteArray> bodies;
    QByteArray miniStream;
    QList<quint32> miniFat;
    for (qsizetype i = 0; i < streams.size(); ++i) {
        const QByteArray& data = streams[i].second;
        DirectoryEntry& e = entries[streamEntries[i]];
        if (options.smallStreams && data.size() < kMiniCutoff) {
            const quint32 first = quint32(miniFat.size());
            const quint32 count = quint32((data.size() + kMiniSector - 1) / kMiniSector);
            miniFat.resize(first + count);
            allocate(miniFat, first, count);
            e.start = count > 0 ? first : kEndOfChain;
            e.size = quint64(data.size());
            QByteArray padded = data;
            padded.resize(qsizetype(count) * kMiniSector, '\0');
            miniStream += padded;
            bodies.append(QByteArray());
            continue;
        }
        QByteArray padded = data;
        if (options.smallStreams)
            padded.resize(qsizetype(sectorsFor(data.size())) * sectorSize, '\0');
        else
            padded.resize(std::max<qsizetype>(kMiniCutoff, qsizetype(sectorsFor(data.size())) * sectorSize), '\0');
        e.size = quint64(options.smallStreams ? data.size() : padded.size());
        bodies.append(padded);
    }

    // Sectors: the first allocation table sector, the directory, the
    // streams, the mini stream and its table, then the other allocation
    // table sectors and the sectors listing them past the header's 109.
    const quint32 directorySectors = sectorsFor(entries.size() * 128);
    quint32 streamSectors = 0;
    for (const QByteArray& b : bodies)
        streamSectors += quint32(b.size() / sectorSize);
    const quint32 miniStreamSectors = sectorsFor(miniStream.size());
    const quint32 miniFatSectors = sectorsFor(miniFat.size() * 4);
    const quint32 fixed = 1 + directorySectors + streamSectors + miniStreamSectors + miniFatSectors;
    quint32 fatSectors = std::max(1, options.minimumFatSectors);
    quint32 difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > 109 ? quint32((fatSectors - 109 + perSector - 2) / (perSector - 1)) : 0;
        const quint32 needed = quint32((fixed + (fatSectors - 1) + difatSectors + perSector - 1) / perSector);
        if (needed <= fatSectors)
            break;
        fatSectors = needed;
    }
    QList<quint32> fat(qsizetype(fatSectors) * perSector, kFreeSector);
    QList<quint32> fatAt{0};
    fat[0] = kFatSector;
    quint32 next = 1;
    const auto take = [&](quint32 count) {
        allocate(fat, next, count);
        next += count;
        return count > 0 ? next - count : kEndOfChain;
    };
    const quint32 directoryStart = take(directorySectors);
    for (qsizetype i = 0; i < streams.size(); ++i)
        if (!bodies[i].isEmpty())
            entries[streamEntries[i]].start = take(quint32(bodies[i].size() / sectorSize));
    entries[0].start = take(miniStreamSectors);
    entries[0].size = quint64(miniStream.size());
    const quint32 miniFatStart = take(miniFatSectors);
    for (quint32 k = 1; k < fatSectors; ++k) {
        fat[next] = kFatSector;
        fatAt.append(next++);
    }
    QList<quint32> difatAt;
    for (quint32 k = 0; k < difatSectors; ++k) {
        fat[next] = kDifatSector;
        difatAt.append(next++);
    }

    QByteArray header(512, '\0');
    header.replace(0, 8, QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8));
    put16(header, 24, 0x3E);
    put16(header, 26, options.sectorShift == 12 ? 4 : 3);
    put16(header, 28, 0xFFFE);
    put16(header, 30, quint16(options.sectorShift));
    put16(header, 32, 6);
    if (options.sectorShift == 12)
        put32(header, 40, directorySectors);
    put32(header, 44, fatSectors);
    put32(header, 48, directoryStart);
    put32(header, 56, quint32(kMiniCutoff));
    put32(header, 60, miniFatStart);
    put32(header, 64, miniFatSectors);
    put32(header, 68, difatAt.isEmpty() ? kEndOfChain : difatAt[0]);
    put32(header, 72, difatSectors);
    for (int i = 0; i < 109; ++i)
        put32(header, 76 + 4 * i, i < fatAt.size() ? fatAt[i] : kFreeSector);
    header.resize(sectorSize, '\0');

    QByteArray directory(qsizetype(directorySectors) * sectorSize, '\0');
    for (qsizetype index = 0; index < directory.size() / 128; ++index) {
        const qsizetype at = index * 128;
        if (index >= entries.size()) {
            put32(directory, at + 68, kFreeSector);
            put32(directory, at + 72, kFreeSector);
            put32(directory, at + 76, kFreeSector);
            continue;
        }
        const DirectoryEntry& e = entries[index];
        for (int i = 0; i < e.name.size(); ++i)
            put16(directory, at + 2 * i, e.name[i].unicode());
        put16(directory, at + 64, quint16((e.name.size() + 1) * 2));
        directory[at + 66] = char(e.type);
        directory[at + 67] = 1;
        put32(directory, at + 68, e.left);
        put32(directory, at + 72, e.right);
        put32(directory, at + 76, e.child);
        put32(directory, at + 116, e.start);
        put32(directory, at + 120, quint32(e.size));
        put32(directory, at + 124, quint32(e.size >> 32));
    }

    const auto sectorsOf = [&](const QList<quint32>& values) {
        QByteArray bytes(qsizetype(sectorsFor(values.size() * 4)) * sectorSize, '\0');
        for (qsizetype i = 0; i < bytes.size() / 4; ++i)
            put32(bytes, 4 * i, i < values.size() ? values[i] : kFreeSector);
        return bytes;
    };
    QByteArray file = header;
    file += sectorsOf(fat.mid(0, perSector));
    file += directory;
    for (const QByteArray& b : std::as_const(bodies))
        file += b;
    miniStream.resize(qsizetype(miniStreamSectors) * sectorSize, '\0');
    file += miniStream;
    file += sectorsOf(miniFat);
    file += sectorsOf(fat.mid(perSector));
    for (quint32 k = 0; k < difatSectors; ++k) {
        QList<quint32> listed = fatAt.mid(109 + qsizetype(k) * (perSector - 1), perSector - 1);
        listed.resize(perSector - 1, kFreeSector);
        listed.append(k + 1 < difatSectors ? difatAt[k + 1] : kEndOfChain);
        file += sectorsOf(listed);
    }
    return file;
}

QByteArray sprm8(quint16 code, quint8 v)
{
    return le16(code) + char(v);
}

QByteArray sprm16(quint16 code, quint16 v)
{
    return le16(code) + le16(v);
}

QByteArray sprm32(quint16 code, quint32 v)
{
    return le16(code) + le32(v);
}

void DocBuilder::paragraph(const QList<Run>& runs, const QByteArray& papx, quint16 istd, bool eightBit)
{
    const quint32 fcStart = fc();
    for (const Run& run : runs) {
        const quint32 from = fc();
        for (QChar c : run.text)
            add(c, eightBit);
        m_chpx.append({from, fc(), run.chpx});
    }
    m_papx.append({fcStart, fc(), le16(istd) + papx});
}

QByteArray DocBuilder::build(const QByteArray& dataStream, const CompoundFileOptions& options) const
{
    return compoundFile(streams(dataStream), options);
}

QList<QPair<QString, QByteArray>> DocBuilder::streams(const QByteArray& dataStream) const
{
    // The text, then the formatting pages.
    const quint32 firstPage = firstFormattingPage();
    QList<quint32> chpxFcs, papxFcs;
    const QList<QByteArray> pages = formattingPages(m_chpx, FkpKind::Characters, chpxFcs)
                                    + formattingPages(m_papx, FkpKind::Paragraphs, papxFcs);
    QByteArray word(qsizetype(firstPage + pages.size()) * 512, '\0');
    put16(word, 0, 0xA5EC);
    put16(word, 2, 0xC1);
    put16(word, 10, 0x0200);
    put16(word, 32, 14);
    put16(word, 62, 22);
    const quint32 stories = m_storyLengths[0] + m_storyLengths[1] + m_storyLengths[2] + m_storyLengths[3];
    put32(word, 64 + 12, quint32(m_text8.size() + m_text16.size() / 2) - stories);
    put32(word, 64 + 16, m_storyLengths[0]);
    put32(word, 64 + 20, m_storyLengths[1]);
    put32(word, 64 + 32, m_storyLengths[2]);
    put32(word, 64 + 36, m_storyLengths[3]);
    put16(word, 152, 93);
    const auto fcLcb = [&](int index, quint32 fc, quint32 lcb) {
        put32(word, 154 + 8 * index, fc);
        put32(word, 154 + 8 * index + 4, lcb);
    };
    word.replace(k8, m_text8.size(), m_text8);
    word.replace(k16, m_text16.size(), m_text16);
    for (qsizetype i = 0; i < pages.size(); ++i)
        word.replace((firstPage + i) * 512, 512, pages[i]);
    word += m_delay;

    QByteArray table;
    // Piece table: an 8-bit piece, then a 16-bit one.
    const quint32 cp8 = quint32(m_text8.size());
    const quint32 cpAll = cp8 + quint32(m_text16.size() / 2);
    QByteArray plc = le32(0) + le32(cp8) + le32(cpAll);
    plc += le16(0) + le32(quint32(k8 * 2) | 0x40000000) + le16(0);
    plc += le16(0) + le32(k16) + le16(0);
    const QByteArray clx = QByteArray("\x02") + le32(quint32(plc.size())) + plc;
    fcLcb(33, quint32(table.size()), quint32(clx.size()));
    table += clx;
    const quint32 lastFc = std::max<quint32>(k16 + quint32(m_text16.size()), k8 + quint32(m_text8.size()));
    for (const auto& [index, fcs, first] : {std::tuple{12, chpxFcs, firstPage},
                                            std::tuple{13, papxFcs, firstPage + quint32(chpxFcs.size())}}) {
        QByteArray starts, numbers;
        for (int i = 0; i < m_binTableRepeats; ++i) {
            for (qsizetype k = 0; k < fcs.size(); ++k) {
                starts += le32(fcs[k]);
                numbers += le32(first + quint32(k));
            }
        }
        const QByteArray bte = starts + le32(lastFc) + numbers;
        fcLcb(index, quint32(table.size()), quint32(bte.size()));
        table += bte;
    }
    QByteArray fonts = le16(2) + le16(0);
    for (const QString& name : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")}) {
        QByteArray ffn(39, '\0');
        for (QChar c : name)
            ffn += le16(c.unicode());
        ffn += le16(0);
        fonts += char(ffn.size());
        fonts += ffn;
    }
    fcLcb(15, quint32(table.size()), quint32(fonts.size()));
    table += fonts;
    // Simple (one-level) lists and their overrides.
    QByteArray lst = le16(quint16(m_lists.size()));
    QByteArray levels;
    for (const List& list : m_lists) {
        QByteArray lstf = le32(list.lsid) + le32(0);
        lstf += QByteArray(18, '\xff');
        lstf += char(1);
        lstf += char(0);
        lst += lstf;
        QByteArray lvlf(28, '\0');
        lvlf[0] = 1; // starts at one
        lvlf[4] = char(list.numberFormat);
        // A bullet in the symbol font's range, or the level's number and a dot.
        levels += lvlf + (list.numberFormat == 23 ? le16(1) + le16(0xF0B7) : le16(2) + le16(0) + le16('.'));
    }
    // As Word writes it, the levels follow the counted list table.
    fcLcb(73, quint32(table.size()), quint32(lst.size()));
    table += lst + levels;
    QByteArray lfo = le32(quint32(m_lists.size()));
    for (const List& list : m_lists)
        lfo += le32(list.lsid) + QByteArray(12, '\0');
    fcLcb(74, quint32(table.size()), quint32(lfo.size()));
    table += lfo;
    if (!m_sections.isEmpty()) {
        // Section ends, then descriptors pointing at properties after the pages.
        QByteArray plcfSed = le32(0);
        QByteArray descriptors;
        for (const Section& section : m_sections) {
            plcfSed += le32(section.end);
            quint32 sepx = 0xFFFFFFFF;
            const QByteArray sprms = (section.breakKind >= 0 ? sprm8(0x3009, quint8(section.breakKind)) : QByteArray())
                                     + section.sprms + (descriptors.isEmpty() ? m_firstSectionSprms : QByteArray());
            if (!sprms.isEmpty()) {
                sepx = quint32(word.size());
                word += le16(quint16(sprms.size())) + sprms;
            }
            descriptors += le16(0) + le32(sepx) + le16(0) + le32(0xFFFFFFFF);
        }
        fcLcb(6, quint32(table.size()), quint32(plcfSed.size() + descriptors.size()));
        table += plcfSed + descriptors;
    }
    if (!m_styles.isEmpty()) {
        const QByteArray stsh = styleSheet();
        fcLcb(1, quint32(table.size()), quint32(stsh.size()));
        table += stsh;
    }
    for (const auto& [index, bytes] : m_tableParts) {
        fcLcb(index, quint32(table.size()), quint32(bytes.size()));
        table += bytes;
    }

    return {{"WordDocument", word}, {"1Table", table}, {"Data", dataStream}};
}

quint32 DocBuilder::delayOffset() const
{
    QList<quint32> firstFcs;
    const qsizetype pages = formattingPages(m_chpx, FkpKind::Characters, firstFcs).size()
                            + formattingPages(m_papx, FkpKind::Paragraphs, firstFcs).size();
    return (firstFormattingPage() + quint32(pages)) * 512;
}

quint32 DocBuilder::firstFormattingPage() const
{
    return std::max<quint32>(8, (k16 + quint32(m_text16.size()) + 511) / 512);
}

QByteArray DocBuilder::styleSheet() const
{
    QByteArray header = le16(quint16(m_styles.size())) + le16(18) + le16(1) + le16(quint16(m_styles.size()))
                        + le16(15) + le16(0);
    header += le16(m_defaultFont) + le16(m_defaultFont) + le16(m_defaultFont) + le16(m_defaultFont);
    QByteArray stsh = le16(quint16(header.size())) + header;
    const auto lpupx = [](const QByteArray& upx) {
        QByteArray out = le16(quint16(upx.size())) + upx;
        if (upx.size() % 2)
            out += '\0';
        return out;
    };
    for (const Style& style : m_styles) {
        if (style.kind == Style::Empty) {
            stsh += le16(0);
            continue;
        }
        // Paragraph styles hold two property lists, character styles one.
        const bool paragraph = style.kind == Style::Paragraph;
        QByteArray std = le16(style.sti) + le16(quint16((paragraph ? 1 : 2) | style.base << 4))
                         + le16(quint16((paragraph ? 2 : 1) | 0xFFF << 4)) + le16(0) + le16(0) + QByteArray(8, '\0');
        std += le16(quint16(style.name.size()));
        for (QChar c : style.name)
            std += le16(c.unicode());
        std += le16(0);
        if (paragraph)
            std += lpupx(le16(0) + style.paragraph);
        std += lpupx(style.character);
        stsh += le16(quint16(std.size())) + std;
    }
    return stsh;
}

quint32 DocBuilder::fc() const
{
    return m_text16.isEmpty() ? k8 + quint32(m_text8.size()) : k16 + quint32(m_text16.size());
}

void DocBuilder::add(QChar c, bool eightBit)
{
    if (eightBit && m_text16.isEmpty())
        m_text8.append(char(c.unicode()));
    else
        m_text16 += le16(c.unicode());
}

QList<QByteArray> formattingPages(const QList<PropertyRange>& ranges, FkpKind kind, QList<quint32>& firstFcs)
{
    // Each page takes the ranges that fit: their bounds and offsets from the
    // front, their modifiers from the back.
    const bool paragraphs = kind != FkpKind::Characters;
    const int offsetEntry = kind == FkpKind::Paragraphs ? 13 : kind == FkpKind::Word6Paragraphs ? 7 : 1;
    const int entrySize = 4 + offsetEntry;
    QList<QByteArray> pages;
    for (qsizetype next = 0; next < ranges.size() || pages.isEmpty();) {
        QByteArray page(512, '\0');
        qsizetype end = 511;
        int n = 0;
        QList<qsizetype> offsets;
        for (; next + n < ranges.size(); ++n) {
            const QByteArray& g = ranges[next + n].grpprl;
            QByteArray blob;
            if (kind == FkpKind::Word6Paragraphs)
                blob = char((g.size() + 1) / 2) + g + QByteArray(g.size() % 2, '\0');
            else if (paragraphs)
                blob = g.size() % 2 == 1 ? char((g.size() + 1) / 2) + g : QByteArray(1, '\0') + char(g.size() / 2) + g;
            else if (!g.isEmpty())
                blob = char(g.size()) + g;
            const qsizetype at = blob.isEmpty() ? end : (end - blob.size()) & ~qsizetype(1);
            if (4 + entrySize * (n + 1) > at)
                break;
            page.replace(at, blob.size(), blob);
            offsets.append(blob.isEmpty() ? 0 : at);
            end = at;
        }
        for (int i = 0; i < n; ++i) {
            put32(page, 4 * i, ranges[next + i].from);
            page[4 * (n + 1) + offsetEntry * i] = char(offsets[i] / 2);
        }
        put32(page, 4 * n, n > 0 ? ranges[next + n - 1].to : 0);
        page[511] = char(n);
        firstFcs.append(n > 0 ? ranges[next].from : 0);
        pages.append(page);
        next += n;
        if (n == 0)
            break;
    }
    return pages;
}

QByteArray sampleDoc()
{
    return compoundFile(sampleDocStreams());
}

QList<QPair<QString, QByteArray>> sampleDocStreams()
{
    DocBuilder b;
    b.setStyles({{DocBuilder::Style::Paragraph, 0, 0xFFF, "Normal", {}, sprm16(0x4A43, 24)},
                 {DocBuilder::Style::Paragraph, 1, 0, "heading 1", {}, sprm8(0x0835, 1)}});
    const QByteArray bold = sprm8(0x0835, 1);
    const QByteArray inTable = sprm8(0x2416, 1);
    b.paragraph({{"Report Title\r", sprm16(0x4A43, 32)}}, sprm8(0x2403, 1), 1, true);
    b.paragraph({{"plain ", {}},
                 {"bold words", bold},
                 {" and ", {}},
                 {"italic words", sprm8(0x0836, 1) + sprm16(0x4A4F, 1)},
                 {" and ", {}},
                 {"red words", sprm8(0x2A42, 6) + sprm8(0x2A3E, 1)},
                 {"hidden words", sprm8(0x083C, 1)},
                 {"\r", {}}});
    b.paragraph({{"first item\r", {}}}, sprm16(0x460B, 1) + sprm8(0x260A, 0));
    b.paragraph({{"second item\r", {}}}, sprm16(0x460B, 1) + sprm8(0x260A, 0));
    for (const char* row : {"1", "2"}) {
        b.paragraph({{QStringLiteral("cell A%1\a").arg(row), {}}}, inTable);
        b.paragraph({{QStringLiteral("cell B%1\a").arg(row), {}}}, inTable);
        b.paragraph({{"\a", {}}}, inTable + sprm8(0x2417, 1));
    }
    b.paragraph({{QString(QChar(1)), sprm8(0x0855, 1) + sprm32(0x6A03, 0)}, {"\r", {}}});
    b.paragraph({{"Page ", {}}, {QString(QChar(0x13)) + " PAGE " + QChar(0x14) + "7" + QChar(0x15), {}}, {" end\r", {}}});
    b.paragraph({{"The end\r", {}}});
    return b.streams(docPicture(pngBytes(QSize(40, 40), Qt::blue), 0xF01E, 0x6E0, 800, 800));
}

// ---------------------------------------------------------------- sections

namespace {

const char kOdtSectionStyles[] = R"(<style:style style:name="P2" style:family="paragraph" style:master-page-name="Second"><style:paragraph-properties style:page-number="1"/></style:style>
<style:style style:name="Break" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>
<style:style style:name="P4" style:family="paragraph" style:master-page-name="Standard"/>)";
const char kOdtSectionMasters[] = R"(<style:master-page style:name="Standard"><style:header><text:p>Alpha <text:page-number>9</text:page-number> of <text:page-count>9</text:page-count></text:p></style:header></style:master-page>
<style:master-page style:name="Second"><style:header><text:p>Beta <text:page-number>9</text:page-number></text:p></style:header><style:header-first><text:p>Title <text:page-number>9</text:page-number></text:p></style:header-first></style:master-page>)";
const char kOdtSectionBody[] = R"(<text:p>one</text:p><text:p text:style-name="P2">two</text:p><text:p text:style-name="Break">three</text:p><text:p text:style-name="P4">four</text:p>)";

} // namespace

QByteArray docxWithSections()
{
    const auto header = [](const char* name, bool count) {
        return QByteArray(R"(<w:p><w:r><w:t xml:space="preserve">)") + name
               + R"( </w:t></w:r><w:fldSimple w:instr="PAGE"><w:r><w:t>9</w:t></w:r></w:fldSimple>)"
               + (count ? R"(<w:r><w:t xml:space="preserve"> of </w:t></w:r><w:fldSimple w:instr=" NUMPAGES "><w:r><w:t>9</w:t></w:r></w:fldSimple>)"
                        : "")
               + "</w:p>";
    };
    const QByteArray body = R"(<w:p><w:pPr><w:sectPr><w:headerReference w:type="default" r:id="hA"/></w:sectPr></w:pPr><w:r><w:t>one</w:t></w:r></w:p>
<w:p><w:pPr><w:sectPr><w:headerReference w:type="default" r:id="hB"/><w:headerReference w:type="first" r:id="hT"/><w:pgNumType w:start="1"/><w:titlePg/></w:sectPr></w:pPr><w:r><w:t>two</w:t></w:r><w:r><w:br w:type="page"/></w:r><w:r><w:t>three</w:t></w:r></w:p>
<w:p><w:r><w:t>four</w:t></w:r></w:p>
<w:p><w:pPr><w:sectPr><w:type w:val="continuous"/><w:headerReference w:type="default" r:id="hG"/></w:sectPr></w:pPr><w:r><w:br w:type="page"/></w:r><w:r><w:t>five</w:t></w:r></w:p>
<w:p><w:r><w:t>six</w:t></w:r></w:p>
<w:sectPr><w:type w:val="oddPage"/></w:sectPr>)";
    return docxWithStories(body, {{"hA", false, header("Alpha", true)},
                                  {"hB", false, header("Beta", false)},
                                  {"hT", false, header("Title", false)},
                                  {"hG", false, header("Gamma", false)}});
}

QByteArray rtfWithSections()
{
    return R"({\rtf1\ansi\deff0{\fonttbl{\f0 Times;}}
{\header\pard Alpha {\field{\*\fldinst PAGE}{\fldrslt 9}} of {\field{\*\fldinst NUMPAGES}{\fldrslt 9}}\par}
\pard one\sect
\sectd\titlepg\pgnrestart\pgnstarts1{\header\pard Beta {\field{\*\fldinst PAGE}{\fldrslt 9}}\par}
{\headerf\pard Title {\field{\*\fldinst PAGE}{\fldrslt 9}}\par}
\pard two\page three\sect
\sectd\sbknone{\header\pard Gamma {\field{\*\fldinst PAGE}{\fldrslt 9}}\par}
\pard four\page five\sect
\sectd\sbkodd
\pard six\par})";
}

QByteArray docWithSections()
{
    DocBuilder b;
    b.paragraph({{"one\f", {}}});
    b.paragraph({{"two\fthree\f", {}}});
    b.paragraph({{"four\ffive\f", {}}});
    b.paragraph({{"six\r", {}}});
    const auto header = [](const char* name, bool count) {
        return QString::fromLatin1(name) + " \x13 PAGE \x14" "9\x15"
               + (count ? QStringLiteral(" of \x13 NUMPAGES \x14" "9\x15") : QString()) + "\r";
    };
    // Each section's six stories: even, default header; even, default
    // footer; first-page header and footer. An empty one is inherited.
    const QList<QStringList> sections = {{"", header("Alpha", true), "", "", "", ""},
                                         {"", header("Beta", false), "", "", header("Title", false), ""},
                                         {"", header("Gamma", false), "", "", "", ""},
                                         {"", "", "", "", "", ""}};
    QByteArray starts;
    quint32 at = 0;
    for (int separator = 0; separator <= 6; ++separator)
        starts += le32(0); // the notes' separators are empty
    for (const QStringList& stories : sections) {
        for (const QString& story : stories) {
            if (!story.isEmpty())
                b.paragraph({{story, {}}});
            at += quint32(story.size());
            starts += le32(at);
        }
    }
    b.setStoryLengths(0, at, 0);
    b.addTablePart(11, starts);
    b.setSections({{4, 2},
                   {14, 2, sprm8(0x300A, 1) + sprm8(0x3011, 1) + sprm16(0x501C, 1)},
                   {24, 0},
                   {28, 4}});
    return b.build({});
}

QByteArray odtWithSections()
{
    auto entries = odtEntriesWithBody(kOdtSectionBody, kOdtSectionStyles);
    for (auto& [name, bytes] : entries)
        if (name == u"styles.xml")
            bytes = odtStyles({}, kOdtSectionMasters);
    return zipBytes(entries);
}

QByteArray flatOdtWithSections()
{
    return flatOdtWithBody(kOdtSectionBody, kOdtSectionStyles, kOdtSectionMasters);
}

QByteArray docPicture(const QByteArray& image, quint16 recordType, quint16 instance, qint16 width, qint16 height,
                      quint16 scaleX, quint16 scaleY)
{
    return docPictureData(officeArtStoreEntry(officeArtBitmap(recordType, instance, image)), width, height, scaleX,
                          scaleY);
}

QByteArray docPictureData(const QByteArray& records, qint16 width, qint16 height, quint16 scaleX, quint16 scaleY)
{
    // A descriptor, then the picture's shape and the records after it.
    QByteArray picf(68, '\0');
    put16(picf, 4, 68);
    put16(picf, 6, 0x64);
    put16(picf, 28, quint16(width));
    put16(picf, 30, quint16(height));
    put16(picf, 32, scaleX);
    put16(picf, 34, scaleY);
    QByteArray data = picf + officeArtContainer(kOfficeArtShapeContainer, {}) + records;
    put32(data, 0, quint32(data.size()));
    return data;
}

} // namespace testsupport
