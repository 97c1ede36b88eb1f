// The undo history on its own: snapshots pushed as plain bytes, the position moved by Undo
// and Redo, the redo branch dropped by a change, and the saved state marked.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "view/CUndoHistory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A snapshot's stand-in: one byte that names the state.
Bytes State(std::uint8_t n) { return Bytes{n}; }

// The state a reload would show, or -1 for none.
int Shown(const std::optional<CUndoHistory::CReload>& reload) {
  if (!reload) return -1;
  EXPECT_EQ(reload->Bytes().size(), 1u);
  return reload->Bytes().empty() ? -2 : reload->Bytes()[0];
}

// The history after start-up (state 0) and two changes (states 1 and 2).
class UndoHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::uint8_t n = 0; n < 3; ++n) history.Push(State(n), n != 0);
  }
  CUndoHistory history;
};

TEST_F(UndoHistory, UndoStepsBackToTheOldestAndRedoForwardToTheNewest) {
  EXPECT_EQ(history.Position(), std::nullopt);
  EXPECT_TRUE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(Shown(history.Redo()), -1);  // the newest is shown already
  EXPECT_EQ(Shown(history.Undo()), 1);
  EXPECT_EQ(history.Position(), 1u);
  EXPECT_EQ(Shown(history.Undo()), 0);
  EXPECT_EQ(history.Position(), 0u);
  EXPECT_FALSE(history.CanUndo());
  // A third undo reloads nothing and remembers that it ran off the oldest end.
  EXPECT_EQ(Shown(history.Undo()), -1);
  EXPECT_TRUE(history.IsAtOldest());
  EXPECT_EQ(history.Position(), 0u);
  EXPECT_TRUE(history.CanRedo());
  EXPECT_EQ(Shown(history.Redo()), 1);
  EXPECT_FALSE(history.IsAtOldest());
  EXPECT_EQ(Shown(history.Redo()), 2);
  EXPECT_EQ(Shown(history.Redo()), -1);
  EXPECT_EQ(history.Position(), std::nullopt);
  EXPECT_EQ(history.Size(), 3u);
}

TEST_F(UndoHistory, ReloadCarriesTheFlagRecordedWithTheSnapshot) {
  const auto first = history.Undo();
  ASSERT_TRUE(first.has_value());
  EXPECT_TRUE(first->bModified);
  const auto second = history.Undo();
  ASSERT_TRUE(second.has_value());
  EXPECT_FALSE(second->bModified);
}

TEST_F(UndoHistory, ChangeAfterUndoDropsTheUndoneStates) {
  history.Undo();
  history.Undo();
  history.Push(State(7), true);
  ASSERT_EQ(history.Size(), 2u);
  EXPECT_EQ(history.BytesAt(0), State(0));
  EXPECT_EQ(history.BytesAt(1), State(7));
  EXPECT_EQ(history.Position(), std::nullopt);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(Shown(history.Redo()), -1);
  EXPECT_EQ(Shown(history.Undo()), 0);
}

TEST_F(UndoHistory, ChangeAfterRunningOffTheOldestKeepsOnlyTheOldest) {
  history.Undo();
  history.Undo();
  history.Undo();
  ASSERT_TRUE(history.IsAtOldest());
  history.Push(State(8), true);
  ASSERT_EQ(history.Size(), 2u);
  EXPECT_EQ(history.BytesAt(0), State(0));
  EXPECT_EQ(history.BytesAt(1), State(8));
  EXPECT_FALSE(history.IsAtOldest());
}

TEST_F(UndoHistory, SavedStateKeepsItsFlagClearAndEveryOtherHasItSet) {
  history.Undo();
  history.MarkSaved();
  EXPECT_TRUE(history.IsModifiedAt(0));
  EXPECT_FALSE(history.IsModifiedAt(1));
  EXPECT_TRUE(history.IsModifiedAt(2));
  const auto redo = history.Redo();
  ASSERT_TRUE(redo.has_value());
  EXPECT_TRUE(redo->bModified);
  // Without a current position the newest snapshot is the saved one.
  history.MarkSaved();
  EXPECT_TRUE(history.IsModifiedAt(1));
  EXPECT_FALSE(history.IsModifiedAt(2));
  const auto undo = history.Undo();
  ASSERT_TRUE(undo.has_value());
  EXPECT_TRUE(undo->bModified);
}

TEST(UndoHistoryEdges, EmptyAndSingleSnapshotHistoriesReloadNothing) {
  CUndoHistory history;
  EXPECT_TRUE(history.IsEmpty());
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(Shown(history.Redo()), -1);
  EXPECT_EQ(Shown(history.Undo()), -1);
  EXPECT_TRUE(history.IsAtOldest());
  history.MarkSaved();
  EXPECT_TRUE(history.IsEmpty());
  // One snapshot, as after New and a first change: nothing to go back to.
  history.Push(State(1), true);
  EXPECT_FALSE(history.IsAtOldest());
  EXPECT_EQ(Shown(history.Undo()), -1);
  EXPECT_TRUE(history.IsAtOldest());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(Shown(history.Redo()), -1);
  EXPECT_FALSE(history.IsAtOldest());
  history.Clear();
  EXPECT_TRUE(history.IsEmpty());
  EXPECT_EQ(history.Position(), std::nullopt);
  EXPECT_FALSE(history.IsAtOldest());
}

// Whatever the sequence of changes, undos, redos, saves and clears, CanUndo and CanRedo
// say whether Undo and Redo hand back a snapshot, a reload always holds the bytes that
// were pushed for that state, and its position moves by one.
TEST(UndoHistoryEdges, CanUndoAndCanRedoForetellUndoAndRedo) {
  std::mt19937 rng(15);
  CUndoHistory history;
  std::vector<std::uint8_t> states;  // the pushed states, oldest first, as the history keeps them
  std::uint8_t next = 0;
  for (int step = 0; step < 4000; ++step) {
    switch (rng() % 8) {
      case 0:
      case 1:
      case 2: {
        const std::optional<std::size_t> pos = history.Position();
        const bool bAtOldest = history.IsAtOldest();
        history.Push(State(next), true);
        // The model: the states after the shown one go, then the new one is appended.
        std::size_t keep = states.size();
        if (pos) keep = *pos + 1;
        if (!pos && bAtOldest && !states.empty()) keep = 1;
        states.resize(keep);
        states.push_back(next++);
        break;
      }
      case 3:
      case 4: {
        const bool bCan = history.CanUndo();
        const std::optional<std::size_t> before = history.Position();
        const auto reload = history.Undo();
        ASSERT_EQ(reload.has_value(), bCan) << step;
        if (reload) {
          const std::size_t at = *history.Position();
          EXPECT_EQ(at + 1, before.value_or(states.size() - 1)) << step;
          EXPECT_EQ(Shown(reload), states[at]) << step;
        }
        break;
      }
      case 5:
      case 6: {
        const bool bCan = history.CanRedo();
        const auto reload = history.Redo();
        ASSERT_EQ(reload.has_value(), bCan) << step;
        if (reload) {
          EXPECT_EQ(Shown(reload), states[*history.Position()]) << step;
        }
        break;
      }
      default:
        if (rng() % 4 == 0) {
          history.Clear();
          states.clear();
        } else {
          history.MarkSaved();
        }
        break;
    }
    ASSERT_EQ(history.Size(), states.size()) << step;
  }
  for (std::size_t i = 0; i < states.size(); ++i) EXPECT_EQ(history.BytesAt(i), State(states[i]));
}

}  // namespace

// Snapshots given as records share the records and runs that they have in common.
TEST(UndoHistoryRecords, SnapshotsShareRunsAndRecordsAndConcatenateToTheirBytes) {
  std::vector<CStoredRecordRef> records;
  for (int i = 0; i < 1000; ++i) {
    const std::uint8_t b[3] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 7};
    records.push_back(CStoredRecord::Make(b));
  }
  CUndoHistory history;
  history.PushRecords(records, false);
  const std::size_t nOne = history.HeldBytes();
  // One record changed in the middle: its run is new, the others are the first snapshot's.
  std::vector<CStoredRecordRef> changed = records;
  changed[500] = CStoredRecord::Make(std::vector<std::uint8_t>{1, 2, 3, 4});
  history.PushRecords(changed, true);
  const std::size_t nTwo = history.HeldBytes();
  EXPECT_GT(nTwo, nOne);
  EXPECT_LT(nTwo - nOne, nOne / 2);
  std::vector<std::uint8_t> expected;
  for (const auto& p : changed)
    expected.insert(expected.end(), p->m_bytes.begin(), p->m_bytes.end());
  EXPECT_EQ(history.BytesAt(1), expected);
  EXPECT_EQ(history.RecordsAt(1), changed);
  // An equal record made anew is held once: the snapshot keeps the one it already had.
  std::vector<CStoredRecordRef> copy = changed;
  copy[10] = CStoredRecord::Make(records[10]->m_bytes);
  history.PushRecords(copy, true);
  EXPECT_EQ(history.RecordsAt(2)[10], records[10]);
  const auto reload = history.Undo();
  ASSERT_TRUE(reload.has_value());
  EXPECT_EQ(std::vector<std::uint8_t>(reload->Bytes().begin(), reload->Bytes().end()), expected);
  EXPECT_EQ(reload->records, changed);
}
