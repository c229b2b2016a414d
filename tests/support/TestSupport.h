#pragma once
// Helpers shared by the test programs.
#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

namespace testsupport {

// Runs fn on a worker thread while the main thread spins its event loop, as
// the application does during an export. Returns when fn has returned.
void runOnWorker(const std::function<void()>& fn);

// Writes bytes to a file, creating its folder; returns the file's URL.
QUrl writeFile(const QString& path, const QByteArray& bytes);

// PNG data of an image of one colour.
QByteArray pngBytes(const QSize& size, const QColor& colour = Qt::blue);

// Reads a whole file; empty when it cannot be read.
QByteArray readFile(const QString& path);

} // namespace testsupport
