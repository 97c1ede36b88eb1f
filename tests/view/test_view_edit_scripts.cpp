// Random editing scripts on random drawings: whatever a person does with the editing
// commands, the mouse and the keyboard, the drawing stays one the file format carries
// unchanged, and the undo history takes it back to the start and forward to the end.
#include <gtest/gtest.h>

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

}  // namespace
