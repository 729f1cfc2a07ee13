#include "qt/display_window.hpp"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QPainter>
#include <QResizeEvent>

#include "display/palette.hpp"
#include "picture/canvas_image.hpp"
#include "qt/actions_menu.hpp"
#include "qt/twips.hpp"

namespace bhsim {

DisplayWindow::DisplayWindow(Display& display, std::function<void()> onClose)
    : display_(display), onClose_(std::move(onClose)) {
  setWindowTitle(
      QString::fromUtf8(Display::kCaption.data(), static_cast<qsizetype>(Display::kCaption.size())));
  setObjectName(QStringLiteral("Form2"));
  setAttribute(Qt::WA_StaticContents);
  setAttribute(Qt::WA_OpaquePaintEvent);
  throttle_.setSingleShot(true);
  connect(&throttle_, &QTimer::timeout, this, &DisplayWindow::sync);
  // Catches the changes made by handlers that ran in the main loop, just before it goes to sleep.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &DisplayWindow::sync);
  addPictureActions(
      this, QStringLiteral("bhsim.png"), [this] { return canvasImage(display_); },
      [this](const QString& path) { return savePicture(path); });
  followModelGeometry();
  takePixels();
}

bool DisplayWindow::savePicture(const QString& path) {
  return savePictureOrSay(this, canvasImage(display_), path);
}

void DisplayWindow::sync() {
  followModelGeometry();
  if (shownRevision_ == display_.revision()) return;
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
  const QPoint position(twipsToPixels(display_.Left()), twipsToPixels(display_.Top()));
  if (position != modelPosition_) {
    modelPosition_ = position;
    move(position);
  }
  const QSize size(display_.pixelWidth(), display_.pixelHeight());
  if (this->size() != size) resize(size);
}

void DisplayWindow::takePixels() {
  image_ = canvasImage(display_);
  legend_ = QString::fromStdString(display_.legend());
  note_ = QString::fromStdString(display_.note());
  shownRevision_ = display_.revision();
  sinceRepaint_.start();
}

void DisplayWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect().topLeft(), image_, event->rect());
  // While the window is larger than the model's area (a resize not yet taken in) the rest is blank.
  const QRegion outside = event->region().subtracted(QRegion(image_.rect()));
  for (const QRect& rect : outside) painter.fillRect(rect, QColor::fromRgb(0xFF000000u | kBackgroundColour));
  const QString lines = note_.isEmpty() ? legend_ : legend_ + QLatin1Char('\n') + note_;
  if (!lines.isEmpty()) {
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(QColor(96, 96, 96));
    // a window narrower than the note breaks it between words
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines);
  }
}

// A size the window takes that the model did not ask for is the user's (or the window system's): the
// model learns it. The window's own resize to the model's size arrives here with the model's size.
void DisplayWindow::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  if (size == QSize(display_.pixelWidth(), display_.pixelHeight())) return;
  display_.setClientPixels(size.width(), size.height());
  sync();
}

void DisplayWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onClose_) onClose_();
}

}  // namespace bhsim
