#include "platform/CRecoveryWriter.h"

#include <QFile>

CRecoveryWriter::CRecoveryWriter() : m_thread([this] { Run(); }) {}

CRecoveryWriter::~CRecoveryWriter() {
  {
    std::lock_guard lock(m_mutex);
    m_bStop = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void CRecoveryWriter::Write(const QString& strPath, const CRecoveryHeader& header, CRuns runs,
                            const QString& strRemoveAfter) {
  {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(CJob{strPath, false, header, std::move(runs), strRemoveAfter});
  }
  m_wake.notify_all();
}

void CRecoveryWriter::Remove(const QString& strPath) {
  {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(CJob{strPath, true, {}, {}, {}});
  }
  m_wake.notify_all();
}

void CRecoveryWriter::Wait() {
  std::unique_lock lock(m_mutex);
  m_idle.wait(lock, [this] { return m_jobs.empty() && !m_bBusy; });
}

std::vector<CRecoveryWriter::CResult> CRecoveryWriter::TakeResults() {
  std::lock_guard lock(m_mutex);
  return std::exchange(m_results, {});
}

void CRecoveryWriter::Run() {
  for (;;) {
    CJob job;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [this] { return m_bStop || !m_jobs.empty(); });
      // Asked to stop, it still finishes what was queued: a removal must not be lost.
      if (m_jobs.empty()) return;
      job = std::move(m_jobs.front());
      m_jobs.pop_front();
      m_bBusy = true;
    }
    if (job.bRemove) {
      QFile::remove(job.strPath);
    } else {
      std::vector<CStoredRecordRef> records;
      for (const auto& pRun : job.runs) records.insert(records.end(), pRun->begin(), pRun->end());
      CResult result{job.strPath, false, {}};
      result.bOk = recovery::Write(job.strPath, job.header, records, &result.strReason);
      if (result.bOk && !job.strRemoveAfter.isEmpty()) QFile::remove(job.strRemoveAfter);
      // The runs go here, on this thread, before the result is told.
      job.runs.clear();
      {
        std::lock_guard lock(m_mutex);
        m_results.push_back(std::move(result));
      }
      // Told while still busy, so that whoever waits for the writer to be idle knows that
      // no call of this is still to come.
      if (m_fnWritten) m_fnWritten();
    }
    {
      std::lock_guard lock(m_mutex);
      m_bBusy = false;
    }
    m_idle.notify_all();
  }
}
