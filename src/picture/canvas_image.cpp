#include "picture/canvas_image.hpp"

#include <QBuffer>
#include <QFile>

#include "output/output_file.hpp"

namespace bhsim {

QImage canvasImage(const Display& display) {
  const int width = display.pixelWidth();
  const int height = display.pixelHeight();
  if (width <= 0 || height <= 0) return {};
  QImage image(width, height, QImage::Format_RGB32);
  const Colour* source = display.pixels().data();
  for (int row = 0; row < height; ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    for (int column = 0; column < width; ++column) line[column] = 0xFF000000u | *source++;
  }
  return image;
}

std::string pngBytes(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
  return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

QString savePng(const QImage& image, const QString& path) {
  const std::string png = pngBytes(image);
  if (png.empty()) return QStringLiteral("the image was not written");
  const std::string error = writeOutputFile(QFile::encodeName(path).toStdString(), png);
  return QString::fromStdString(error);
}

}  // namespace bhsim
