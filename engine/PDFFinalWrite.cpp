#include "engine/PDFFinalWrite.h"

#include "Common UI Code/KLVUtil.h"
#include "platform/pdf/PdfDocument.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

FinalWriteResult WritePDFThenMove(const platform::pdf::PdfDocument& document,
                                  const QUrl& destination, const QVariantMap& attributes)
{
    const QUrl temporary = GetTemporaryURLAppropriateForURL(destination);
    if (temporary.isEmpty())
        return FinalWriteResult::NoTemporaryURL;
    const QString temporaryPath = temporary.toLocalFile();
    if (!document.write(temporary, attributes)) {
        QFile::remove(temporaryPath);
        return FinalWriteResult::WriteFailed;
    }
    // One rename replaces the destination: the old file stays until the
    // new one takes its place.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporaryPath).toStdString(),
                            QFile::encodeName(destination.toLocalFile()).toStdString(), error);
    if (error) {
        QFile::remove(temporaryPath);
        return FinalWriteResult::MoveFailed;
    }
    return FinalWriteResult::Done;
}

bool WritePDFDataToURL(const platform::pdf::PdfDocument& document, const QUrl& destination,
                       const QVariantMap& attributes)
{
    if (platform::pdf::PdfDocument::optionsEncrypt(attributes))
        return false;
    const QByteArray data = document.dataRepresentation();
    if (data.isEmpty())
        return false;
    QSaveFile file(destination.toLocalFile());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(data) == data.size() && file.commit();
}

bool WriteFinalPDF(const platform::pdf::PdfDocument& document, const QUrl& destination,
                   const QVariantMap& attributes)
{
    switch (WritePDFThenMove(document, destination, attributes)) {
    case FinalWriteResult::Done:
        return true;
    case FinalWriteResult::NoTemporaryURL:
        return WritePDFDataToURL(document, destination, attributes);
    case FinalWriteResult::WriteFailed:
    case FinalWriteResult::MoveFailed:
        break;
    }
    return false;
}
