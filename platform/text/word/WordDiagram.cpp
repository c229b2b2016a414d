#include "platform/text/word/WordDiagram_p.h"

#include "platform/text/DocumentXml_p.h"

#include <QHash>
#include <QPointF>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace platform::text {

namespace {

constexpr double kEmuPerPoint = 12700.0;

// A DrawingML run's look: bold, italic and size (hundredths of a point).
void writeRunProperties(const QXmlStreamReader& xml, QXmlStreamWriter& out)
{
    out.writeStartElement(QStringLiteral("rPr"));
    for (const char* toggle : {"b", "i"}) {
        const QStringView value = attr(xml, QLatin1StringView(toggle));
        if (!value.isEmpty()) {
            out.writeEmptyElement(QString::fromLatin1(toggle));
            out.writeAttribute(QStringLiteral("val"),
                               value == u"1" || value == u"true" ? QStringLiteral("1") : QStringLiteral("0"));
        }
    }
    bool ok = false;
    const int hundredths = attr(xml, QLatin1StringView("sz")).toInt(&ok);
    if (ok && hundredths > 0) {
        out.writeEmptyElement(QStringLiteral("sz"));
        out.writeAttribute(QStringLiteral("val"), QString::number(hundredths / 50));
    }
    out.writeEndElement();
}

// A run or field of DrawingML text (the reader stands on it).
void writeRun(QXmlStreamReader& xml, QXmlStreamWriter& out, bool& hasText)
{
    out.writeStartElement(QStringLiteral("r"));
    walkElement(xml, [&](QXmlStreamReader& x) {
        if (x.name() == u"rPr") {
            writeRunProperties(x, out);
        } else if (x.name() == u"t") {
            const QString text = x.readElementText(QXmlStreamReader::IncludeChildElements);
            hasText = hasText || !text.trimmed().isEmpty();
            out.writeTextElement(QStringLiteral("t"), text);
            return true;
        }
        x.skipCurrentElement();
        return true;
    });
    out.writeEndElement();
}

QString alignmentOf(QStringView algn)
{
    if (algn == u"ctr")
        return QStringLiteral("center");
    if (algn == u"r")
        return QStringLiteral("right");
    if (algn == u"just" || algn == u"dist")
        return QStringLiteral("both");
    return QStringLiteral("left");
}

// The paragraphs of a DrawingML text body (the reader stands on it) written
// as WordprocessingML ones; hasText says whether any holds text.
void writeTextBody(QXmlStreamReader& xml, QXmlStreamWriter& out, bool& hasText)
{
    walkElement(xml, [&](QXmlStreamReader& body) {
        if (body.name() != u"p")
            return false;
        out.writeStartElement(QStringLiteral("p"));
        walkElement(body, [&](QXmlStreamReader& x) {
            const QStringView n = x.name();
            if (n == u"pPr" && hasAttr(x, QLatin1StringView("algn"))) {
                out.writeStartElement(QStringLiteral("pPr"));
                out.writeEmptyElement(QStringLiteral("jc"));
                out.writeAttribute(QStringLiteral("val"), alignmentOf(attr(x, QLatin1StringView("algn"))));
                out.writeEndElement();
            } else if (n == u"r" || n == u"fld") {
                writeRun(x, out, hasText);
                return true;
            } else if (n == u"br") {
                out.writeEmptyElement(QStringLiteral("br"));
            }
            x.skipCurrentElement();
            return true;
        });
        out.writeEndElement();
        return true;
    });
}

// The paragraphs of a text body, without a root; empty when they hold no
// text.
QByteArray paragraphsOf(QXmlStreamReader& xml)
{
    QByteArray paragraphs;
    QXmlStreamWriter out(&paragraphs);
    bool hasText = false;
    writeTextBody(xml, out, hasText);
    return hasText ? paragraphs : QByteArray();
}

QByteArray boxContent(const QByteArray& paragraphs)
{
    return paragraphs.isEmpty() ? QByteArray() : "<txbxContent>" + paragraphs + "</txbxContent>";
}

struct Shape {
    std::optional<QPointF> at; // EMU
    DiagramBox box;
};

// The shapes with text of a diagram's drawing part, top to bottom and left
// to right.
QList<DiagramBox> drawingBoxes(const QByteArray& drawing)
{
    QList<Shape> shapes;
    QXmlStreamReader xml(drawing);
    if (xml.readNextStartElement()) {
        walkElement(xml, [&](QXmlStreamReader& x) {
            if (x.name() != u"sp")
                return false;
            Shape shape;
            walkElement(x, [&](QXmlStreamReader& part) {
                const QStringView n = part.name();
                if (n == u"off" && !shape.at) {
                    shape.at = QPointF(attr(part, QLatin1StringView("x")).toDouble(),
                                       attr(part, QLatin1StringView("y")).toDouble());
                } else if (n == u"ext" && shape.box.width == 0) {
                    shape.box.width = std::clamp(attr(part, QLatin1StringView("cx")).toDouble() / kEmuPerPoint, 0.0,
                                                 kMaxLengthPoints);
                } else if (n == u"txBody") {
                    shape.box.content = boxContent(paragraphsOf(part));
                    return true;
                } else if (n == u"txXfrm") {
                    part.skipCurrentElement();
                    return true;
                }
                return false;
            });
            if (!shape.box.content.isEmpty())
                shapes.append(shape);
            return true;
        });
    }
    std::stable_sort(shapes.begin(), shapes.end(), [](const Shape& a, const Shape& b) {
        const QPointF p = a.at.value_or(QPointF()), q = b.at.value_or(QPointF());
        return p.y() != q.y() ? p.y() < q.y() : p.x() < q.x();
    });
    QList<DiagramBox> boxes;
    for (const Shape& shape : shapes)
        boxes.append(shape.box);
    return boxes;
}

// A diagram's data part: its points with their text, the connections
// between them, and the relationship of the drawing saved beside it.
struct DataModel {
    struct Point {
        QString type;
        QByteArray paragraphs; // WordprocessingML, without a root
    };
    QList<QString> order; // point ids as listed
    QHash<QString, Point> points;
    // Parent to children, each with its place among them.
    QHash<QString, QList<QPair<int, QString>>> children;
    QString drawingRelationship;
};

DataModel readDataModel(const QByteArray& data)
{
    DataModel model;
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement())
        return model;
    walkElement(xml, [&](QXmlStreamReader& x) {
        const QStringView n = x.name();
        if (n == u"pt") {
            const QString id = attr(x, QLatin1StringView("modelId")).toString();
            DataModel::Point point{attr(x, QLatin1StringView("type")).toString(), {}};
            walkElement(x, [&](QXmlStreamReader& part) {
                if (part.name() != u"t")
                    return false;
                point.paragraphs = paragraphsOf(part);
                return true;
            });
            if (!id.isEmpty() && !model.points.contains(id)) {
                model.order.append(id);
                model.points.insert(id, point);
            }
            return true;
        }
        if (n == u"cxn") {
            const QStringView type = attr(x, QLatin1StringView("type"));
            if (type.isEmpty() || type == u"parOf")
                model.children[attr(x, QLatin1StringView("srcId")).toString()].append(
                    {attr(x, QLatin1StringView("srcOrd")).toInt(), attr(x, QLatin1StringView("destId")).toString()});
        } else if (n == u"dataModelExt") {
            model.drawingRelationship = attr(x, QLatin1StringView("relId")).toString();
        }
        return false;
    });
    return model;
}

// The text of the nodes, each parent before its children in their order,
// then any node no connection reaches.
QByteArray nodeText(const DataModel& model)
{
    QList<QString> reading;
    QSet<QString> seen;
    QList<QString> stack;
    for (auto it = model.order.crbegin(); it != model.order.crend(); ++it)
        if (model.points.value(*it).type == u"doc")
            stack.append(*it);
    while (!stack.isEmpty()) {
        const QString id = stack.takeLast();
        if (seen.contains(id))
            continue;
        seen.insert(id);
        reading.append(id);
        QList<QPair<int, QString>> children = model.children.value(id);
        std::stable_sort(children.begin(), children.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = children.crbegin(); it != children.crend(); ++it)
            stack.append(it->second);
    }
    for (const QString& id : model.order)
        if (!seen.contains(id))
            reading.append(id);
    QByteArray paragraphs;
    for (const QString& id : reading) {
        const DataModel::Point point = model.points.value(id);
        if (point.type.isEmpty() || point.type == u"node" || point.type == u"asst")
            paragraphs += point.paragraphs;
    }
    return paragraphs;
}

} // namespace

QList<DiagramBox> readDiagram(const QString& dataRelationshipId, const DiagramPart& part)
{
    const std::optional<QByteArray> data = part(dataRelationshipId);
    if (!data)
        return {};
    const DataModel model = readDataModel(*data);
    if (!model.drawingRelationship.isEmpty()) {
        if (const std::optional<QByteArray> drawing = part(model.drawingRelationship)) {
            const QList<DiagramBox> boxes = drawingBoxes(*drawing);
            if (!boxes.isEmpty())
                return boxes;
        }
    }
    const QByteArray content = boxContent(nodeText(model));
    if (content.isEmpty())
        return {};
    return {{content, 0, false}};
}

} // namespace platform::text
