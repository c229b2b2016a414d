// PDF to text: makes a PDF of styled pages with our own text printing, then
// times the text export of it.
//   bench_PDFToText generate <pdf> [pages]           (default 500 pages)
//   bench_PDFToText export <pdf> <folder> [format] [runs]
// format is a TextExportType (1 plain UTF-8 ... 7 OpenDocument text); the
// export runs on a worker thread as the engine's jobs do, and the fastest of
// runs (default 3) is reported.
#include "bench/BenchSupport.h"
#include "pdfdecode/PDFTextExporter.h"
#include "platform/text/TextPrinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>

namespace {

const char* const kExtensions[] = {"", "txt", "txt", "rtf", "rtfd", "doc", "docx", "odt"};

// Each page: a heading and ten paragraphs of some four lines, with bold,
// italic and coloured runs, then a page break.
bool generate(const QString& pdf, int pages)
{
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 11));
    QTextCursor cursor(&document);
    QTextCharFormat plain, bold, italic, red, heading;
    bold.setFontWeight(QFont::Bold);
    italic.setFontItalic(true);
    red.setForeground(QColor(200, 0, 0));
    heading.setFontPointSize(16);
    heading.setFontWeight(QFont::Bold);
    for (int page = 1; page <= pages; ++page) {
        QTextBlockFormat first;
        if (page > 1)
            first.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        if (page > 1)
            cursor.insertBlock(first);
        cursor.insertText(QStringLiteral("Section %1").arg(page), heading);
        for (int paragraph = 1; paragraph <= 10; ++paragraph) {
            cursor.insertBlock(QTextBlockFormat());
            cursor.insertText(QStringLiteral("Paragraph %1.%2 sets out the matter plainly, ").arg(page).arg(paragraph),
                              plain);
            cursor.insertText(QStringLiteral("with a bold claim"), bold);
            cursor.insertText(QStringLiteral(", an "), plain);
            cursor.insertText(QStringLiteral("italic aside"), italic);
            cursor.insertText(QStringLiteral(" and a "), plain);
            cursor.insertText(QStringLiteral("red warning"), red);
            cursor.insertText(QStringLiteral(", then runs on long enough to wrap over a few lines of the page, as "
                                             "the body text of a report or a book would, caf\u00e9 and \u20ac signs "
                                             "included, before it ends."),
                              plain);
        }
    }
    platform::text::PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    return platform::text::printToPDF(document, settings, pdf);
}

int exportText(const QString& pdf, const QString& folder, int format, int runs)
{
    QDir().mkpath(folder);
    double best = -1;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        PDFTextExportOptions options;
        options.source = QUrl::fromLocalFile(pdf);
        options.destination = QUrl::fromLocalFile(folder);
        options.baseName = QStringLiteral("run%1").arg(run);
        options.extension = QString::fromLatin1(kExtensions[format]);
        options.format = format;
        QElapsedTimer timer;
        timer.start();
        bench::runOnWorker([&] {
            try {
                PDFTextExporter exporter(&options);
                ok = ExportPDFText(&exporter) && ok;
            } catch (int) {
                ok = false;
            }
        });
        const double seconds = timer.nsecsElapsed() / 1e9;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    std::printf("ours, format %d: %s  best of %d: %.3f s  peak RSS %ld MB\n", format, ok ? "ok" : "FAIL", runs, best,
                bench::peakKilobytes() / 1024);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == u"generate")
        return generate(args[2], args.size() > 3 ? args[3].toInt() : 500) ? 0 : 1;
    if (args.size() >= 4 && args[1] == u"export") {
        const int format = args.size() > 4 ? args[4].toInt() : 1;
        if (format < 1 || format > 7)
            return 2;
        return exportText(args[2], args[3], format, args.size() > 5 ? args[5].toInt() : 3);
    }
    std::fprintf(stderr, "usage: bench_PDFToText generate <pdf> [pages] | export <pdf> <folder> [format] [runs]\n");
    return 2;
}
