// Random editing scripts on random drawings: whatever a person does with the editing
// commands, the mouse and the keyboard, the drawing stays one the file format carries
// unchanged, and the undo history takes it back to the start and forward to the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../document/StreamTestUtil.h"
#include "DrawingBuilder.h"
#include "InteractFixture.h"
#include "RandomEditScript.h"
#include "WholeReload.h"

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

class EditScripts : public InteractFixture {
 protected:
  // An empty drawing, history and window for the next script.
  void StartScript() {
    doc.ClearForReplace();
    view.ClearHistory();
    // What the fake window keeps of earlier scripts only costs time.
    host.m_surfaces.clear();
    host.m_blits.clear();
    host.m_log.clear();
    view.Viewport().SetScrollX(0);
    view.Viewport().SetScrollY(0);
    view.Mouse().SetTool(TOOL_SELECT);
  }
};

TEST_F(EditScripts, EveryStepRoundTripsAndTheHistoryUndoesAndRedoesTheWholeScript) {
  constexpr int kScripts = 200;
  constexpr int kSteps = 30;
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    StartScript();
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
      // The scripts are written for a view that holds nothing between steps (no formula
      // edited, no current object), at zoom 1 on the origin, repainted.
      view.ReleaseObjects();
      view.ResetZoomAndScroll();
      view.UpdateView();
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
template <typename Record>
std::vector<std::uint8_t> Concatenated(const std::vector<Record>& records) {
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
  std::size_t nReloads = 0;
  std::size_t nPartial = 0;
  std::size_t nChecked = 0;
  bool bMismatch = false;
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    StartScript();
    RandomEditScript script(view, host, doc, 1000u + static_cast<unsigned>(nScript));
    // Undo and redo reload the drawing, whose objects take over their records; mostly only
    // the records that differ are read, and each such reload must end where a whole reload
    // of the same snapshot does.
    std::string strSteps;
    const auto reload = [&](int nCommand) {
      const auto reloads = [&] {
        return std::count(host.m_log.begin(), host.m_log.end(), "BeginWaitCursor");
      };
      // The paint every command ends with, as the window shows it.
      view.UpdateView();
      const bool bIndexed = view.HasPaintIndex();
      const std::uint64_t nFull = view.PaintsOfEveryObject();
      const std::uint64_t nChangedOnly = view.ChangedOnlyPaints();
      const auto nBefore = reloads();
      view.OnCommand(nCommand);
      if (reloads() == nBefore) return;
      ++nReloads;
      if (doc.m_nKeptByLastReload > 0) ++nPartial;
      // A reload that kept objects leaves the paint after it to the objects read anew and
      // those depending on them, wherever the kept ones now stand in the list.
      if (bIndexed && doc.m_nKeptByLastReload > 0) {
        ++nChecked;
        EXPECT_EQ(view.PaintsOfEveryObject(), nFull)
            << "script " << nScript << ": " << strSteps << "a paint of every object";
        EXPECT_GT(view.ChangedOnlyPaints(), nChangedOnly)
            << "script " << nScript << ": " << strSteps << "no paint of the changes alone";
        EXPECT_TRUE(view.HasPaintIndex()) << "script " << nScript << ": " << strSteps;
      }
      const std::size_t i = view.History().Position().value_or(view.History().Size() - 1);
      WholeReload whole(view);
      const ::testing::AssertionResult same = whole.Matches(view, host, i);
      if (!same) {
        ADD_FAILURE() << "script " << nScript << ": " << strSteps << "(kept "
                      << doc.m_nKeptByLastReload << ")\n"
                      << same.message();
        bMismatch = true;
      }
    };
    for (int n = 0; n < 3; ++n) {
      script.AddStep("undo", [&] { reload(cmd::kEditUndo); });
      script.AddStep("redo", [&] { reload(cmd::kEditRedo); });
    }
    script.AddStep("type", [&] {
      const int n = script.Int(1, 3);
      for (int i = 0; i < n; ++i) view.OnChar(script.Int(0, 1) ? 'C' : '2');
    });
    script.FillDrawing(script.Int(0, 40));
    view.PushSnapshot();

    for (int i = 0; i < kSteps; ++i) {
      strSteps += script.RunStep() + "; ";
      ASSERT_FALSE(bMismatch);
      host.m_surfaces.clear();
      const std::vector<std::uint8_t> full = Stored(doc);
      const std::vector<const CStoredRecord*> records = doc.StoreRecords();
      ASSERT_EQ(Concatenated(records), full) << "script " << nScript << ": " << strSteps;
      // Writing again at once changes nothing: every record is the one just given.
      const std::vector<const CStoredRecord*> again = doc.StoreRecords();
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
  // Many undos and redos keep objects and read only what differs (the others read every
  // record on its own, or all of the stream, and are compared all the same).
  EXPECT_GT(nPartial * 3, nReloads);
  // And nearly all of those had an index to keep: the check above is not a rare one.
  EXPECT_GT(nChecked * 10, nPartial * 9);
}

// After a change the paint brings up to date only the objects that changed and those that
// depend on them. With part of the drawing out of the window, along random scripts with
// undo, redo and typing, every step's paint goes that way, and the test build's check
// after each such paint (a full recomputation of every object's drawing state and reach,
// compared with what the paint left) stays silent.
TEST_F(EditScripts, ThePaintAfterEveryStepKeepsWhatAFullRecomputationGives) {
  constexpr int kScripts = 40;
  constexpr int kSteps = 30;
  const std::uint64_t nBefore = view.ChangedOnlyPaints();
  const std::uint64_t nFollowedBefore = view.ExtentsFollowedFromChanges();
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    StartScript();
    // The window shows a twentieth of the drawing or so.
    view.Viewport().SetZoom(0.2);
    RandomEditScript script(view, host, doc, 5000u + static_cast<unsigned>(nScript));
    script.AddHistoryAndTyping('O', '3');
    script.AddMovesInPlace();
    script.StartDrawing();
    std::string strSteps;
    for (int i = 0; i < kSteps; ++i) {
      strSteps += script.RunStep() + "; ";
      host.m_surfaces.clear();
      // Every step ends with the paint a change brings, checked in test builds.
      view.UpdateView();
      ASSERT_TRUE(RoundTrips(Stored(doc))) << "script " << nScript << ": " << strSteps;
    }
  }
  // Most paints went by the changes alone; the rest (after a reordering, a new or deleted
  // object) were full ones. The extents followed the changes after many of them, each time
  // checked against a walk of every object in test builds.
  EXPECT_GT(view.ChangedOnlyPaints() - nBefore, static_cast<std::uint64_t>(kScripts * kSteps));
  EXPECT_GT(view.ExtentsFollowedFromChanges() - nFollowedBefore,
            static_cast<std::uint64_t>(kScripts * kSteps / 2));
}

// The extents after a change grow by what changed, and shrink only once the object that
// held an edge has left it.
TEST_F(EditScripts, TheExtentsGrowAndShrinkWithTheObjectOnTheEdge) {
  DrawingBuilder b(doc);
  b.Formula("OH", CPoint{1000, -1000});
  CFormula* edge = b.Formula("NH", CPoint{60000, -1000});
  CFormula* moving = b.Formula("C", CPoint{3000, -3000});
  view.Viewport().SetZoom(0.2);
  view.UpdateView();
  view.UpdateView();
  const std::int32_t nEdge = edge->m_rcBounds.right;
  ASSERT_EQ(view.Viewport().RawRight(), nEdge);
  const std::uint64_t nFollowed = view.ExtentsFollowedFromChanges();

  const auto moveTo = [&](std::int32_t x) {
    moving->ResetDone();
    moving->MoveTo(CPoint{x, -3000});
    view.UpdateView();
  };
  moveTo(90000);
  EXPECT_EQ(view.Viewport().RawRight(), moving->m_rcBounds.right);
  EXPECT_GT(view.Viewport().RawRight(), nEdge);
  EXPECT_EQ(view.ExtentsFollowedFromChanges(), nFollowed + 1);
  moveTo(3000);
  EXPECT_EQ(view.Viewport().RawRight(), nEdge);
  moveTo(4000);
  EXPECT_EQ(view.Viewport().RawRight(), nEdge);
  EXPECT_EQ(view.ExtentsFollowedFromChanges(), nFollowed + 2);
  // Deleting the object on the edge shrinks the extents to the next one.
  doc.m_listObjects.remove_if([&](const auto& p) { return p.get() == edge; });
  view.UpdateView();
  EXPECT_EQ(view.Viewport().RawRight(), moving->m_rcBounds.right);
}

// The same at the bottom edge: one incremental update puts the raw bottom extent at the
// moved formula's bottom, without which the vertical scroll bar could not reach it.
TEST_F(EditScripts, TheExtentsFollowAnObjectPastTheBottomEdge) {
  DrawingBuilder b(doc);
  b.Formula("OH", CPoint{1000, -1000});
  CFormula* moving = b.Formula("C", CPoint{3000, -3000});
  view.Viewport().SetZoom(0.2);
  view.UpdateView();
  view.UpdateView();
  const std::uint64_t nFollowed = view.ExtentsFollowedFromChanges();
  moving->ResetDone();
  moving->MoveTo(CPoint{3000, -90000});
  view.UpdateView();
  EXPECT_EQ(view.ExtentsFollowedFromChanges(), nFollowed + 1);
  EXPECT_EQ(view.Viewport().RawBottom(), moving->m_rcBounds.bottom);
  EXPECT_LT(view.Viewport().RawBottom(), -90000);
}

// An undo that keeps the other objects and the paint index, and puts the object on the
// edge back inside, shrinks the extents to what they were.
TEST_F(EditScripts, AnUndoThatTakesTheObjectOnTheEdgeBackShrinksTheExtents) {
  DrawingBuilder b(doc);
  CFormula* last = nullptr;
  for (int i = 0; i < 6; ++i) last = b.Formula("OH", CPoint{1000 + 2000 * i, -1000});
  view.Viewport().SetZoom(0.2);
  view.UpdateView();
  view.ClearHistory();
  view.PushSnapshot();
  const std::int32_t nBefore = view.Viewport().RawRight();
  last->ResetDone();
  last->MoveTo(CPoint{90000, -1000});
  view.UpdateView();
  view.PushSnapshot();
  const std::int32_t nWith = view.Viewport().RawRight();
  ASSERT_GT(nWith, nBefore);
  // The first undo reads the whole drawing; from then on objects a load made are kept.
  view.OnCommand(cmd::kEditUndo);
  view.OnCommand(cmd::kEditRedo);
  EXPECT_EQ(view.Viewport().RawRight(), nWith);
  view.OnCommand(cmd::kEditUndo);
  ASSERT_GT(doc.m_nKeptByLastReload, 0u);
  ASSERT_TRUE(view.HasPaintIndex());
  EXPECT_EQ(view.Viewport().RawRight(), nBefore);
  view.OnCommand(cmd::kEditRedo);
  EXPECT_EQ(view.Viewport().RawRight(), nWith);
}

// What the view remembers of its drawing goes with any object of it, a ring's member too;
// objects of a drawing the view does not show leave what it remembers alone.
TEST_F(EditScripts, OnlyObjectsOfTheShownDrawingReachTheViewAsTheyGo) {
  DrawingBuilder b(doc);
  CGroup* ring = b.Ring(CPoint{3000, -3000});
  b.Dot(1000, -1000);
  const auto painted = [&] {
    view.UpdateView();
    view.UpdateView();
    return view.HasPaintIndex();
  };
  ASSERT_TRUE(painted());
  {
    CKvillDoc other;
    DrawingBuilder(other).Ring(CPoint{3000, -3000});
    CKvillView beside(nullptr, &other);
    beside.UpdateView();
  }
  EXPECT_TRUE(view.HasPaintIndex());
  CObList& members = ring->m_listChildren;
  const auto bond = std::find_if(members.begin(), members.end(),
                                 [](const auto& p) { return p->AsBond() != nullptr; });
  ASSERT_NE(bond, members.end());
  members.erase(bond);
  EXPECT_FALSE(view.HasPaintIndex());
  ASSERT_TRUE(painted());
  doc.m_listObjects.pop_back();
  EXPECT_FALSE(view.HasPaintIndex());
}

#ifndef NDEBUG
TEST_F(EditScripts, AnObjectChangedWithoutItsMarkStopsTheTestBuildsPaint) {
  // A formula far out of the window, bonded to a junction: the paint after a change never
  // visits it unless it says that it changed.
  DrawingBuilder b(doc);
  CFormula* far = b.Formula("OH", CPoint{60000, -40000});
  CDot* dot = b.Dot(1000, -1000);
  b.Bond(dot, far);
  b.Formula("C", CPoint{2000, -2000});
  view.UpdateView();
  view.UpdateView();
  ASSERT_GT(far->m_rcBounds.right, far->m_rcBounds.left);
  EXPECT_DEATH(
      {
        far->m_strText = "CH#idown 3#CH#idown 2#OH";
        view.UpdateView();
      },
      "incremental paint: .* of top-level object 0 \\(kind 6\\) differs from a full "
      "recomputation");
}
#endif

}  // namespace
