#pragma once
// The job records of the document jobs. The caller zero-fills a record, fills
// it and keeps it and all it refers to alive until the job returns; the engine
// never changes a field.
#include "engine/ProgressCallbackInfo.h"
#include "engine/SourceFileEntry.h"

#include <QUrl>
#include <QVariantMap>

#include <cstdint>

// Record of ConvertDocumentsToPDF.
struct AllToPDFConversionOptions {
    SourceFileEntries sources;        // inputs, in output order
    QUrl destination;                 // merged: the output file; else the output folder
    ProgressCallbackInfo progress;
    unsigned char singlePDF = 0;      // non-zero: merge all inputs into one PDF
    unsigned char overrideRichText = 0; // non-zero: text attributes over rich documents too
    unsigned char outlinePerInput = 0;  // non-zero: one bookmark per input (merged only)
    double pageWidth = 0;             // points, portrait terms
    double pageHeight = 0;
    double leftMargin = 0;
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    std::uint64_t orientation = 0;    // 0 portrait, 1 landscape
    double imageQuality = 0;          // image pages: 0 to 1
    std::int32_t imageType = 0;       // image pages: ImageType
    std::int32_t colorMode = 0;       // image pages: ColorMode
    std::int32_t pageSizeMode = 0;    // image pages: 0 own size, else the page size
    std::int64_t resolutionLimit = 0; // image pages: highest DPI, 0 or less none
    std::int64_t scalePercent = 0;    // image pages: scale when no limit applies
    unsigned char noHorizontalWidening = 0;
    unsigned char noVerticalWidening = 0;
    QVariantMap documentAttributes;   // PDF write options of every final output
    QVariantMap textAttributes;       // font and colour laid over text documents
};

// Record of ConvertTextDocumentsToPDF and of HTMLToPDF's record initialiser.
struct ScriboraConversionOptions {
    SourceFileEntries sources;
    QUrl destination;                 // folder, or the output file when singlePDF is set
    ProgressCallbackInfo progress;
    unsigned char singlePDF = 0;
    unsigned char overrideRichText = 0;
    double pageWidth = 0;
    double pageHeight = 0;
    double leftMargin = 0;
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    std::uint64_t orientation = 0;
    QVariantMap documentAttributes;
    QVariantMap textAttributes;
};
