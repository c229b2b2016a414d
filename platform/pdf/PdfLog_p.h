#pragma once
// Private to platform/pdf: the logging category of the area, quiet by
// default (QT_LOGGING_RULES="scribora.platform.pdf=true" shows it). It says
// why a file was refused, for whoever debugs; users are told nothing here.
#include <QLoggingCategory>

namespace platform::pdf {

Q_DECLARE_LOGGING_CATEGORY(lcPdf)

} // namespace platform::pdf
