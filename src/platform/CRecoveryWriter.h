#pragma once

#include <QString>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "objects/CStoredRecord.h"
#include "platform/CRecoveryFile.h"

// Writes recovery files on a thread of its own, in the order asked, so that the window
// never waits for the disk: the stream is handed over as the undo history's runs of
// records, which never change once made and may be read from any thread, so handing over
// a drawing of any size costs a few hundred pointers. Removals are queued behind the
// writes, so a file removed is never brought back by a write still under way.
class CRecoveryWriter {
 public:
  using CRun = std::vector<CStoredRecordRef>;
  using CRuns = std::vector<std::shared_ptr<const CRun>>;

  CRecoveryWriter();
  // Finishes what is queued first.
  ~CRecoveryWriter();
  CRecoveryWriter(const CRecoveryWriter&) = delete;
  CRecoveryWriter& operator=(const CRecoveryWriter&) = delete;

  // Writes the file; when that succeeds and strRemoveAfter is given, removes that file.
  void Write(const QString& strPath, const CRecoveryHeader& header, CRuns runs,
             const QString& strRemoveAfter = {});
  void Remove(const QString& strPath);
  // Waits until everything queued so far is done.
  void Wait();

  // The outcome of each write, in order, since last taken.
  struct CResult {
    QString strPath;
    bool bOk = false;
    QString strReason;
  };
  std::vector<CResult> TakeResults();
  // Called on the writing thread after each write (to wake the window's thread).
  std::function<void()> m_fnWritten;

 private:
  struct CJob {
    QString strPath;
    bool bRemove = false;
    CRecoveryHeader header;
    CRuns runs;
    QString strRemoveAfter;
  };
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_wake, m_idle;
  std::deque<CJob> m_jobs;
  std::vector<CResult> m_results;
  bool m_bBusy = false;
  bool m_bStop = false;
  std::thread m_thread;
};
