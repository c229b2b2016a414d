#pragma once
// Private to platform/text: the logging category of the area, quiet by
// default (QT_LOGGING_RULES="scribora.platform.text=true" shows it). It says
// why a file was refused, for whoever debugs; users are told nothing here.
#include <QLoggingCategory>

namespace platform::text {

Q_DECLARE_LOGGING_CATEGORY(lcText)

} // namespace platform::text
