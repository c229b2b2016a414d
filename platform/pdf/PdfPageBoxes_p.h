#pragma once
// Private to platform/pdf: reading a page object's inheritable attributes.
#include <qpdf/QPDFObjectHandle.hh>

#include <QRectF>

#include <string>

namespace platform::pdf::boxes {

// True when the page has the attribute itself or inherits it from the tree.
bool hasInheritedAttribute(QPDFObjectHandle page, const std::string& key);
// /MediaBox, inherited; US Letter when missing or malformed, as readers do.
QRectF mediaBox(QPDFObjectHandle page);
// /CropBox, inherited; the media box when missing or malformed.
QRectF cropBox(QPDFObjectHandle page);
// /Rotate, inherited, normalised to 0, 90, 180 or 270 (0 when invalid).
int rotation(QPDFObjectHandle page);
// Brings any multiple of 90 into 0..270; other values give 0.
int normaliseRotation(long long degrees);

} // namespace platform::pdf::boxes
