#pragma once

#include <QRect>
#include <cmath>

namespace bhsim {

// Both windows are laid out in twips; the screen shows 15 twips a pixel.
inline constexpr double kTwipsPerPixel = 15;

inline int twipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height) {
  return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

}  // namespace bhsim
