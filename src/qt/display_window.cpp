#include "qt/display_window.hpp"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QPainter>
#include <QResizeEvent>

#include "display/palette.hpp"
#include "qt/twips.hpp"

namespace bhsim {

DisplayWindow::DisplayWindow(Form2& form2, std::function<void()> onClose)
    : form2_(form2), onClose_(std::move(onClose)) {
  setWindowTitle(QString::fromUtf8(Form2::kCaption.data(), static_cast<qsizetype>(Form2::kCaption.size())));
  setObjectName(QStringLiteral("Form2"));
  setAttribute(Qt::WA_StaticContents);
  setAttribute(Qt::WA_OpaquePaintEvent);
  throttle_.setSingleShot(true);
  connect(&throttle_, &QTimer::timeout, this, &DisplayWindow::sync);
  // Catches the changes made by handlers that ran in the main loop, just before it goes to sleep.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &DisplayWindow::sync);
  followModelGeometry();
  takePixels();
}

void DisplayWindow::sync() {
  followModelGeometry();
  if (shownRevision_ == form2_.revision()) return;
  if (throttle_.isActive()) return;
  const qint64 since = sinceRepaint_.isValid() ? sinceRepaint_.elapsed() : kRepaintIntervalMs;
  if (since < kRepaintIntervalMs) {
    throttle_.start(static_cast<int>(kRepaintIntervalMs - since));
    return;
  }
  takePixels();
  update();
}

// The model's size is the window's client size, and its position the window's.
void DisplayWindow::followModelGeometry() {
  const QPoint position(twipsToPixels(form2_.Left()), twipsToPixels(form2_.Top()));
  if (position != modelPosition_) {
    modelPosition_ = position;
    move(position);
  }
  const QSize size(form2_.pixelWidth(), form2_.pixelHeight());
  if (this->size() != size) resize(size);
}

void DisplayWindow::takePixels() {
  const int width = form2_.pixelWidth();
  const int height = form2_.pixelHeight();
  if (image_.width() != width || image_.height() != height) {
    image_ = width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage();
  }
  const std::vector<Colour>& pixels = form2_.pixels();
  for (int row = 0; row < image_.height(); ++row) {
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(row));
    const Colour* source = pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
    for (int column = 0; column < width; ++column) line[column] = 0xFF000000u | source[column];
  }
  shownRevision_ = form2_.revision();
  sinceRepaint_.start();
}

void DisplayWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect().topLeft(), image_, event->rect());
  // While the window is larger than the model's area (a resize not yet taken in) the rest is blank.
  const QRegion outside = event->region().subtracted(QRegion(image_.rect()));
  for (const QRect& rect : outside) painter.fillRect(rect, QColor::fromRgb(0xFF000000u | kBackgroundColour));
}

// A size the window takes that the model did not ask for is the user's (or the window system's): the
// model learns it. The window's own resize to the model's size arrives here with the model's size.
void DisplayWindow::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  if (size == QSize(form2_.pixelWidth(), form2_.pixelHeight())) return;
  form2_.setClientPixels(size.width(), size.height());
  sync();
}

void DisplayWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onClose_) onClose_();
}

}  // namespace bhsim
