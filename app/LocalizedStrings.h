#pragma once
// The program's user-visible texts, looked up by key in the one English
// strings table of the resources, and the formats some of them hold.
#include <QString>
#include <QVariantList>

// The text for key; the key itself when the table lacks it.
QString LocalizedString(const QString& key);

// Fills a format's placeholders in order: "%@" takes any value as text,
// "%d", "%ld", "%li" and "%lld" a whole number; "%%" is a percent sign.
// Arguments are inserted as they are, never read as further placeholders.
QString FormatString(const QString& format, const QVariantList& arguments);

// LocalizedString(key) filled with the arguments.
QString LocalizedFormat(const QString& key, const QVariantList& arguments);
