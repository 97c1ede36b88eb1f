#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// An ellipse's line thickness, which its record has no field for, kept after the stream by
// the ellipse's place among the records: places count every record (groups, their members
// and bonds included) in the order they stand in the stream, 0 for the first after the head.
struct CThicknessNote {
  std::uint32_t nPlace = 0;
  double dThickness = 1.0;
  bool operator==(const CThicknessNote&) const = default;
};

// The bytes one top-level object writes into the native stream (or the stream's head or
// end marker), with a hash of them, the number of records they hold and the notes of what
// those records could not hold (places counted from the first of them). Records never change once
// made: the undo history shares one record among every snapshot that holds the same bytes. Records
// are always made shared (Make), so that one met by address can be held again (shared_from_this).
struct CStoredRecord : std::enable_shared_from_this<CStoredRecord> {
  std::vector<std::uint8_t> m_bytes;
  std::uint64_t m_nHash = 0;
  std::uint32_t m_nRecords = 0;
  std::vector<CThicknessNote> m_thickness;

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
  // The same bytes and the same notes: one can stand for the other in a snapshot.
  bool SameContent(const CStoredRecord& other) const {
    return m_nHash == other.m_nHash && m_bytes == other.m_bytes && m_nRecords == other.m_nRecords &&
           m_thickness == other.m_thickness;
  }
};

using CStoredRecordRef = std::shared_ptr<const CStoredRecord>;
