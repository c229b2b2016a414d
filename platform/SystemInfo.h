#pragma once
// Facts about the running system and the user's folders: the platform level
// this layer provides, the application's identifier, the preferences and
// temporary folders, and where to stage a file before moving it into place.
#include <QString>
#include <QUrl>

#include <optional>

namespace platform {

struct SystemVersion {
    int major = 0;
    int minor = 0;
    int bugFix = 0;
};

// The level the layer provides: every feature an older system lacked is here.
inline constexpr SystemVersion kProvidedSystemVersion{10, 15, 0};
inline constexpr const char* kDefaultBundleIdentifier = "com.klv.Scribora";

SystemVersion systemVersion();
// Pretends to run another system (tests); nullopt restores the provided level.
void setSystemVersionForTesting(std::optional<SystemVersion> version);

QString bundleIdentifier();
// Overrides the identifier (tests); an empty string restores the default.
void setBundleIdentifierForTesting(const QString& identifier);

// The user's Preferences folder (not created here).
QString preferencesFolder();
// The user's temporary folder, without a trailing separator.
QString temporaryFolder();

// A folder on the same filesystem as destination's folder, for a file that is
// written there and then renamed onto destination: the temporary folder when
// it shares that filesystem, else a hidden folder at the root of the
// destination's volume or, failing that, the destination's own folder.
// Created when needed. Empty when the destination is no local file or no such
// folder is usable.
QString itemReplacementFolder(const QUrl& destination);

} // namespace platform
