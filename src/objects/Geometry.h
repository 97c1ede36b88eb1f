#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Points, boxes and sizes in drawing units (y points up), and the integer helpers every
// object uses. Stored values are taken as they come from files, so sums that can leave
// int32 are done in 64 bits and clamped.

using COLORREF = std::uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

struct CPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend bool operator==(const CSize&, const CSize&) = default;
};

// A box (left, top, right, bottom); in drawing units top >= bottom.
struct CRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const CRect&, const CRect&) = default;
};

inline std::int32_t Clamp32(std::int64_t v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// a + b without leaving int32.
inline std::int32_t SatAdd(std::int32_t a, std::int64_t b) {
  return Clamp32(static_cast<std::int64_t>(a) + b);
}

// Converts a double to int32 by truncation toward zero; NaN gives 0 and values beyond
// the int32 range give its limits, so no input can make the conversion undefined.
inline std::int32_t Trunc32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// round(v) = floor(v + 0.5), clamped to int32 as Trunc32 does.
inline std::int32_t Round32(double v) { return Trunc32(std::floor(v + 0.5)); }
