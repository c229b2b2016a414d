#pragma once
// Font names of documents made into families this machine draws: a font the
// document names but the machine lacks is drawn with the metric-compatible
// family fontconfig's aliases give for it (Carlito for Calibri, Liberation
// Serif for Times New Roman, ...), so that lines and pages break where they
// did in the word processor that wrote it.
#include <QString>
#include <QStringList>

namespace platform::text {

// The families a document's font name is drawn with: the name itself, then
// its metric-compatible stand-in when the name is not installed and
// fontconfig knows one. An empty name gives an empty list.
QStringList documentFontFamilies(const QString& family);

// The installed metric-compatible stand-in of a family that is not
// installed; empty when the family is installed or has none.
QString metricCompatibleFamily(const QString& family);

} // namespace platform::text
