#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Builds expected streams byte by byte, independently of the archive under test.
struct Bytes {
  std::vector<std::uint8_t> v;

  Bytes& raw(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    v.insert(v.end(), b, b + n);
    return *this;
  }
  Bytes& text(const std::string& s) { return raw(s.data(), s.size()); }
  Bytes& u8(std::uint8_t b) {
    v.push_back(b);
    return *this;
  }
  Bytes& i32(std::int32_t x) {
    const auto u = static_cast<std::uint32_t>(x);
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    return *this;
  }
  Bytes& f64(double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, 8);
    for (int i = 0; i < 8; ++i) v.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    return *this;
  }
  // The current magic and a selection count.
  Bytes& header(std::int32_t nSel = 0) {
    text("8Valendra").u8(0);
    return i32(nSel);
  }
  Bytes& kvillHeader() { return text("KvillDoc").u8(0).u8(0); }
  // A common part of the current family.
  Bytes& common(std::int32_t kind, std::int32_t sel, double scale, std::int32_t l, std::int32_t t,
                std::int32_t r, std::int32_t b, std::int32_t ax, std::int32_t ay,
                std::uint32_t color) {
    i32(kind).i32(sel).f64(scale).i32(l).i32(t).i32(r).i32(b).i32(ax).i32(ay);
    return i32(static_cast<std::int32_t>(color));
  }
  // A dot at (x, y): box anchor +- 30.
  Bytes& dot(std::int32_t x, std::int32_t y, std::int32_t sel = 0) {
    return common(8, sel, 1.0, x - 30, y + 30, x + 30, y - 30, x, y, 0);
  }
  // The end reference of a dot at (x, y).
  Bytes& dotRef(std::int32_t x, std::int32_t y) {
    return i32(x).i32(y).i32(x - 30).i32(y + 30).i32(x + 30).i32(y - 30);
  }
  // A single bond between dots at a and b, everything else zero.
  Bytes& bond(std::int32_t ax, std::int32_t ay, std::int32_t bx, std::int32_t by,
              std::int32_t sel = 0) {
    common(12, sel, 1.0, 0, 0, 0, 0, 0, 0, 0);
    i32(0).i32(0).i32(1);                // reserved, reserved, side
    i32(0).i32(0).i32(0).i32(0);         // end points
    i32(1).i32(0).i32(0).i32(0).i32(0);  // style, pen style, attach dx, dy, reserved
    dotRef(ax, ay).dotRef(bx, by);
    return f64(1.0);
  }
  Bytes& end() { return i32(10); }
};
