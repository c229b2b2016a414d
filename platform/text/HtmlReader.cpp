#include "platform/text/HtmlReader.h"

#include "platform/text/TextFileBytes.h"
#include "platform/text/TextPrinter.h"

#include <QFileInfo>
#include <QFont>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>

namespace platform::text {

namespace {

QString decodeHtml(const QByteArray& bytes)
{
    // A byte-order mark or a charset the converters know decides; otherwise
    // the same guess as for plain text.
    const std::optional<QStringConverter::Encoding> declared
        = QStringConverter::encodingForHtml(bytes);
    if (declared && *declared != QStringConverter::Utf8) {
        QStringDecoder decoder(*declared);
        return decoder(bytes);
    }
    return decodeText(bytes);
}

// A document whose images and style sheets come from local regular files of
// bounded size only. Left to itself a document reads any path it is given
// in full (a device never ends) before anything else is asked; here the
// network is never touched and anything refused is empty data.
class LocalResourceDocument : public QTextDocument {
public:
    explicit LocalResourceDocument(const QUrl& baseUrl) { setBaseUrl(baseUrl); }

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0)
            return QTextDocument::loadResource(type, name);
        const QUrl url = name.isRelative() ? baseUrl().resolved(name) : name;
        QByteArray data;
        if (url.isLocalFile())
            data = readBoundedFile(url.toLocalFile()).value_or(QByteArray());
        addResource(type, name, data);
        return data;
    }
};

} // namespace

bool readHtml(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path);
    if (!bytes)
        return false;
    const QUrl baseUrl = QUrl::fromLocalFile(QFileInfo(path).absolutePath() + QLatin1Char('/'));
    // Parsed apart, where style sheets are fetched safely, then moved over
    // with every image it names, so the document never loads one itself.
    LocalResourceDocument parsed(baseUrl);
    parsed.setUndoRedoEnabled(false);
    parsed.setDefaultFont(QFont(QStringLiteral("Times"), 12));
    parsed.setHtml(decodeHtml(*bytes));

    document.clear();
    document.setUndoRedoEnabled(false);
    document.setBaseUrl(baseUrl);
    appendDocument(document, parsed);
    return true;
}

TextReader htmlReader()
{
    return {"HTML", {QStringLiteral("public.html"), QStringLiteral("public.xhtml")}, &readHtml};
}

} // namespace platform::text
