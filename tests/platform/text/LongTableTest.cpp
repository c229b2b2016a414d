// A ruled table of thousands of rows, as the word-processing readers build
// it, printed and read back with Poppler: every row once and in order, each
// page as full as the row height allows, and the table's lines on every page.
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TableLook.h"
#include "platform/text/TextPrinter.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QTextDocument>
#include <gtest/gtest.h>

#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace platform::text;

namespace {

constexpr int kRows = 3000;
constexpr int kColumns = 3;
constexpr double kPaperHeight = 841.9;
constexpr double kMargin = 72;

QString cellText(int row, int column) { return QStringLiteral("r%1c%2").arg(row).arg(column); }

// Single lines of one point all round and between the cells, one line of
// text in each cell.
bool buildRuledTable(QTextDocument& document)
{
    return buildDocument(document, QStringLiteral("DejaVu Sans"), 10, [](RichTextBuilder& builder) {
        TableLook look;
        const BorderLine line{1.0, QTextFrameFormat::BorderStyle_Solid, Qt::black};
        for (auto& edge : look.whole.borders)
            edge = line;
        look.whole.insideHorizontal = line;
        look.whole.insideVertical = line;
        builder.beginTable(QList<double>(kColumns, 120.0), look);
        for (int r = 0; r < kRows; ++r) {
            builder.beginRow();
            for (int c = 0; c < kColumns; ++c) {
                builder.beginCell();
                builder.addText(cellText(r, c), {});
            }
            builder.endRow();
        }
        builder.endTable();
        return true;
    });
}

struct PrintedRow {
    int page;
    double top; // points from the paper's top
};

// Rows by the words of their first column, page by page from the top, each
// line from the left; the other columns' words must follow each on its row.
QList<PrintedRow> printedRows(Poppler::Document& pdf, int& misplaced)
{
    QList<PrintedRow> rows;
    misplaced = 0;
    int expected = 0; // the cell word that must come next
    for (int p = 0; p < pdf.numPages(); ++p) {
        const std::unique_ptr<Poppler::Page> page = pdf.page(p);
        QList<QPair<QRectF, QString>> words;
        for (const auto& box : page->textList())
            if (box->text().startsWith(QLatin1Char('r')))
                words.append({box->boundingBox(), box->text()});
        std::sort(words.begin(), words.end(), [](const auto& a, const auto& b) {
            return std::abs(a.first.top() - b.first.top()) > 2 ? a.first.top() < b.first.top()
                                                               : a.first.left() < b.first.left();
        });
        for (const auto& [box, text] : words) {
            if (text != cellText(expected / kColumns, expected % kColumns)) {
                ++misplaced;
                continue;
            }
            if (expected % kColumns == 0)
                rows.append({p, box.top()});
            ++expected;
        }
    }
    return rows;
}

// Rows of pixels dark across most of the table's width, and columns dark
// down most of the table's part of the page: the table's lines.
struct Lines {
    int horizontal = 0;
    int vertical = 0;
};

Lines linesOn(const QImage& page, const QRect& table)
{
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    const auto dark = [&](int x, int y) { return qGray(gray.pixel(x, y)) < 160; };
    Lines lines;
    for (int y = table.top(); y <= table.bottom(); ++y) {
        int count = 0;
        for (int x = table.left(); x <= table.right(); ++x)
            count += dark(x, y);
        lines.horizontal += count > 0.9 * table.width();
    }
    for (int x = table.left(); x <= table.right(); ++x) {
        int count = 0;
        for (int y = table.top(); y <= table.bottom(); ++y)
            count += dark(x, y);
        lines.vertical += count > 0.9 * table.height();
    }
    return lines;
}

class LongTableTest : public testsupport::TemporaryFolderTest {};

TEST_F(LongTableTest, EveryRowPrintsOnceInOrderOnFullPagesWithItsLines)
{
    QTextDocument document;
    ASSERT_TRUE(buildRuledTable(document));
    PrintSettings settings;
    settings.paperSize = QSizeF(595.3, kPaperHeight);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = kMargin;
    const QString pdfPath = path("table.pdf");
    ASSERT_TRUE(printToPDF(document, settings, pdfPath));

    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath);
    ASSERT_TRUE(pdf);
    int misplaced = 0;
    const QList<PrintedRow> rows = printedRows(*pdf, misplaced);
    EXPECT_EQ(misplaced, 0) << "cell texts out of order or printed twice";
    ASSERT_EQ(rows.size(), kRows);

    // The rows' pitch on the first page gives how many fit on a page; each
    // page but the last holds that many, and the page count follows.
    ASSERT_EQ(rows[0].page, 0);
    ASSERT_EQ(rows[2].page, 0);
    const double pitch = (rows[2].top - rows[1].top);
    ASSERT_GT(pitch, 10);
    const int perPage = int(std::floor((kPaperHeight - 2 * kMargin) / pitch));
    const int pages = (kRows + perPage - 1) / perPage;
    EXPECT_EQ(pdf->numPages(), pages);
    for (int r = 0; r < kRows; ++r)
        ASSERT_EQ(rows[r].page, r / perPage) << "row " << r;

    // The lines between the rows and the columns, and the table's edges,
    // are drawn on every page of the table.
    for (int p = 0; p < pdf->numPages(); ++p) {
        const int rowsHere = std::min(perPage, kRows - p * perPage);
        const double top = rows[p * perPage].top;
        const double bottom = rows[p * perPage + rowsHere - 1].top + pitch * 0.6;
        const QRect table(int(kMargin) - 2, int(top), kColumns * 120 + 4, int(bottom - top));
        const Lines lines = linesOn(testsupport::renderPdfPage(pdfPath, p, 72), table);
        EXPECT_GE(lines.horizontal, rowsHere - 1) << "page " << p;
        EXPECT_GE(lines.vertical, kColumns + 1) << "page " << p;
    }
}

} // namespace
