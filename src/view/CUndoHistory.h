#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "objects/CStoredRecord.h"

// The undo history: whole-document snapshots, each the exact bytes of the native stream and
// the document's modified flag when it was taken, oldest first, and where the document
// stands among them. It knows nothing of the document: the view writes the stream, hands it
// over, and reloads the document from what Undo and Redo give back.
//
// A snapshot is kept as the sequence of its records (the stream's head, one record per
// top-level object, the end marker); its bytes are their concatenation. Records are shared
// by every snapshot that holds them, and the sequence is cut into runs of fixed length that
// are shared too when a later snapshot holds the same records in the same places, so that
// a snapshot after a small edit costs what the edit changed, not the size of the drawing.
class CUndoHistory {
 public:
  CUndoHistory() = default;
  // The position is an iterator into the list, which a copy would not carry over.
  CUndoHistory(const CUndoHistory&) = delete;
  CUndoHistory& operator=(const CUndoHistory&) = delete;

  // What Undo and Redo hand back: the bytes to reload and the modified flag recorded with
  // them. The bytes stay valid until the history next changes.
  struct CReload {
    bool bModified = false;
    // The snapshot as records, which the objects read from it take over.
    std::vector<CStoredRecordRef> records;
    // Its bytes, put together when first asked for.
    std::span<const std::uint8_t> Bytes() const;

   private:
    mutable std::optional<std::vector<std::uint8_t>> m_bytes;
  };

  // Records a new newest snapshot. A history standing on an older snapshot (after an
  // undo) first drops every snapshot after that one: the redo branch goes. May throw
  // std::bad_alloc; the history is then still whole, with the redo branch already gone.
  void Push(std::vector<std::uint8_t> bytes, bool bModified);
  // The same, for a snapshot given as its records; records and runs that the newest
  // snapshot already holds are shared with it. Records given by address are held from
  // here on (they must have been made shared, and the caller keeps them alive until the
  // call returns: dropping the redo branch may release the history's own hold first).
  void PushRecords(std::span<const CStoredRecord* const> records, bool bModified);
  void PushRecords(const std::vector<CStoredRecordRef>& records, bool bModified);
  // The snapshot before the current one, which becomes current; none when the document
  // shows the oldest snapshot (or the history is empty), and the history then remembers
  // that it ran off the oldest end.
  std::optional<CReload> Undo();
  // The snapshot after the current one, which becomes current; none when the document
  // shows the newest snapshot. After running off the oldest end, the one after the oldest.
  std::optional<CReload> Redo();
  // The document has been saved as it shows now: that snapshot keeps the modified flag
  // clear and every other one has it set, so stepping back to the saved state clears the
  // document's flag again.
  void MarkSaved();
  void Clear();
  // The steps of one edit made of several (a label typed letter by letter): the snapshots
  // after the first nKeep become one, the newest, so one Undo takes them all back; or they
  // go, when the edit left the drawing as it was. Only while the newest one is shown.
  void MergeAfter(std::size_t nKeep);
  void DropAfter(std::size_t nKeep);

  // Whether Undo and Redo would hand back a snapshot.
  bool CanUndo() const;
  bool CanRedo() const;

  bool IsEmpty() const { return m_listHistory.empty(); }
  // The records of the snapshot the document shows (the newest, unless an undo went back);
  // empty when the history is.
  std::vector<CStoredRecordRef> CurrentRecords() const;
  // The same as the runs they are kept in. Runs and records never change once made, so
  // they may be read on another thread while the history goes on.
  using CRun = std::vector<CStoredRecordRef>;
  std::vector<std::shared_ptr<const CRun>> CurrentRuns() const;
  // Counts every change of the snapshot the document shows (a push, an undo or redo that
  // moved, a clear): whoever keeps a copy of it knows from this when the copy is old.
  std::uint64_t Changes() const { return m_nChanges; }
  std::size_t Size() const { return m_listHistory.size(); }
  // The snapshot at index i (0 is the oldest): its stream bytes and its modified flag.
  std::vector<std::uint8_t> BytesAt(std::size_t i) const;
  std::vector<CStoredRecordRef> RecordsAt(std::size_t i) const;
  // The memory the snapshots hold: every record and run counted once however many
  // snapshots share it.
  std::size_t HeldBytes() const;
  bool IsModifiedAt(std::size_t i) const;
  // The index of the snapshot the document shows, or none when it shows the newest one
  // (or ran off the oldest end).
  std::optional<std::size_t> Position() const;
  // Whether the last Undo ran off the oldest snapshot.
  bool IsAtOldest() const { return m_bHistoryAtOldest != 0; }

 private:
  // Records per run: a run costs its pointers again whenever one of its records changes,
  // and a snapshot costs one pointer per run.
  static constexpr std::size_t kRunLength = 256;
  struct CSnapshot {
    std::vector<std::shared_ptr<const CRun>> m_runs;
    std::int32_t m_bModified = 0;
  };
  static std::vector<std::uint8_t> Concatenate(std::span<const CStoredRecordRef> records);
  static std::vector<CStoredRecordRef> Flatten(const CSnapshot& snapshot);
  using Iterator = std::list<CSnapshot>::iterator;

  // The snapshot that becomes current, handed back for reloading.
  CReload Select(Iterator it);
  const CSnapshot& At(std::size_t i) const;

  std::list<CSnapshot> m_listHistory;
  // The snapshot the document shows; end() stands for "none", the newest.
  Iterator m_posHistory = m_listHistory.end();
  std::int32_t m_bHistoryAtOldest = 0;
  std::uint64_t m_nChanges = 0;
};
