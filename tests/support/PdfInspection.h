#pragma once
// Looking at a written PDF independently of our own PDF layer, through
// Poppler directly, so tests do not check the layer with itself.
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace testsupport {

struct PdfFacts {
    int pageCount = 0;
    QList<QSizeF> pageSizes;  // points, as displayed (rotation applied)
    QStringList pageTexts;
    QStringList fontNames;    // base font names of every page
    bool encrypted = false;
    QString title, author, subject, keywords;
    bool okToPrint = true;
    bool okToCopy = true;
};

// Opens path with an optional password; empty when Poppler cannot open it
// or the password does not unlock it.
std::optional<PdfFacts> inspectPdf(const QString& path, const QString& password = {});

// The text of each page, white space folded; empty when Poppler cannot open
// the file.
QStringList foldedPageTexts(const QString& path);

// True when Poppler cannot open the file without a password.
bool needsPassword(const QString& path);

// A word of a page as Poppler reads it, its box in points from the page's
// top-left corner.
struct PdfWord {
    QString text;
    QRectF box;
};
// The words of one page in Poppler's reading order; empty when Poppler
// cannot open the file or has no such page.
QList<PdfWord> pageWords(const QString& path, int pageIndex);

// Renders one page at the given resolution (dots per inch), white paper.
QImage renderPdfPage(const QString& path, int pageIndex, double dpi = 72);

} // namespace testsupport
