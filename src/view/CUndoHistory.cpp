#include "view/CUndoHistory.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>
#include <utility>

void CUndoHistory::Push(std::vector<std::uint8_t> bytes, bool bModified) {
  auto pRecord = std::make_shared<CStoredRecord>();
  pRecord->m_nHash = CStoredRecord::HashOf(bytes);
  pRecord->m_bytes = std::move(bytes);
  const CStoredRecord* pOne = pRecord.get();
  PushRecords(std::span<const CStoredRecord* const>(&pOne, 1), bModified);
}

void CUndoHistory::PushRecords(const std::vector<CStoredRecordRef>& records, bool bModified) {
  std::vector<const CStoredRecord*> raw;
  raw.reserve(records.size());
  for (const auto& p : records) raw.push_back(p.get());
  PushRecords(raw, bModified);
}

void CUndoHistory::PushRecords(std::span<const CStoredRecord* const> records, bool bModified) {
  // Undo ran off the oldest end: the document shows the oldest snapshot.
  if (!m_listHistory.empty() && m_posHistory == m_listHistory.end() && m_bHistoryAtOldest) {
    m_posHistory = m_listHistory.begin();
  }
  // A change after an undo drops the undone states.
  if (m_posHistory != m_listHistory.end()) {
    m_listHistory.erase(std::next(m_posHistory), m_listHistory.end());
  }
  CSnapshot snapshot{{}, bModified ? 1 : 0};
  const CSnapshot* pPrev = m_listHistory.empty() ? nullptr : &m_listHistory.back();
  snapshot.m_runs.reserve((records.size() + kRunLength - 1) / kRunLength);
  for (std::size_t nStart = 0; nStart < records.size(); nStart += kRunLength) {
    const std::size_t nEnd = std::min(records.size(), nStart + kRunLength);
    const std::size_t nRun = nStart / kRunLength;
    // The run in the same place of the newest snapshot, when it holds the same records.
    if (pPrev != nullptr && nRun < pPrev->m_runs.size()) {
      const CRun& old = *pPrev->m_runs[nRun];
      if (old.size() == nEnd - nStart &&
          std::equal(old.begin(), old.end(), records.begin() + static_cast<std::ptrdiff_t>(nStart),
                     [](const CStoredRecordRef& a, const CStoredRecord* b) {
                       return a.get() == b || a->SameContent(*b);
                     })) {
        snapshot.m_runs.push_back(pPrev->m_runs[nRun]);
        continue;
      }
    }
    auto pRun = std::make_shared<CRun>();
    pRun->reserve(nEnd - nStart);
    for (std::size_t i = nStart; i < nEnd; ++i) pRun->push_back(records[i]->shared_from_this());
    snapshot.m_runs.push_back(std::move(pRun));
  }
  m_listHistory.push_back(std::move(snapshot));
  m_posHistory = m_listHistory.end();
  m_bHistoryAtOldest = 0;
  ++m_nChanges;
}

void CUndoHistory::MergeAfter(std::size_t nKeep) {
  if (m_posHistory != m_listHistory.end() || m_listHistory.size() <= nKeep + 1) return;
  m_listHistory.erase(std::next(m_listHistory.begin(), static_cast<std::ptrdiff_t>(nKeep)),
                      std::prev(m_listHistory.end()));
  ++m_nChanges;
}

void CUndoHistory::DropAfter(std::size_t nKeep) {
  if (m_posHistory != m_listHistory.end() || m_listHistory.size() <= nKeep) return;
  m_listHistory.erase(std::next(m_listHistory.begin(), static_cast<std::ptrdiff_t>(nKeep)),
                      m_listHistory.end());
  m_posHistory = m_listHistory.end();
  ++m_nChanges;
}

CUndoHistory::CReload CUndoHistory::Select(Iterator it) {
  m_posHistory = it;
  m_bHistoryAtOldest = 0;
  ++m_nChanges;
  CReload reload;
  reload.bModified = it->m_bModified != 0;
  reload.records = Flatten(*it);
  return reload;
}

std::optional<CUndoHistory::CReload> CUndoHistory::Undo() {
  if (!CanUndo()) {
    m_bHistoryAtOldest = 1;
    return std::nullopt;
  }
  if (m_posHistory == m_listHistory.end()) return Select(std::prev(m_listHistory.end(), 2));
  return Select(std::prev(m_posHistory));
}

std::optional<CUndoHistory::CReload> CUndoHistory::Redo() {
  Iterator next;
  if (m_posHistory == m_listHistory.end()) {
    if (!m_bHistoryAtOldest || m_listHistory.empty()) return std::nullopt;
    next = std::next(m_listHistory.begin());
  } else {
    next = std::next(m_posHistory);
  }
  if (next == m_listHistory.end()) {
    // The document shows the newest snapshot already.
    m_posHistory = next;
    m_bHistoryAtOldest = 0;
    return std::nullopt;
  }
  return Select(next);
}

bool CUndoHistory::CanUndo() const {
  if (m_posHistory == m_listHistory.end()) return !m_bHistoryAtOldest && m_listHistory.size() >= 2;
  return m_posHistory != m_listHistory.begin();
}

bool CUndoHistory::CanRedo() const {
  if (m_posHistory == m_listHistory.end()) return m_bHistoryAtOldest && m_listHistory.size() >= 2;
  return std::next(m_posHistory) != m_listHistory.end();
}

void CUndoHistory::MarkSaved() {
  if (m_listHistory.empty()) return;
  const auto saved =
      m_posHistory != m_listHistory.end() ? m_posHistory : std::prev(m_listHistory.end());
  for (auto it = m_listHistory.begin(); it != m_listHistory.end(); ++it) {
    it->m_bModified = it == saved ? 0 : 1;
  }
}

void CUndoHistory::Clear() {
  ++m_nChanges;
  m_listHistory.clear();
  m_posHistory = m_listHistory.end();
  m_bHistoryAtOldest = 0;
}

const CUndoHistory::CSnapshot& CUndoHistory::At(std::size_t i) const {
  return *std::next(m_listHistory.begin(), static_cast<std::ptrdiff_t>(i));
}

std::vector<std::uint8_t> CUndoHistory::Concatenate(std::span<const CStoredRecordRef> records) {
  std::size_t n = 0;
  for (const auto& pRecord : records) n += pRecord->m_bytes.size();
  std::vector<std::uint8_t> bytes;
  bytes.reserve(n);
  for (const auto& pRecord : records)
    bytes.insert(bytes.end(), pRecord->m_bytes.begin(), pRecord->m_bytes.end());
  return bytes;
}

std::span<const std::uint8_t> CUndoHistory::CReload::Bytes() const {
  if (!m_bytes) m_bytes = Concatenate(records);
  return *m_bytes;
}

std::vector<CStoredRecordRef> CUndoHistory::Flatten(const CSnapshot& snapshot) {
  std::vector<CStoredRecordRef> records;
  for (const auto& pRun : snapshot.m_runs)
    records.insert(records.end(), pRun->begin(), pRun->end());
  return records;
}

std::vector<std::uint8_t> CUndoHistory::BytesAt(std::size_t i) const {
  return Concatenate(Flatten(At(i)));
}

std::vector<CStoredRecordRef> CUndoHistory::CurrentRecords() const {
  std::vector<CStoredRecordRef> records;
  for (const auto& pRun : CurrentRuns()) records.insert(records.end(), pRun->begin(), pRun->end());
  return records;
}

std::vector<std::shared_ptr<const CUndoHistory::CRun>> CUndoHistory::CurrentRuns() const {
  if (m_listHistory.empty()) return {};
  if (m_posHistory != m_listHistory.end()) return m_posHistory->m_runs;
  // After running off the oldest end the document shows the oldest snapshot.
  return (m_bHistoryAtOldest ? m_listHistory.front() : m_listHistory.back()).m_runs;
}

std::vector<CStoredRecordRef> CUndoHistory::RecordsAt(std::size_t i) const {
  return Flatten(At(i));
}

std::size_t CUndoHistory::HeldBytes() const {
  std::unordered_set<const void*> seen;
  std::size_t n = 0;
  for (const CSnapshot& snapshot : m_listHistory) {
    n += sizeof(CSnapshot) + snapshot.m_runs.capacity() * sizeof(snapshot.m_runs[0]);
    for (const auto& pRun : snapshot.m_runs) {
      if (!seen.insert(pRun.get()).second) continue;
      n += sizeof(CRun) + pRun->capacity() * sizeof(CStoredRecordRef);
      for (const auto& pRecord : *pRun) {
        if (seen.insert(pRecord.get()).second)
          n += sizeof(CStoredRecord) + pRecord->m_bytes.capacity();
      }
    }
  }
  return n;
}

bool CUndoHistory::IsModifiedAt(std::size_t i) const { return At(i).m_bModified != 0; }

std::optional<std::size_t> CUndoHistory::Position() const {
  if (m_posHistory == m_listHistory.end()) return std::nullopt;
  return static_cast<std::size_t>(
      std::distance(m_listHistory.begin(), std::list<CSnapshot>::const_iterator(m_posHistory)));
}
