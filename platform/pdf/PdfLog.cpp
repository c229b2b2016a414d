#include "platform/pdf/PdfLog_p.h"

namespace platform::pdf {

// Information only: nothing shows unless the category is switched on.
Q_LOGGING_CATEGORY(lcPdf, "scribora.platform.pdf", QtWarningMsg)

} // namespace platform::pdf
