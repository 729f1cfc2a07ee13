#pragma once

namespace bhsim {

// Gravitational parameter of one solar mass, km^3/s^2 (one unit in the last place below 1.32712752e11).
inline constexpr double kSolarGM = 132712751999.99998;
// Speed of light, km/s.
inline constexpr double kLightSpeed = 299792;
// 1/3 rounded to single precision: the exponent of the orbit's cube root.
inline constexpr double kCubeRootExponent = static_cast<double>(static_cast<float>(1.0 / 3.0));
// Steps between two plots (and event pumps) of the integration loop.
inline constexpr long long kPlotPeriod = 1000;
// Wall-clock seconds between two field refreshes.
inline constexpr double kRefreshInterval = 0.1;

}  // namespace bhsim
