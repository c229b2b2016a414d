#include "tests/support/StyledTextPdf.h"

#include "platform/text/TextPrinter.h"

#include <QTextCursor>
#include <QTextDocument>

namespace testsupport {

QList<StyledRun> styledPageRuns(int pageNumber)
{
    return {
        {QStringLiteral("Chapter %1").arg(pageNumber), 18, false, false, Qt::black},
        {QStringLiteral("Plain words then "), 12, false, false, Qt::black},
        {QStringLiteral("bold words"), 12, true, false, Qt::black},
        {QStringLiteral(" and "), 12, false, false, Qt::black},
        {QStringLiteral("italic words"), 12, false, true, Qt::black},
        {QStringLiteral(" and "), 12, false, false, Qt::black},
        {QStringLiteral("red words"), 12, false, false, Qt::red},
        {QStringLiteral(" end."), 12, false, false, Qt::black},
    };
}

bool writeStyledTextPdf(const QString& path, int pageCount)
{
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    QTextCursor cursor(&document);
    for (int page = 1; page <= pageCount; ++page) {
        const QList<StyledRun> runs = styledPageRuns(page);
        for (qsizetype i = 0; i < runs.size(); ++i) {
            // The heading opens each page; the rest is one paragraph.
            if (i < 2 && (page > 1 || i == 1)) {
                QTextBlockFormat block;
                if (i == 0)
                    block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                cursor.insertBlock(block);
            }
            QTextCharFormat format;
            format.setFontFamilies({QStringLiteral("DejaVu Sans")});
            format.setFontPointSize(runs[i].points);
            format.setFontWeight(runs[i].bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(runs[i].italic);
            format.setForeground(runs[i].color);
            cursor.insertText(runs[i].text, format);
        }
    }
    platform::text::PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    return platform::text::printToPDF(document, settings, path);
}

} // namespace testsupport
