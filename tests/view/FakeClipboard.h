#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "document/CClipboardSource.h"
#include "view/IClipboard.h"

// A clipboard in memory: it keeps what the last copy offered, or native bytes that a test
// puts there as another program would.
class FakeClipboard : public IClipboard {
 public:
  void SetData(CClipboardSource source) override {
    ++m_nSets;
    m_source = std::move(source);
    m_foreign.reset();
  }
  bool HasNativeData() override { return m_foreign.has_value() || m_source.HasNative(); }
  std::optional<std::vector<std::uint8_t>> GetNativeData() override {
    if (m_bUnreadable) return std::nullopt;
    if (m_foreign) return m_foreign;
    if (m_source.HasNative()) return *m_source.Native();
    return std::nullopt;
  }

  // What other programs' data (structures) makes, asked with the window's middle.
  CObList GetForeignObjects(CPoint ptCentre) override {
    m_foreignCentre = ptCentre;
    return m_makeForeign ? m_makeForeign(ptCentre) : CObList{};
  }
  std::function<CObList(CPoint)> m_makeForeign;
  std::optional<CPoint> m_foreignCentre;

  // Native bytes as another program would have put them there.
  void PutForeign(std::vector<std::uint8_t> bytes) {
    m_source = CClipboardSource{};
    m_foreign = std::move(bytes);
  }
  // The native bytes of the last copy (empty when there are none).
  std::vector<std::uint8_t> Native() const {
    return m_source.HasNative() ? *m_source.Native() : std::vector<std::uint8_t>{};
  }

  CClipboardSource m_source;
  std::optional<std::vector<std::uint8_t>> m_foreign;
  // The format is announced but its data cannot be had (the owner went away).
  bool m_bUnreadable = false;
  int m_nSets = 0;
};
