#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "objects/CStoredRecord.h"

// A recovery file: the native stream of a drawing that was not saved, written in idle
// time into the user's state folder ($XDG_STATE_HOME/valendra/recovery/, by default
// ~/.local/state/valendra/recovery/) so that it outlives a crash, a killed process or a
// power cut, behind a short header of text lines of our own:
//
//   Valendra recovery 1
//   pid 4711
//   start 123456          (when the process started, in clock ticks since boot)
//   boot 3334d1da-7290-4a4a-bd3b-728a90163e09
//   time 1718000000       (when the drawing was written, seconds since 1970)
//   path /home/me/a.vld   (or "untitled"; %, CR and LF written as %25, %0D, %0A)
//   (an empty line, then the stream)
//
// The process id, its start and the boot say whose file it is: a file whose process is
// gone, or whose boot is not this one, is an orphan that the next start offers.
struct CRecoveryHeader {
  std::int64_t nPid = 0;
  std::uint64_t nStart = 0;
  std::string strBoot;
  std::int64_t nTime = 0;
  std::string strPath;  // empty for an untitled drawing

  // This process, now, for a drawing of that path.
  static CRecoveryHeader ForThisProcess(const std::string& strPath);
  // Whether the process that wrote it has ended (or the machine started again since).
  bool IsOrphan() const;

  std::string Format() const;
  // The header at the start of a file and where the stream begins; nothing, with the
  // reason, when the bytes do not begin with a whole header of ours.
  static std::optional<CRecoveryHeader> Parse(std::span<const std::uint8_t> bytes,
                                              std::size_t* pStreamStart, std::string* pError);

  friend bool operator==(const CRecoveryHeader&, const CRecoveryHeader&) = default;
};

namespace recovery {

// The folder of the recovery files (made when missing).
QString Folder();
// The name of this process's recovery file in it.
QString OwnFileName();
// Whether a name is that of a recovery file.
bool IsRecoveryFileName(const QString& strName);
// Where a file that does not read is put aside.
QString BrokenName(const QString& strPath);

// Writes a recovery file through the safe writer: the header, then the pieces of the
// stream one after the other. False with the reason when it was not written.
bool Write(const QString& strPath, const CRecoveryHeader& header,
           std::span<const std::span<const std::uint8_t>> stream, QString* pReason);
// The same for a stream given as the undo history's records of a snapshot: their bytes
// are written as they are, so the write costs what copying them to the disk does.
bool Write(const QString& strPath, const CRecoveryHeader& header,
           std::span<const CStoredRecordRef> records, QString* pReason);

// The boot this machine is in (the kernel's boot id), and when a process started.
std::string BootId();
std::optional<std::uint64_t> ProcessStart(std::int64_t nPid);

}  // namespace recovery
