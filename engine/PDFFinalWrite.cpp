#include "engine/PDFFinalWrite.h"

#include "Common UI Code/KLVUtil.h"
#include "platform/pdf/PdfDocument.h"

#include <QFile>
#include <QSaveFile>

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
    const QString destinationPath = destination.toLocalFile();
    QFile::remove(destinationPath);
    if (!QFile::rename(temporaryPath, destinationPath)) {
        QFile::remove(temporaryPath);
        return FinalWriteResult::MoveFailed;
    }
    return FinalWriteResult::Done;
}

bool WritePDFDataToURL(const platform::pdf::PdfDocument& document, const QUrl& destination)
{
    const QByteArray data = document.dataRepresentation();
    if (data.isEmpty())
        return false;
    QSaveFile file(destination.toLocalFile());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(data) == data.size() && file.commit();
}
