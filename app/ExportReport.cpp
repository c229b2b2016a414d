#include "app/ExportReport.h"

#include "Common UI Code/KLVUtil.h"
#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfOutline.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

QString baseNameOf(const SourceFileEntry& source)
{
    return QString::fromStdString(GetFileNameWithoutExtension(source->value(SourceFileKey::FilePath).toUrl()));
}

// Whether output is the name of an input named base: "base" or "base n".
bool bearsName(const QString& output, const QString& base)
{
    if (output == base)
        return true;
    if (!output.startsWith(base + QLatin1Char(' ')))
        return false;
    bool number = false;
    output.mid(base.size() + 1).toLongLong(&number);
    return number;
}

} // namespace

QStringList PDFNamesInFolder(const QString& folder)
{
    QStringList names;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
        names << file.completeBaseName();
    return names;
}

QStringList InputNamesInMergedPDF(const QUrl& pdf, const QVariantMap& documentAttributes)
{
    const std::shared_ptr<platform::pdf::PdfDocument> document = platform::pdf::PdfDocument::open(pdf);
    if (!document)
        return {};
    if (document->isLocked()) {
        for (const QLatin1StringView key : {platform::keys::kCGPDFContextOwnerPassword,
                                            platform::keys::kCGPDFContextUserPassword}) {
            if (document->unlock(documentAttributes.value(key).toString()))
                break;
        }
    }
    QStringList names;
    if (const auto root = document->outlineRoot()) {
        for (int index = 0; index < root->childCount(); ++index)
            names << root->child(index)->label();
    }
    return names;
}

QStringList SourcesWithoutOutput(const SourceFileEntries& sources, const QStringList& outputNames)
{
    QHash<QString, int> inputs;
    for (const SourceFileEntry& source : sources)
        ++inputs[baseNameOf(source)];
    QStringList missing;
    for (const SourceFileEntry& source : sources) {
        const QString base = baseNameOf(source);
        const auto produced = std::count_if(outputNames.begin(), outputNames.end(),
                                            [&](const QString& output) { return bearsName(output, base); });
        if (produced < inputs.value(base))
            missing << source->value(SourceFileKey::FilePath).toUrl().fileName();
    }
    return missing;
}
