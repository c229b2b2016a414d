#include "platform/ui/TemplateIcon.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

#include <memory>

namespace platform::ui {

namespace {

class TemplateIconEngine final : public QIconEngine {
public:
    explicit TemplateIconEngine(const QByteArray& svg) : m_svg(svg) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage image = render(rect.size() * ratio, mode);
        image.setDevicePixelRatio(ratio);
        painter->drawImage(rect, image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        return QPixmap::fromImage(render(size, mode));
    }

    QIconEngine* clone() const override { return new TemplateIconEngine(m_svg); }
    QString key() const override { return QStringLiteral("TemplateIconEngine"); }

private:
    QImage render(const QSize& size, QIcon::Mode mode) const
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(m_svg);
        if (!renderer.isValid() || size.isEmpty())
            return image;
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        // Keep the drawing's coverage, take the colour from the theme.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), tint(mode));
        return image;
    }

    static QColor tint(QIcon::Mode mode)
    {
        const QPalette palette = QApplication::palette();
        switch (mode) {
        case QIcon::Disabled:
            return palette.color(QPalette::Disabled, QPalette::ButtonText);
        case QIcon::Selected:
            return palette.color(QPalette::Active, QPalette::HighlightedText);
        default:
            return palette.color(QPalette::Active, QPalette::ButtonText);
        }
    }

    QByteArray m_svg;
};

} // namespace

QIcon templateIcon(const QString& svgPath)
{
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray svg = file.readAll();
    if (!QSvgRenderer(svg).isValid())
        return {};
    return QIcon(new TemplateIconEngine(svg));
}

} // namespace platform::ui
