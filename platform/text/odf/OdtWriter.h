#pragma once
// OpenDocument text packages (.odt) out of a rich text document: mimetype,
// manifest, content and styles, with a font declaration for each family, an
// automatic text style for each distinct look and paragraph styles for
// alignment. Our own writer: Qt's loses each run's font.
#include <QByteArray>
#include <QString>

#include <optional>

class QTextDocument;

namespace platform::text {

std::optional<QByteArray> odtData(const QTextDocument& document);

// False when the file could not be written.
bool writeOdt(const QTextDocument& document, const QString& path);

} // namespace platform::text
