// The file table's data source: rows and cell values.
#include "app/AppDelegate.h"

#include <QIcon>
#include <QToolButton>

namespace {

// Angles shown are within one turn either way.
constexpr std::int64_t kLargestShownAngle = 359;

QString angleText(const QVariant& angle)
{
    std::int64_t degrees = angle.toLongLong();
    if (degrees < -kLargestShownAngle || degrees > kLargestShownAngle)
        degrees = 0;
    return QString::number(degrees) + QChar(0x02DA);
}

QString sizeText(const QVariantMap& entry)
{
    const QVariant width = entry.value(SourceFileKey::Width);
    const QVariant height = entry.value(SourceFileKey::Height);
    if (!width.isValid() || !height.isValid())
        return QStringLiteral("-");
    return QString::asprintf("%.0f x %.0f", width.toDouble(), height.toDouble());
}

} // namespace

int AppDelegate::numberOfRowsInTableView() const
{
    return int(imageArray.size());
}

QVariant AppDelegate::objectValueForTableColumn(const QString& identifier, int row) const
{
    if (row < 0 || row >= imageArray.size() || !imageArray[row])
        return {};
    const QVariantMap& entry = *imageArray[row];
    if (identifier == QLatin1String("FilePath"))
        return entry.value(SourceFileKey::FilePath).toUrl().toLocalFile();
    if (identifier == QLatin1String("Kind"))
        return entry.value(SourceFileKey::Kind).toString();
    if (identifier == QLatin1String("Index"))
        return QString::number(row + 1);
    if (identifier == QLatin1String("Icon"))
        return entry.value(SourceFileKey::Icon);
    if (identifier == QLatin1String("Angle")) {
        const QVariant angle = entry.value(SourceFileKey::Angle);
        return angle.isValid() ? angleText(angle) : QStringLiteral("-");
    }
    if (identifier == QLatin1String("Size"))
        return sizeText(entry);
    if (identifier == QLatin1String("Page Count")) {
        const QVariant pages = entry.value(SourceFileKey::PageCount);
        return pages.isValid() ? QVariant(QString::number(pages.toLongLong())) : QVariant();
    }
    return {};
}

void AppDelegate::tableViewSelectionDidChange()
{
    SetEnabledDisabledMoveUpDownItems(!addToolbarItem->isEnabled());
}

