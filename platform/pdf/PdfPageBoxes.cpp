#include "platform/pdf/PdfPageBoxes_p.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <cmath>
#include <exception>
#include <optional>

namespace platform::pdf::boxes {

namespace {

QPDFObjectHandle attribute(QPDFObjectHandle page, const std::string& key)
{
    try {
        QPDFObjectHandle value = QPDFPageObjectHelper(page).getAttribute(key, false);
        if (value.isInitialized() && !value.isNull())
            return value;
    } catch (const std::exception&) {
    }
    return QPDFObjectHandle();
}

std::optional<QRectF> rectangle(QPDFObjectHandle value)
{
    try {
        if (!value.isInitialized() || !value.isArray() || value.getArrayNItems() != 4)
            return std::nullopt;
        double v[4];
        for (int i = 0; i < 4; ++i) {
            QPDFObjectHandle item = value.getArrayItem(i);
            if (!item.isNumber())
                return std::nullopt;
            v[i] = item.getNumericValue();
            if (!std::isfinite(v[i]))
                return std::nullopt;
        }
        const double x0 = std::min(v[0], v[2]), x1 = std::max(v[0], v[2]);
        const double y0 = std::min(v[1], v[3]), y1 = std::max(v[1], v[3]);
        return QRectF(x0, y0, x1 - x0, y1 - y0);
    } catch (const std::exception&) {
        // Resolving a damaged object may throw: the box reads as missing.
        return std::nullopt;
    }
}

} // namespace

bool hasInheritedAttribute(QPDFObjectHandle page, const std::string& key)
{
    return attribute(page, key).isInitialized();
}

QRectF mediaBox(QPDFObjectHandle page)
{
    if (auto box = rectangle(attribute(page, "/MediaBox")))
        return *box;
    return QRectF(0, 0, 612, 792);
}

QRectF cropBox(QPDFObjectHandle page)
{
    if (auto box = rectangle(attribute(page, "/CropBox")))
        return *box;
    return mediaBox(page);
}

int normaliseRotation(long long degrees)
{
    if (degrees % 90 != 0)
        return 0;
    const long long r = ((degrees % 360) + 360) % 360;
    return int(r);
}

int rotation(QPDFObjectHandle page)
{
    try {
        QPDFObjectHandle value = attribute(page, "/Rotate");
        if (!value.isInitialized() || !value.isNumber())
            return 0;
        const double r = value.getNumericValue();
        if (!std::isfinite(r) || std::fabs(r) > 1e9 || r != std::floor(r))
            return 0;
        return normaliseRotation((long long)r);
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace platform::pdf::boxes
