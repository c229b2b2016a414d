// Merges many PDFs into one with a bookmark per input and reports the time
// and the peak memory.
//   bench_MergePDFs generate <folder> [inputs=200] [pages=10]
//   bench_MergePDFs merge <folder> <output.pdf>
// See compare_merge_qpdf.sh for the side-by-side run against the qpdf tool.
#include "bench/BenchSupport.h"
#include "engine/AllToPDFConverter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>


#include <cstdio>

namespace {

void writeInput(const QString& path, int input, int pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        for (int line = 0; line < 40; ++line)
            painter.drawText(QPointF(50, 60 + 18 * line),
                             QStringLiteral("Input %1, page %2, line %3: the quick brown fox "
                                            "jumps over the lazy dog.")
                                 .arg(input)
                                 .arg(page)
                                 .arg(line));
        painter.drawRect(QRectF(40, 40, 515, 760));
    }
}

int generate(const QString& folder, int inputs, int pages)
{
    QDir().mkpath(folder);
    for (int i = 0; i < inputs; ++i)
        writeInput(QStringLiteral("%1/in%2.pdf").arg(folder).arg(i, 3, 10, QLatin1Char('0')), i,
                   pages);
    std::printf("%d inputs of %d pages in %s\n", inputs, pages, qPrintable(folder));
    return 0;
}

int merge(const QString& folder, const QString& output)
{
    AllToPDFConversionOptions options;
    options.destination = QUrl::fromLocalFile(QFileInfo(output).absoluteFilePath());
    options.singlePDF = 1;
    options.outlinePerInput = 1;
    const QStringList names = QDir(folder).entryList({"*.pdf"}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        options.sources << MakeSourceFileEntry(QUrl::fromLocalFile(QDir(folder).absoluteFilePath(name)),
                                               FileKindPDF);
    const long before = bench::peakKilobytes();
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    bench::runOnWorker([&] { ok = ConvertDocumentsToPDF(&options); });
    std::printf("merge %s  %d inputs  %.3f s  peak RSS %ld MB (%ld MB before the merge)\n",
                ok ? "ok  " : "FAIL", int(names.size()), timer.nsecsElapsed() / 1e9,
                bench::peakKilobytes() / 1024, before / 1024);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "generate")
        return generate(args[2], args.size() > 3 ? args[3].toInt() : 200,
                        args.size() > 4 ? args[4].toInt() : 10);
    if (args.size() >= 4 && args[1] == "merge")
        return merge(args[2], args[3]);
    std::fprintf(stderr, "usage: %s generate <folder> [inputs] [pages] | merge <folder> <out.pdf>\n",
                 argv[0]);
    return 2;
}
