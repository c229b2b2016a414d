#pragma once
// Keys of the attribute dictionaries that cross between the shell and the
// engine: PDF write options and text attributes. Each key string is the
// constant's own name.
#include <QLatin1StringView>

namespace platform::keys {

// PDF document information (QString values).
inline constexpr QLatin1StringView kCGPDFContextTitle{"kCGPDFContextTitle"};
inline constexpr QLatin1StringView kCGPDFContextAuthor{"kCGPDFContextAuthor"};
inline constexpr QLatin1StringView kCGPDFContextSubject{"kCGPDFContextSubject"};
inline constexpr QLatin1StringView kCGPDFContextKeywords{"kCGPDFContextKeywords"};
inline constexpr QLatin1StringView kCGPDFContextCreator{"kCGPDFContextCreator"};

// PDF security: passwords (QString), permissions (bool), key length (int, bits).
inline constexpr QLatin1StringView kCGPDFContextOwnerPassword{"kCGPDFContextOwnerPassword"};
inline constexpr QLatin1StringView kCGPDFContextUserPassword{"kCGPDFContextUserPassword"};
inline constexpr QLatin1StringView kCGPDFContextAllowsPrinting{"kCGPDFContextAllowsPrinting"};
inline constexpr QLatin1StringView kCGPDFContextAllowsCopying{"kCGPDFContextAllowsCopying"};
inline constexpr QLatin1StringView kCGPDFContextEncryptionKeyLength{"kCGPDFContextEncryptionKeyLength"};

// Text attributes: a QFont and a QColor.
inline constexpr QLatin1StringView NSFontAttributeName{"NSFontAttributeName"};
inline constexpr QLatin1StringView NSForegroundColorAttributeName{"NSForegroundColorAttributeName"};

} // namespace platform::keys
