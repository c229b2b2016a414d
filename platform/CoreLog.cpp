#include "platform/CoreLog_p.h"

namespace platform {

// Information only: nothing shows unless the category is switched on.
Q_LOGGING_CATEGORY(lcCore, "scribora.platform.core", QtWarningMsg)

} // namespace platform
