#include "platform/text/TextDefaults.h"

#include <QImage>

namespace platform::text {

QString defaultFontFamily()
{
    return QStringLiteral("Helvetica");
}

QFont defaultTextFont()
{
    QFont font(defaultFontFamily());
    font.setPointSizeF(12);
    return font;
}

double defaultLayoutDpi()
{
    const int dpi = QImage(1, 1, QImage::Format_Mono).logicalDpiY();
    return dpi > 0 ? dpi : 72.0;
}

double layoutUnitsPerPoint()
{
    return defaultLayoutDpi() / 72.0;
}

} // namespace platform::text
