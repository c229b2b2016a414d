#pragma once
// A PDF of styled text printed by our own text printer: each page holds a
// heading and a paragraph with bold, italic, large and red runs in the
// DejaVu fonts, so text exports have known words, fonts, sizes and colours.
#include <QColor>
#include <QString>
#include <QStringList>

namespace testsupport {

// The runs of every page, in reading order.
struct StyledRun {
    QString text;
    double points;
    bool bold;
    bool italic;
    QColor color; // black when not red
};
QList<StyledRun> styledPageRuns(int pageNumber);

// Prints pageCount pages to path (A4); false when printing failed.
bool writeStyledTextPdf(const QString& path, int pageCount);

} // namespace testsupport
