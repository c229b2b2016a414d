// Our word-processing readers against LibreOffice's headless PDF export:
// for each document, the time each takes to make a PDF and the character
// error rate of our PDF's text against LibreOffice's (edit distance over
// the length of LibreOffice's text, white space collapsed) and the page
// counts of both; the summary gives the median error rate and how many
// documents come within 10% of LibreOffice's page count.
//   bench_WordReaders <out folder> <document>...
#include "engine/TextDocumentPDFConverter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

struct PdfFacts {
    QString text;
    int pages = 0;
};

PdfFacts pdfFacts(const QString& path)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document)
        return {};
    QString text;
    for (int i = 0; i < document->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        if (page)
            text += page->text(QRectF()) + QLatin1Char(' ');
    }
    // Bullets and list numbers are drawn by one and typed by the other.
    text.replace(QRegularExpression(QStringLiteral("[\\x{2022}\\x{25CF}\\x{25E6}\\x{25A0}\\x{F0B7}]")), QStringLiteral(" "));
    return {text.simplified(), document->numPages()};
}

// The distance is quadratic: long texts are compared over their beginnings.
constexpr qsizetype kComparedCharacters = 20000;

qint64 editDistance(const QString& a, const QString& b)
{
    QList<qint64> previous(b.size() + 1), current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return previous[b.size()];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_WordReaders <out folder> <document>...\n");
        return 2;
    }
    const QDir out(args[1]);
    out.mkpath(QStringLiteral("ours"));
    out.mkpath(QStringLiteral("lo"));
    // LibreOffice keeps a profile of its own here: an instance started by
    // anyone else on the machine does not take the conversions over.
    const QString profile =
        QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(out.absoluteFilePath("lo-profile")).toString();
    double oursTotal = 0, loTotal = 0, errorTotal = 0;
    qint64 lengthTotal = 0;
    int count = 0, converted = 0, pagesClose = 0;
    QList<double> rates;
    std::printf("%-40s %9s %9s %8s %8s %7s %5s %5s\n", "document", "ours ms", "LO ms", "our chr", "LO chr", "CER",
                "ours", "LO");
    for (int i = 2; i < args.size(); ++i) {
        const QFileInfo source(args[i]);
        const QString ours = out.filePath(QStringLiteral("ours/") + source.fileName() + QStringLiteral(".pdf"));
        TextDocumentPDFConverter converter;
        converter.SetOptionsFromAllToPDFOptions(595.3, 841.9, 72, 72, 72, 72, 0, {}, {}, 0);
        QElapsedTimer timer;
        timer.start();
        const bool ok = converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source.absoluteFilePath()),
                                                       QUrl::fromLocalFile(ours));
        const double oursMs = timer.nsecsElapsed() / 1e6;

        const QString loFolder = out.filePath(QStringLiteral("lo/") + source.suffix());
        QDir().mkpath(loFolder);
        timer.restart();
        QProcess soffice;
        soffice.setStandardOutputFile(QProcess::nullDevice());
        soffice.setStandardErrorFile(QProcess::nullDevice());
        soffice.start(QStringLiteral("soffice"), {profile, "--headless", "--convert-to", "pdf", "--outdir", loFolder,
                                                  source.absoluteFilePath()});
        soffice.waitForFinished(300000);
        const double loMs = timer.nsecsElapsed() / 1e6;
        const QString lo = loFolder + QLatin1Char('/') + source.completeBaseName() + QStringLiteral(".pdf");

        const PdfFacts ourFacts = ok ? pdfFacts(ours) : PdfFacts();
        const PdfFacts loFacts = pdfFacts(lo);
        const QString ourText = ourFacts.text.left(kComparedCharacters);
        const QString loText = loFacts.text.left(kComparedCharacters);
        const qint64 distance = editDistance(ourText, loText);
        const double cer = loText.isEmpty() ? 0 : double(distance) / loText.size();
        std::printf("%-40s %9.1f %9.1f %8lld %8lld %6.2f%% %5d %5d%s\n", qPrintable(source.fileName().left(40)), oursMs,
                    loMs, qint64(ourText.size()), qint64(loText.size()), 100 * cer, ourFacts.pages, loFacts.pages,
                    ok ? "" : "  (ours failed)");
        oursTotal += oursMs;
        loTotal += loMs;
        errorTotal += distance;
        lengthTotal += loText.size();
        ++count;
        if (ok && ourFacts.pages > 0)
            ++converted;
        if (std::abs(ourFacts.pages - loFacts.pages) <= 0.1 * loFacts.pages)
            ++pagesClose;
        rates.append(cer);
    }
    if (count > 0) {
        std::sort(rates.begin(), rates.end());
        std::printf("%d documents, %d converted: ours %.1f ms per document, LibreOffice %.1f ms per document, "
                    "character error rate %.2f%% overall, median %.2f%%; page count within 10%% for %d\n",
                    count, converted, oursTotal / count, loTotal / count,
                    lengthTotal ? 100.0 * errorTotal / lengthTotal : 0.0, 100 * rates[rates.size() / 2], pagesClose);
    }
    return 0;
}
