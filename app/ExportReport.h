#pragma once
// Which inputs of an export produced no PDF: the engine answers for the run
// as a whole, so the outputs are looked at afterwards. An input named B
// gives an output B or "B n" (a number added when the name was taken).
#include "engine/SourceFileEntry.h"

#include <QStringList>
#include <QUrl>
#include <QVariantMap>

// The names, without extension, of the PDF files in a folder.
QStringList PDFNamesInFolder(const QString& folder);

// The names of the inputs of a merged PDF: the labels of its top-level
// bookmarks. documentAttributes unlock it when it was written with passwords.
QStringList InputNamesInMergedPDF(const QUrl& pdf, const QVariantMap& documentAttributes);

// The file names of the sources that fewer outputs bear than there are
// sources of that name, in list order.
QStringList SourcesWithoutOutput(const SourceFileEntries& sources, const QStringList& outputNames);
