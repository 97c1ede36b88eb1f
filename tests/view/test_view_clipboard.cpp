#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <memory>
#include <new>
#include <span>
#include <tuple>
#include <vector>

#include "ViewFixture.h"
#include "document/CClipboardSource.h"
#include "document/CKvillSrvrItem.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "resources/CommandIds.h"
#include "tests/document/HostileStream.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes Save writes for the drawing as it is now.
Bytes SavedBytes(CKvillDoc& doc) {
  Bytes bytes;
  CArchive ar(&bytes);
  doc.Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return bytes;
}

// Applies fn to the top-level objects a stream holds, read into a document of its own (the
// view under test never hears of it).
template <typename Fn>
auto ReadAlone(const Bytes& stream, Fn fn) {
  CKvillDoc doc;
  CArchive ar{std::span<const std::uint8_t>(stream)};
  doc.Serialize(ar, {.bReplaceOnLoad = true, .bQuietLoad = true});
  return fn(doc.m_listObjects);
}

// The kinds of the top-level objects a stream holds.
std::vector<int> KindsIn(const Bytes& stream) {
  return ReadAlone(stream, [](const CObList& list) {
    std::vector<int> kinds;
    for (const auto& p : list) kinds.push_back(p->m_nKind);
    return kinds;
  });
}

// An item whose native block can never be had.
class StarvedItem : public CKvillSrvrItem {
 public:
  using CKvillSrvrItem::CKvillSrvrItem;

 protected:
  std::shared_ptr<std::vector<std::uint8_t>> NewNativeBlock(std::int64_t) override {
    throw std::bad_alloc();
  }
};

}  // namespace

class ViewClipboard : public ViewFixture {
 protected:
  // Two dots at (1000, -1000) and (3000, -2000) joined by a bond.
  struct Molecule {
    CDot* a;
    CDot* b;
    CCoupling* bond;
  };
  Molecule AddMolecule() {
    CDot* a = AddDot(1000, -1000);
    CDot* b = AddDot(3000, -2000);
    return {a, b, DrawingBuilder(doc).Bond(a, b)};
  }
  std::vector<CKVObject*> Selected() const {
    std::vector<CKVObject*> out;
    for (CKVObject* p : Order()) {
      if (p->m_bSelected) out.push_back(p);
    }
    return out;
  }
  Bytes Clip() const { return host.m_clipboard.Native(); }
};

// ---- What a copy puts on the clipboard ----

TEST_F(ViewClipboard, CopyOfAnEmptyDrawingIsEighteenBytes) {
  EXPECT_TRUE(view.OnCommand(cmd::kEditCopy));
  EXPECT_EQ(host.m_clipboard.m_nSets, 1);
  EXPECT_EQ(Clip().size(), 18u);
  // The pictures are drawn from the same stream, when a program asks for them.
  ASSERT_TRUE(host.m_clipboard.m_source.HasPicture());
  EXPECT_EQ(*host.m_clipboard.m_source.PictureStream(), Clip());
  // The wait cursor came and went.
  EXPECT_EQ(host.CountLog("BeginWaitCursor"), 1);
  EXPECT_EQ(host.m_nWaitDepth, 0);
}

TEST_F(ViewClipboard, CopyWithNothingSelectedIsWhatSaveWritesAndLeavesTheFlagAlone) {
  Molecule m = AddMolecule();
  AddEllipse(500, 3000, 2500, 1000);
  DrawingBuilder(doc).Ring(CPoint{6000, -6000});
  DrawingBuilder(doc).Formula("H#idown 2# O", CPoint{4000, 2000});
  view.UpdateView();
  ASSERT_EQ(m.bond->m_pEndA, m.a);

  for (bool bModified : {false, true}) {
    doc.SetModifiedFlag(bModified);
    const Bytes saved = SavedBytes(doc);
    view.OnCommand(cmd::kEditCopy);
    EXPECT_EQ(Clip(), saved);
    EXPECT_EQ(doc.IsModified(), bModified);
  }
  // What was copied stays as it was when the drawing changes afterwards.
  const Bytes copied = Clip();
  AddDot(9000, -9000);
  EXPECT_EQ(Clip(), copied);
  EXPECT_NE(SavedBytes(doc), copied);
}

TEST_F(ViewClipboard, CopySelectionOfABondCarriesItsEndsAndLeavesTheFlagAlone) {
  Molecule m = AddMolecule();
  AddEllipse(5000, -5000, 6000, -6000);
  view.UpdateView();
  m.bond->m_bSelected = 1;
  view.SetSelCount(1);
  doc.SetModifiedFlag(false);

  view.OnCommand(cmd::kEditCopySelection);
  EXPECT_EQ(KindsIn(Clip()), (std::vector<int>{KIND_DOT, KIND_DOT, KIND_COUPLING}));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.m_bSelectionOnly, 0);
  // The context menu's Copy is the same command.
  const Bytes fromMenu = Clip();
  view.OnCommand(cmd::kCopyContext);
  EXPECT_EQ(Clip(), fromMenu);
  // The whole drawing again with Copy.
  view.OnCommand(cmd::kEditCopy);
  EXPECT_EQ(KindsIn(Clip()).size(), 4u);
}

// ---- Paste ----

TEST_F(ViewClipboard, APastedBondArrivesWithItsEndsSelectedAndMoved) {
  Molecule m = AddMolecule();
  view.UpdateView();
  m.bond->m_bSelected = 1;
  view.SetSelCount(1);
  view.OnCommand(cmd::kEditCopySelection);

  const int nPaints = host.CountLog("CreateMemoryDC");
  const std::size_t nWindowSurfaces = host.SurfacesOf(false).size();
  EXPECT_TRUE(view.OnCommand(cmd::kEditPaste));
  const std::vector<CKVObject*> all = Order();
  ASSERT_EQ(all.size(), 6u);
  // Painted once, where the objects end up: the read does not paint them first.
  EXPECT_EQ(host.CountLog("CreateMemoryDC"), nPaints + 1);
  const CRecordingDC* painted = host.SurfacesOf(true).back();
  EXPECT_FALSE(painted->RecordsOf(CRecordingDC::Op::Line).empty());
  // No drag frames on the window: the repaint would cover them at once.
  const std::vector<CRecordingDC*> windows = host.SurfacesOf(false);
  for (std::size_t i = nWindowSurfaces; i < windows.size(); ++i) {
    EXPECT_TRUE(windows[i]->RecordsOf(CRecordingDC::Op::Rectangle).empty()) << i;
  }
  EXPECT_EQ(Selected(), (std::vector<CKVObject*>{all[3], all[4], all[5]}));
  EXPECT_EQ(view.SelCount(), 3);
  EXPECT_EQ(view.Current(), nullptr);
  // 1000 to the right and 1000 down from where they were copied.
  EXPECT_EQ(all[3]->m_ptAnchor, (CPoint{2000, -2000}));
  EXPECT_EQ(all[4]->m_ptAnchor, (CPoint{4000, -3000}));
  // The bond holds on to the pasted ends, never to the identical originals, which stay.
  ASSERT_EQ(all[5]->m_nKind, KIND_COUPLING);
  const auto* pasted = static_cast<CCoupling*>(all[5]);
  EXPECT_EQ(pasted->m_pEndA, all[3]);
  EXPECT_EQ(pasted->m_pEndB, all[4]);
  EXPECT_EQ(m.a->m_ptAnchor, (CPoint{1000, -1000}));
  EXPECT_EQ(m.bond->m_pEndA, m.a);
  EXPECT_EQ(m.bond->m_pEndB, m.b);
  EXPECT_EQ(m.bond->m_bSelected, 0);
  EXPECT_EQ(host.m_nWaitDepth, 0);
}

TEST_F(ViewClipboard, PastingTwiceGivesTwoCopiesAndOnlyTheNewestIsSelected) {
  CEllipse* e = AddEllipse(500, 3000, 2500, 1000);
  CDot* d = AddDot(4000, 0);
  e->m_bSelected = 1;
  d->m_bSelected = 1;
  view.SetSelCount(2);
  view.OnCommand(cmd::kEditCopySelection);

  view.OnCommand(cmd::kEditPaste);
  view.OnCommand(cmd::kPasteContext);
  const std::vector<CKVObject*> all = Order();
  ASSERT_EQ(all.size(), 6u);
  // Each copy is offset from the copied place, not from the copy before it.
  for (std::size_t i : {2u, 4u}) {
    EXPECT_EQ(all[i]->m_rcBounds, (CRect{1500, 2000, 3500, 0})) << i;
    EXPECT_EQ(all[i + 1]->m_ptAnchor, (CPoint{5000, -1000})) << i;
  }
  EXPECT_EQ(Selected(), (std::vector<CKVObject*>{all[4], all[5]}));
  EXPECT_EQ(view.SelCount(), 2);
}

TEST_F(ViewClipboard, ALonePastedObjectBecomesTheCurrentOne) {
  CEllipse* e = AddEllipse(0, 0, 400, -400);
  AddDot(2000, -2000);
  e->m_bSelected = 1;
  view.SetSelCount(1);
  view.SetCurrent(e);
  view.OnCommand(cmd::kEditCopySelection);
  view.OnCommand(cmd::kEditPaste);
  ASSERT_EQ(doc.m_listObjects.size(), 3u);
  CKVObject* pasted = Order().back();
  EXPECT_EQ(view.Current(), pasted);
  EXPECT_EQ(pasted->m_rcBounds, (CRect{1000, -1000, 1400, -1400}));
  EXPECT_EQ(e->m_bSelected, 0);
}

TEST_F(ViewClipboard, PasteWithoutADrawingChangesNothingButIsRecorded) {
  CEllipse* e = AddEllipse(0, 0, 400, -400);
  e->m_bSelected = 1;
  view.SetSelCount(1);
  view.PushSnapshot();
  doc.SetModifiedFlag(false);
  const std::size_t nSnapshots = view.History().Size();

  view.OnCommand(cmd::kEditPaste);
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(e->m_rcBounds, (CRect{0, 0, 400, -400}));
  EXPECT_EQ(e->m_bSelected, 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.History().Size(), nSnapshots + 1);

  // Announced but unreadable data is no drawing either; the item made for it is gone.
  host.m_clipboard.PutForeign(Bytes(18, 0));
  host.m_clipboard.m_bUnreadable = true;
  view.OnCommand(cmd::kEditPaste);
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(view.History().Size(), nSnapshots + 2);
  EXPECT_TRUE(doc.m_listServerItems.empty());
  EXPECT_EQ(doc.m_pItem, nullptr);
  EXPECT_EQ(host.m_nWaitDepth, 0);

  // No clipboard at all (a window-less run): still recorded.
  host.m_bHasClipboard = false;
  view.OnCommand(cmd::kEditPaste);
  EXPECT_EQ(view.History().Size(), nSnapshots + 3);
}

TEST_F(ViewClipboard, AnotherProgramsDrawingIsPastedAsOurs) {
  CKvillDoc other;
  DrawingBuilder(other).Ellipse(100, -100, 300, -300);
  host.m_clipboard.PutForeign(SavedBytes(other));
  view.OnCommand(cmd::kEditPaste);
  ASSERT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(Order()[0]->m_rcBounds, (CRect{1100, -1100, 1300, -1300}));
  EXPECT_EQ(view.Current(), Order()[0]);
}

TEST_F(ViewClipboard, StructuresFromOtherProgramsArePastedSelectedInTheMiddleInOneStep) {
  CEllipse* e = AddEllipse(0, 0, 400, -400);
  e->m_bSelected = 1;
  view.SetSelCount(1);
  view.PushSnapshot();
  const std::size_t nSnapshots = view.History().Size();
  // A molecule as a group of two junctions and their bond, and a lone label.
  host.m_clipboard.m_makeForeign = [](CPoint c) {
    CObList out;
    auto g = std::make_unique<CGroup>();
    CDot* ends[2] = {};
    for (int i = 0; i < 2; ++i) {
      auto d = std::make_unique<CDot>();
      d->MoveTo(CPoint{c.x - 150 + 300 * i, c.y});
      d->ResetDone();
      ends[i] = d.get();
      g->AddChild(std::move(d));
    }
    auto bond = std::make_unique<CCoupling>();
    bond->m_pEndA = ends[0];
    bond->m_pEndB = ends[1];
    g->AddChild(std::move(bond));
    g->RecalcBounds();
    out.push_back(std::move(g));
    auto f = std::make_unique<CFormula>();
    f->m_strText = "Cl";
    f->m_ptAnchor = CPoint{c.x + 500, c.y + 134};
    out.push_back(std::move(f));
    return out;
  };
  view.OnCommand(cmd::kEditPaste);
  ASSERT_TRUE(host.m_clipboard.m_foreignCentre.has_value());
  const CPoint c = *host.m_clipboard.m_foreignCentre;
  const CRect rc = host.GetClientRect();
  const CPoint topLeft = view.DeviceToLogical(CPoint{rc.left, rc.top});
  const CPoint bottomRight = view.DeviceToLogical(CPoint{rc.right, rc.bottom});
  EXPECT_NEAR(c.x, (topLeft.x + bottomRight.x) / 2, 100);
  EXPECT_NEAR(c.y, (topLeft.y + bottomRight.y) / 2, 100);
  ASSERT_EQ(doc.m_listObjects.size(), 3u);
  EXPECT_EQ(Selected(), (std::vector<CKVObject*>{Order()[1], Order()[2]}));
  EXPECT_EQ(view.SelCount(), 2);
  EXPECT_EQ(view.History().Size(), nSnapshots + 1);
  view.OnCommand(cmd::kEditUndo);
  EXPECT_EQ(doc.m_listObjects.size(), 1u);

  // A drawing on the clipboard comes first: the structures are not asked for.
  CKvillDoc other;
  DrawingBuilder(other).Ellipse(100, -100, 300, -300);
  host.m_clipboard.PutForeign(SavedBytes(other));
  host.m_clipboard.m_foreignCentre.reset();
  view.OnCommand(cmd::kEditPaste);
  EXPECT_FALSE(host.m_clipboard.m_foreignCentre.has_value());
  EXPECT_EQ(doc.m_listObjects.size(), 2u);
}

// ---- Cut ----

TEST_F(ViewClipboard, CutCopiesTheSelectionThenDeletesIt) {
  Molecule m = AddMolecule();
  CEllipse* e = AddEllipse(5000, -5000, 6000, -6000);
  view.UpdateView();
  e->m_bSelected = 1;
  view.SetSelCount(1);
  view.PushSnapshot();
  doc.SetModifiedFlag(false);
  const std::size_t nSnapshots = view.History().Size();

  view.OnCommand(cmd::kCutContext);
  EXPECT_EQ(KindsIn(Clip()), (std::vector<int>{KIND_ELLIPSE}));
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{m.a, m.b, m.bond}));
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.History().Size(), nSnapshots + 1);

  // It comes back where it was, moved by the paste.
  view.OnCommand(cmd::kEditPaste);
  ASSERT_EQ(doc.m_listObjects.size(), 4u);
  EXPECT_EQ(Order().back()->m_rcBounds, (CRect{6000, -6000, 7000, -7000}));
}

// A label bonded to a ring: the bond is selected through the label, but copied only when
// its own flag is set, and only then does the ring travel with it. The stream, the picture
// and its extents agree; cut and pasted, the label comes back alone.
TEST_F(ViewClipboard, ALabelOnARingCopiesAloneAndOnlyItsBondBringsTheRing) {
  CGroup* ring = DrawingBuilder(doc).Ring(CPoint{2000, -2000});
  CKVObject* vertex = ring->m_listChildren.front().get();
  CFormula* label = DrawingBuilder(doc).Formula("COOH", CPoint{4000, -1000});
  CCoupling* bond = DrawingBuilder(doc).Bond(vertex, label);
  CEllipse* thick = AddEllipse(6000, -6000, 6600, -6600);
  thick->m_dThickness = 5.0;
  view.UpdateView();
  const CRect labelBox = label->m_rcBounds;

  label->m_bSelected = 1;
  view.SetSelCount(1);
  ASSERT_TRUE(bond->IsSelected());
  view.OnCommand(cmd::kEditCopySelection);
  EXPECT_EQ(KindsIn(Clip()), (std::vector<int>{KIND_FORMULA}));
  doc.m_bSelectionOnly = 1;
  EXPECT_EQ(view.GetPictureExtent(),
            (CSize{labelBox.right - labelBox.left + 200, labelBox.bottom - labelBox.top - 200}));
  doc.m_bSelectionOnly = 0;

  label->m_bSelected = 0;
  bond->m_bSelected = 1;
  view.OnCommand(cmd::kEditCopySelection);
  EXPECT_EQ(KindsIn(Clip()), (std::vector<int>{KIND_GROUP, KIND_FORMULA, KIND_COUPLING}));

  // Cut the label, paste it: one ring, one label, no bond; a thick ellipse pastes thick.
  bond->m_bSelected = 0;
  thick->m_bSelected = label->m_bSelected = 1;
  view.SetSelCount(2);
  view.OnCommand(cmd::kEditCut);
  view.OnCommand(cmd::kEditPaste);
  std::vector<int> kinds;
  for (CKVObject* p : Order()) kinds.push_back(p->GetKind());
  std::sort(kinds.begin(), kinds.end());
  EXPECT_EQ(kinds, (std::vector<int>{KIND_FORMULA, KIND_GROUP, KIND_ELLIPSE}));
  for (CKVObject* p : Order()) {
    if (auto* e = dynamic_cast<CEllipse*>(p)) {
      EXPECT_EQ(e->m_dThickness, 5.0);
    }
  }
}

TEST_F(ViewClipboard, CutWithNothingSelectedDeletesNothing) {
  AddMolecule();
  view.PushSnapshot();
  doc.SetModifiedFlag(false);
  const std::size_t nSnapshots = view.History().Size();
  view.OnCommand(cmd::kEditCut);
  EXPECT_EQ(Clip().size(), 18u);
  EXPECT_EQ(doc.m_listObjects.size(), 3u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(view.History().Size(), nSnapshots);
}

// ---- The server item behind the clipboard ----

TEST_F(ViewClipboard, WithoutMemoryForTheStreamTheMessageShowsAndThePictureIsOffered) {
  AddEllipse(0, 0, 400, -400);
  StarvedItem item(&doc);
  const std::unique_ptr<CClipboardSource> pSource = item.OnGetClipboardData(true, nullptr, nullptr);
  ASSERT_NE(pSource, nullptr);
  EXPECT_FALSE(pSource->HasNative());
  ASSERT_TRUE(pSource->HasPicture());
  EXPECT_EQ(*pSource->PictureStream(), SavedBytes(doc));
  ASSERT_EQ(host.m_boxes.size(), 1u);
  EXPECT_EQ(host.m_boxes[0].strCaption, "Valendra Error");
  EXPECT_EQ(host.m_boxes[0].strText,
            "Error: Memory full.\nPlease, save your work, close application and reload.");
}

TEST_F(ViewClipboard, ItemsOfCopiesDoNotPileUpAndLeaveTheContainersItemAlone) {
  view.Embedding().SetEmbedded(true);
  view.Embedding().SetKillArmed(true);
  CKvillSrvrItem* pEmbedded = doc.OnGetEmbeddedItem();
  for (int i = 0; i < 3; ++i) view.OnCommand(cmd::kEditCopy);
  view.OnCommand(cmd::kEditPaste);
  // The container's item and the latest one.
  EXPECT_EQ(doc.m_listServerItems.size(), 2u);
  EXPECT_EQ(doc.m_pEmbeddedItem, pEmbedded);
  EXPECT_EQ(view.Embedding().ServerItem(), doc.m_pItem);
  // Moving data through the clipboard is not the end of the server.
  EXPECT_EQ(host.m_nKillProtocolRuns, 0);

  // When the document closes, the items of a server still armed end the process.
  doc.ReleaseServerItems();
  EXPECT_GE(host.m_nKillProtocolRuns, 1);
  EXPECT_TRUE(doc.m_listServerItems.empty());
  EXPECT_EQ(doc.m_pItem, nullptr);
  EXPECT_EQ(doc.m_pEmbeddedItem, nullptr);
  EXPECT_EQ(view.Embedding().ServerItem(), nullptr);
  // Nothing reaches a gone item: a copy afterwards makes a new one.
  view.OnCommand(cmd::kEditCopy);
  EXPECT_EQ(doc.m_listServerItems.size(), 1u);
}

TEST_F(ViewClipboard, AServerShownOnItsOwnOrNotEmbeddedEndsWithoutTheKillProtocol) {
  view.Embedding().SetEmbedded(true);
  view.Embedding().SetKillArmed(true);
  doc.OnGetEmbeddedItem()->OnShow();
  view.OnCommand(cmd::kEditCopy);
  doc.ReleaseServerItems();
  EXPECT_EQ(host.m_nKillProtocolRuns, 0);

  view.Embedding().SetEmbedded(false);
  view.Embedding().SetKillArmed(true);
  doc.CreateServerItem();
  doc.ReleaseServerItems();
  EXPECT_EQ(host.m_nKillProtocolRuns, 0);
}

// ---- A drawing of wild values from another program ----

namespace {

// What a loader takes as stored, per object: kind, scale, colour, box and anchor (but for
// formulas and bonds, whose drawing lays them out anew), and thickness.
struct StoredValues {
  int nKind;
  std::uint64_t nScaleBits;
  COLORREF cr;
  CRect rc;
  CPoint pt;
  std::uint64_t nThicknessBits;
  bool operator==(const StoredValues&) const = default;
  friend void PrintTo(const StoredValues& v, std::ostream* os) {
    *os << "kind " << v.nKind << " scale " << std::bit_cast<double>(v.nScaleBits) << " colour "
        << v.cr << " box (" << v.rc.left << ", " << v.rc.top << ", " << v.rc.right << ", "
        << v.rc.bottom << ") anchor (" << v.pt.x << ", " << v.pt.y << ") thickness "
        << std::bit_cast<double>(v.nThicknessBits);
  }
};

// Whether two drawings hold objects of the same values, in whatever order (the view keeps
// the selection in front); the first that differs, for a readable failure.
testing::AssertionResult SameValues(std::vector<StoredValues> a, std::vector<StoredValues> b) {
  const auto order = [](const StoredValues& x, const StoredValues& y) {
    const auto key = [](const StoredValues& v) {
      return std::tuple(v.nKind, v.nScaleBits, v.cr, v.rc.left, v.rc.top, v.rc.right, v.rc.bottom,
                        v.pt.x, v.pt.y, v.nThicknessBits);
    };
    return key(x) < key(y);
  };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  if (a.size() != b.size()) {
    return testing::AssertionFailure() << a.size() << " objects against " << b.size();
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!(a[i] == b[i])) {
      return testing::AssertionFailure() << "object " << i << ": " << testing::PrintToString(a[i])
                                         << " against " << testing::PrintToString(b[i]);
    }
  }
  return testing::AssertionSuccess();
}

std::vector<StoredValues> ValuesOf(const CObList& list) {
  std::vector<StoredValues> out;
  for (const auto& p : list) {
    const bool bLaidOut = p->m_nKind == 6 || p->m_nKind == 12;
    double t = 0.0;
    if (auto* e = dynamic_cast<CEllipse*>(p.get())) t = e->m_dThickness;
    if (auto* c = dynamic_cast<CPlusC*>(p.get())) t = c->m_dThickness;
    if (auto* c = dynamic_cast<CMinusC*>(p.get())) t = c->m_dThickness;
    if (auto* c = dynamic_cast<CCoupling*>(p.get())) t = c->m_dThickness;
    out.push_back({p->m_nKind, std::bit_cast<std::uint64_t>(p->m_dScale), p->m_crColor,
                   bLaidOut ? CRect{} : p->m_rcBounds, bLaidOut ? CPoint{} : p->m_ptAnchor,
                   std::bit_cast<std::uint64_t>(t)});
  }
  return out;
}

std::size_t PrimitivesDrawn(const FakeViewHost& host) {
  std::size_t n = 0;
  for (const CRecordingDC* pDC : host.SurfacesOf(true)) n += pDC->Records().size();
  for (const CRecordingDC* pDC : host.SurfacesOf(false)) n += pDC->Records().size();
  return n;
}

}  // namespace

TEST_F(ViewClipboard, AWildDrawingPastedCostsWhatTheWindowShowsAndKeepsItsValues) {
  host.m_bSurfacesBounded = true;
  const Bytes stream = HostileStream();
  ASSERT_EQ(stream.size() / 1024, 18u);
  host.m_clipboard.PutForeign(stream);
  view.OnCommand(cmd::kEditPaste);
  ASSERT_EQ(doc.m_listObjects.size(), 369u);
  EXPECT_EQ(view.SelCount(), 369);
  // The paste's own paint and the next repaint: each draws a few primitives an object,
  // not the thousands a bond across the coordinate range spaces along itself.
  EXPECT_LE(PrimitivesDrawn(host), 369u * 20);
  const std::size_t nBefore = PrimitivesDrawn(host);
  view.OnDraw(host.GetDC());
  EXPECT_LE(PrimitivesDrawn(host) - nBefore, 369u * 20);
  // A hit test anywhere answers (and finds something among objects this large).
  EXPECT_NE(view.FindObjectAt(CPoint{0, 0}).pObj, nullptr);

  // Nothing of what was read is changed by painting it: opened, painted and written back,
  // every value is the one stored.
  const auto stored = ReadAlone(stream, ValuesOf);
  CArchive ar{std::span<const std::uint8_t>(stream)};
  doc.Serialize(ar, {.bReplaceOnLoad = true, .bQuietLoad = true});
  view.UpdateView();
  view.OnDraw(host.GetDC());
  EXPECT_TRUE(SameValues(ValuesOf(doc.m_listObjects), stored));
  EXPECT_TRUE(SameValues(ReadAlone(SavedBytes(doc), ValuesOf), stored));
}
