#pragma once
// The step shared by the runs that merge their inputs into one PDF: an input
// printed to a temporary PDF whose pages join the merged document.
#include <QUrl>

#include <functional>

namespace platform::pdf {
class PdfDocument;
}

enum class BlankPages { Keep, Drop };

struct ConvertedPages {
    bool ran = false;       // a temporary name was made and the conversion ran
    bool converted = false; // the conversion's answer
    int firstPage = -1;     // index in the merged document of the first page added; -1 none
};

// Makes a temporary name, has convert write the input's PDF there, and when
// it answers YES and the file exists, inserts the file's pages in order into
// merged at insertionIndex, advancing it (blank pages left out when
// blankPages says Drop). The temporary file is removed in every case.
ConvertedPages AppendConvertedPages(platform::pdf::PdfDocument& merged, int& insertionIndex,
                                    BlankPages blankPages,
                                    const std::function<bool(const QUrl& temporary)>& convert);
