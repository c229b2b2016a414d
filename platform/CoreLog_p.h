#pragma once
// Private to the core area: its logging category, quiet by default
// (QT_LOGGING_RULES="scribora.platform.core=true" shows it). It says why a
// file was refused, for whoever debugs; users are told nothing here.
#include <QLoggingCategory>

namespace platform {

Q_DECLARE_LOGGING_CATEGORY(lcCore)

} // namespace platform
