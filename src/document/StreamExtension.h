#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "objects/CStoredRecord.h"

class CArchive;

// What the records of the native stream have no field for travels in one block after the
// stream's end marker, where every reader of the format has already stopped: a tag of our
// own, a count, and for each ellipse whose line thickness is not 1.0 its place among the
// records (CThicknessNote) and its thickness. A stream without such an ellipse has no block,
// so it keeps exactly the bytes it always had.
//
//   8 bytes  "VLDEXT01"
//   int32    n, the number of entries
//   n times  int32 place, double thickness   (places strictly increasing)

// The block for these notes (places counted from the first record after the head), or
// nothing when there are none. nAt is the block's offset from the start of the stream: the
// scanning loader takes the last 256-byte block that begins with a magic for the start of a
// stream, so a block whose bytes would show it one at such a boundary is not written at all.
std::vector<std::uint8_t> EncodeStreamExtension(std::span<const CThicknessNote> notes,
                                                std::uint64_t nAt);

// Reads a block at the archive's position after an end marker, for a stream of nRecords
// records. Nothing when there is none or it is damaged in any way (cut short, another tag, a
// count the data cannot hold, places out of order or beyond the records, a thickness that is
// not a finite number): a damaged block is ignored as a whole, never half applied.
std::optional<std::vector<CThicknessNote>> ReadStreamExtension(CArchive& ar,
                                                               std::uint32_t nRecords);

// Whether a stored record is such a block (a snapshot's records end with it when it has one).
bool IsStreamExtension(std::span<const std::uint8_t> bytes);
