#pragma once
// Numbering of WordprocessingML documents (an Office Open XML numbering part,
// the lists of a Word 2003 XML file): abstract lists with their levels'
// number formats, label texts, start values, indents and label fonts, the
// list instances that paragraphs name with their overrides, and the list
// item each numbered paragraph becomes.
#include "platform/text/ListLabels.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QXmlStreamReader>

#include <functional>
#include <optional>

namespace platform::text {

class WordNumbering {
public:
    // Readers of a level's paragraph and run properties; a null one skips
    // the element.
    struct Readers {
        std::function<void(QXmlStreamReader&, QTextBlockFormat&)> paragraph;
        std::function<void(QXmlStreamReader&, QTextCharFormat&)> run;
    };

    // Reads the children of a numbering part's root (or of Word 2003 XML's
    // lists element) the reader stands on.
    void read(QXmlStreamReader& xml, const Readers& readers);
    // A whole numbering part; false when it is no well-formed XML.
    bool read(const QByteArray& bytes, const Readers& readers);

    struct Item {
        QString key; // the list the item counts in
        QList<ListLevelLook> levels;
        std::optional<int> startOverride; // the first item of a restarted level
        QTextBlockFormat block;           // the level's indents and tab stops
    };
    // The list item of a paragraph numbered numId at level; none when the
    // number names no list (0 takes numbering away) or the level has no label.
    std::optional<Item> item(const QString& numId, int level);

private:
    struct Level {
        ListLevelLook look;
        QTextBlockFormat block;
    };
    struct Instance {
        QString abstractId;
        QHash<int, int> startOverrides;
        QHash<int, Level> levels; // whole levels given anew
    };
    Level readLevel(QXmlStreamReader& xml, const Readers& readers) const;
    void readAbstract(QXmlStreamReader& xml, const QString& id, const Readers& readers);
    void readInstance(QXmlStreamReader& xml, const QString& id, const Readers& readers);

    QHash<QString, QList<Level>> m_abstracts;
    QHash<QString, Instance> m_instances;
    QSet<QString> m_overridesUsed; // numId/level whose start override has counted
};

} // namespace platform::text
