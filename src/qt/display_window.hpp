#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "display/display.hpp"

namespace bhsim {

// The display window: paints the pixels the Display model keeps, so nothing drawn is lost to covering,
// minimising or resizing. It follows the model lazily: `sync()` (called at every event pump and whenever
// the event loop is about to sleep) mirrors the model's size and repaints at most about 60 times a second.
// A run under a post-Newtonian model names it in the top left corner, over the picture but not in it, and
// under it what a merger of black holes 1 and 2 left.
// Its context menu and shortcuts keep the picture: "Save Picture..." (Ctrl+S) and "Copy Picture" (Ctrl+C),
// from the model's pixels, without touching the run.
class DisplayWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRepaintIntervalMs = 16;

  // `onClose` runs when the user closes the window by its frame.
  DisplayWindow(Display& display, std::function<void()> onClose);

  void sync();
  // What the window shows: the model's pixels as of the last repaint.
  const QImage& image() const { return image_; }
  std::uint64_t shownRevision() const { return shownRevision_; }
  // The legend painted over the picture's top left corner (the law of gravity of a post-Newtonian run).
  const QString& legend() const { return legend_; }
  // The line painted under the legend (the remnant of a merger).
  const QString& note() const { return note_; }

  // Saves the drawing area to `path` as PNG; a failure is shown in a message box. Returns success.
  bool savePicture(const QString& path);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void followModelGeometry();
  void takePixels();

  Display& display_;
  std::function<void()> onClose_;
  QImage image_;
  QString legend_;
  QString note_;
  std::uint64_t shownRevision_ = 0;
  QPoint modelPosition_{-1, -1};
  QElapsedTimer sinceRepaint_;
  QTimer throttle_;
};

}  // namespace bhsim
