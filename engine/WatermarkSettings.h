#pragma once
// The user's watermarks: a text and an image, each a box placed on a preview
// of known size. Objects are held, not owned.
#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <memory>

namespace platform::image {
class Image;
}

struct TextWatermarkSettings {
    QString text;
    double x1 = 0;             // box corner nearest the preview's origin
    double y1 = 0;
    double previewWidth = 0;   // the preview both boxes were placed on
    double previewHeight = 0;
    QFont font;
    std::int64_t fontSize = 0; // points at preview scale
    std::int32_t drawingMode = 0; // 0 fills; else strokes with the colour
    QColor colour;
    std::int64_t strokeWidth = 0;
    double alpha = 0;          // 0 to 1
    double characterSpacing = 0;
    std::int64_t rotation = 0; // degrees
    bool shadow = false;
    QColor shadowColour;
    std::int64_t shadowBlur = 0;
    std::int64_t shadowOffsetX = 0;
    std::int64_t shadowOffsetY = 0;
    double x2 = 0;             // opposite corner
    double y2 = 0;
};

struct ImageWatermarkSettings {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    std::shared_ptr<platform::image::Image> image;
    double alpha = 0;
    double scale = 0;          // extra size factor
};

struct WatermarkSettings {
    TextWatermarkSettings text;
    ImageWatermarkSettings image;
};
