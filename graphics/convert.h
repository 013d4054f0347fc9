// Float-to-int conversions that stay defined for every input (NaN and out-of-range values
// saturate instead of invoking undefined behaviour).
#pragma once
#include <climits>
#include <cmath>

// Truncates toward zero.
inline int kx_graphics_TruncInt(double v) {
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

// Rounds to the nearest integer, halves to even.
inline int kx_graphics_RoundInt(double v) { return kx_graphics_TruncInt(std::nearbyint(v)); }
