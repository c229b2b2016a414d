#include "tests/support/WordDocumentFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <zip.h>

namespace testsupport {

namespace {

const char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

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

} // namespace

QStringList sampleWords()
{
    return {"Report Title", "plain", "bold words", "italic words", "red words", "first item",
            "second item", "cell A1", "cell B1", "cell A2", "cell B2", "Page 7 end", "The end"};
}

QByteArray pngBytes(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
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
    const QByteArray document = QByteArray(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:document xmlns:w=")") + kW + R"(" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"
 xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"
 xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"
 xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"
 xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"
 xmlns:x="urn:unknown-extension">
<w:body>
<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Report Title</w:t></w:r></w:p>
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
<w:sectPr><w:headerReference w:type="default" r:id="rId9"/><w:pgSz w:w="12240" w:h="15840"/></w:sectPr>
</w:body></w:document>)";
    return {{"[Content_Types].xml", contentTypes},
            {"_rels/.rels", rels},
            {"word/_rels/document.xml.rels", documentRels},
            {"word/document.xml", document},
            {"word/styles.xml", styles},
            {"word/numbering.xml", numbering},
            {"word/media/image1.png", pngBytes(40, 40, Qt::blue)}};
}

QByteArray sampleDocx()
{
    return zipBytes(sampleDocxEntries());
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

} // namespace

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
            {"Pictures/image1.png", pngBytes(40, 40, Qt::blue)}};
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
           + odtBody("<draw:image><office:binary-data>" + pngBytes(40, 40, Qt::blue).toBase64()
                     + "</office:binary-data></draw:image>")
           + "</office:document>";
}

// ---------------------------------------------------------------- Word 2003 XML

QByteArray sampleWordML()
{
    return QByteArray(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<?mso-application progid="Word.Document"?>
<w:wordDocument xmlns:w="http://schemas.microsoft.com/office/word/2003/wordml" xmlns:v="urn:schemas-microsoft-com:vml"
 xmlns:wx="http://schemas.microsoft.com/office/word/2003/auxHint" xmlns:o="urn:schemas-microsoft-com:office:office" w:macrosPresent="no">
<o:DocumentProperties><o:Title>not shown</o:Title></o:DocumentProperties>
<w:fonts><w:defaultFonts w:ascii="DejaVu Serif"/></w:fonts>
<w:lists><w:listDef w:listDefId="0"><w:lvl w:ilvl="0"><w:nfc w:val="23"/><w:lvlText w:val="·"/></w:lvl></w:listDef>
<w:list w:ilfo="1"><w:ilst w:val="0"/></w:list></w:lists>
<w:styles><w:style w:type="paragraph" w:default="on" w:styleId="Normal"><w:rPr><w:sz w:val="22"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:basedOn w:val="Normal"/><w:pPr><w:jc w:val="center"/><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/></w:rPr></w:style></w:styles>
<w:docPr><w:view w:val="print"/></w:docPr>
<w:body><wx:sect>
<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Report Title</w:t></w:r></w:p>
<w:p><w:r><w:t>plain </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>bold words</w:t></w:r><w:r><w:t> and </w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>italic words</w:t></w:r><w:r><w:t> and </w:t></w:r><w:hlink w:dest="http://example.invalid/"><w:r><w:rPr><w:color w:val="FF0000"/></w:rPr><w:t>red words</w:t></w:r></w:hlink></w:p>
<w:p><w:pPr><w:listPr><w:ilvl w:val="0"/><w:ilfo w:val="1"/></w:listPr></w:pPr><w:r><w:t>first item</w:t></w:r></w:p>
<w:p><w:pPr><w:listPr><w:ilvl w:val="0"/><w:ilfo w:val="1"/></w:listPr></w:pPr><w:r><w:t>second item</w:t></w:r></w:p>
<w:tbl><w:tblGrid><w:gridCol w:w="3000"/><w:gridCol w:w="3000"/></w:tblGrid>
<w:tr><w:tc><w:p><w:r><w:t>cell A1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>cell B1</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>cell A2</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>cell B2</w:t></w:r></w:p></w:tc></w:tr></w:tbl>
<w:p><w:r><w:pict><w:binData w:name="wordml://01000001.png">)") + pngBytes(40, 40, Qt::blue).toBase64() + R"(</w:binData>
<v:shape id="_x0000_i1025" style="width:40pt;height:40pt"><v:imagedata src="wordml://01000001.png" o:title="not shown"/></v:shape></w:pict></w:r></w:p>
<w:p><w:r><w:t>Page </w:t></w:r><w:fldSimple w:instr=" PAGE "><w:r><w:t>7</w:t></w:r></w:fldSimple><w:r><w:t> end</w:t></w:r></w:p>
<w:p><w:r><w:t>The end</w:t></w:r></w:p>
<w:sectPr><w:hdr w:type="odd"><w:p><w:r><w:t>header words</w:t></w:r></w:p></w:hdr></w:sectPr>
</wx:sect></w:body></w:wordDocument>)";
}

// ---------------------------------------------------------------- Word 97

QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams)
{
    constexpr quint32 kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
    QList<QByteArray> padded;
    for (const auto& s : streams) {
        QByteArray d = s.second;
        const qsizetype size = std::max<qsizetype>(4096, (d.size() + 511) / 512 * 512);
        d.resize(size, '\0');
        padded.append(d);
    }
    QByteArray file(512, '\0');
    file.replace(0, 8, QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8));
    put16(file, 24, 0x3E);
    put16(file, 26, 3);
    put16(file, 28, 0xFFFE);
    put16(file, 30, 9);
    put16(file, 32, 6);
    put32(file, 44, 1); // one FAT sector
    put32(file, 48, 1); // the directory in sector 1
    put32(file, 56, 4096);
    put32(file, 60, kEnd);
    put32(file, 64, 0);
    put32(file, 68, kEnd);
    put32(file, 72, 0);
    put32(file, 76, 0); // FAT in sector 0
    for (int i = 1; i < 109; ++i)
        put32(file, 76 + 4 * i, kFree);

    QList<quint32> fat(128, kFree);
    fat[0] = kFatSector;
    fat[1] = kEnd;
    quint32 next = 2;
    QList<quint32> starts;
    for (const QByteArray& d : padded) {
        const quint32 count = quint32(d.size() / 512);
        starts.append(next);
        for (quint32 k = 0; k < count; ++k)
            fat[next + k] = k + 1 < count ? next + k + 1 : kEnd;
        next += count;
    }
    QByteArray fatSector(512, '\0');
    for (int i = 0; i < 128; ++i)
        put32(fatSector, 4 * i, fat[i]);

    QByteArray directory(512, '\0');
    const auto entry = [&](int index, const QString& name, int type, quint32 child, quint32 right, quint32 start,
                           quint32 size) {
        const qsizetype at = index * 128;
        for (int i = 0; i < name.size(); ++i)
            put16(directory, at + 2 * i, name[i].unicode());
        put16(directory, at + 64, quint16((name.size() + 1) * 2));
        directory[at + 66] = char(type);
        directory[at + 67] = 1;
        put32(directory, at + 68, kFree);
        put32(directory, at + 72, right);
        put32(directory, at + 76, child);
        put32(directory, at + 116, start);
        put32(directory, at + 120, size);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, kFree, kEnd, 0);
    for (int i = 0; i < streams.size() && i < 3; ++i)
        entry(i + 1, streams[i].first, 2, kFree, i + 1 < streams.size() ? quint32(i + 2) : kFree, starts[i],
              quint32(padded[i].size()));

    file += fatSector;
    file += directory;
    for (const QByteArray& d : padded)
        file += d;
    return file;
}

namespace {

// Builds the text, piece table and formatting pages of a small Word 97 file.
class DocBuilder {
public:
    struct Run {
        QString text;
        QByteArray chpx;
    };

    // Paragraph text ends with its mark (\r, or \a in tables).
    void paragraph(const QList<Run>& runs, const QByteArray& papx = {}, quint16 istd = 0, bool eightBit = false)
    {
        const quint32 fcStart = fc();
        for (const Run& run : runs) {
            const quint32 from = fc();
            for (QChar c : run.text)
                add(c, eightBit);
            chpx_.append({from, fc(), run.chpx});
        }
        papx_.append({fcStart, fc(), le16(istd) + papx});
    }

    QByteArray build(const QByteArray& dataStream, bool encrypted = false) const
    {
        QByteArray word(5120, '\0');
        put16(word, 0, 0xA5EC);
        put16(word, 2, 0xC1);
        put16(word, 10, quint16(0x0200 | (encrypted ? 0x0100 : 0)));
        put16(word, 32, 14);
        put16(word, 62, 22);
        put32(word, 64 + 12, quint32(text8_.size() + text16_.size() / 2));
        put16(word, 152, 93);
        const auto fcLcb = [&](int index, quint32 fc, quint32 lcb) {
            put32(word, 154 + 8 * index, fc);
            put32(word, 154 + 8 * index + 4, lcb);
        };
        word.replace(k8, text8_.size(), text8_);
        word.replace(k16, text16_.size(), text16_);
        word.replace(4096, 512, fkp(chpx_, false));
        word.replace(4608, 512, fkp(papx_, true));

        QByteArray table;
        // Piece table: an 8-bit piece, then a 16-bit one.
        const quint32 cp8 = quint32(text8_.size());
        const quint32 cpAll = cp8 + quint32(text16_.size() / 2);
        QByteArray plc = le32(0) + le32(cp8) + le32(cpAll);
        plc += le16(0) + le32(quint32(k8 * 2) | 0x40000000) + le16(0);
        plc += le16(0) + le32(k16) + le16(0);
        const QByteArray clx = QByteArray("\x02") + le32(quint32(plc.size())) + plc;
        fcLcb(33, quint32(table.size()), quint32(clx.size()));
        table += clx;
        const quint32 lastFc = std::max<quint32>(k16 + quint32(text16_.size()), k8 + quint32(text8_.size()));
        const QByteArray bteChpx = le32(k8) + le32(lastFc) + le32(8);
        fcLcb(12, quint32(table.size()), quint32(bteChpx.size()));
        table += bteChpx;
        const QByteArray btePapx = le32(k8) + le32(lastFc) + le32(9);
        fcLcb(13, quint32(table.size()), quint32(btePapx.size()));
        table += btePapx;
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
        // One simple bulleted list and its override.
        QByteArray lst = le16(1);
        QByteArray lstf = le32(0x1234) + le32(0);
        lstf += QByteArray(18, '\xff');
        lstf += char(1);
        lstf += char(0);
        lst += lstf;
        QByteArray lvlf(28, '\0');
        lvlf[4] = char(23);
        lst += lvlf + le16(1) + le16(0xF0B7);
        // As Word writes it, the levels follow the counted list table.
        fcLcb(73, quint32(table.size()), 2 + 28);
        table += lst;
        QByteArray lfo = le32(1) + le32(0x1234) + QByteArray(12, '\0');
        fcLcb(74, quint32(table.size()), quint32(lfo.size()));
        table += lfo;

        return compoundFile({{"WordDocument", word}, {"1Table", table}, {"Data", dataStream}});
    }

private:
    static constexpr quint32 k8 = 1024;
    static constexpr quint32 k16 = 2048;

    struct Range {
        quint32 from, to;
        QByteArray grpprl;
    };

    quint32 fc() const { return text16_.isEmpty() ? k8 + quint32(text8_.size()) : k16 + quint32(text16_.size()); }

    void add(QChar c, bool eightBit)
    {
        if (eightBit && text16_.isEmpty())
            text8_.append(char(c.unicode()));
        else
            text16_ += le16(c.unicode());
    }

    static QByteArray fkp(const QList<Range>& ranges, bool paragraphs)
    {
        QByteArray page(512, '\0');
        const int n = int(ranges.size());
        for (int i = 0; i < n; ++i)
            put32(page, 4 * i, ranges[i].from);
        put32(page, 4 * n, ranges.isEmpty() ? 0 : ranges.last().to);
        qsizetype end = 511;
        for (int i = 0; i < n; ++i) {
            const QByteArray& g = ranges[i].grpprl;
            QByteArray blob;
            if (paragraphs) {
                if (g.size() % 2 == 1)
                    blob = char((g.size() + 1) / 2) + g;
                else
                    blob = QByteArray(1, '\0') + char(g.size() / 2) + g;
            } else {
                if (g.isEmpty())
                    continue;
                blob = char(g.size()) + g;
            }
            end -= blob.size();
            end &= ~qsizetype(1);
            page.replace(end, blob.size(), blob);
            if (paragraphs)
                page[4 * (n + 1) + 13 * i] = char(end / 2);
            else
                page[4 * (n + 1) + i] = char(end / 2);
        }
        page[511] = char(n);
        return page;
    }

    QByteArray text8_, text16_;
    QList<Range> chpx_, papx_;
};

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

} // namespace

QByteArray sampleDoc()
{
    DocBuilder b;
    const QByteArray bold = sprm8(0x0835, 1);
    const QByteArray inTable = sprm8(0x2416, 1);
    b.paragraph({{"Report Title\r", bold + sprm16(0x4A43, 32)}}, sprm8(0x2403, 1), 1, true);
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

    // The picture: its descriptor, then a shape container and a store entry
    // holding the PNG.
    const QByteArray png = pngBytes(40, 40, Qt::blue);
    QByteArray blip = le16(quint16(0x6E0 << 4)) + le16(0xF01E) + le32(quint32(17 + png.size()));
    blip += QByteArray(16, '\x11') + char(0xFF) + png;
    QByteArray fbse(36, '\0');
    fbse[0] = 6;
    fbse[1] = 6;
    QByteArray store = le16(quint16((6 << 4) | 2)) + le16(0xF007) + le32(quint32(fbse.size() + blip.size())) + fbse + blip;
    const QByteArray container = le16(0x000F) + le16(0xF004) + le32(0);
    QByteArray picf(68, '\0');
    put16(picf, 4, 68);
    put16(picf, 6, 0x64);
    put16(picf, 28, 800);
    put16(picf, 30, 800);
    put16(picf, 32, 1000);
    put16(picf, 34, 1000);
    QByteArray data = picf + container + store;
    put32(data, 0, quint32(data.size()));
    return b.build(data);
}

} // namespace testsupport
