#pragma once

#include <cstdint>

// The styles of a bond object, in the order of the palette's tools.
enum : std::int32_t {
  kStyleSingle = 1,
  kStyleDouble = 2,
  kStyleTriple = 3,
  kStyleWedge = 4,
  kStyleCentredDouble = 5,
  kStyleArrow = 6,
  kStyleHash = 7,
  kStyleTwoSidedArrow = 8,
  kStyleWideDashed = 9,
  kStyleCurve = 10,
};
