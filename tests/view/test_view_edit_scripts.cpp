// Random editing scripts on random drawings: whatever a person does with the editing
// commands, the mouse and the keyboard, the drawing stays one the file format carries
// unchanged, and the undo history takes it back to the start and forward to the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../document/StreamTestUtil.h"
#include "InteractFixture.h"
#include "RandomEditScript.h"

namespace {

std::vector<std::uint8_t> Stored(CKvillDoc& doc) {
  return StoreDoc(doc, CSerializeOptions::SaveWhole());
}

// Store, load into a document of its own, store again: the same bytes.
::testing::AssertionResult RoundTrips(const std::vector<std::uint8_t>& bytes) {
  CKvillDoc other;
  if (!LoadDoc(other, bytes, false, CSerializeOptions::OpenFile())) {
    return ::testing::AssertionFailure() << "the stream does not load";
  }
  if (Stored(other) != bytes)
    return ::testing::AssertionFailure() << "a store after a load differs";
  return ::testing::AssertionSuccess();
}

class EditScripts : public InteractFixture {};

TEST_F(EditScripts, EveryStepRoundTripsAndTheHistoryUndoesAndRedoesTheWholeScript) {
  constexpr int kScripts = 200;
  constexpr int kSteps = 30;
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    doc.ClearForReplace();
    view.ClearHistory();
    // What the fake window keeps of earlier scripts only costs time.
    host.m_surfaces.clear();
    host.m_blits.clear();
    host.m_log.clear();
    view.m_nScrollX = view.m_nScrollY = 0;
    view.m_nTool = TOOL_SELECT;
    RandomEditScript script(view, host, doc, static_cast<unsigned>(nScript));
    script.FillDrawing(script.Int(0, 14));
    view.PushSnapshot();
    const std::vector<std::uint8_t> start = Stored(doc);
    ASSERT_EQ(view.History().BytesAt(0), start);

    std::string strSteps;
    for (int i = 0; i < kSteps; ++i) {
      strSteps += script.RunStep() + "; ";
      host.m_surfaces.clear();
      ASSERT_TRUE(RoundTrips(Stored(doc))) << "script " << nScript << ": " << strSteps;
    }
    // What the last steps changed without recording (front, back, aspect, a selection)
    // is recorded as the next change would.
    view.PushSnapshot();
    const std::vector<std::uint8_t> end = Stored(doc);

    const std::size_t nSnapshots = view.History().Size();
    for (std::size_t i = 1; i < nSnapshots; ++i) view.OnCommand(cmd::kEditUndo);
    ASSERT_EQ(Stored(doc), start) << "script " << nScript << ": " << strSteps;
    for (std::size_t i = 1; i < nSnapshots; ++i) view.OnCommand(cmd::kEditRedo);
    ASSERT_EQ(Stored(doc), end) << "script " << nScript << ": " << strSteps;
  }
}

// The records the document gives for a snapshot, concatenated.
std::vector<std::uint8_t> Concatenated(const std::vector<CStoredRecordRef>& records) {
  std::vector<std::uint8_t> bytes;
  for (const auto& p : records) bytes.insert(bytes.end(), p->m_bytes.begin(), p->m_bytes.end());
  return bytes;
}

// Snapshots write only the top-level objects that changed and share the rest: along random
// scripts that also undo, redo and type, the records are a full store at every moment, every
// snapshot's records are its bytes, and unchanged objects share the snapshot before's.
TEST_F(EditScripts, SnapshotRecordsAreAFullStoreAfterEveryStep) {
  constexpr int kScripts = 120;
  constexpr int kSteps = 30;
  std::size_t nShared = 0;
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    doc.ClearForReplace();
    view.ClearHistory();
    host.m_surfaces.clear();
    host.m_blits.clear();
    host.m_log.clear();
    view.m_nScrollX = view.m_nScrollY = 0;
    view.m_nTool = TOOL_SELECT;
    RandomEditScript script(view, host, doc, 1000u + static_cast<unsigned>(nScript));
    // Undo and redo reload the drawing, whose objects take over their records.
    script.AddStep("undo", [&] { view.OnCommand(cmd::kEditUndo); });
    script.AddStep("redo", [&] { view.OnCommand(cmd::kEditRedo); });
    script.AddStep("type", [&] {
      const int n = script.Int(1, 3);
      for (int i = 0; i < n; ++i) view.OnChar(script.Int(0, 1) ? 'C' : '2');
    });
    script.FillDrawing(script.Int(0, 40));
    view.PushSnapshot();

    std::string strSteps;
    for (int i = 0; i < kSteps; ++i) {
      strSteps += script.RunStep() + "; ";
      host.m_surfaces.clear();
      const std::vector<std::uint8_t> full = Stored(doc);
      const std::vector<CStoredRecordRef> records = doc.StoreRecords();
      ASSERT_EQ(Concatenated(records), full) << "script " << nScript << ": " << strSteps;
      // Writing again at once changes nothing: every record is the one just given.
      const std::vector<CStoredRecordRef> again = doc.StoreRecords();
      ASSERT_EQ(again, records) << "script " << nScript << ": " << strSteps;
      if (view.History().Size() >= 2) {
        const std::vector<CStoredRecordRef> last =
            view.History().RecordsAt(view.History().Size() - 1);
        const std::vector<CStoredRecordRef> before =
            view.History().RecordsAt(view.History().Size() - 2);
        for (const auto& p : last) nShared += std::count(before.begin(), before.end(), p) > 0;
      }
    }
    for (std::size_t i = 0; i < view.History().Size(); ++i) {
      const std::vector<std::uint8_t> bytes = view.History().BytesAt(i);
      ASSERT_EQ(Concatenated(view.History().RecordsAt(i)), bytes);
      ASSERT_TRUE(RoundTrips(bytes)) << "script " << nScript << ", snapshot " << i;
    }
  }
  // Most snapshots follow a change of a few objects and share the records of the rest.
  EXPECT_GT(nShared, 1000u);
}

}  // namespace
