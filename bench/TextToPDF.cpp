// Prints a large plain-text file and a large RTF file to PDF and reports the
// time, the pages per second and the peak memory.
//   bench_TextToPDF [folder]   (default: bench/out)
#include "bench/BenchSupport.h"
#include "engine/TextDocumentPDFConverter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <poppler-qt6.h>

#include <cstdio>

namespace {

QByteArray plainText(int bytes)
{
    QByteArray text;
    int line = 0;
    while (text.size() < bytes)
        text += "Line " + QByteArray::number(++line)
              + ": the quick brown fox jumps over the lazy dog, again and again.\n";
    return text;
}

QByteArray richText(int bytes)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\froman Times;}}"
                     "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\n";
    int paragraph = 0;
    while (rtf.size() < bytes) {
        ++paragraph;
        rtf += "\\pard\\f0\\fs24 Paragraph " + QByteArray::number(paragraph)
             + " with {\\b bold}, {\\i italic}, {\\cf1 red} and {\\f1\\fs28\\cf2 blue serif} words, "
               "caf\\'e9 and \\u8364? signs, long enough to wrap over more than one line of the page.\\par\n";
    }
    return rtf + "}";
}

int pagesOf(const QString& path)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    return document ? document->numPages() : 0;
}

void run(const QString& name, const QString& source, const QString& output)
{
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    bench::runOnWorker([&] {
        TextDocumentPDFConverter converter;
        converter.SetOptionsFromAllToPDFOptions(595.3, 841.9, 72, 72, 72, 72, 0, {}, {}, 0);
        ok = converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source), QUrl::fromLocalFile(output));
    });
    const double seconds = timer.nsecsElapsed() / 1e9;
    const int pages = pagesOf(output);
    std::printf("%-12s %s  %6.3f s  %5d pages  %8.1f pages/s  input %.1f MB  peak RSS %ld MB\n",
                qPrintable(name), ok ? "ok  " : "FAIL", seconds, pages, pages / seconds,
                QFile(source).size() / 1e6, bench::peakKilobytes() / 1024);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/out");
    QDir().mkpath(folder);
    const QString text = folder + "/plain-1MB.txt";
    const QString rtf = folder + "/large.rtf";
    QFile t(text);
    t.open(QIODevice::WriteOnly);
    t.write(plainText(1 << 20));
    t.close();
    QFile r(rtf);
    r.open(QIODevice::WriteOnly);
    r.write(richText(2 << 20));
    r.close();
    run("plain 1 MB", text, folder + "/plain-1MB.pdf");
    run("RTF 2 MB", rtf, folder + "/large.pdf");
    return 0;
}
