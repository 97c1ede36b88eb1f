#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "formula/CFormula.h"
#include "objects/CGroup.h"
#include "objects/CRecordingDC.h"

namespace {

// Stand-ins whose drawing is easy to recognise in a recording: a box drawn as a rectangle
// (with the kind of a formula, for instance) and a bond drawn as one line between its ends'
// anchors.
class BoxObject : public CKVObject {
 public:
  BoxObject(int nKind, CRect rc) : CKVObject(nKind) {
    m_rcBounds = rc;
    m_ptAnchor = CPoint{rc.left, rc.top};
  }
  void Draw(CDC* pDC) override {
    pDC->Rectangle(m_rcBounds.left, m_rcBounds.top, m_rcBounds.right, m_rcBounds.bottom);
  }
};

class LineBond : public CCoupling {
 public:
  void Draw(CDC* pDC) override {
    const CPoint a = m_pEndA != nullptr ? m_pEndA->GetAnchor() : m_ptA;
    const CPoint b = m_bLive || m_pEndB == nullptr ? m_ptB : m_pEndB->GetAnchor();
    pDC->MoveToEx(a.x, a.y);
    pDC->LineTo(b.x, b.y);
  }
};

}  // namespace

class ViewPainting : public ViewFixture {
 protected:
  // The memory surface of the latest screen paint.
  CRecordingDC* LastBuffer() const { return host.SurfacesOf(true).back(); }
};

TEST_F(ViewPainting, SelectionMovesToTheFrontInItsOrder) {
  CKVObject* a = AddEllipse(0, 0, 10, -10);
  CKVObject* b = AddEllipse(0, 0, 20, -20);
  CKVObject* c = AddEllipse(0, 0, 30, -30);
  CKVObject* d = AddEllipse(0, 0, 40, -40);
  CKVObject* e = AddEllipse(0, 0, 50, -50);
  b->m_bSelected = 1;
  d->m_bSelected = 1;
  view.UpdateView();
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{a, c, e, b, d}));
  // Once at the end they stay in place.
  view.UpdateView();
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{a, c, e, b, d}));
}

TEST_F(ViewPainting, BringBackPutsTheSelectionFirstReversedOnce) {
  CKVObject* a = AddEllipse(0, 0, 10, -10);
  CKVObject* b = AddEllipse(0, 0, 20, -20);
  CKVObject* c = AddEllipse(0, 0, 30, -30);
  CKVObject* d = AddEllipse(0, 0, 40, -40);
  CKVObject* e = AddEllipse(0, 0, 50, -50);
  b->m_bSelected = 1;
  d->m_bSelected = 1;
  view.m_bSendToBack = 1;
  view.UpdateView();
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{d, b, a, c, e}));
  EXPECT_EQ(view.m_bSendToBack, 0);
  // The next update brings the still selected objects to the front again.
  view.UpdateView();
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{a, c, e, d, b}));
}

TEST_F(ViewPainting, ScreenPaintGoesThroughOneBufferAndOneCopy) {
  view.OnZoomDefault();
  ASSERT_EQ(host.SurfacesOf(true).size(), 1u);
  const FakeViewHost::Surface& buffer = host.m_surfaces.back();
  EXPECT_TRUE(buffer.bMemory);
  EXPECT_EQ(buffer.cx, 800);
  EXPECT_EQ(buffer.cy, 600);
  EXPECT_TRUE(buffer.bReleased);
  ASSERT_EQ(buffer.fills.size(), 1u);
  EXPECT_EQ(buffer.fills[0], (CRect{0, 0, 800, 600}));
  // Nothing to draw on an empty drawing; the window gets the white buffer in one copy.
  EXPECT_TRUE(buffer.pDC->Records().empty());
  ASSERT_EQ(host.m_blits.size(), 1u);
  const FakeViewHost::Blit& blit = host.m_blits[0];
  EXPECT_EQ(blit.pSrc, buffer.pDC.get());
  EXPECT_EQ(blit.pDest, host.SurfacesOf(false).back());
  EXPECT_EQ(blit.cx, 12000);  // 800 pixels at 15 units each
  EXPECT_EQ(blit.cy, -9000);
  EXPECT_EQ(view.m_bPainting, 0);
}

TEST_F(ViewPainting, VisibleAreaGrowsWithTheScrollOffset) {
  view.OnZoomDefault();
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(400);  // 5 pixels
  view.Viewport().SetScrollY(400);  // 10 pixels
  view.UpdateView();
  const FakeViewHost::Blit& blit = host.m_blits.back();
  EXPECT_EQ(blit.cx, 805 * 30);
  EXPECT_EQ(blit.cy, -610 * 30);
  // The buffer is mapped like the window.
  EXPECT_EQ(LastBuffer()->GetViewportOrg(), (CPoint{-5, -10}));
}

TEST_F(ViewPainting, PaintingIsSkippedWhileDisabledOrWithoutASurface) {
  view.m_bPaintEnabled = 0;
  view.UpdateView();
  EXPECT_TRUE(host.m_blits.empty());
  view.m_bPaintEnabled = 1;
  host.m_bDCAvailable = false;
  view.UpdateView();
  EXPECT_TRUE(host.m_blits.empty());
}

TEST_F(ViewPainting, SelectedJunctionShowsOnlyItsFrame) {
  CDot* dot = AddDot(1000, -1000);
  view.OnZoomDefault();
  EXPECT_TRUE(LastBuffer()->Records().empty());  // an unselected junction is invisible

  dot->m_bSelected = 1;
  view.UpdateView();
  const auto& recs = LastBuffer()->Records();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].op, CRecordingDC::Op::Rectangle);
  const CPoint tl = recs[0].pts[0], br = recs[0].pts[1];
  EXPECT_EQ(br.x - tl.x, 120);
  EXPECT_EQ(tl.y - br.y, 100);
  EXPECT_EQ(tl, (CPoint{940, -950}));
}

TEST_F(ViewPainting, SelectedShapesGetMarksAndBondsDoNot) {
  CDot* a = AddDot(0, 0);
  CDot* b = AddDot(1000, 0);
  auto bond = std::make_unique<LineBond>();
  bond->m_pEndA = a;
  bond->m_pEndB = b;
  LineBond* pBond = Add(std::move(bond));
  CEllipse* e = AddEllipse(2000, 0, 2400, -400);
  pBond->m_bSelected = 1;
  e->m_bSelected = 1;
  view.OnZoomDefault();
  const auto& recs = LastBuffer()->Records();
  // The bond's line, the ellipse, the ellipse's frame and its one handle square.
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[0].op, CRecordingDC::Op::Line);
  EXPECT_EQ(recs[1].op, CRecordingDC::Op::Ellipse);
  EXPECT_EQ(recs[2].op, CRecordingDC::Op::Rectangle);
  EXPECT_EQ(recs[2].pts[0], (CPoint{1970, 20}));
  EXPECT_EQ(recs[3].op, CRecordingDC::Op::Rectangle);
}

TEST_F(ViewPainting, DirectModeDrawsOnTheSurfaceWithoutMarks) {
  CEllipse* e = AddEllipse(0, 0, 400, -400);
  e->m_bSelected = 1;
  view.Viewport().SetZoom(1.0);
  view.m_bDirectRender = 1;
  CRecordingDC printer;
  printer.SetPixelsPerInch(600);
  view.OnPrepareDC(&printer);
  view.RenderDrawing(&printer, &doc);
  ASSERT_EQ(printer.Records().size(), 1u);
  EXPECT_EQ(printer.Records()[0].op, CRecordingDC::Op::Ellipse);
  EXPECT_EQ(printer.GetViewportExt(), (CSize{600, -600}));
  EXPECT_TRUE(host.m_blits.empty());
  EXPECT_TRUE(host.SurfacesOf(true).empty());
}

TEST_F(ViewPainting, SelectionOnlyDrawsTheEndsOfSelectedBondsAndNothingUnrelated) {
  auto formula = std::make_unique<BoxObject>(KIND_FORMULA, CRect{0, 300, 400, 0});
  CKVObject* f = Add(std::move(formula));
  CDot* d = AddDot(2000, 0);
  auto bond = std::make_unique<LineBond>();
  bond->m_pEndA = f;
  bond->m_pEndB = d;
  LineBond* pBond = Add(std::move(bond));
  AddEllipse(5000, 0, 5400, -400);  // unrelated, unselected
  pBond->m_bSelected = 1;
  d->m_bSelected = 1;
  doc.m_bSelectionOnly = 1;
  view.Viewport().SetZoom(1.0);
  view.m_bDirectRender = 1;
  CRecordingDC dc;
  view.RenderDrawing(&dc, &doc);
  const auto& recs = dc.Records();
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].op, CRecordingDC::Op::Rectangle);  // the formula, drawn for the bond
  EXPECT_EQ(recs[0].pts[0], (CPoint{0, 300}));
  EXPECT_EQ(recs[1].op, CRecordingDC::Op::Line);  // then the bond
  EXPECT_TRUE(dc.RecordsOf(CRecordingDC::Op::Ellipse).empty());
}

TEST_F(ViewPainting, SelectionOnlyWithTheRealFormulaAndBond) {
  auto formula = std::make_unique<CFormula>();
  formula->m_strText = "OH";
  formula->MoveTo(CPoint{0, 0});
  CFormula* f = Add(std::move(formula));
  CDot* d = AddDot(3000, -1000);
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = d;
  bond->m_pEndB = f;
  CCoupling* pBond = Add(std::move(bond));
  auto other = std::make_unique<CFormula>();
  other->m_strText = "Cl";
  other->MoveTo(CPoint{8000, -3000});
  Add(std::move(other));  // unrelated, unselected
  pBond->m_bSelected = 1;
  d->m_bSelected = 1;
  doc.m_bSelectionOnly = 1;
  view.Viewport().SetZoom(1.0);
  view.m_bDirectRender = 1;
  CRecordingDC dc;
  view.RenderDrawing(&dc, &doc);
  std::string text;
  for (const auto& r : dc.RecordsOf(CRecordingDC::Op::Text)) text += r.text;
  EXPECT_NE(text.find('O'), std::string::npos);                // the formula at the bond's end
  EXPECT_EQ(text.find('C'), std::string::npos);                // not the unrelated one
  EXPECT_FALSE(dc.RecordsOf(CRecordingDC::Op::Line).empty());  // the bond
}

TEST_F(ViewPainting, LiveBondIsDrawnAfterEverything) {
  CDot* a = AddDot(0, 0);
  AddEllipse(-500, 500, 500, -500);
  auto bond = std::make_unique<LineBond>();
  bond->m_pEndA = a;
  bond->m_bLive = 1;
  bond->m_ptB = CPoint{3000, -700};
  view.SetCurrent(bond.get());
  view.Mouse().SetTool(3);
  view.OnZoomDefault();
  const auto& recs = LastBuffer()->Records();
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].op, CRecordingDC::Op::Ellipse);
  EXPECT_EQ(recs[1].op, CRecordingDC::Op::Line);
  EXPECT_EQ(recs[1].pts[1], (CPoint{3000, -700}));
  // With another tool the unplaced bond is not drawn.
  view.Mouse().SetTool(0);
  view.UpdateView();
  EXPECT_EQ(LastBuffer()->Records().size(), 1u);
  view.SetCurrent(nullptr);
}

TEST_F(ViewPainting, BitmapModeCutsAroundTheExportExtents) {
  AddEllipse(100, -200, 900, -800);
  AddDot(2000, -1500);  // a junction counts by its anchor
  view.OnZoomDefault();
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(4000);
  view.Viewport().SetScrollY(3000);
  host.m_blits.clear();
  const std::size_t nSurfaces = host.m_surfaces.size();

  CRecordingDC dc;
  const auto bmp = view.RenderPictureExtents(&dc);

  EXPECT_EQ(view.Picture().ExportRect(), (CRect{100, -200, 2000, -1500}));
  // First buffer from the raw extents at zoom 1: (2030 + 350) / 15, (1530 + 75) / 15.
  ASSERT_EQ(host.m_surfaces.size(), nSurfaces + 2);
  EXPECT_EQ(host.m_surfaces[nSurfaces].cx, 158);
  EXPECT_EQ(host.m_surfaces[nSurfaces].cy, 107);
  // Cut: left max(100 - 150, 0) = 0, top min(-200 + 75, 0) = -125, 2150 x 1450 units.
  ASSERT_EQ(host.m_blits.size(), 2u);
  const FakeViewHost::Blit& cut = host.m_blits[1];
  EXPECT_EQ(cut.xSrc, 0);
  EXPECT_EQ(cut.ySrc, -125);
  EXPECT_EQ(cut.cx, 2150);
  EXPECT_EQ(cut.cy, -1450);
  ASSERT_TRUE(bmp.has_value());
  EXPECT_EQ(bmp->szPixels, (CSize{143, 96}));
  EXPECT_EQ(bmp->szDimension, (CSize{378, 254}));
  EXPECT_EQ(host.m_surfaces[nSurfaces + 1].szDimension, (CSize{378, 254}));
  // No marks in a bitmap, and zoom and scroll are back.
  EXPECT_EQ(host.m_surfaces[nSurfaces].pDC->Records().size(), 1u);
  EXPECT_EQ(view.Viewport().Zoom(), 2.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 4000);
  EXPECT_EQ(view.Viewport().ScrollY(), 3000);
}

TEST_F(ViewPainting, BitmapModeStartsHundredFiftyLeftOfAFarObject) {
  AddEllipse(1000, -2000, 1500, -2500);
  view.OnZoomDefault();
  host.m_blits.clear();
  CRecordingDC dc;
  view.RenderPictureExtents(&dc);
  ASSERT_EQ(host.m_blits.size(), 2u);
  EXPECT_EQ(host.m_blits[1].xSrc, 850);
  EXPECT_EQ(host.m_blits[1].ySrc, -1925);
}

TEST_F(ViewPainting, BitmapModeOfAnEmptyDrawingForgetsEarlierExtents) {
  AddEllipse(10, 20, 30, 40);
  CRecordingDC dc;
  view.RenderPictureExtents(&dc);
  ASSERT_EQ(view.Picture().ExportRect(), (CRect{10, 20, 30, 40}));
  doc.m_listObjects.clear();
  view.RenderPictureExtents(&dc);
  EXPECT_EQ(view.Picture().ExportRect(), (CRect{}));
}

TEST_F(ViewPainting, EditedFormulaLosesAndRegainsItsCaretAroundAPaint) {
  auto formula = std::make_unique<CFormula>();
  formula->m_strText = "CH4";
  formula->m_nCaret = 1;
  view.SetCurrent(Add(std::move(formula)));
  view.SetEditState(1);
  view.OnZoomDefault();
  EXPECT_EQ(host.m_nCaretHidden, 1);
  EXPECT_EQ(host.m_nCaretShown, 1);
  EXPECT_EQ(view.FormulaSession().CaretRequests(), 1);
  CRecordingDC dc;
  view.OnDraw(&dc);
  EXPECT_EQ(host.m_nCaretHidden, 2);
  EXPECT_EQ(host.m_nCaretShown, 2);
  // The caret bar is as high as the formula engine asked, in pixels at zoom 1.
  EXPECT_EQ(host.CountLog("CreateSolidCaret 0 " +
                          std::to_string(view.FormulaSession().CaretHeight() * 96 / 1440)),
            2);
  EXPECT_EQ(host.m_ptCaret, view.LogicalToDevice(view.FormulaSession().CaretTop()));
  view.SetEditState(0);
  view.SetCurrent(nullptr);
}

TEST_F(ViewPainting, ScreenLeavesOutOnlyWhatCannotShow) {
  view.OnZoomDefault();                     // the window shows x 0..12000, y 0..-9000
  AddEllipse(1000, -1000, 2000, -2000);     // inside
  AddEllipse(11900, -8900, 20000, -20000);  // partly inside
  AddEllipse(50000, -1000, 51000, -2000);   // far right
  AddEllipse(1000, 9000, 2000, 8000);       // far above
  CDot* a = AddDot(-20000, -4000);          // a bond across the whole window
  CDot* b = AddDot(40000, -4000);
  auto bond = std::make_unique<LineBond>();
  bond->m_pEndA = a;
  bond->m_pEndB = b;
  Add(std::move(bond));
  view.UpdateView();
  const auto& recs = LastBuffer()->Records();
  EXPECT_EQ(LastBuffer()->RecordsOf(CRecordingDC::Op::Ellipse).size(), 2u);
  EXPECT_EQ(LastBuffer()->RecordsOf(CRecordingDC::Op::Line).size(), 1u);
  EXPECT_EQ(recs.size(), 3u);
  // Scrolled far to the right, the far ellipse shows up.
  view.Viewport().SetScrollX(50000 * 20 / 15);  // 50000 units at 15 per pixel and 20 per pixel
  view.UpdateView();
  bool bFar = false;
  for (const auto& r : LastBuffer()->RecordsOf(CRecordingDC::Op::Ellipse)) {
    bFar = bFar || r.pts[0].x == 50000;
  }
  EXPECT_TRUE(bFar);
}

TEST_F(ViewPainting, ThickStrokesKeepTheirObjectVisible) {
  view.OnZoomDefault();
  CEllipse* e = AddEllipse(-3000, -1000, -1000, -2000);  // just left of the window
  e->m_dThickness = 100.0;                               // a 2000-unit pen reaches into the window
  view.UpdateView();
  EXPECT_EQ(LastBuffer()->RecordsOf(CRecordingDC::Op::Ellipse).size(), 1u);
  e->m_dThickness = 1.0;
  e->MarkChanged();  // as every writer of a stored field does
  view.UpdateView();
  EXPECT_TRUE(LastBuffer()->Records().empty());
}

TEST_F(ViewPainting, BondLeftOutOfThePaintStillFollowsItsEnds) {
  view.OnZoomDefault();
  CDot* a = AddDot(50000, -1000);
  CDot* b = AddDot(52000, -1000);
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = a;
  bond->m_pEndB = b;
  CCoupling* pBond = Add(std::move(bond));
  view.UpdateView();
  EXPECT_EQ(pBond->m_ptA, (CPoint{50000, -1000}));
  EXPECT_TRUE(LastBuffer()->Records().empty());
  a->ResetDone();
  a->MoveTo(CPoint{60000, -2000});
  view.UpdateView();
  EXPECT_EQ(pBond->m_ptA, (CPoint{60000, -2000}));
  EXPECT_EQ(pBond->m_ptB, (CPoint{52000, -1000}));
}

TEST_F(ViewPainting, BondToAFormulaLeftOutOfThePaintFollowsTheFormula) {
  view.OnZoomDefault();
  CDot* a = AddDot(50000, -1000);
  auto formula = std::make_unique<CFormula>();
  formula->m_strText = "OH";
  formula->MoveTo(CPoint{53000, -800});
  CFormula* f = Add(std::move(formula));
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = a;
  bond->m_pEndB = f;
  CCoupling* pBond = Add(std::move(bond));
  // Where the bond meets the formula when it is drawn.
  CRecordingDC dc;
  view.OnPrepareDC(&dc);
  f->Draw(&dc);
  pBond->ComputeEndPoints(&dc);
  const CPoint ptB = pBond->m_ptB;
  pBond->m_ptB = CPoint{};
  view.UpdateView();
  EXPECT_EQ(pBond->m_ptB, ptB);
  EXPECT_TRUE(LastBuffer()->Records().empty());
  view.UpdateView();  // nothing changed: the same points
  EXPECT_EQ(pBond->m_ptB, ptB);
  f->ResetDone();
  f->MoveTo(CPoint{f->m_ptAnchor.x + 1000, f->m_ptAnchor.y});
  view.UpdateView();
  EXPECT_EQ(pBond->m_ptB, (CPoint{ptB.x + 1000, ptB.y}));
}

// Rotating a group replaces its ellipse by a polygon; a top-level bond that ended at the
// ellipse must follow to the polygon through the view's document rather than keep a
// pointer to the deleted ellipse.
TEST_F(ViewPainting, RotationMovesOutsideBondsToTheRingThroughTheDocument) {
  auto pOwned = std::make_unique<CGroup>();
  CGroup* pGroup = pOwned.get();
  auto pEllipse = std::make_unique<CEllipse>();
  pEllipse->m_rcBounds = CRect{0, 1000, 1000, 0};
  pEllipse->m_ptAnchor = CPoint{0, 1000};
  CEllipse* pE = pEllipse.get();
  pGroup->AddChild(std::move(pEllipse));
  pGroup->RecalcBounds();
  Add(std::move(pOwned));
  CDot* pFar = AddDot(5000, 0);
  auto pBond = std::make_unique<CCoupling>();
  pBond->m_pEndA = pFar;
  pBond->m_pEndB = pE;
  CCoupling* pOutside = Add(std::move(pBond));

  pGroup->SaveExact();
  pGroup->Rotate(0, 0, 0.3, &doc.m_listObjects);
  CKVObject* pRing = pGroup->m_listChildren.front().get();
  EXPECT_EQ(pRing->m_nKind, KIND_GROUP);
  EXPECT_EQ(pOutside->m_pEndB, pRing);
  CRecordingDC dc;
  pOutside->Draw(&dc);  // the sanitizer would report a use of the deleted ellipse
  EXPECT_EQ(pOutside->m_ptB, pRing->m_ptAnchor);
}
