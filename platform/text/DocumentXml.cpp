#include "platform/text/DocumentXml_p.h"

#include "platform/text/ParagraphDecorations.h"

#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamWriter>
#include <QTextBlockFormat>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

constexpr int kMaxTabStops = 64;

// What fills a tab up to its stop: "leader" (dot, hyphen, underscore,
// middleDot, heavy) or OpenDocument's leader text or style.
std::optional<QChar> leaderOf(const QXmlStreamReader& xml)
{
    const QStringView leader = attr(xml, QLatin1StringView("leader"));
    if (leader == u"dot")
        return QLatin1Char('.');
    if (leader == u"hyphen")
        return QLatin1Char('-');
    if (leader == u"underscore" || leader == u"heavy")
        return QLatin1Char('_');
    if (leader == u"middleDot")
        return QChar(0x00B7);
    const QStringView text = attr(xml, QLatin1StringView("leader-text"));
    if (!text.isEmpty() && !text.front().isSpace())
        return text.front();
    const QStringView style = attr(xml, QLatin1StringView("leader-style"));
    if (style == u"dotted")
        return QLatin1Char('.');
    if (style == u"solid")
        return QLatin1Char('_');
    if (style == u"dash" || style == u"long-dash")
        return QLatin1Char('-');
    return std::nullopt;
}

} // namespace

QStringView attr(const QXmlStreamReader& xml, QLatin1StringView name)
{
    for (const QXmlStreamAttribute& a : xml.attributes()) {
        if (a.name() == name)
            return a.value();
    }
    return {};
}

bool hasAttr(const QXmlStreamReader& xml, QLatin1StringView name)
{
    for (const QXmlStreamAttribute& a : xml.attributes()) {
        if (a.name() == name)
            return true;
    }
    return false;
}

std::optional<double> lengthPoints(QStringView value)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(-?[0-9]*\\.?[0-9]+)\\s*(cm|mm|inch|in|pt|pc|px)?\\s*$"));
    const QRegularExpressionMatch m = pattern.match(value);
    if (!m.hasMatch())
        return std::nullopt;
    double v = m.capturedView(1).toDouble();
    const QStringView unit = m.capturedView(2);
    if (unit == u"cm")
        v *= 72 / 2.54;
    else if (unit == u"mm")
        v *= 72 / 25.4;
    else if (unit == u"in" || unit == u"inch")
        v *= 72;
    else if (unit == u"pc")
        v *= 12;
    else if (unit == u"px")
        v *= 0.75;
    if (!std::isfinite(v))
        return std::nullopt;
    return std::clamp(v, -kMaxLengthPoints, kMaxLengthPoints);
}

void readTabStops(QXmlStreamReader& xml, QTextBlockFormat& format,
                  const std::function<std::optional<double>(const QXmlStreamReader&)>& position)
{
    QList<QTextOption::Tab> tabs;
    QList<TabLeader> leaders;
    while (xml.readNextStartElement()) {
        if ((xml.name() == u"tab" || xml.name() == u"tab-stop") && tabs.size() < kMaxTabStops) {
            QStringView kind = attr(xml, QLatin1StringView("val"));
            if (kind.isEmpty())
                kind = attr(xml, QLatin1StringView("type"));
            const std::optional<double> at = position(xml);
            if (at && *at >= 0 && kind != u"clear") {
                QTextOption::Tab tab(*at, QTextOption::LeftTab);
                if (kind == u"right" || kind == u"end") {
                    tab.type = QTextOption::RightTab;
                } else if (kind == u"center") {
                    tab.type = QTextOption::CenterTab;
                } else if (kind == u"decimal" || kind == u"char") {
                    tab.type = QTextOption::DelimiterTab;
                    const QStringView c = attr(xml, QLatin1StringView("char"));
                    tab.delimiter = c.isEmpty() ? QLatin1Char('.') : c.front();
                }
                tabs.append(tab);
                if (const std::optional<QChar> fill = leaderOf(xml))
                    leaders.append({tab.position, *fill});
            }
        }
        xml.skipCurrentElement();
    }
    std::sort(tabs.begin(), tabs.end(),
              [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position < b.position; });
    format.setTabPositions(tabs);
    setTabLeaders(format, leaders);
}

void walkElement(QXmlStreamReader& xml, const std::function<bool(QXmlStreamReader&)>& visit,
                 const std::function<void(QStringView)>& text)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (!visit(xml))
                ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (text)
                text(xml.text());
            break;
        default:
            break;
        }
    }
}

QByteArray captureElement(QXmlStreamReader& xml, const QString& rootName)
{
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    int depth = 0;
    do {
        switch (xml.tokenType()) {
        case QXmlStreamReader::StartElement: {
            out.writeStartElement(depth == 0 && !rootName.isEmpty() ? rootName : xml.name().toString());
            ++depth;
            QSet<QStringView> seen;
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (!seen.contains(a.name())) {
                    seen.insert(a.name());
                    out.writeAttribute(a.name().toString(), a.value().toString());
                }
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            out.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            out.writeCharacters(xml.text().toString());
            break;
        default:
            break;
        }
    } while (depth > 0 && !xml.atEnd() && xml.readNext() != QXmlStreamReader::Invalid);
    out.writeEndDocument();
    return bytes;
}

} // namespace platform::text
