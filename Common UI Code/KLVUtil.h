#pragma once
// The maker's shared utility functions: temporary and unique file names, file
// helpers, the operating-system version test, preference files, user
// notifications and Finder-order comparison. Callable from any thread; no
// state is kept between calls.
#include <QLocale>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform::pdf {
class PdfDocument;
}

// Temporary names (a fresh UUID as the file name); nothing is created.
QUrl GetTemporaryFileURL();
QUrl GetTemporaryURLAppropriateForURL(const QUrl& destination);
QUrl GetTemporaryURLInDirectory(const QString& folderPath, const QString& prefix,
                                const QString& extension);
QUrl GetTemporaryURLWithPrefix(const QString& prefix);

// Unique names: base.ext, then "base 1.ext", "base 2.ext", ...
QUrl GetUniqueFileURL(const QUrl& folder, const QString& baseName, const QString& extension,
                      bool overwrite);
QUrl GetUniqueFileURLForFile(const QUrl& folder, const QUrl& file, const QString& extension,
                             bool overwrite);
QUrl GetUniqueFolderURL(const QUrl& parent, const QString& name, bool create);
QUrl GetUniqueFolderURLForFile(const QUrl& parent, const QUrl& file, bool create);

bool ReplaceFileAtURL(const QUrl& source, const QUrl& destination);

// POSIX file helpers: 0 on success, else an error code.
int writeFile(const char* path, const void* bytes, std::size_t length);
int readFile(const char* path, void** buffer, std::size_t* length);
int copyFile(const char* sourcePath, const char* destinationPath);
int GetFileSizeOfURL(const QUrl& url, std::uint64_t* size);

std::string GetFileNameWithoutExtension(const QUrl& url, int* flag = nullptr);
std::string GetStdString(const QString& string);
std::string GetFilePathString(const QUrl& url, int* flag = nullptr);
char* CopyFilePathCString(const QUrl& url); // caller frees
char* CopyCString(const QString& string);   // caller frees

QString GetApplicationSupportFolder(const QString& folderName);
QString FormatFileSizeBinary(double size);
QString FormatFileSizeDecimal(double size);
bool IsDailyMarkerStale();
void TouchDailyMarker();
std::uint64_t GetFolderSize(const QUrl& folder);
QByteArray CreateFlattenedPDFData(const platform::pdf::PdfDocument* document);

void RemoveUserDefault(const QString& key);
void SetUserDefault(const QVariant& value, const QString& key);
QVariant GetUserDefault(const QString& key);

// Zero or positive when the running system is at least major.minor.bugFix.
int CompareSystemVersion(int major, int minor, int bugFix);

// Preference property lists in the user's Preferences folder; the file name
// is fileNameFormat ("%@-Pref.plist") applied to the bundle identifier.
// Load: a missing file leaves out untouched (NO); an unreadable one resets it (NO).
bool LoadPreferencesPlist(std::optional<QVariantMap>& out, const QString& fileNameFormat);
bool SavePreferencesPlist(const QVariantMap& dictionary, const QString& fileNameFormat);

void PostUserNotification(const QString& title, const QString& informativeText);

// Finder order: case-insensitive, numbers by value, never "same" for strings
// that differ. Answers -1, 0 or 1.
int FinderCompare(const QString& string, const QString& other, const QLocale* locale = nullptr);

// URL equality: equal absolute URLs, or two file URLs with equal paths.
bool isEqualToURL(const QUrl& url, const QUrl& other);
