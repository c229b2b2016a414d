#include "platform/web/WebLog_p.h"

namespace platform::web {

// Information only: nothing shows unless the category is switched on.
Q_LOGGING_CATEGORY(lcWeb, "scribora.platform.web", QtWarningMsg)

} // namespace platform::web
