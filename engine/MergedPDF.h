#pragma once
// The step shared by the runs that merge their inputs into one PDF: an input
// printed to a PDF whose pages join the merged document.
#include <QList>
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

// Inserts the pages of printed in order into merged at insertionIndex,
// advancing it; blank pages are left out when blankPages says Drop.
// printedCharacters, when it has an entry for every page, says how many
// characters the printer put on each: a page of more than five is not blank.
// Answers the merged index of the first page added; -1 when none was.
int AppendPages(platform::pdf::PdfDocument& merged, int& insertionIndex, BlankPages blankPages,
                const platform::pdf::PdfDocument& printed, const QList<int>& printedCharacters = {});

// Makes a temporary name, has convert write the input's PDF there, and when
// it answers YES and the file exists, appends the file's pages as
// AppendPages does. The temporary file is removed in every case.
ConvertedPages AppendConvertedPages(platform::pdf::PdfDocument& merged, int& insertionIndex,
                                    BlankPages blankPages,
                                    const std::function<bool(const QUrl& temporary)>& convert);
