#pragma once
// File types a bitmap representation writes by itself, numbered as the
// engine's tables store them.
namespace platform::image {

namespace BitmapFileType {
enum : int {
    TIFF = 0,
    BMP = 1,
    GIF = 2,
    JPEG = 3,
    PNG = 4,
    JPEG2000 = 5,
};
} // namespace BitmapFileType

} // namespace platform::image
