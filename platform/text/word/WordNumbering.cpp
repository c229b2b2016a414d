#include "platform/text/word/WordNumbering.h"

#include "platform/text/DocumentXml_p.h"

#include <algorithm>

namespace platform::text {

namespace {

// Lists and instances a document may define; past them, definitions are
// left out.
constexpr int kMaxListDefinitions = 10000;
constexpr int kMaxLabelLength = 256;
constexpr int kMaxStart = 99999;

int levelOf(const QXmlStreamReader& xml)
{
    return std::clamp(attr(xml, QLatin1StringView("ilvl")).toInt(), 0, kMaxListLevels - 1);
}

void skipOrRead(QXmlStreamReader& xml, const auto& reader, auto& into)
{
    if (reader)
        reader(xml, into);
    else
        xml.skipCurrentElement();
}

} // namespace

WordNumbering::Level WordNumbering::readLevel(QXmlStreamReader& xml, const Readers& readers) const
{
    Level level;
    // Without a label text, a level shows its own number.
    level.look.text = QLatin1Char('%') + QString::number(levelOf(xml) + 1) + QLatin1Char('.');
    bool hasText = false;
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const QStringView val = attr(xml, QLatin1StringView("val"));
        if (n == u"numFmt") {
            level.look.numberFormat = val.toString();
        } else if (n == u"nfc") { // Word 2003 XML's numeric code
            level.look.numberFormat = wordNumberFormatName(val.toInt()).toString();
        } else if (n == u"start") {
            level.look.start = std::clamp(val.toInt(), 0, kMaxStart);
        } else if (n == u"lvlText") {
            level.look.text = val.left(kMaxLabelLength).toString();
            hasText = true;
        } else if (n == u"isLgl") {
            level.look.legal = val.isEmpty() || val == u"1" || val == u"true" || val == u"on";
        } else if (n == u"lvlRestart") {
            level.look.restartAfter = std::clamp(val.toInt(), 0, kMaxListLevels) - 1;
            if (level.look.restartAfter < 0)
                level.look.restartAfter = kMaxListLevels; // 0: never restarts
        } else if (n == u"suff") {
            level.look.separator = val == u"space" ? QStringLiteral(" ")
                                   : val == u"nothing" ? QString()
                                                       : QStringLiteral("\t");
        } else if (n == u"pPr") {
            skipOrRead(xml, readers.paragraph, level.block);
            continue;
        } else if (n == u"rPr") {
            skipOrRead(xml, readers.run, level.look.chars);
            continue;
        }
        xml.skipCurrentElement();
    }
    if (!hasText && level.look.numberFormat == u"bullet")
        level.look.text = QStringLiteral("\u2022");
    return level;
}

void WordNumbering::readAbstract(QXmlStreamReader& xml, const QString& id, const Readers& readers)
{
    QList<Level> levels(kMaxListLevels);
    // Levels not defined count in decimals, as word processors do.
    for (int i = 0; i < kMaxListLevels; ++i)
        levels[i].look.text = QStringLiteral("%") + QString::number(i + 1) + QLatin1Char('.');
    while (xml.readNextStartElement()) {
        if (xml.name() == u"lvl") {
            const int index = levelOf(xml);
            levels[index] = readLevel(xml, readers);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (m_abstracts.size() < kMaxListDefinitions)
        m_abstracts.insert(id, levels);
}

void WordNumbering::readInstance(QXmlStreamReader& xml, const QString& id, const Readers& readers)
{
    Instance instance;
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"abstractNumId" || n == u"ilst") {
            instance.abstractId = attr(xml, QLatin1StringView("val")).toString();
        } else if (n == u"lvlOverride") {
            const int index = levelOf(xml);
            while (xml.readNextStartElement()) {
                if (xml.name() == u"startOverride") {
                    instance.startOverrides.insert(
                        index, std::clamp(attr(xml, QLatin1StringView("val")).toInt(), 0, kMaxStart));
                } else if (xml.name() == u"lvl") {
                    const int level = levelOf(xml);
                    instance.levels.insert(level, readLevel(xml, readers));
                    continue;
                }
                xml.skipCurrentElement();
            }
            continue;
        }
        xml.skipCurrentElement();
    }
    if (m_instances.size() < kMaxListDefinitions)
        m_instances.insert(id, instance);
}

void WordNumbering::read(QXmlStreamReader& xml, const Readers& readers)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"abstractNum" || n == u"listDef") {
            const QString id = attr(xml, n == u"abstractNum" ? QLatin1StringView("abstractNumId")
                                                             : QLatin1StringView("listDefId"))
                                   .toString();
            readAbstract(xml, id, readers);
        } else if (n == u"num" || n == u"list") {
            const QString id = attr(xml, n == u"num" ? QLatin1StringView("numId") : QLatin1StringView("ilfo"))
                                   .toString();
            readInstance(xml, id, readers);
        } else {
            xml.skipCurrentElement();
        }
    }
}

bool WordNumbering::read(const QByteArray& bytes, const Readers& readers)
{
    QXmlStreamReader xml(bytes);
    if (xml.readNextStartElement())
        read(xml, readers);
    return !xml.hasError();
}

std::optional<WordNumbering::Item> WordNumbering::item(const QString& numId, int level)
{
    if (numId.isEmpty() || numId == u"0")
        return std::nullopt;
    level = std::clamp(level, 0, kMaxListLevels - 1);
    const auto instance = m_instances.constFind(numId);
    const QString abstractId = instance == m_instances.constEnd() ? numId : instance->abstractId;
    const auto abstract = m_abstracts.constFind(abstractId);
    if (abstract == m_abstracts.constEnd())
        return std::nullopt;
    QList<Level> levels = *abstract;
    Item item;
    // An instance that changes its list counts on its own.
    item.key = abstractId;
    if (instance != m_instances.constEnd() && (!instance->levels.isEmpty() || !instance->startOverrides.isEmpty())) {
        item.key = QStringLiteral("num:") + numId;
        for (auto it = instance->levels.cbegin(); it != instance->levels.cend(); ++it)
            levels[it.key()] = it.value();
        const auto start = instance->startOverrides.constFind(level);
        const QString used = numId + QLatin1Char('/') + QString::number(level);
        if (start != instance->startOverrides.constEnd() && !m_overridesUsed.contains(used)) {
            item.startOverride = *start;
            m_overridesUsed.insert(used);
        }
    }
    if (levels[level].look.numberFormat == u"none" && !levels[level].look.text.contains(u'%')
        && levels[level].look.text.isEmpty())
        return std::nullopt;
    for (const Level& l : levels)
        item.levels.append(l.look);
    item.block = levels[level].block;
    return item;
}

} // namespace platform::text
