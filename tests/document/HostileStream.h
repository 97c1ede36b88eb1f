#pragma once

// Native streams another program could put on the clipboard or into a file. The default
// one: the magic, then 369 records made of about 4 000 numbers (16 kB), most of them with
// kind codes the program does not know (kept as ellipses), scales from 1e-300 to 6e306,
// boxes and anchors up to 3.7e8 units either way, thicknesses as wild; among them
// formulas, charges, junctions and bonds between those junctions. Every value is one a
// loader takes as stored: nothing in it is malformed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

namespace hostile {

// The stream's numbers, little-endian.
struct Writer {
  std::vector<std::uint8_t> v;
  Writer& u8(std::uint8_t b) {
    v.push_back(b);
    return *this;
  }
  Writer& i32(std::int32_t x) {
    const auto u = static_cast<std::uint32_t>(x);
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    return *this;
  }
  Writer& f64(double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    for (int i = 0; i < 8; ++i) v.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    return *this;
  }
  Writer& common(std::int32_t kind, std::int32_t sel, double scale, std::int32_t l, std::int32_t t,
                 std::int32_t r, std::int32_t b, std::int32_t ax, std::int32_t ay,
                 std::uint32_t color) {
    i32(kind).i32(sel).f64(scale).i32(l).i32(t).i32(r).i32(b).i32(ax).i32(ay);
    return i32(static_cast<std::int32_t>(color));
  }
  // The end reference of a junction at (x, y): its anchor and its box of +-30.
  Writer& dotRef(std::int32_t x, std::int32_t y) {
    return i32(x).i32(y).i32(x - 30).i32(y + 30).i32(x + 30).i32(y - 30);
  }
};

}  // namespace hostile

struct StreamRecipe {
  int nRecords = 369;               // a twentieth of them bonds
  std::int64_t nReach = 370000000;  // coordinates from -nReach to nReach
  double dMinExponent = -300.0;     // scales and thicknesses from 10^min to 10^max
  double dMaxExponent = 306.8;
  std::uint32_t nSeed = 33;
  // Every box reaches across the origin (and so across a window there), every junction
  // lies far out: the bonds between them cross it too.
  bool bAcross = false;
};

// The same count of ordinary objects: a drawing of 30 000 x 30 000 units, scales 1 to 2.
inline StreamRecipe OrdinaryRecipe(int nRecords) { return {nRecords, 15000, 0.0, 0.3, 7}; }

inline std::vector<std::uint8_t> HostileStream(const StreamRecipe& recipe = {}) {
  std::mt19937 rng(recipe.nSeed);
  // rng() alone, not the standard distributions, so that every library gives the same.
  const auto coord = [&] {
    const auto nSpan = static_cast<std::uint64_t>(2 * recipe.nReach + 1);
    const std::uint64_t r = (static_cast<std::uint64_t>(rng()) << 32) | rng();
    return static_cast<std::int32_t>(static_cast<std::int64_t>(r % nSpan) - recipe.nReach);
  };
  const auto beside = [&](std::int32_t v) {
    const std::int64_t n = v + static_cast<std::int64_t>(rng() % (recipe.nReach / 20 + 2));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, INT32_MIN, INT32_MAX));
  };
  const auto scale = [&] {
    const double f = static_cast<double>(rng()) / 4294967295.0;
    return std::pow(10.0, recipe.dMinExponent + f * (recipe.dMaxExponent - recipe.dMinExponent));
  };
  hostile::Writer b;
  for (const char c : std::string_view("8Valendra")) b.u8(static_cast<std::uint8_t>(c));
  b.u8(0).i32(static_cast<std::int32_t>(rng() % 50));
  std::vector<std::pair<std::int32_t, std::int32_t>> dots;
  const auto common = [&](std::int32_t kind) {
    std::int32_t l = coord(), t = coord();
    std::int32_t r = rng() % 4 == 0 ? coord() : beside(l);
    std::int32_t bottom = rng() % 4 == 0 ? coord() : -beside(-t);
    if (recipe.bAcross) {
      l = -std::abs(l);
      r = std::abs(r);
      t = std::abs(t);
      bottom = -std::abs(bottom);
    }
    b.common(kind, static_cast<std::int32_t>(rng() % 2), scale(), l, t, r, bottom, coord(), coord(),
             rng() & 0xFFFFFF);
  };
  // Records that are no bonds (the first tenth junctions), then bonds between junctions.
  const int nBonds = recipe.nRecords * 20 / 369;
  const int nOthers = recipe.nRecords - nBonds;
  for (int i = 0; i < nOthers; ++i) {
    const std::uint32_t pick = i < nOthers / 10 ? 99 : rng() % 100;
    if (pick < 80) {
      // A kind no version of the program wrote: read as an ellipse that keeps its code.
      common(static_cast<std::int32_t>(15 + rng() % 5000));
    } else if (pick < 86) {
      common(6);
      const std::int32_t n = static_cast<std::int32_t>(1 + rng() % 12);
      b.i32(n);
      for (std::int32_t k = 0; k < n; ++k) {
        b.u8(static_cast<std::uint8_t>("CH2O^_{}3\\a"[rng() % 11]));
      }
    } else if (pick < 92) {
      common(rng() % 2 == 0 ? 13 : 14);
      b.f64(scale());
    } else {
      const std::int32_t x = std::clamp(coord(), INT32_MIN + 30, INT32_MAX - 30);
      const std::int32_t y = std::clamp(coord(), INT32_MIN + 30, INT32_MAX - 30);
      b.common(8, 0, scale(), x - 30, y + 30, x + 30, y - 30, x, y, 0);
      dots.emplace_back(x, y);
    }
  }
  for (int i = 0; i < nBonds && !dots.empty(); ++i) {
    const auto [ax, ay] = dots[rng() % dots.size()];
    const auto [bx, by] = dots[rng() % dots.size()];
    common(12);
    b.i32(0).i32(0).i32(static_cast<std::int32_t>(1 + rng() % 2));
    b.i32(coord()).i32(coord()).i32(coord()).i32(coord());
    b.i32(static_cast<std::int32_t>(1 + rng() % 10)).i32(rng() % 2 == 0 ? 0 : 2);
    b.i32(coord()).i32(coord()).i32(0);
    b.dotRef(ax, ay).dotRef(bx, by);
    b.f64(scale());
  }
  b.i32(10);
  return b.v;
}
