#include "platform/text/PageFieldCode_p.h"

#include "platform/text/PageFurniture.h"

#include <QString>

namespace platform::text {

int pageFieldOfCode(QStringView code)
{
    const QString name = code.toString().simplified().section(QLatin1Char(' '), 0, 0).toUpper();
    if (name == u"PAGE")
        return int(PageField::PageNumber);
    if (name == u"NUMPAGES")
        return int(PageField::PageCount);
    return 0;
}

} // namespace platform::text
