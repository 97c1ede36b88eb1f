#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// Writing a file so that a failure never costs the previous file: the bytes go to a new
// file in the same folder, which is flushed to the disk (the file, then its folder) and
// then renamed over the target. Every write, the flushes and the close are checked, so a
// short write (a full disk, a quota, a failing disk) is reported rather than left as a
// truncated file, and on any failure the new file is removed and the target left alone.
//
// The new file is named ".NAME.valendra-PID-XXXXXX" beside the target NAME, so that one
// left behind by a process that was killed while writing can be recognised as ours, and
// as dead, and removed (RemoveLeftovers).
//
// Every file the program writes goes through this class: drawings, pictures, the
// embedded drawing's file, recovery files and the settings.
class CSafeFile {
 public:
  explicit CSafeFile(QString strTarget);
  CSafeFile(const CSafeFile&) = delete;
  CSafeFile& operator=(const CSafeFile&) = delete;
  // A file that was not committed is removed.
  ~CSafeFile();

  // Creates the new file beside the target; false with the reason when it cannot be.
  bool Open();
  // Appends bytes (buffered; the buffer goes to the disk in blocks of kBlockSize). After
  // the first failure every further call fails and Commit reports it.
  bool Write(std::span<const std::uint8_t> bytes);
  bool Write(const char* p, std::size_t n) {
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(p), n));
  }
  // Writes what is buffered and flushes the new file and its folder to the disk: all that
  // can fail before the target is touched. False with the reason when a step failed; the
  // new file is then gone. Files that must change together are all finished before any
  // is committed.
  bool Finish();
  // Finishes (if that was not done) and puts the file in the target's place. False with
  // the reason when any step failed; the target is then as it was and the new file gone.
  bool Commit();
  // Gives up: the new file is removed, the target is as it was.
  void Discard();

  // The system's text for the first failure (empty while there was none).
  const QString& Reason() const { return m_strReason; }
  bool Failed() const { return m_nError != 0; }
  const QString& Target() const { return m_strTarget; }

  // The whole file in one go; false with the reason in *pReason when it was not written.
  static bool Write(const QString& strPath, std::span<const std::uint8_t> bytes, QString* pReason);
  // The same for a file given in pieces, written one after the other.
  static bool Write(const QString& strPath, std::span<const std::span<const std::uint8_t>> pieces,
                    QString* pReason);

  // Removes, from the target's folder, the new files of writes of that target whose
  // writing process has ended (a save that was killed). Files of running processes, of
  // other targets and of any other naming are never touched. Returns how many went.
  static int RemoveLeftovers(const QString& strTarget);
  // The same in a folder, for every target whose name the predicate accepts.
  static int RemoveLeftoversIn(const QString& strFolder,
                               const std::function<bool(const QString& strTargetName)>& isTarget);
  // Whether a file name is one of our new files for the target named strTargetName, and
  // which process wrote it.
  static std::optional<std::int64_t> LeftoverWriter(const QString& strFileName,
                                                    const QString& strTargetName);

  // How much goes to the disk in one write call.
  static constexpr std::size_t kBlockSize = 64 * 1024;

  // ---- The seam for failure tests ----
  // A failure to inject: the nIndex-th write call (counted from 1 over the whole process
  // from the moment the fault is set), the flush of the file or of its folder, or the
  // rename, fails with the error nErrno (ENOSPC, EIO, EDQUOT, ...).
  enum class Step { Write, FileSync, FolderSync, Rename };
  struct Fault {
    Step step = Step::Write;
    int nIndex = 1;
    int nErrno = 0;
  };
  // Sets the fault (none clears it) and resets the count of write calls. The environment
  // variable VALENDRA_SAFE_FILE_FAULT sets one at start-up in the same way, as
  // "write:N:ERRNO", "fsync:ERRNO", "dirsync:ERRNO" or "rename:ERRNO" (ERRNO a name such as
  // ENOSPC or a number), so that the whole program can be tried against it.
  static void SetFault(std::optional<Fault> fault);
  static std::optional<Fault> ParseFault(const std::string& strSpec);
  // The environment variable VALENDRA_SAFE_FILE_PACE=MS makes every write call wait MS
  // milliseconds first, so that a test can kill the program while a file is half written.
  // Write calls made since the fault was last set (or the process started).
  static int WriteCalls();

 private:
  bool Flush();
  bool Fail(int nErr);

  QString m_strTarget;
  QByteArray m_target;  // encoded absolute paths
  QByteArray m_folder;
  QByteArray m_temp;
  int m_fd = -1;
  bool m_bFinished = false;
  bool m_bCommitted = false;
  int m_nError = 0;
  QString m_strReason;
  std::vector<std::uint8_t> m_buffer;
};
