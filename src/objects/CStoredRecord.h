#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// The bytes one top-level object writes into the native stream (or the stream's head or
// end marker), with a hash of them. Records never change once made: the undo history
// shares one record among every snapshot that holds the same bytes. Records are always
// made shared (Make), so that one met by address can be held again (shared_from_this).
struct CStoredRecord : std::enable_shared_from_this<CStoredRecord> {
  std::vector<std::uint8_t> m_bytes;
  std::uint64_t m_nHash = 0;

  // 64-bit FNV-1a: records are short, and a hash only sorts out the unequal ones quickly;
  // equal hashes are confirmed by comparing the bytes.
  static std::uint64_t HashOf(std::span<const std::uint8_t> bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
  }
  static std::shared_ptr<const CStoredRecord> Make(std::span<const std::uint8_t> bytes) {
    auto p = std::make_shared<CStoredRecord>();
    p->m_bytes.assign(bytes.begin(), bytes.end());
    p->m_nHash = HashOf(bytes);
    return p;
  }
  bool SameBytes(const CStoredRecord& other) const {
    return m_nHash == other.m_nHash && m_bytes == other.m_bytes;
  }
};

using CStoredRecordRef = std::shared_ptr<const CStoredRecord>;
