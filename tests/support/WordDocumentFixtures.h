#pragma once
// Word-processing documents made by the tests: each format holding the same
// sample (a heading, bold, italic and red runs, a bulleted list, a two-by-two
// table, a PNG picture, a field and a closing line), and the pieces to build
// damaged ones.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace testsupport {

// The sample's words in reading order, as they must appear in the text.
QStringList sampleWords();

QByteArray pngBytes(int width, int height, QColor color);

// A zip holding the entries in order; stored (not deflated) when store is set.
QByteArray zipBytes(const QList<QPair<QString, QByteArray>>& entries, bool store = false);

QByteArray sampleDocx();
QByteArray sampleOdt();
QByteArray sampleFlatOdt();
QByteArray sampleWordML();
QByteArray sampleDoc();

// The parts of the samples, to be changed by a test.
QList<QPair<QString, QByteArray>> sampleDocxEntries();
QList<QPair<QString, QByteArray>> sampleOdtEntries();

// A compound file with the given streams (each padded to the size that keeps
// it out of the small-stream area).
QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams);

} // namespace testsupport
