// Converts many small documents of one kind in one run, merged into one PDF
// and one PDF each, and reports the time per document: what a run costs for
// each document beyond the document's own work.
//   bench_SmallDocuments <folder> [kind=text|pdf|web] [count=100]
#include "bench/BenchSupport.h"
#include "engine/AllToPDFConverter.h"
#include "platform/DictionaryKeys.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

using namespace platform;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray words(int index)
{
    return "Document " + QByteArray::number(index)
         + ": a few words, enough for one short paragraph of one page.";
}

// One small input of kind; its entry's file kind.
int writeInput(const QString& kind, const QString& path, int index)
{
    if (kind == "pdf") {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        painter.drawText(QPointF(72, 90), QString::fromLatin1(words(index)));
        return FileKindPDF;
    }
    if (kind == "web") {
        writeBytes(path, "<!DOCTYPE html><html><body><p>" + words(index) + "</p></body></html>");
        return FileKindWeb;
    }
    writeBytes(path, words(index) + "\n");
    return FileKindText;
}

AllToPDFConversionOptions job(const QString& folder, const QString& kind, int count, bool merged)
{
    AllToPDFConversionOptions options;
    options.pageWidth = 595.2756;
    options.pageHeight = 841.8898;
    options.leftMargin = options.rightMargin = options.topMargin = options.bottomMargin = 72;
    options.textAttributes = {{keys::NSFontAttributeName, QFont(QStringLiteral("DejaVu Sans"), 12)}};
    options.singlePDF = merged ? 1 : 0;
    options.outlinePerInput = merged ? 1 : 0;
    const QString extension = kind == "web" ? "html" : kind == "pdf" ? "pdf" : "txt";
    const QString in = folder + "/in-" + kind;
    QDir().mkpath(in);
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/doc%2.%3").arg(in).arg(i, 4, 10, QLatin1Char('0')).arg(extension);
        const int fileKind = writeInput(kind, path, i);
        options.sources << MakeSourceFileEntry(QUrl::fromLocalFile(path), fileKind);
    }
    const QString out = folder + "/out-" + kind;
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    options.destination = QUrl::fromLocalFile(merged ? out + "/merged.pdf" : out);
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (getuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [text|pdf|web] [count]\n", argv[0]);
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString kind = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("text");
    const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100;
    int failures = 0;
    for (const bool merged : {true, false}) {
        AllToPDFConversionOptions options = job(folder, kind, count, merged);
        QElapsedTimer timer;
        timer.start();
        bool ok = false;
        bench::runOnWorker([&] { ok = ConvertDocumentsToPDF(&options); });
        const double seconds = timer.nsecsElapsed() / 1e9;
        QCoreApplication::processEvents();
        failures += ok ? 0 : 1;
        std::printf("%-4s %-8s %d documents  %s  %.3f s  %.1f ms per document\n", qPrintable(kind),
                    merged ? "merged" : "separate", count, ok ? "ok  " : "FAIL", seconds,
                    1000 * seconds / count);
    }
    std::printf("peak RSS %ld MB\n", bench::peakKilobytes() / 1024);
    return failures == 0 ? 0 : 1;
}
