// A long word-processing document made mostly of tables, printed by our
// engine; compare_long_tables.sh times it against LibreOffice at several
// sizes to show how the time grows with the document.
//   bench_LongTables generate <document.docx> [scale=1]
//   bench_LongTables print <document.docx> <output.pdf>
// At scale 1 the document holds a heading, paragraphs and one ruled table of
// 4 columns and 4,000 rows: some 170 pages; the table grows with the scale.
#include "engine/TextDocumentPDFConverter.h"
#include "platform/text/ZipWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <poppler-qt6.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kRowsPerScale = 4000;

QByteArray paragraph(const QByteArray& text, bool bold = false)
{
    return "<w:p><w:r>" + QByteArray(bold ? "<w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr>" : "") + "<w:t>" + text
           + "</w:t></w:r></w:p>";
}

QByteArray cell(int twips, const QByteArray& text)
{
    return "<w:tc><w:tcPr><w:tcW w:w=\"" + QByteArray::number(twips) + "\" w:type=\"dxa\"/></w:tcPr>"
           + paragraph(text) + "</w:tc>";
}

// Descriptions take two lines, every third one three.
QByteArray row(int index)
{
    const QByteArray n = QByteArray::number(100000 + index);
    QByteArray description = "Delivery " + n + " of assorted parts with the packing list";
    if (index % 3 == 0)
        description += ", customs papers and the signed receipt of the carrier";
    return "<w:tr>" + cell(1400, "R" + n) + cell(4200, description) + cell(1700, QByteArray::number(index * 37 % 1000) + " kg")
           + cell(1700, QByteArray::number(index * 7919 % 100000) + ".00") + "</w:tr>";
}

QByteArray table(int rows)
{
    QByteArray xml = "<w:tbl><w:tblPr><w:tblW w:w=\"9000\" w:type=\"dxa\"/><w:tblBorders>";
    for (const char* edge : {"top", "left", "bottom", "right", "insideH", "insideV"})
        xml += QByteArray("<w:") + edge + " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>";
    xml += "</w:tblBorders><w:tblCellMar><w:left w:w=\"108\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
           "</w:tblCellMar></w:tblPr><w:tblGrid><w:gridCol w:w=\"1400\"/><w:gridCol w:w=\"4200\"/>"
           "<w:gridCol w:w=\"1700\"/><w:gridCol w:w=\"1700\"/></w:tblGrid>";
    for (int r = 0; r < rows; ++r)
        xml += row(r);
    return xml + "</w:tbl>";
}

QByteArray documentXml(int rows)
{
    QByteArray body = paragraph("Deliveries of the year", true);
    body += paragraph("The deliveries are listed below, one to a row, with the weight and the amount charged for "
                      "each; the list is long, as a year's records are.");
    body += paragraph("Amounts are in the currency of the invoice.");
    body += table(rows);
    body += paragraph("End of the list.");
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
           + body
           + "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
             "w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>"
             "</w:body></w:document>";
}

// Both programs start from the same defaults: DejaVu Sans at 10 points,
// single lines, no space between paragraphs.
QByteArray stylesXml()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:docDefaults>"
           "<w:rPrDefault><w:rPr><w:rFonts w:ascii=\"DejaVu Sans\" w:hAnsi=\"DejaVu Sans\" w:cs=\"DejaVu Sans\"/>"
           "<w:sz w:val=\"20\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>"
           "<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault>"
           "</w:docDefaults></w:styles>";
}

int generate(const QString& path, double scale)
{
    if (!(scale > 0 && scale <= 100))
        scale = 1;
    const int rows = std::max(1, int(kRowsPerScale * scale));
    const QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/></Types>";
    const QByteArray rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"word/document.xml\"/></Relationships>";
    const QByteArray documentRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "styles\" Target=\"styles.xml\"/></Relationships>";
    const std::optional<QByteArray> zip = platform::text::zipArchive({
        {QStringLiteral("[Content_Types].xml"), types},
        {QStringLiteral("_rels/.rels"), rels},
        {QStringLiteral("word/_rels/document.xml.rels"), documentRels},
        {QStringLiteral("word/document.xml"), documentXml(rows)},
        {QStringLiteral("word/styles.xml"), stylesXml()},
    });
    QFile file(path);
    if (!zip || !file.open(QIODevice::WriteOnly) || file.write(*zip) != zip->size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s: a table of %d rows\n", qPrintable(path), rows);
    return 0;
}

int print(const QString& source, const QString& output)
{
    TextDocumentPDFConverter converter;
    converter.SetOptionsFromAllToPDFOptions(595.3, 841.9, 72, 72, 72, 72, 0, {}, {}, 0);
    QElapsedTimer timer;
    timer.start();
    const bool ok = converter.ConvertTextFileToPDF(QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath()),
                                                   QUrl::fromLocalFile(QFileInfo(output).absoluteFilePath()));
    const double seconds = timer.nsecsElapsed() / 1e9;
    const std::unique_ptr<Poppler::Document> pdf = ok ? Poppler::Document::load(output) : nullptr;
    std::printf("%s: %s in %.2f s, %d pages\n", qPrintable(QFileInfo(source).fileName()), ok ? "printed" : "FAILED",
                seconds, pdf ? pdf->numPages() : 0);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("generate"))
        return generate(args[2], args.size() > 3 ? args[3].toDouble() : 1.0);
    if (args.size() == 4 && args[1] == QLatin1String("print"))
        return print(args[2], args[3]);
    std::fprintf(stderr, "usage: bench_LongTables generate <document.docx> [scale]\n"
                         "       bench_LongTables print <document.docx> <output.pdf>\n");
    return 2;
}
