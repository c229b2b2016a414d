#pragma once
// An Office Open XML word-processing package as its parts see it: parts
// found through relationships, and the theme, styles and lists every story
// of the document (body, headers, footers, notes) is read with.
#include "platform/text/word/WordTheme.h"
#include "platform/text/word/WordprocessingParser_p.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>

#include <optional>

namespace platform::text {

class ZipPackage;

struct Relationship {
    QString type;
    QString target;
    bool external = false;
};
using Relationships = QHash<QString, Relationship>;

// A relationship target made a part name: relative to base, without "..".
QString resolvePart(const QString& base, const QString& target);
// The folder part of a part name, with its slash ("word/").
QString folderOf(const QString& part);
// The relationships of a part; empty when it has none, nullopt when they
// are damaged.
std::optional<Relationships> readPartRelationships(ZipPackage& zip, const QString& part);
std::optional<Relationships> readRelationships(ZipPackage& zip, const QString& relsPart);
// The first internal target of a relationship type ending in typeSuffix.
std::optional<QString> targetOfType(const Relationships& rels, QStringView typeSuffix);

class DocxParts {
public:
    // The parts the main part at mainPart relates to; nullopt when its
    // styles or lists cannot be read.
    static std::optional<DocxParts> read(ZipPackage& zip, const QString& mainPart, const Relationships& rels);

    ZipPackage& zip() const { return *m_zip; }
    const Relationships& relationships() const { return m_rels; }
    QString base() const { return m_base; }
    // The bytes of the part a relationship of the main part names.
    std::optional<QByteArray> partOfType(QStringView typeSuffix, QString* name = nullptr) const;
    // Gives a parser the theme, styles and lists; false when the styles or
    // lists are no well-formed XML.
    bool prepare(WordprocessingParser& parser) const;
    // Picture names of a story in part, whose relationships are rels.
    WordprocessingParser::PartName partNames(const QString& part, const Relationships& rels) const;
    WordprocessingParser::PartReader partReader() const;

private:
    ZipPackage* m_zip = nullptr;
    QString m_base;
    Relationships m_rels;
    std::optional<ThemeFonts> m_theme;
    std::optional<QByteArray> m_styles;
    std::optional<QByteArray> m_numbering;
};

// Headers, footers, sections and notes of the document beside its body,
// which the parser reading document.xml fills.
class DocxStories {
public:
    // bodyPictures names the pictures of the body's part.
    DocxStories(const DocxParts& parts, QTextDocument& body, WordprocessingParser::PartName bodyPictures);
    // Gives the parser of the body its note references and its stories
    // placed on pages.
    void attach(WordprocessingParser& parser);
    // Gives the body's sections their headers and footers, breaks and page
    // numbers, once the parser has read the body.
    void readHeadersAndFooters();
    // Whether the body named more notes than a document may have.
    bool tooManyNotes() const { return m_tooManyNotes; }

private:
    WordprocessingParser::NoteMark reference(bool endnote, const QString& id, const QString& customMark);
    void loadNotes(bool endnote);
    int placeOnPage(const WordprocessingParser::Floating& floating);

    const DocxParts& m_parts;
    QTextDocument& m_body;
    WordprocessingParser::PartName m_bodyPictures;
    // Each note's element, by id, made a document of its own; and the part
    // it came from.
    QHash<QString, QByteArray> m_notes[2];
    QString m_notePart[2];
    bool m_loaded[2] = {false, false};
    int m_count[2] = {0, 0};
    bool m_tooManyNotes = false;
    // Each section's properties by index, as the parser met them.
    QMap<int, QByteArray> m_sections;
    int m_sectionCount = 1;
};

} // namespace platform::text
