#pragma once
// The documents-to-PDF job: every input (text, PDF, web) either into a PDF of
// its own in a folder, or into one merged PDF with one bookmark per input.
#include "engine/ConversionOptions.h"

class AllToPDFConverter {
public:
    // options is not owned; it must outlive the converter.
    explicit AllToPDFConverter(AllToPDFConversionOptions* options);
    ~AllToPDFConverter();
    AllToPDFConverter(const AllToPDFConverter&) = delete;
    AllToPDFConverter& operator=(const AllToPDFConverter&) = delete;

    // One PDF per entry into the folder options->destination. The result is
    // that of the last entry that set it; NO when cancelled.
    bool ConvertAllToSeparatePDFs();
    // All entries into the file options->destination. NO when no page was
    // collected, when cancelled (nothing written) or when the write failed.
    bool ConvertAllToSinglePDF();

private:
    AllToPDFConversionOptions* m_options = nullptr;
};

// Runs the merged or the separate job as options->singlePDF says. NO at once
// when options or its destination is missing.
bool ConvertDocumentsToPDF(AllToPDFConversionOptions* options);
