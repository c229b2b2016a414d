// Converts 50 small HTML documents (style sheet, image, a few paragraphs) to
// PDF in one run, one converter object per document as the batch does, and
// reports the time per document. The style sheet asks for the paper and
// margins the converter is given, so that a browser printing the same files
// with its own defaults (compare_html_chromium.sh) prints the same pages.
//   bench_HTMLToPDF [folder]   (default: bench/out/html)
// With --large it prints one document of 8,000 pages instead (some 10 MB of
// HTML), which must print whole, and reports its time and memory.
//   bench_HTMLToPDF --large [folder]
#include "bench/BenchSupport.h"
#include "engine/HTMLToPDF.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <poppler-qt6.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDocuments = 50;

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray document(int index)
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=utf-8><title>Document "
                    + QByteArray::number(index)
                    + "</title><link rel=stylesheet href=style.css></head><body>"
                      "<h1>Document " + QByteArray::number(index) + "</h1>"
                      "<img src=logo.png width=96 height=96>";
    for (int p = 0; p < 8 + index % 12; ++p)
        html += "<p>Paragraph " + QByteArray::number(p)
              + " with <b>bold</b>, <i>italic</i> and <a href='#x'>a link</a>; enough words "
                "to wrap over more than one line of the printed page, café and € signs.</p>";
    html += "<table><tr><th>a</th><th>b</th></tr><tr><td>1</td><td>2</td></tr></table>"
            "</body></html>";
    return html;
}

void writeInputs(const QString& folder)
{
    QDir().mkpath(folder);
    writeBytes(folder + "/style.css",
               "@page { size: A4; margin: 72pt; }\n"
               "body { font: 11pt 'DejaVu Sans'; color: #222; }\n"
               "h1 { color: #036; border-bottom: 2px solid #036; }\n"
               "table { border-collapse: collapse; } td, th { border: 1px solid #999; padding: 4px; }\n");
    QImage logo(96, 96, QImage::Format_RGB32);
    logo.fill(QColor(0, 102, 204));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    writeBytes(folder + "/logo.png", png);
    for (int i = 1; i <= kDocuments; ++i)
        writeBytes(QStringLiteral("%1/doc%2.html").arg(folder).arg(i, 2, 10, QLatin1Char('0')),
                   document(i));
}

int pagesOf(const QString& path)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    return pdf ? pdf->numPages() : 0;
}

constexpr int kLargePages = 8000;

// Every part starts a page and fits on it.
QByteArray largeDocument()
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=utf-8><style>"
                      "body { font: 11pt 'DejaVu Sans'; } .page { break-after: page; }"
                      "</style></head><body>";
    for (int page = 1; page <= kLargePages; ++page) {
        html += "<div class=page><h2>Part " + QByteArray::number(page) + "</h2>";
        for (int p = 0; p < 3; ++p)
            html += "<p>Paragraph " + QByteArray::number(p)
                  + " of the part, with <b>bold</b> and <i>italic</i> words, long enough to "
                    "wrap over several lines of the printed page; caf\xc3\xa9 and "
                    "\xe2\x82\xac signs, the quick brown fox jumps over the lazy dog again and "
                    "again, and once more for good measure.</p>";
        html += "</div>";
    }
    return html + "</body></html>";
}

int runLarge(const QString& folder)
{
    QDir().mkpath(folder);
    const QString input = folder + "/large.html";
    const QString output = folder + "/large.pdf";
    writeBytes(input, largeDocument());
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    bench::runOnWorker([&] {
        HTMLToPDF converter;
        converter.Init(595.2756, 841.8898, 72, 72, 72, 72, 0, {});
        converter.SetTempDestinationURL(QUrl::fromLocalFile(output));
        ok = converter.SaveAsPDF(QUrl::fromLocalFile(input));
    });
    QCoreApplication::processEvents();
    const int pages = pagesOf(output);
    std::printf("ours: %.1f MB of HTML, %s, %d pages of %d, %.1f s, peak RSS %ld MB\n",
                QFile(input).size() / 1e6, ok ? "ok" : "FAILED", pages, kLargePages,
                timer.nsecsElapsed() / 1e9, bench::peakKilobytes() / 1024);
    return ok && pages == kLargePages ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (getuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QApplication app(argc, argv);
    const bool large = argc > 1 && qstrcmp(argv[1], "--large") == 0;
    const int folderArgument = large ? 2 : 1;
    const QString folder = QDir(argc > folderArgument ? QString::fromLocal8Bit(argv[folderArgument])
                                                      : QStringLiteral("bench/out/html")).absolutePath();
    if (large)
        return runLarge(folder);
    const QString outFolder = folder + "/ours";
    writeInputs(folder);
    QDir().mkpath(outFolder);

    std::vector<double> seconds;
    int failures = 0;
    int pages = 0;
    QElapsedTimer total;
    total.start();
    // The main thread runs its event loop, as the application does.
    bench::runOnWorker([&] {
        for (int i = 1; i <= kDocuments; ++i) {
            const QString name = QStringLiteral("doc%1").arg(i, 2, 10, QLatin1Char('0'));
            QElapsedTimer timer;
            timer.start();
            HTMLToPDF converter;
            converter.Init(595.2756, 841.8898, 72, 72, 72, 72, 0, {});
            converter.SetTempDestinationURL(QUrl::fromLocalFile(outFolder + "/" + name + ".pdf"));
            if (!converter.SaveAsPDF(QUrl::fromLocalFile(folder + "/" + name + ".html")))
                ++failures;
            seconds.push_back(timer.nsecsElapsed() / 1e9);
        }
    });
    // The last web view is torn down on the main thread.
    QCoreApplication::processEvents();
    const double all = total.nsecsElapsed() / 1e9;
    for (int i = 1; i <= kDocuments; ++i)
        pages += pagesOf(QStringLiteral("%1/doc%2.pdf").arg(outFolder).arg(i, 2, 10, QLatin1Char('0')));

    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    std::printf("ours: %d documents, %d failed, %d pages, total %.2f s, %.3f s/document "
                "(first %.3f s, median %.3f s, slowest %.3f s), peak RSS %ld MB\n",
                kDocuments, failures, pages, all, all / kDocuments, seconds.front(),
                sorted[sorted.size() / 2], sorted.back(), bench::peakKilobytes() / 1024);
    return failures == 0 ? 0 : 1;
}
