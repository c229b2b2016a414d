#include "platform/text/PlainTextWriter.h"

#include "platform/text/OutputFiles.h"

#include <QStringEncoder>
#include <QTextDocument>

namespace platform::text {

QByteArray plainTextData(const QTextDocument& document, PlainTextEncoding encoding)
{
    // The raw text keeps no-break spaces, which toPlainText turns into
    // spaces; only paragraph and line separators become line feeds, and the
    // markers of table frames go.
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.remove(QChar(0xFDD0));
    text.remove(QChar(0xFDD1));
    if (encoding == PlainTextEncoding::Utf8)
        return text.toUtf8();
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

bool writePlainText(const QTextDocument& document, const QString& path, PlainTextEncoding encoding)
{
    return writeOutputFile(path, plainTextData(document, encoding));
}

} // namespace platform::text
