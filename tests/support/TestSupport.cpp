#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <gtest/gtest.h>

namespace testsupport {

void runOnWorker(const std::function<void()>& fn)
{
    QEventLoop loop;
    QThread* worker = QThread::create(fn);
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->isFinished())
        loop.exec();
    worker->wait();
    delete worker;
}

QUrl writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(bytes);
    return QUrl::fromLocalFile(path);
}

QByteArray imageBytes(const QSize& size, const QColor& colour, const char* format)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, qstrcmp(format, "JPEG") == 0 ? 95 : -1);
    return bytes;
}

QByteArray pngBytes(const QSize& size, const QColor& colour)
{
    return imageBytes(size, colour, "PNG");
}

QTextCharFormat formatOf(const QTextDocument& document, const QString& words)
{
    const QTextCursor found = document.find(words);
    EXPECT_FALSE(found.isNull()) << qPrintable(words);
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(found.isNull() ? 1 : found.selectionStart() + 1);
    return cursor.charFormat();
}

QList<QTextImageFormat> imageFormatsOf(const QTextDocument& document)
{
    QList<QTextImageFormat> formats;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                formats.append(it.fragment().charFormat().toImageFormat());
    return formats;
}

void expectInOrder(const QString& text, const QStringList& words)
{
    qsizetype at = 0;
    for (const QString& word : words) {
        const qsizetype found = text.indexOf(word, at);
        EXPECT_GE(found, at) << qPrintable(word) << " in " << qPrintable(text);
        if (found >= 0)
            at = found + word.size();
    }
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int runQpdf(const QStringList& arguments, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("qpdf"), arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace testsupport
