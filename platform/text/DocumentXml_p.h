#pragma once
// Reading the XML of word-processing documents, as the readers of both
// vocabularies (WordprocessingML, OpenDocument) need it: attributes by local
// name, lengths, tab stops, style inheritance and walking an element whole.
#include <QByteArray>
#include <QList>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

class QTextBlockFormat;
class QXmlStreamReader;

namespace platform::text {

// Styles based on styles: chains longer than this are cut.
inline constexpr int kMaxStyleDepth = 32;
// Lengths past this many points are damage.
inline constexpr double kMaxLengthPoints = 14400;

// An attribute by local name, whatever its namespace (the vocabularies and
// their versions use different ones for the same names).
QStringView attr(const QXmlStreamReader& xml, QLatin1StringView name);
bool hasAttr(const QXmlStreamReader& xml, QLatin1StringView name);

// A length ("2.5cm", "0.5in", "1inch", "12pt", "3mm", "1pc", "96px"; a bare
// number is in points) in points, within kMaxLengthPoints either way; none
// when it is no length.
std::optional<double> lengthPoints(QStringView value);

// Reads the tab stops listed in the element the reader stands on (children
// "tab" or "tab-stop", their kind in "val" or "type": left or start, right or
// end, center, decimal or char, clear) into format, sorted by position.
// position gives a stop's place in layout units, none to leave it out.
void readTabStops(QXmlStreamReader& xml, QTextBlockFormat& format,
                  const std::function<std::optional<double>(const QXmlStreamReader&)>& position);

// Reads to the end of the element the reader stands on. visit sees each
// start element below it and answers true when it has read that element to
// its end itself; text sees the character data met along the way.
void walkElement(QXmlStreamReader& xml, const std::function<bool(QXmlStreamReader&)>& visit,
                 const std::function<void(QStringView)>& text = {});

// The element the reader stands on, read to its end, as XML of its own
// without namespaces: elements and attributes by local name (the first of
// an attribute name met twice), with its character data; read again later
// where a reader places what floats after its anchor. rootName, when given,
// renames the element itself.
QByteArray captureElement(QXmlStreamReader& xml, const QString& rootName = {});

// A style and its ancestors, nearest first: find gives the style of a name
// (null when there is none), whose parent member names the next. The chain
// stops at a name not found, a name met before (styles based on each other)
// and at kMaxStyleDepth.
template <typename Find>
auto styleChain(const QString& name, const Find& find)
{
    QList<decltype(find(name))> chain;
    QStringList seen;
    QString next = name;
    while (!next.isEmpty() && chain.size() < kMaxStyleDepth && !seen.contains(next)) {
        const auto style = find(next);
        if (!style)
            break;
        seen.append(next);
        chain.append(style);
        next = style->parent;
    }
    return chain;
}

} // namespace platform::text
