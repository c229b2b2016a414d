#include "tests/platform/pdf/PdfTestFixtures.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace pdftest {

QByteArray makePdf(const QList<PageSpec>& pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    const auto layoutFor = [](const PageSpec& spec) {
        return QPageLayout(QPageSize(spec.size, QPageSize::Point), QPageLayout::Portrait, QMarginsF());
    };
    if (!pages.isEmpty())
        writer.setPageLayout(layoutFor(pages.first()));
    QPainter painter(&writer);
    for (int i = 0; i < pages.size(); ++i) {
        const PageSpec& spec = pages[i];
        if (i > 0) {
            writer.setPageLayout(layoutFor(spec));
            writer.newPage();
        }
        if (!spec.text.isEmpty()) {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(12);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(20, 30), spec.text);
        }
        if (spec.blackSquare)
            painter.fillRect(*spec.blackSquare, Qt::black);
    }
    painter.end();
    return bytes;
}

QByteArray makeNumberedPdf(int pageCount)
{
    QList<PageSpec> pages;
    for (int i = 1; i <= pageCount; ++i)
        pages.append(PageSpec{QSizeF(200, 300), QStringLiteral("Page %1").arg(i), std::nullopt});
    return makePdf(pages);
}

} // namespace pdftest
