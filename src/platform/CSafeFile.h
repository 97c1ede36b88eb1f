#pragma once

#include <QString>
#include <cstdint>
#include <span>

// Writing a file so that a failure never costs the previous file: the bytes go to a new
// file in the same folder, which is flushed to the disk and then renamed over the target.
// Every write, the flush and the close are checked, so a short write (a full disk, a size
// limit) is reported rather than left as a truncated file.
class CSafeFile {
 public:
  // False with the reason (the system's error text) when the file could not be written;
  // the target is then as it was and no temporary file is left.
  static bool Write(const QString& strPath, std::span<const std::uint8_t> bytes, QString* pReason);
};
