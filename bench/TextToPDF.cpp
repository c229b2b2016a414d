// Prints plain text and RTF to PDF and reports the time, the pages per
// second and the peak memory.
//   bench_TextToPDF [folder]                 writes the inputs, converts each once
//   bench_TextToPDF generate <folder>        writes the inputs only
//   bench_TextToPDF convert <source> <pdf>   converts one file (A4, 72-point margins)
//   bench_TextToPDF merge <folder> <pdf>     merges every .txt of folder in one run
// Inputs: plain-1MB.txt, plain-10MB.txt, large.rtf (2 MB) and small/ with
// 200 one-line text files.
#include "bench/BenchSupport.h"
#include "engine/AllToPDFConverter.h"
#include "engine/TextDocumentPDFConverter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <poppler-qt6.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr double kA4Width = 595.3;
constexpr double kA4Height = 841.9;
constexpr double kMargin = 72;
constexpr int kSmallFiles = 200;

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

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

bool generate(const QString& folder)
{
    const QString small = folder + "/small";
    if (!QDir().mkpath(small))
        return false;
    bool ok = writeFile(folder + "/plain-1MB.txt", plainText(1 << 20))
           && writeFile(folder + "/plain-10MB.txt", plainText(10 << 20))
           && writeFile(folder + "/large.rtf", richText(2 << 20));
    for (int i = 1; i <= kSmallFiles && ok; ++i)
        ok = writeFile(small + QString::asprintf("/note-%03d.txt", i),
                       "Note " + QByteArray::number(i) + ": one line of plain text.\n");
    return ok;
}

int pagesOf(const QString& path)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    return document ? document->numPages() : 0;
}

bool convert(const QString& source, const QString& output)
{
    bool ok = false;
    bench::runOnWorker([&] {
        TextDocumentPDFConverter converter;
        converter.SetOptionsFromAllToPDFOptions(kA4Width, kA4Height, kMargin, kMargin, kMargin, kMargin,
                                                0, {}, {}, 0);
        ok = converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source), QUrl::fromLocalFile(output));
    });
    return ok;
}

bool merge(const QString& folder, const QString& output)
{
    AllToPDFConversionOptions options;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        options.sources.append(MakeSourceFileEntry(QUrl::fromLocalFile(dir.filePath(name)), FileKindText));
    options.destination = QUrl::fromLocalFile(output);
    options.singlePDF = 1;
    options.pageWidth = kA4Width;
    options.pageHeight = kA4Height;
    options.leftMargin = options.rightMargin = options.topMargin = options.bottomMargin = kMargin;
    bool ok = false;
    bench::runOnWorker([&] { ok = ConvertDocumentsToPDF(&options); });
    return ok;
}

void report(const char* name, bool ok, double seconds, const QString& input, const QString& output)
{
    const int pages = pagesOf(output);
    std::printf("%-12s %s  %6.3f s  %5d pages  %8.1f pages/s  input %.1f MB  peak RSS %ld MB\n", name,
                ok ? "ok  " : "FAIL", seconds, pages, pages / seconds, QFile(input).size() / 1e6,
                bench::peakKilobytes() / 1024);
}

void timeAll(const QString& folder)
{
    const struct {
        const char* name;
        const char* input;
        const char* output;
    } runs[] = {
        {"plain 1 MB", "plain-1MB.txt", "plain-1MB.pdf"},
        {"plain 10 MB", "plain-10MB.txt", "plain-10MB.pdf"},
        {"RTF 2 MB", "large.rtf", "large.pdf"},
    };
    for (const auto& run : runs) {
        QElapsedTimer timer;
        timer.start();
        const bool ok = convert(folder + '/' + run.input, folder + '/' + run.output);
        report(run.name, ok, timer.nsecsElapsed() / 1e9, folder + '/' + run.input, folder + '/' + run.output);
    }
    QElapsedTimer timer;
    timer.start();
    const bool ok = merge(folder + "/small", folder + "/small.pdf");
    report("200 merged", ok, timer.nsecsElapsed() / 1e9, folder + "/small/note-001.txt", folder + "/small.pdf");
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto arg = [&](int i) { return QString::fromLocal8Bit(argv[i]); };
    if (argc == 3 && std::strcmp(argv[1], "generate") == 0)
        return generate(arg(2)) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "convert") == 0)
        return convert(arg(2), arg(3)) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "merge") == 0)
        return merge(arg(2), arg(3)) ? 0 : 1;
    if (argc > 2) {
        std::fprintf(stderr, "usage: bench_TextToPDF [folder] | generate <folder> | convert <source> <pdf>"
                             " | merge <folder> <pdf>\n");
        return 2;
    }
    const QString folder = argc > 1 ? arg(1) : QStringLiteral("bench/out");
    if (!generate(folder))
        return 1;
    timeAll(folder);
    return 0;
}
