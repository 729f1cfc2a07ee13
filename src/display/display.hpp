#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "display/palette.hpp"

namespace bhsim {

// The display window "Display Form": an outer size in twips (single precision) and a drawing area of
// pixels at 15 twips a pixel that keeps everything drawn on it. The frame takes 120 twips across and 510
// down.
class Display {
 public:
  static constexpr std::string_view kCaption = "Display Form";
  static constexpr float kFrameWidth = 120;
  static constexpr float kFrameHeight = 510;
  static constexpr float kTwipsPerPixel = 15;

  Display();

  float Width() const { return width_; }
  float Height() const { return height_; }
  float Left() const { return left_; }
  float Top() const { return top_; }
  // The outer size takes effect at once; pixels inside both the old and the new area are kept.
  void setWidth(float twips);
  void setHeight(float twips);
  void setLeft(float twips) { left_ = twips; }
  void setTop(float twips) { top_ = twips; }
  // What a view reports when the user resizes the window: the drawing area in pixels.
  void setClientPixels(int width, int height);

  float ScaleWidth() const { return static_cast<float>(pixelWidth_); }
  float ScaleHeight() const { return static_cast<float>(pixelHeight_); }
  int pixelWidth() const { return pixelWidth_; }
  int pixelHeight() const { return pixelHeight_; }

  bool shown() const { return shown_; }
  void show() { shown_ = true; }

  void clear();
  // Sets one pixel; any coordinates are accepted and those outside the area (or not finite) are ignored.
  void setPixel(double column, double row, Colour colour);
  Colour pixel(int column, int row) const { return pixels_[index(column, row)]; }
  const std::vector<Colour>& pixels() const { return pixels_; }
  // Puts back a whole drawing area of the present size (a copy of pixels()); other sizes are ignored.
  void setPixels(const std::vector<Colour>& pixels);

  // A short text the view shows over the drawing, outside its pixels (the law of gravity of a
  // post-Newtonian run); empty for none.
  const std::string& legend() const { return legend_; }
  void setLegend(std::string_view text) {
    if (legend_ == text) return;
    legend_ = text;
    ++revision_;
  }

  // A second such line under the legend: what the last merger of black holes 1 and 2 left; empty for none.
  const std::string& note() const { return note_; }
  void setNote(std::string_view text) {
    if (note_ == text) return;
    note_ = text;
    ++revision_;
  }

  // A counter that grows with every change of the pixels, the size, the legend or the note, for views that
  // repaint lazily.
  std::uint64_t revision() const { return revision_; }

 private:
  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(pixelWidth_) +
           static_cast<std::size_t>(column);
  }
  void resizeArea();

  float left_ = 60;
  float top_ = 450;
  float width_;
  float height_;
  int pixelWidth_ = 0;
  int pixelHeight_ = 0;
  bool shown_ = false;
  std::vector<Colour> pixels_;
  std::string legend_;
  std::string note_;
  std::uint64_t revision_ = 0;
};

}  // namespace bhsim
