#include "platform/text/TextLog_p.h"

namespace platform::text {

// Information only: nothing shows unless the category is switched on.
Q_LOGGING_CATEGORY(lcText, "scribora.platform.text", QtWarningMsg)

} // namespace platform::text
