#pragma once
// The page fields of word processors' field codes, as RTF and Word 97 write
// them: "PAGE", " NUMPAGES \* Arabic ".
#include <QStringView>

namespace platform::text {

// The PageField a field's code names, as its number; 0 for any other field.
int pageFieldOfCode(QStringView code);

} // namespace platform::text
