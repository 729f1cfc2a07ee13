#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "display/display.hpp"

namespace bhsim {

// The display's drawing area as an opaque RGB32 image, one pixel per canvas pixel (a null image for an
// empty area).
QImage canvasImage(const Display& display);

// The image as PNG; empty when it could not be encoded.
std::string pngBytes(const QImage& image);

// Writes `image` to `path` as PNG, as an OutputFile: a file appears whole or not at all, a device or
// pipe is written directly. Returns an empty string, or why it failed.
QString savePng(const QImage& image, const QString& path);

}  // namespace bhsim
