#include "app/LocalizedStrings.h"

#include "platform/PropertyList.h"

#include <QFile>

namespace {

const QVariantMap& stringsTable()
{
    static const QVariantMap table = [] {
        QFile file(QStringLiteral(":/Strings.plist"));
        if (!file.open(QIODevice::ReadOnly))
            return QVariantMap();
        const auto value = platform::readPropertyList(file.readAll());
        return value ? value->toMap() : QVariantMap();
    }();
    return table;
}

// The length of the placeholder starting at format[at] (at points at '%'),
// 0 when none starts there.
qsizetype placeholderLength(const QString& format, qsizetype at)
{
    static const QStringList placeholders = {QStringLiteral("%@"), QStringLiteral("%lld"),
                                             QStringLiteral("%ld"), QStringLiteral("%li"),
                                             QStringLiteral("%d")};
    for (const QString& placeholder : placeholders) {
        if (QStringView(format).mid(at).startsWith(placeholder))
            return placeholder.size();
    }
    return 0;
}

} // namespace

QString LocalizedString(const QString& key)
{
    const QVariant text = stringsTable().value(key);
    return text.isValid() ? text.toString() : key;
}

QString FormatString(const QString& format, const QVariantList& arguments)
{
    QString result;
    qsizetype next = 0;
    for (qsizetype at = 0; at < format.size(); ++at) {
        if (format[at] != QLatin1Char('%')) {
            result += format[at];
            continue;
        }
        if (at + 1 < format.size() && format[at + 1] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++at;
            continue;
        }
        const qsizetype length = placeholderLength(format, at);
        if (length == 0) {
            result += format[at];
            continue;
        }
        const bool whole = format[at + 1] != QLatin1Char('@');
        const QVariant argument = next < arguments.size() ? arguments[next] : QVariant();
        ++next;
        result += whole ? QString::number(argument.toLongLong()) : argument.toString();
        at += length - 1;
    }
    return result;
}

QString LocalizedFormat(const QString& key, const QVariantList& arguments)
{
    return FormatString(LocalizedString(key), arguments);
}
