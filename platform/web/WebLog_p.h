#pragma once
// Private to platform/web: the logging category of the area, quiet by
// default (QT_LOGGING_RULES="scribora.platform.web=true" shows it). It says
// why a file was refused, for whoever debugs; users are told nothing here.
#include <QLoggingCategory>

namespace platform::web {

Q_DECLARE_LOGGING_CATEGORY(lcWeb)

} // namespace platform::web
