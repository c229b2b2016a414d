#pragma once
// The WordprocessingML vocabulary shared by Office Open XML documents and
// Word 2003 XML files: styles with inheritance and document defaults, list
// definitions, paragraphs, runs, tables and pictures, read into a
// RichTextBuilder. Elements it does not know are walked for their text.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextListFormat>

#include <functional>
#include <optional>

class QXmlStreamReader;

namespace platform::text {

class RichTextBuilder;

class WordprocessingParser {
public:
    // The bytes of the package part a relationship id names (pictures).
    using PartLookup = std::function<std::optional<QByteArray>(const QString& relationshipId)>;

    explicit WordprocessingParser(RichTextBuilder& builder, PartLookup parts = {});
    ~WordprocessingParser();

    // A styles part; false when it is no well-formed XML.
    bool readStyles(const QByteArray& xml);
    // A numbering part; false when it is no well-formed XML.
    bool readNumbering(const QByteArray& xml);
    // The main document (an Office Open XML "document" or a Word 2003 XML
    // "wordDocument", whose styles and lists are inside it). False when it
    // is no well-formed XML or its root is not rootName.
    bool readDocument(const QByteArray& xml, const QString& rootName);

private:
    struct Paragraph {
        QTextBlockFormat block;
        QTextCharFormat mark;
        QString styleId;
        QString numId;
        int level = -1;
        bool hasNumbering = false;
    };
    struct Style {
        QString basedOn;
        QTextBlockFormat block;
        QTextCharFormat chars;
        QString numId;
        int level = -1;
        bool hasNumbering = false;
    };
    struct ResolvedStyle {
        QTextBlockFormat block;
        QTextCharFormat chars;
        QString numId;
        int level = 0;
        bool hasNumbering = false;
    };
    struct TableState {
        bool started = false;
        QList<double> grid;
        int span = 1;
        bool continuesMerge = false;
        bool cellOpen = false;
        bool cellStarted = false;
    };

    void readStylesElement(QXmlStreamReader& xml);
    void readNumberingElement(QXmlStreamReader& xml);
    void readRunProperties(QXmlStreamReader& xml, QTextCharFormat& format, QString* styleId);
    void readParagraphProperties(QXmlStreamReader& xml, Paragraph& paragraph);
    void readCellProperties(QXmlStreamReader& xml, TableState& table);
    void readGrid(QXmlStreamReader& xml, TableState& table);
    void readDrawing(QXmlStreamReader& xml);
    void readPicture(QXmlStreamReader& xml);
    bool readBody(QXmlStreamReader& xml);

    ResolvedStyle resolve(const QString& styleId, int depth = 0);
    QTextListFormat::Style listStyle(const QString& numId, int level) const;
    void ensureParagraph();
    void ensureCell();
    void ensureTable();
    void emitText(const QString& text);
    QTextCharFormat runFormat();

    RichTextBuilder& builder_;
    PartLookup parts_;
    QHash<QString, Style> styles_;
    QHash<QString, ResolvedStyle> resolved_;
    QString defaultParagraphStyle_;
    QTextCharFormat defaultChars_;
    QTextBlockFormat defaultBlock_;
    QHash<QString, QString> numToAbstract_;
    QHash<QString, QHash<int, QTextListFormat::Style>> abstractLevels_;
    QHash<QString, QByteArray> binaryData_;

    Paragraph paragraph_;
    bool inParagraph_ = false;
    bool paragraphStarted_ = false;
    QTextCharFormat paragraphChars_;
    QTextCharFormat runDirect_;
    QString runStyle_;
    bool runFormatValid_ = false;
    QTextCharFormat runFormat_;
    QList<TableState> tables_;
};

} // namespace platform::text
