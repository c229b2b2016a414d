#include "platform/text/LinearMath_p.h"

#include "platform/text/DocumentXml_p.h"

#include <QHash>
#include <QList>
#include <QXmlStreamReader>

namespace platform::text {

namespace {

// Equations nested deeper than this are read as their plain text: real ones
// stay within a few levels, and the reader recurses once per level.
constexpr int kMaxMathDepth = 48;

// One element read: its text, and its children by name (arguments of a
// structure, properties of it).
struct Node {
    QString text;
    QHash<QString, QString> arguments;   // num, den, sub, sup, e (the first), deg, fName, lim
    QList<QString> bases;                // every e, in order
    QList<QList<QString>> rows;          // a matrix's rows
    QHash<QString, QString> properties;  // chr, begChr, endChr, sepChr: their values
};

bool isProperty(QStringView name)
{
    return name.endsWith(u"Pr") || name == u"ctrlPr";
}

// A script or argument as written after ^ or _: bare when it is one
// symbol or a plain number or word, else in parentheses.
QString group(const QString& text)
{
    bool plain = !text.isEmpty();
    for (const QChar c : text)
        plain = plain && c.isLetterOrNumber();
    return plain ? text : QLatin1Char('(') + text + QLatin1Char(')');
}

QString readElement(QXmlStreamReader& xml, int depth);
QString readMathML(QXmlStreamReader& xml, int depth);

// The values of a structure's properties (m:chr m:val="∑", m:begChr ...).
void readProperties(QXmlStreamReader& xml, Node& node)
{
    while (xml.readNextStartElement()) {
        if (hasAttr(xml, QLatin1StringView("val")))
            node.properties.insert(xml.name().toString(), attr(xml, QLatin1StringView("val")).toString());
        xml.skipCurrentElement();
    }
}

Node readChildren(QXmlStreamReader& xml, int depth)
{
    Node node;
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        if (isProperty(name)) {
            readProperties(xml, node);
        } else if (name == u"t") {
            node.text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == u"mr") {
            QList<QString> row;
            while (xml.readNextStartElement())
                row.append(readElement(xml, depth + 1));
            node.rows.append(row);
        } else {
            const QString text = readElement(xml, depth + 1);
            if (name == u"e")
                node.bases.append(text);
            if (!node.arguments.contains(name))
                node.arguments.insert(name, text);
            node.text += text;
        }
    }
    return node;
}

QString property(const Node& node, const char* name, const QString& fallback)
{
    const auto it = node.properties.constFind(QLatin1StringView(name));
    return it == node.properties.constEnd() ? fallback : *it;
}

QString scripts(const QString& sub, const QString& sup)
{
    QString text;
    if (!sub.isEmpty())
        text += QLatin1Char('_') + group(sub);
    if (!sup.isEmpty())
        text += QLatin1Char('^') + group(sup);
    return text;
}

QString scripts(const Node& node)
{
    return scripts(node.arguments.value(QStringLiteral("sub")), node.arguments.value(QStringLiteral("sup")));
}

QString fraction(const QString& numerator, const QString& denominator)
{
    return QLatin1Char('(') + numerator + QStringLiteral(")/(") + denominator + QLatin1Char(')');
}

QString radical(const QString& degree, const QString& base)
{
    return degree + QStringLiteral("√(") + base + QLatin1Char(')');
}

QString matrix(const QList<QList<QString>>& rows)
{
    QStringList lines;
    for (const QList<QString>& row : rows)
        lines.append(row.join(QStringLiteral(", ")));
    return lines.join(QStringLiteral("; "));
}

QString structureText(const QString& name, const Node& node)
{
    const auto arg = [&](const char* key) { return node.arguments.value(QLatin1StringView(key)); };
    if (name == u"f")
        return fraction(arg("num"), arg("den"));
    if (name == u"sSup" || name == u"sSub" || name == u"sSubSup")
        return arg("e") + scripts(node);
    if (name == u"sPre")
        return scripts(node) + arg("e");
    if (name == u"rad")
        return radical(arg("deg"), arg("e"));
    if (name == u"nary") {
        const QString body = arg("e");
        return property(node, "chr", QStringLiteral("∫")) + scripts(node) + (body.isEmpty() ? body : QLatin1Char(' ') + body);
    }
    if (name == u"d") {
        QString text = property(node, "begChr", QStringLiteral("("));
        text += node.bases.join(property(node, "sepChr", QStringLiteral("|")));
        return text + property(node, "endChr", QStringLiteral(")"));
    }
    if (name == u"m")
        return matrix(node.rows);
    if (name == u"eqArr")
        return node.bases.join(QStringLiteral("; "));
    if (name == u"func") {
        const QString body = arg("e");
        return arg("fName") + (body.startsWith(QLatin1Char('(')) ? body : QLatin1Char(' ') + body);
    }
    if (name == u"limLow")
        return arg("e") + QLatin1Char('_') + group(arg("lim"));
    if (name == u"limUpp")
        return arg("e") + QLatin1Char('^') + group(arg("lim"));
    if (name == u"acc")
        return arg("e") + property(node, "chr", QString(QChar(0x0302)));
    return node.text;
}

QString readElement(QXmlStreamReader& xml, int depth)
{
    if (depth > kMaxMathDepth)
        return xml.readElementText(QXmlStreamReader::IncludeChildElements);
    const QString name = xml.name().toString();
    if (name == u"t")
        return xml.readElementText(QXmlStreamReader::IncludeChildElements);
    return structureText(name, readChildren(xml, depth));
}

// MathML: the children of a presentation element, each read whole.
QList<QString> mathMLChildren(QXmlStreamReader& xml, int depth, QString* annotation)
{
    QList<QString> children;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"annotation") {
            const bool starMath = attr(xml, QLatin1StringView("encoding")).startsWith(u"StarMath");
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            if (starMath && annotation && annotation->isEmpty())
                *annotation = text;
        } else if (name == u"annotation-xml") {
            xml.skipCurrentElement();
        } else {
            children.append(readMathML(xml, depth + 1));
        }
    }
    return children;
}

QString readMathML(QXmlStreamReader& xml, int depth)
{
    if (depth > kMaxMathDepth)
        return xml.readElementText(QXmlStreamReader::IncludeChildElements);
    const QString name = xml.name().toString();
    if (name == u"mi" || name == u"mn" || name == u"mo" || name == u"mtext" || name == u"ms")
        return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    if (name == u"mfenced") {
        const QString open = hasAttr(xml, QLatin1StringView("open")) ? attr(xml, QLatin1StringView("open")).toString()
                                                                      : QStringLiteral("(");
        const QString close = hasAttr(xml, QLatin1StringView("close")) ? attr(xml, QLatin1StringView("close")).toString()
                                                                         : QStringLiteral(")");
        const QString separators = hasAttr(xml, QLatin1StringView("separators"))
                                       ? attr(xml, QLatin1StringView("separators")).toString().trimmed()
                                       : QStringLiteral(",");
        return open + mathMLChildren(xml, depth, nullptr).join(separators.left(1)) + close;
    }
    if (name == u"mtable") {
        QList<QList<QString>> rows;
        while (xml.readNextStartElement())
            rows.append(mathMLChildren(xml, depth + 1, nullptr));
        return matrix(rows);
    }
    QString annotation;
    const QList<QString> c = mathMLChildren(xml, depth, &annotation);
    if (!annotation.isEmpty())
        return annotation;
    const auto at = [&](int i) { return i < c.size() ? c[i] : QString(); };
    if (name == u"mfrac")
        return fraction(at(0), at(1));
    if (name == u"msqrt")
        return radical({}, c.join(QString()));
    if (name == u"mroot")
        return radical(at(1), at(0));
    if (name == u"msup" || name == u"mover")
        return at(0) + scripts({}, at(1));
    if (name == u"msub" || name == u"munder")
        return at(0) + scripts(at(1), {});
    if (name == u"msubsup" || name == u"munderover")
        return at(0) + scripts(at(1), at(2));
    return c.join(QString());
}

} // namespace

QString mathMLText(QXmlStreamReader& xml)
{
    return readMathML(xml, 0);
}

QString officeMathText(QXmlStreamReader& xml)
{
    return readElement(xml, 0);
}

} // namespace platform::text
