#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "document/CClipboardSource.h"
#include "objects/CKVObject.h"
#include "objects/CObList.h"
#include "objects/Geometry.h"

// The system clipboard as the view uses it: what a copy offers goes on it, and the native
// stream comes back from it for a paste. The shell implements it on the platform's
// clipboard; tests use one in memory.
class IClipboard {
 public:
  virtual ~IClipboard() = default;

  // Replaces what the clipboard holds by what a copy offers.
  virtual void SetData(CClipboardSource source) = 0;
  // Whether the clipboard holds the native format.
  virtual bool HasNativeData() = 0;
  // The native data, or nothing when the clipboard holds none or it cannot be read.
  virtual std::optional<std::vector<std::uint8_t>> GetNativeData() = 0;
  // What a paste places when there is no native data: drawing objects made of what other
  // programs put on the clipboard (structures), their middle at ptCentre. None when it
  // holds nothing of use; the implementation tells the user why.
  virtual CObList GetForeignObjects(CPoint /*ptCentre*/) { return {}; }
};
