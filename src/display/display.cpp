#include "display/display.hpp"

#include <algorithm>
#include <cmath>

namespace bhsim {
namespace {

// Pixels of a drawing area whose outer extent is `outer` twips with `frame` twips of frame.
int areaPixels(float outer, float frame) {
  const double twips = static_cast<double>(outer) - static_cast<double>(frame);
  if (!(twips > 0)) return 0;
  return static_cast<int>(std::min(std::floor(twips / Display::kTwipsPerPixel), 20000.0));
}

}  // namespace

Display::Display() : width_(2250 + kFrameWidth), height_(3000 + kFrameHeight) {
  resizeArea();
}

void Display::setWidth(float twips) {
  width_ = twips;
  resizeArea();
}

void Display::setHeight(float twips) {
  height_ = twips;
  resizeArea();
}

void Display::setClientPixels(int width, int height) {
  width_ = static_cast<float>(width) * kTwipsPerPixel + kFrameWidth;
  height_ = static_cast<float>(height) * kTwipsPerPixel + kFrameHeight;
  resizeArea();
}

void Display::clear() {
  std::fill(pixels_.begin(), pixels_.end(), kBackgroundColour);
  ++revision_;
}

void Display::setPixel(double column, double row, Colour colour) {
  if (!(column >= 0 && column < pixelWidth_ && row >= 0 && row < pixelHeight_)) return;
  pixels_[index(static_cast<int>(column), static_cast<int>(row))] = colour;
  ++revision_;
}

void Display::setPixels(const std::vector<Colour>& pixels) {
  if (pixels.size() != pixels_.size()) return;
  pixels_ = pixels;
  ++revision_;
}

void Display::resizeArea() {
  const int width = areaPixels(width_, kFrameWidth);
  const int height = areaPixels(height_, kFrameHeight);
  if (width == pixelWidth_ && height == pixelHeight_) return;
  std::vector<Colour> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              kBackgroundColour);
  const int keepWidth = std::min(width, pixelWidth_);
  const int keepHeight = std::min(height, pixelHeight_);
  for (int row = 0; row < keepHeight; ++row) {
    std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(index(0, row)), keepWidth,
                resized.begin() + static_cast<std::ptrdiff_t>(row) * width);
  }
  pixels_ = std::move(resized);
  pixelWidth_ = width;
  pixelHeight_ = height;
  ++revision_;
}

}  // namespace bhsim
