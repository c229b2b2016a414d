#pragma once
// A rich text document as the writers see it: paragraphs of runs, each run
// with its look resolved against the document's default font. Pictures,
// hidden text, control characters other than tabs and line breaks, and
// what XML cannot hold (unpaired surrogates, U+FFFE, U+FFFF) are left out; table cells and list items read as plain
// paragraphs.
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QTextDocument;

namespace platform::text {

struct RunLook {
    QString family;
    double points = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor color; // invalid: the reader's automatic colour

    bool operator==(const RunLook&) const = default;
};

struct TextRun {
    QString text; // may hold '\t' and QChar::LineSeparator
    RunLook look;
};

struct TextParagraph {
    QList<TextRun> runs;
    Qt::Alignment alignment = Qt::AlignLeft;
    // The look of the paragraph's mark, for an empty paragraph's height.
    RunLook markLook;
};

QList<TextParagraph> textParagraphs(const QTextDocument& document);

// The look of text that names nothing: the document's default font.
RunLook documentLook(const QTextDocument& document);

// The distinct families and colours of the runs, in order of first use.
QStringList fontFamiliesOf(const QList<TextParagraph>& paragraphs);
QList<QColor> colorsOf(const QList<TextParagraph>& paragraphs);

} // namespace platform::text
