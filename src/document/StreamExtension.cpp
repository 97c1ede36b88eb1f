#include "document/StreamExtension.h"

#include <cmath>
#include <cstring>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"

namespace {

constexpr std::size_t kTagSize = 8;
constexpr char kTag[kTagSize] = {'V', 'L', 'D', 'E', 'X', 'T', '0', '1'};
constexpr std::uint64_t kEntrySize = 12;
constexpr std::uint64_t kScanBlock = 256;
constexpr std::size_t kMagicSize = 10;

}  // namespace

std::vector<std::uint8_t> EncodeStreamExtension(std::span<const CThicknessNote> notes,
                                                std::uint64_t nAt) {
  std::vector<std::uint8_t> bytes;
  if (notes.empty()) return bytes;
  {
    CArchive ar(&bytes);
    ar.Write(kTag, kTagSize);
    ar.WriteInt32(static_cast<std::int32_t>(notes.size()));
    for (const CThicknessNote& n : notes) {
      ar.WriteInt32(static_cast<std::int32_t>(n.nPlace));
      ar.WriteDouble(n.dThickness);
    }
  }
  // Only the block's own bytes can show a magic at a boundary: the ten bytes there begin at
  // or after its first byte, as a window reaching back into the end marker holds its 0x0A
  // or its zeros where no magic has them.
  const std::uint64_t nFirst = (nAt + kScanBlock - 1) / kScanBlock * kScanBlock;
  for (std::uint64_t b = nFirst; b + kMagicSize <= nAt + bytes.size(); b += kScanBlock) {
    if (MatchMagic(bytes.data() + (b - nAt)) != StreamFamily::None) return {};
  }
  return bytes;
}

std::optional<std::vector<CThicknessNote>> ReadStreamExtension(CArchive& ar,
                                                               std::uint32_t nRecords) {
  char tag[kTagSize];
  if (ar.GetRemaining() < kTagSize + 4 || !ar.Read(tag, kTagSize) ||
      std::memcmp(tag, kTag, kTagSize) != 0)
    return std::nullopt;
  std::int32_t nCount = 0;
  if (!ar.ReadInt32(nCount) || nCount <= 0 ||
      static_cast<std::uint64_t>(nCount) > ar.GetRemaining() / kEntrySize ||
      static_cast<std::uint64_t>(nCount) > nRecords)
    return std::nullopt;
  std::vector<CThicknessNote> notes;
  notes.reserve(static_cast<std::size_t>(nCount));
  for (std::int32_t i = 0; i < nCount; ++i) {
    std::int32_t nPlace = 0;
    double dThickness = 0.0;
    if (!ar.ReadInt32(nPlace) || !ar.ReadDouble(dThickness)) return std::nullopt;
    if (nPlace < 0 || static_cast<std::uint32_t>(nPlace) >= nRecords ||
        (!notes.empty() && static_cast<std::uint32_t>(nPlace) <= notes.back().nPlace) ||
        !std::isfinite(dThickness))
      return std::nullopt;
    notes.push_back(CThicknessNote{static_cast<std::uint32_t>(nPlace), dThickness});
  }
  return notes;
}

bool IsStreamExtension(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kTagSize + 4 && std::memcmp(bytes.data(), kTag, kTagSize) == 0;
}
