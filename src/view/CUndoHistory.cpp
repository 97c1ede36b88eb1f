#include "view/CUndoHistory.h"

#include <iterator>
#include <utility>

void CUndoHistory::Push(std::vector<std::uint8_t> bytes, bool bModified) {
  // Undo ran off the oldest end: the document shows the oldest snapshot.
  if (!m_listHistory.empty() && m_posHistory == m_listHistory.end() && m_bHistoryAtOldest) {
    m_posHistory = m_listHistory.begin();
  }
  // A change after an undo drops the undone states.
  if (m_posHistory != m_listHistory.end()) {
    m_listHistory.erase(std::next(m_posHistory), m_listHistory.end());
  }
  m_listHistory.push_back(CSnapshot{std::move(bytes), bModified ? 1 : 0});
  m_posHistory = m_listHistory.end();
  m_bHistoryAtOldest = 0;
}

CUndoHistory::CReload CUndoHistory::Select(Iterator it) {
  m_posHistory = it;
  m_bHistoryAtOldest = 0;
  return CReload{std::span<const std::uint8_t>(it->m_block), it->m_bModified != 0};
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
  m_listHistory.clear();
  m_posHistory = m_listHistory.end();
  m_bHistoryAtOldest = 0;
}

const CUndoHistory::CSnapshot& CUndoHistory::At(std::size_t i) const {
  return *std::next(m_listHistory.begin(), static_cast<std::ptrdiff_t>(i));
}

std::vector<std::uint8_t> CUndoHistory::BytesAt(std::size_t i) const { return At(i).m_block; }

bool CUndoHistory::IsModifiedAt(std::size_t i) const { return At(i).m_bModified != 0; }

std::optional<std::size_t> CUndoHistory::Position() const {
  if (m_posHistory == m_listHistory.end()) return std::nullopt;
  return static_cast<std::size_t>(
      std::distance(m_listHistory.begin(), std::list<CSnapshot>::const_iterator(m_posHistory)));
}
