#pragma once
// Helpers shared by the test programs.
#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextCharFormat>
#include <QTextImageFormat>
#include <QUrl>

#include <functional>

class QTextDocument;

namespace testsupport {

// Runs fn on a worker thread while the main thread spins its event loop, as
// the application does during an export. Returns when fn has returned.
void runOnWorker(const std::function<void()>& fn);

// Writes bytes to a file, creating its folder; returns the file's URL.
QUrl writeFile(const QString& path, const QByteArray& bytes);

// Encoded data ("PNG", "JPEG", ...) of an image of one colour.
QByteArray imageBytes(const QSize& size, const QColor& colour, const char* format);
QByteArray pngBytes(const QSize& size, const QColor& colour = Qt::blue);

// The format of the first character where words first stand in document.
QTextCharFormat formatOf(const QTextDocument& document, const QString& words);

// Every picture character of the document with its format, in order.
QList<QTextImageFormat> imageFormatsOf(const QTextDocument& document);

// Expects each of words in text, in that order, each after the one before.
void expectInOrder(const QString& text, const QStringList& words);

// Reads a whole file; empty when it cannot be read.
QByteArray readFile(const QString& path);

// Runs the qpdf command with arguments; its exit code (0 clean, 2 errors,
// 3 warnings), -1 when it did not run to its end. output takes what it said.
int runQpdf(const QStringList& arguments, QString* output = nullptr);

} // namespace testsupport
