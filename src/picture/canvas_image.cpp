#include "picture/canvas_image.hpp"

#include <QSaveFile>

namespace bhsim {

QImage canvasImage(const Form2& form2) {
  const int width = form2.pixelWidth();
  const int height = form2.pixelHeight();
  if (width <= 0 || height <= 0) return {};
  QImage image(width, height, QImage::Format_RGB32);
  const Colour* source = form2.pixels().data();
  for (int row = 0; row < height; ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    for (int column = 0; column < width; ++column) line[column] = 0xFF000000u | *source++;
  }
  return image;
}

// A file that is not committed is discarded with its temporary copy when `file` goes out of scope.
QString savePng(const QImage& image, const QString& path) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit()) return {};
  return file.error() != QFileDevice::NoError ? file.errorString()
                                              : QStringLiteral("the image was not written");
}

}  // namespace bhsim
