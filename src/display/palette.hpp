#pragma once

#include <cstdint>

namespace bhsim {

// A 24-bit RGB colour, 0xRRGGBB.
using Colour = std::uint32_t;

// The standard 16-colour palette by index (0 black, 1 dark blue, 2 dark green, 4 dark red, 12 bright red,
// ...). Indices outside 0 to 15 wrap around.
Colour paletteColor(int index);

// What clearing the display fills it with.
inline constexpr Colour kBackgroundColour = 0xFFFFFF;

}  // namespace bhsim
