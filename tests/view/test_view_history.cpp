#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <span>

#include "ViewFixture.h"
#include "WholeReload.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "resources/CommandIds.h"

namespace {

std::vector<std::uint8_t> Store(CKvillDoc& doc) {
  std::vector<std::uint8_t> out;
  CArchive ar(&out);
  doc.Serialize(ar, {.bClearModifiedOnStore = false});
  ar.Flush();
  return out;
}

}  // namespace

// A drawing of one ellipse whose left edge is the state that changes.
class ViewHistory : public ViewFixture {
 protected:
  void SetUp() override {
    AddEllipse(0, 0, 400, -400);
    view.OnZoomDefault();
    doc.SetModifiedFlag(false);
    // As after start-up: loads are no longer quiet, and the history holds the loaded
    // drawing.
    doc.m_bQuietLoad = 0;
    host.SetTimer(TIMER_RESET_HISTORY, 10);
    host.FireTimer(TIMER_RESET_HISTORY);
  }

  int Left() const { return doc.m_listObjects.front()->m_rcBounds.left; }

  // A change: the ellipse moves to a new left edge, then the view records it.
  void Change(int nLeft) {
    CKVObject* p = doc.m_listObjects.front().get();
    p->ResetDone();
    p->MoveTo(CPoint{nLeft, 0});
    view.m_bPendingModified = 1;
    view.UpdateView();
    view.PushSnapshot();
  }
};

TEST_F(ViewHistory, SnapshotIsExactlyTheNativeStream) {
  ASSERT_EQ(view.History().Size(), 1u);
  EXPECT_EQ(view.History().BytesAt(0), Store(doc));
  EXPECT_EQ(view.History().IsModifiedAt(0), false);
  doc.m_listObjects.clear();
  view.ClearHistory();
  view.PushSnapshot();
  // An empty drawing: magic, selection count and end marker.
  EXPECT_EQ(view.History().BytesAt(0).size(), 18u);
}

TEST_F(ViewHistory, UndoTwiceThenRunsOffTheOldestAndRedoComesBack) {
  Change(1000);  // A
  Change(2000);  // B
  EXPECT_EQ(view.History().Size(), 3u);
  EXPECT_TRUE(doc.IsModified());
  view.Undo();
  EXPECT_EQ(Left(), 1000);
  view.Undo();
  EXPECT_EQ(Left(), 0);  // before A
  EXPECT_EQ(view.History().IsAtOldest(), false);
  view.Undo();
  EXPECT_EQ(Left(), 0);
  EXPECT_EQ(view.History().IsAtOldest(), true);
  view.Redo();
  EXPECT_EQ(Left(), 1000);  // after A
  EXPECT_EQ(view.History().IsAtOldest(), false);
  view.Redo();
  EXPECT_EQ(Left(), 2000);
  view.Redo();  // already the newest
  EXPECT_EQ(Left(), 2000);
  EXPECT_EQ(host.m_nWaitDepth, 0);
}

TEST_F(ViewHistory, ChangeAfterUndoDropsTheRedoBranch) {
  Change(1000);
  Change(2000);
  view.Undo();
  view.Undo();
  Change(3000);  // C
  EXPECT_EQ(view.History().Size(), 2u);
  EXPECT_EQ(view.History().Position(), std::nullopt);
  view.Redo();
  EXPECT_EQ(Left(), 3000);
  view.Undo();
  EXPECT_EQ(Left(), 0);
}

TEST_F(ViewHistory, ChangeAfterRunningOffTheOldestKeepsTheOldest) {
  Change(1000);
  view.Undo();
  view.Undo();  // at-oldest
  EXPECT_EQ(view.History().IsAtOldest(), true);
  Change(5000);
  EXPECT_EQ(view.History().Size(), 2u);
  view.Undo();
  EXPECT_EQ(Left(), 0);
}

TEST_F(ViewHistory, RedoAfterRunningOffTheOnlySnapshotKeepsWhatWasSelectedSince) {
  // As after opening a file: the drawing, the ellipse at (600, -600), is the only snapshot.
  CKVObject* e = doc.m_listObjects.front().get();
  e->ResetDone();
  e->MoveTo(CPoint{600, -600});
  view.UpdateView();
  host.SetTimer(TIMER_RESET_HISTORY, 10);
  host.FireTimer(TIMER_RESET_HISTORY);
  ASSERT_EQ(view.History().Size(), 1u);
  // A selection rectangle around it, from (300, -300) to (1200, -1200), records nothing.
  view.OnLButtonDown(MK_LBUTTON, CPoint{20, 20});
  view.OnMouseMove(MK_LBUTTON, CPoint{50, 50});
  view.OnMouseMove(MK_LBUTTON, CPoint{80, 80});
  view.OnLButtonUp(0, CPoint{80, 80});
  ASSERT_EQ(e->m_bSelected, 1);
  ASSERT_EQ(view.SelCount(), 1);
  ASSERT_EQ(view.History().Size(), 1u);

  view.Undo();
  EXPECT_EQ(view.History().IsAtOldest(), true);
  view.Redo();
  EXPECT_EQ(view.History().IsAtOldest(), false);
  EXPECT_EQ(view.History().Position(), std::nullopt);
  // Nothing was reloaded: the ellipse is still selected, and is not a reloaded copy.
  ASSERT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(doc.m_listObjects.front()->m_bSelected, 1);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(doc.m_listObjects.front().get(), e);
}

// An ellipse's thickness has no field in its record; an undo of something else keeps it,
// and a redo that reads the ellipse anew gives it back.
TEST_F(ViewHistory, AnUnrelatedUndoKeepsAnEllipsesThickness) {
  auto* e = static_cast<CEllipse*>(doc.m_listObjects.front().get());
  e->m_bSelected = 1;
  view.SetSelCount(1);
  view.SetCurrent(e);
  view.OnCommand(cmd::kThickness5);
  ASSERT_EQ(e->m_dThickness, 5.0);
  CFormula* f = view.CreateFormulaAt(CPoint{3000, -3000});
  f->m_strText = "OH";
  view.PushSnapshot();
  view.Undo();
  e = static_cast<CEllipse*>(doc.m_listObjects.front().get());
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(e->m_dThickness, 5.0);
  view.Undo();
  EXPECT_EQ(static_cast<CEllipse*>(doc.m_listObjects.front().get())->m_dThickness, 1.0);
  // Redone with nothing left to keep: the ellipse is read from its record and the block.
  doc.ClearForReplace();
  view.Redo();
  EXPECT_EQ(static_cast<CEllipse*>(doc.m_listObjects.front().get())->m_dThickness, 5.0);
}

// A group reloaded by an undo and redo holds a bond to a junction outside it. Deleting the
// junction takes the bond out of the group, which must say it changed: the undo then gives
// the group both members back, and the drawing is the stream it was.
TEST_F(ViewHistory, AGroupThatLosesANestedBondOnDeleteIsRecordedAnew) {
  doc.ClearForReplace();
  auto g = std::make_unique<CGroup>();
  auto inner = std::make_unique<CDot>();
  inner->MoveTo(CPoint{500, -500});
  CDot* pInner = inner.get();
  g->AddChild(std::move(inner));
  CDot* outside = AddDot(2000, -500);
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = pInner;
  bond->m_pEndB = outside;
  g->AddChild(std::move(bond));
  Add(std::move(g));
  view.UpdateView();
  view.ClearHistory();
  view.PushSnapshot();
  Change(0);  // moves the group: the history holds two states of it
  view.Undo();
  view.Redo();
  const std::vector<std::uint8_t> before = Store(doc);
  CGroup* group = nullptr;
  CKVObject* junction = nullptr;
  for (const auto& p : doc.m_listObjects) {
    if (p->AsGroup() != nullptr) group = p->AsGroup();
    if (p->GetKind() == KIND_DOT) junction = p.get();
  }
  ASSERT_NE(group, nullptr);
  ASSERT_NE(junction, nullptr);
  ASSERT_EQ(group->m_listChildren.size(), 2u);

  view.DeselectAll();
  junction->m_bSelected = 1;
  view.SetSelCount(1);
  view.OnCommand(cmd::kEditDelete);
  ASSERT_EQ(group->m_listChildren.size(), 1u);
  view.Undo();
  group = nullptr;
  for (const auto& p : doc.m_listObjects)
    if (p->AsGroup() != nullptr) group = p->AsGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->m_listChildren.size(), 2u);
  EXPECT_EQ(Store(doc), before);
}

TEST_F(ViewHistory, UndoToTheSavedStateClearsTheModifiedFlag) {
  const std::string strPath = ::testing::TempDir() + "view_history_save.vld";
  {
    CArchive ar(strPath, CArchive::store);
    ASSERT_TRUE(ar.IsOpen());
    doc.Serialize(ar);  // a save of the framework's kind clears the flag and re-marks
  }
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.m_bJustSaved, 1);
  host.FireTimer(TIMER_SCROLL_REFRESH);
  EXPECT_EQ(doc.m_bJustSaved, 0);
  Change(1000);
  EXPECT_TRUE(doc.IsModified());
  view.Undo();
  EXPECT_EQ(Left(), 0);
  EXPECT_FALSE(doc.IsModified());
  view.Redo();
  EXPECT_TRUE(doc.IsModified());
  std::remove(strPath.c_str());
}

TEST_F(ViewHistory, AfterClearingTheHistoryTheFirstChangeCannotBeUndone) {
  view.ClearHistory();
  Change(1000);
  EXPECT_EQ(view.History().Size(), 1u);
  view.Undo();
  EXPECT_EQ(Left(), 1000);
  EXPECT_EQ(view.History().IsAtOldest(), true);
}

TEST_F(ViewHistory, UndoKeepsZoomAndScrollAndLeavesNoTimer) {
  Change(1000);
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(400);
  view.Viewport().SetScrollY(800);
  host.m_timers.clear();
  view.Undo();
  EXPECT_EQ(Left(), 0);
  EXPECT_EQ(view.Viewport().Zoom(), 2.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 400);
  EXPECT_EQ(view.Viewport().ScrollY(), 800);
  EXPECT_FALSE(host.IsTimerRunning(TIMER_RESET_HISTORY));
  EXPECT_EQ(doc.m_bReplaceOnLoad, 1);
  EXPECT_EQ(doc.m_bKeepViewOnLoad, 0);
  EXPECT_EQ(doc.m_bQuietLoad, 0);
}

TEST_F(ViewHistory, OpeningAFileResetsTheViewAndTheHistory) {
  Change(1000);
  const std::vector<std::uint8_t> bytes = Store(doc);
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(400);
  view.Viewport().SetScrollY(800);
  doc.m_bQuietLoad = 0;
  CArchive ar{std::span<const std::uint8_t>(bytes)};
  doc.Serialize(ar);
  EXPECT_EQ(view.Viewport().Zoom(), 1.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 0);
  ASSERT_TRUE(host.IsTimerRunning(TIMER_RESET_HISTORY));
  host.FireTimer(TIMER_RESET_HISTORY);
  EXPECT_EQ(view.History().Size(), 1u);
  EXPECT_EQ(view.History().BytesAt(0), bytes);
}

TEST_F(ViewHistory, FileNamedAtStartIsOpenedByTheFirstReset) {
  view.m_strOpenAtStart = "/tmp/some.vld";
  host.SetTimer(TIMER_RESET_HISTORY, 10);
  host.FireTimer(TIMER_RESET_HISTORY);
  EXPECT_EQ(host.CountLog("OpenFileAtStart /tmp/some.vld"), 1);
  EXPECT_TRUE(view.m_strOpenAtStart.empty());
  host.SetTimer(TIMER_RESET_HISTORY, 10);
  host.FireTimer(TIMER_RESET_HISTORY);
  EXPECT_EQ(host.CountLog("OpenFileAtStart"), 1);
}

TEST_F(ViewHistory, UnreadableFileIsReportedAfterTheLoad) {
  const std::vector<std::uint8_t> junk(40, 0x5A);
  doc.m_bQuietLoad = 0;
  CArchive ar{std::span<const std::uint8_t>(junk)};
  doc.Serialize(ar);
  EXPECT_TRUE(host.m_boxes.empty());
  ASSERT_TRUE(host.FireTimer(TIMER_INCOMPATIBLE_FILE));
  ASSERT_EQ(host.m_boxes.size(), 1u);
  EXPECT_EQ(host.m_boxes[0].strText, "Error: Incompatible file.");
  EXPECT_EQ(host.m_boxes[0].strCaption, "Valendra");
  EXPECT_EQ(host.m_boxes[0].nFlags, static_cast<unsigned>(MB_ICONERROR));
  view.Settings().m_bEnglish = 0;
  view.ShowIncompatibleFile();
  EXPECT_EQ(host.m_boxes[1].strText, "Chyba: Nekompatibilní soubor.");
}

TEST_F(ViewHistory, MemoryMessageInBothLanguages) {
  view.ShowMemoryError();
  view.Settings().m_bEnglish = 0;
  view.ShowMemoryError();
  ASSERT_EQ(host.m_boxes.size(), 2u);
  EXPECT_EQ(host.m_boxes[0].strText,
            "Error: Memory full.\nPlease, save your work, close application and reload.");
  EXPECT_EQ(host.m_boxes[0].strCaption, "Valendra Error");
  EXPECT_EQ(host.m_boxes[0].nFlags, static_cast<unsigned>(MB_ICONERROR));
  EXPECT_FALSE(host.m_boxes[0].bOwned);
  EXPECT_EQ(
      host.m_boxes[1].strText,
      "Chyba: Nedostatek volné paměti.\nUložte kresbu, ukončete aplikaci a znova ji otevřete.");
  EXPECT_EQ(host.m_boxes[1].strCaption, "Chyba Valendra");
}

TEST_F(ViewHistory, UndoAndRedoCommandsReachTheHistory) {
  Change(1000);
  EXPECT_TRUE(view.OnCommand(cmd::kEditUndo));
  EXPECT_EQ(Left(), 0);
  EXPECT_TRUE(view.OnCommand(cmd::kEditRedo));
  EXPECT_EQ(Left(), 1000);
}

// Snapshots as shared records: a snapshot writes again only what changed, its bytes stay
// those of a full store, and what did not change is held once.
class SnapshotSharing : public ViewFixture {
 protected:
  void SetUp() override {
    a = AddDot(0, 0);
    b = AddDot(1000, 0);
    far = AddDot(5000, 5000);
    bond = DrawingBuilder(doc).Bond(a, b);
    // The first paint puts the bond's points between its ends.
    view.UpdateView();
    view.PushSnapshot();
  }
  // The record the newest snapshot holds for the list entry i (the head is entry 0).
  CStoredRecordRef Newest(std::size_t i) const {
    return view.History().RecordsAt(view.History().Size() - 1).at(i);
  }
  CStoredRecordRef Oldest(std::size_t i) const { return view.History().RecordsAt(0).at(i); }
  void Move(CKVObject* p, int x) {
    p->ResetDone();
    p->MoveTo(CPoint{x, p->m_ptAnchor.y});
  }
  CDot* a = nullptr;
  CDot* b = nullptr;
  CDot* far = nullptr;
  CCoupling* bond = nullptr;
};

TEST_F(SnapshotSharing, MovingOneObjectWritesItAndTheBondOnItAndSharesTheRest) {
  Move(a, -300);
  view.PushSnapshot();
  ASSERT_EQ(view.History().Size(), 2u);
  EXPECT_EQ(view.History().BytesAt(1), Store(doc));
  // Head, three dots, the bond, the end marker.
  ASSERT_EQ(view.History().RecordsAt(1).size(), 6u);
  EXPECT_NE(Newest(1), Oldest(1));  // the moved dot
  EXPECT_EQ(Newest(2), Oldest(2));
  EXPECT_EQ(Newest(3), Oldest(3));
  EXPECT_NE(Newest(4), Oldest(4));  // the bond names its end by box and anchor
  EXPECT_EQ(Newest(5), Oldest(5));
}

TEST_F(SnapshotSharing, AnEndInsideAGroupChangesTheBondOutside) {
  // The bond keeps pointing at b while b becomes a member of a group that then moves.
  auto group = std::make_unique<CGroup>();
  CGroup* g = group.get();
  for (auto it = doc.m_listObjects.begin(); it != doc.m_listObjects.end(); ++it) {
    if (it->get() == b) {
      g->AddChild(std::move(*it));
      doc.m_listObjects.erase(it);
      break;
    }
  }
  g->RecalcBounds();
  doc.m_listObjects.push_front(std::move(group));
  view.PushSnapshot();
  EXPECT_EQ(view.History().BytesAt(1), Store(doc));
  g->ResetDone();
  g->MoveTo(CPoint{g->m_ptAnchor.x + 700, g->m_ptAnchor.y});
  view.PushSnapshot();
  EXPECT_EQ(view.History().BytesAt(2), Store(doc));
  EXPECT_NE(Newest(4), view.History().RecordsAt(1).at(4));  // the bond
}

TEST_F(SnapshotSharing, RingsFusedAtAJunctionStoredAfterTheBondUndoAndRedoWhole) {
  // The first group's bond ends on a junction of the second group, which comes later in
  // the drawing order (it was brought to the front after the bond was drawn).
  auto first = std::make_unique<CGroup>();
  auto second = std::make_unique<CGroup>();
  CGroup* g1 = first.get();
  CGroup* g2 = second.get();
  const auto dot = [](CGroup& g, int x, int y) {
    auto p = std::make_unique<CDot>();
    p->MoveTo(CPoint{x, y});
    p->ResetDone();
    CDot* raw = p.get();
    g.AddChild(std::move(p));
    return raw;
  };
  CDot* c = dot(*g1, -3000, 0);
  CDot* shared = dot(*g2, -2700, 300);
  auto ring = std::make_unique<CCoupling>();
  ring->m_pEndA = c;
  ring->m_pEndB = shared;
  g1->AddChild(std::move(ring));
  g1->RecalcBounds();
  g2->RecalcBounds();
  doc.m_listObjects.push_back(std::move(first));
  doc.m_listObjects.push_back(std::move(second));
  view.UpdateView();
  view.PushSnapshot();
  // Only the second group moves; the first one's record names the junction's old box.
  g2->ResetDone();
  g2->MoveTo(CPoint{g2->m_ptAnchor.x + 900, g2->m_ptAnchor.y});
  view.UpdateView();
  view.PushSnapshot();
  ASSERT_EQ(view.History().BytesAt(2), Store(doc));
  const auto bondsInGroups = [&] {
    int n = 0;
    for (const auto& p : doc.m_listObjects)
      if (CGroup* g = p->AsGroup())
        for (const auto& q : g->m_listChildren) n += q->AsBond() != nullptr ? 1 : 0;
    return n;
  };
  for (int i = 0; i < 2; ++i) {
    view.Undo();
    EXPECT_EQ(Store(doc), view.History().BytesAt(1));
    EXPECT_EQ(bondsInGroups(), 1);
    view.Redo();
    EXPECT_EQ(Store(doc), view.History().BytesAt(2));
    EXPECT_EQ(bondsInGroups(), 1);
  }
}

TEST_F(SnapshotSharing, SelectionPaintAndEditsWithoutChangeKeepTheRecords) {
  // A paint recomputes the bond's points; unchanged ones leave its record alone.
  view.UpdateView();
  view.PushSnapshot();
  for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(Newest(i), Oldest(i)) << i;
  // Selecting one dot rewrites that dot and the head (the count) only.
  far->SetSelected(1);
  view.CountSelection();
  view.PushSnapshot();
  EXPECT_EQ(view.History().BytesAt(2), Store(doc));
  EXPECT_NE(Newest(3), Oldest(3));
  EXPECT_EQ(Newest(1), Oldest(1));
  EXPECT_EQ(Newest(4), Oldest(4));
}

TEST_F(SnapshotSharing, AfterUndoTheNextSnapshotSharesTheReloadedRecords) {
  // A drawing of a thousand objects more, from which the history starts again.
  for (int i = 0; i < 1000; ++i) AddDot(100 * i, -20000);
  view.ClearHistory();
  view.PushSnapshot();
  Move(far, 6000);
  view.PushSnapshot();
  view.Undo();
  EXPECT_EQ(Store(doc), view.History().BytesAt(0));
  // The reloaded objects took over the records they were read from.
  const std::vector<const CStoredRecord*> again = doc.StoreRecords();
  const std::vector<CStoredRecordRef> held = view.History().RecordsAt(0);
  ASSERT_EQ(again.size(), held.size());
  for (std::size_t i = 0; i < held.size(); ++i) EXPECT_EQ(again[i], held[i].get()) << i;
  // The reload made new objects: the far dot is the one back at its first place.
  far = nullptr;
  for (const auto& p : doc.m_listObjects)
    if (p->m_ptAnchor == CPoint{5000, 5000}) far = static_cast<CDot*>(p.get());
  ASSERT_NE(far, nullptr);
  // A hundred more small edits hold far less than a hundred whole copies.
  for (int i = 0; i < 100; ++i) {
    Move(far, 6000 + 10 * i);
    view.PushSnapshot();
  }
  EXPECT_EQ(view.History().BytesAt(view.History().Size() - 1), Store(doc));
  // Each whole copy would be one more snapshot's bytes.
  EXPECT_LT(view.History().HeldBytes(), 20 * view.History().BytesAt(0).size());
}

#ifndef NDEBUG
TEST_F(SnapshotSharing, AFieldWrittenWithoutItsMarkStopsTheTestBuild) {
  // The check that guards the shared records: a writer that forgets MarkChanged would
  // leave the snapshot holding the old bytes.
  EXPECT_DEATH(
      {
        far->m_ptAnchor.x += 10;
        view.PushSnapshot();
      },
      "differs from a full store");
}
#endif

// ---------------------------------------------------------------------------------------
// Undo and redo read only the records that differ from what the drawing holds, and end
// exactly where a whole reload of the snapshot ends.

class PartialReload : public ViewFixture {
 protected:
  // A drawing of two rings with a bond between them, two dots with a bond and a far dot;
  // the history then holds it and one small change, undone and redone, so that every
  // object is one a load made.
  void Start() {
    DrawingBuilder b(doc);
    left = b.Ring(CPoint{0, 0});
    right = b.Ring(CPoint{4000, 0});
    b.Bond(Junction(left), Junction(right));
    a = b.Dot(0, -3000);
    CDot* pB = b.Dot(1000, -3000);
    b.Bond(a, pB);
    CDot* far = b.Dot(9000, -9000);
    // A thickness that only the block after the stream's end marker keeps.
    b.Ellipse(6000, -6000, 6600, -6600)->m_dThickness = 3.0;
    view.UpdateView();
    view.PushSnapshot();
    far->ResetDone();
    far->MoveTo(CPoint{9300, -9000});
    view.PushSnapshot();
    view.Undo();
    view.Redo();
    left = right = nullptr;
    a = nullptr;
    for (const auto& p : doc.m_listObjects) {
      if (p->AsGroup() != nullptr) (left == nullptr ? left : right) = p->AsGroup();
      if (p->m_ptAnchor == CPoint{0, -3000}) a = static_cast<CDot*>(p.get());
    }
    ASSERT_NE(right, nullptr);
    ASSERT_NE(a, nullptr);
  }
  static CKVObject* Junction(CGroup* g) { return g->m_listChildren.front().get(); }
  // A dot with the box and anchor of another object, at the head of the list: bond
  // references to that box and anchor find it first.
  void DotInFrontLike(const CKVObject* p) {
    auto d = std::make_unique<CDot>();
    d->m_rcBounds = p->m_rcBounds;
    d->m_ptAnchor = p->m_ptAnchor;
    doc.m_listObjects.push_front(std::move(d));
  }

  CGroup* left = nullptr;
  CGroup* right = nullptr;
  CDot* a = nullptr;
};

TEST_F(PartialReload, UndoAndRedoOfEachEditEndAsAWholeReloadDoes) {
  enum class Kept { Some, None };
  struct Case {
    const char* name;
    std::function<void()> edit;
    // Whether the undo and redo keep objects, or find that they cannot and read it all.
    Kept kept;
  };
  const Case cases[] = {
      {"delete a dot and the bond on it",
       [this] {
         view.DeselectAll();
         a->SetSelected(1);
         view.CountSelection();
         view.OnCommand(cmd::kEditDelete);
       },
       Kept::Some},
      {"move one of two rings joined by a bond",
       [this] {
         right->ResetDone();
         right->MoveTo(CPoint{right->m_ptAnchor.x + 600, right->m_ptAnchor.y});
         view.UpdateView();
       },
       Kept::Some},
      // The bond stays in the record it had, but a whole read finds the new dot for it.
      {"a dot like a bond's end comes first", [this] { DotInFrontLike(a); }, Kept::Some},
      // A bond inside a ring that stays would find the new dot too: all is read again.
      {"a dot like a ring's junction comes first", [this] { DotInFrontLike(Junction(left)); },
       Kept::None},
      {"the ellipse made thinner",
       [this] {
         for (const auto& p : doc.m_listObjects) {
           if (auto* e = dynamic_cast<CEllipse*>(p.get())) {
             e->m_dThickness = 0.5;
             e->MarkChanged();
           }
         }
       },
       Kept::Some},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    doc.ClearForReplace();
    view.ClearHistory();
    Start();
    c.edit();
    view.PushSnapshot();
    const std::size_t nNewest = view.History().Size() - 1;
    WholeReload whole(view);
    view.Undo();
    EXPECT_EQ(doc.m_nKeptByLastReload > 0, c.kept == Kept::Some);
    EXPECT_TRUE(whole.Matches(view, host, nNewest - 1));
    view.Redo();
    EXPECT_EQ(doc.m_nKeptByLastReload > 0, c.kept == Kept::Some);
    EXPECT_TRUE(whole.Matches(view, host, nNewest));
    EXPECT_EQ(Store(doc), view.History().BytesAt(nNewest));
  }
}
