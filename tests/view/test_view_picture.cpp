#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "document/CKvillSrvrItem.h"
#include "formula/CFormula.h"
#include "objects/CRecordingDC.h"
#include "view/CHeadlessViewHost.h"
#include "view/CMeasuringDC.h"
#include "view/CPictureRenderer.h"

using ViewPicture = ViewFixture;

TEST_F(ViewPicture, ExtentAddsAHundredUnitMarginAllRound) {
  AddEllipse(500, 3000, 2500, 1000);
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(300);
  view.Viewport().SetScrollY(700);
  EXPECT_EQ(view.GetPictureExtent(), (CSize{2200, -2200}));
  EXPECT_EQ(view.Picture().PictureFrame(), (CRect{0, 0, 2200, -2200}));
  EXPECT_EQ(view.Picture().ExportRect(), (CRect{500, 3000, 2500, 1000}));
  EXPECT_EQ(view.Viewport().Zoom(), 2.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 300);
  EXPECT_EQ(view.Viewport().ScrollY(), 700);
}

TEST_F(ViewPicture, DrawingLandsAtTheMarginAndComesBack) {
  CEllipse* e = AddEllipse(500, 3000, 2500, 1000);
  CDot* d = AddDot(1500, 2000);
  e->m_bSelected = 1;
  CRecordingDC dc;
  const CSize size = view.DrawPicture(&dc);

  const auto ellipses = dc.RecordsOf(CRecordingDC::Op::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].pts[0], (CPoint{100, -100}));
  EXPECT_EQ(ellipses[0].pts[1], (CPoint{2100, -2100}));
  // No selection marks in a picture.
  EXPECT_EQ(dc.Records().size(), 1u);
  // The frame (0, 0)-(2200, -2200) maps one to one.
  EXPECT_EQ(dc.GetWindowOrg(), (CPoint{0, 0}));
  EXPECT_EQ(dc.GetWindowExt(), (CSize{2200, -2200}));
  EXPECT_EQ(dc.GetViewportExt(), (CSize{2200, -2200}));
  // round(2200 / 15.6) = 141 logical units at 96 per inch: 141 * 2540 / 96 = 3730.
  EXPECT_EQ(size, (CSize{3730, 3730}));

  EXPECT_EQ(e->m_rcBounds, (CRect{500, 3000, 2500, 1000}));
  EXPECT_EQ(e->m_ptAnchor, (CPoint{500, 3000}));
  EXPECT_EQ(d->m_ptAnchor, (CPoint{1500, 2000}));
  EXPECT_EQ(e->m_bSelected, 1);
  EXPECT_EQ(d->m_bSelected, 0);
  EXPECT_EQ(doc.m_bRenderingPicture, 0);
  EXPECT_EQ(view.m_bDirectRender, 0);
}

TEST_F(ViewPicture, ServerSizeIsLargerForAFreshEmbedding) {
  AddEllipse(500, 3000, 2500, 1000);
  view.Embedding().SetEmbedded(true);
  view.Embedding().SetKillArmed(true);
  CRecordingDC dc;
  // round(2200 / 2.5) = 880 units: 880 * 2540 / 96 = 23283.
  EXPECT_EQ(view.DrawPicture(&dc), (CSize{23283, 23283}));
  view.Embedding().SetContainerUpdated(true);
  EXPECT_EQ(view.DrawPicture(&dc), (CSize{3730, 3730}));
}

TEST_F(ViewPicture, ViewportExtentScalesThePictureToAnImage) {
  AddEllipse(500, 3000, 2500, 1000);
  CRecordingDC dc;
  dc.SetPixelsPerInch(300);
  // 2200 units at 300 per inch: 458 pixels; y grows downward in the image.
  view.DrawPicture(&dc, CSize{458, 458}, {});
  EXPECT_EQ(dc.LPtoDP(CPoint{0, 0}), (CPoint{0, 0}));
  EXPECT_EQ(dc.LPtoDP(CPoint{2200, -2200}), (CPoint{458, 458}));
}

TEST_F(ViewPicture, CopiedSelectionShowsOnlyTheSelectionAndItsBondEnds) {
  CEllipse* e = AddEllipse(500, 3000, 2500, 1000);  // unselected, not in the picture
  CDot* a = AddDot(4000, 0);
  CDot* b = AddDot(6000, -1000);
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = a;
  bond->m_pEndB = b;
  CCoupling* pBond = Add(std::move(bond));
  CEllipse* f = AddEllipse(7000, 500, 7400, 100);
  pBond->m_bSelected = 1;
  f->m_bSelected = 1;
  doc.m_bSelectionOnly = 1;

  // Extents: the ends by their anchors and the selected ellipse.
  EXPECT_EQ(view.GetPictureExtent(), (CSize{3400 + 200, -1500 - 200}));
  CRecordingDC dc;
  view.DrawPicture(&dc);
  const auto ellipses = dc.RecordsOf(CRecordingDC::Op::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  // O = (100 - 4000, -100 - 500): the selected ellipse moved, the other one not drawn.
  EXPECT_EQ(ellipses[0].pts[0], (CPoint{3100, -100}));
  EXPECT_EQ(e->m_rcBounds, (CRect{500, 3000, 2500, 1000}));
  EXPECT_EQ(f->m_rcBounds, (CRect{7000, 500, 7400, 100}));
  EXPECT_EQ(a->m_ptAnchor, (CPoint{4000, 0}));
  EXPECT_EQ(b->m_ptAnchor, (CPoint{6000, -1000}));
  doc.m_bSelectionOnly = 0;
}

TEST_F(ViewPicture, BondsAreBackOnTheirEndsAfterThePicture) {
  CDot* a = AddDot(1000, -1000);
  CDot* b = AddDot(3000, -2000);
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = a;
  bond->m_pEndB = b;
  CCoupling* pBond = Add(std::move(bond));
  CRecordingDC dc;
  view.DrawPicture(&dc);
  // Drawn in the picture's place: the top-left junction at (100, -100).
  const auto lines = dc.RecordsOf(CRecordingDC::Op::Line);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(pBond->m_ptA, (CPoint{1000, -1000}));
  EXPECT_EQ(pBond->m_ptB, (CPoint{3000, -2000}));
}

TEST_F(ViewPicture, AnEmptyFormulaIsFoundOnScreenButIsNothingOnPaperOrInAPicture) {
  auto pNew = std::make_unique<CFormula>();
  pNew->MoveTo(CPoint{1000, -1000});
  CFormula* f = Add(std::move(pNew));
  AddEllipse(3000, -3000, 4000, -4000);
  const auto rectangles = [](const CRecordingDC& dc) {
    return dc.RecordsOf(CRecordingDC::Op::Rectangle).size();
  };
  // Nor does it widen a picture: the ellipse alone and the margin.
  EXPECT_EQ(view.GetPictureExtent(), (CSize{1000 + 200, -1000 - 200}));
  EXPECT_EQ(view.Picture().ExportRect(), (CRect{3000, -3000, 4000, -4000}));

  // The window: its frame and handle, so that it can be found and deleted.
  view.UpdateView();
  const CRecordingDC* screen = host.SurfacesOf(true).back();
  EXPECT_EQ(rectangles(*screen), 2u);
  EXPECT_EQ(screen->RecordsOf(CRecordingDC::Op::Ellipse).size(), 1u);

  // Paper: the view paints straight onto the printer's surface.
  view.m_bDirectRender = 1;
  CRecordingDC paper;
  view.OnDraw(&paper);
  EXPECT_EQ(rectangles(paper), 0u);
  EXPECT_EQ(paper.RecordsOf(CRecordingDC::Op::Ellipse).size(), 1u);
  EXPECT_FALSE(paper.IsForOutput());  // the caller's surface as it was
  view.m_bDirectRender = 0;

  // The picture for containers and exports.
  CRecordingDC picture;
  view.DrawPicture(&picture);
  EXPECT_EQ(rectangles(picture), 0u);
  EXPECT_EQ(picture.RecordsOf(CRecordingDC::Op::Ellipse).size(), 1u);
  EXPECT_FALSE(picture.IsForOutput());

  // Back on the screen it shows again.
  view.UpdateView();
  EXPECT_EQ(rectangles(*host.SurfacesOf(true).back()), 2u);
  EXPECT_EQ(f->m_bSelected, 0);
}

TEST_F(ViewPicture, EmptyDrawingIsJustTheMargin) {
  EXPECT_EQ(view.GetPictureExtent(), (CSize{200, -200}));
}

TEST(ViewPictureHeadless, HeadlessHostMeasuresOnTheTargetSurface) {
  CKvillDoc doc;
  CRecordingDC target;
  target.SetPixelsPerInch(300);
  CHeadlessViewHost host(&target);
  CKvillView view(&host, &doc);
  auto e = std::make_unique<CEllipse>();
  e->m_rcBounds = CRect{0, 0, 1440, -1440};
  doc.m_listObjects.push_back(std::move(e));
  EXPECT_EQ(view.GetPictureExtent(), (CSize{1640, -1640}));
  view.DrawPicture(&target);
  ASSERT_EQ(target.Records().size(), 1u);
  EXPECT_EQ(target.Records()[0].pts[0], (CPoint{100, -100}));
}

using ServerItem = ViewFixture;

TEST_F(ServerItem, NewItemRegistersItselfAndCopiesTheViewFlags) {
  view.Embedding().SetEmbedded(true);
  view.Embedding().SetKillArmed(true);
  {
    CKvillSrvrItem item(&doc);
    EXPECT_EQ(doc.m_pItem, &item);
    EXPECT_EQ(view.Embedding().ServerItem(), &item);
    EXPECT_EQ(item.m_bEmbedded, 1);
    EXPECT_EQ(item.m_bKillArmed, 1);
    item.OnShow();
    EXPECT_FALSE(view.Embedding().IsKillArmed());
    EXPECT_EQ(item.m_bKillArmed, 1);  // the item keeps its copy
  }
  EXPECT_EQ(doc.m_pItem, nullptr);
  EXPECT_EQ(view.Embedding().ServerItem(), nullptr);
}

TEST_F(ServerItem, ExtentOnlyForTheContentAspect) {
  AddEllipse(500, 3000, 2500, 1000);
  CKvillSrvrItem item(&doc);
  CSize size{7, 7};
  EXPECT_FALSE(item.OnGetExtent(4, &size));
  EXPECT_EQ(size, (CSize{0, 0}));
  EXPECT_TRUE(item.OnGetExtent(DVASPECT_CONTENT, &size));
  EXPECT_EQ(size, (CSize{2200, -2200}));
  CRecordingDC dc;
  EXPECT_TRUE(item.OnDraw(&dc, &size));
  EXPECT_EQ(size, (CSize{3730, 3730}));
}

// What a picture shows, record by record: the operation, its points and its text.
std::vector<std::string> Shown(const CRecordingDC& dc) {
  std::vector<std::string> out;
  for (const auto& r : dc.Records()) {
    std::string s = std::to_string(static_cast<int>(r.op)) + " " + r.text;
    for (const CPoint& pt : r.pts) s += " " + std::to_string(pt.x) + "," + std::to_string(pt.y);
    out.push_back(s);
  }
  return out;
}

TEST(PictureRenderer, DrawsADrawingNoViewShowsAsAViewShowingItDoes) {
  // The same drawing twice: a bond to a formula laid out after it, and a selection, which a
  // window keeps in front of everything.
  const auto build = [](CKvillDoc& d) {
    DrawingBuilder b(d);
    CEllipse* e = b.Ellipse(4000, -500, 5200, -1700);
    CDot* a = b.Dot(600, -2600);
    CFormula* f = b.Formula("CH3", CPoint{2200, -1200});
    b.Bond(a, f);
    d.m_listObjects.splice(d.m_listObjects.end(), d.m_listObjects,
                           std::next(d.m_listObjects.begin(), 2));
    b.Formula("OH", CPoint{300, -300});
    e->m_bSelected = 1;
  };
  CKvillDoc shown, alone;
  build(shown);
  build(alone);
  CRecordingDC reference;
  reference.SetPixelsPerInch(150);
  CHeadlessViewHost host(&reference);
  CKvillView view(&host, &shown);
  view.OnZoomDefault();

  CMeasuringSurfaces surfaces(&reference);
  CPictureRenderer renderer(&surfaces, &alone);
  renderer.Prepare(true);
  EXPECT_EQ(alone.GetClient(), nullptr);
  EXPECT_EQ(renderer.GetPictureExtent(), view.GetPictureExtent());
  CRecordingDC byView, byRenderer;
  byView.SetPixelsPerInch(300);
  byRenderer.SetPixelsPerInch(300);
  EXPECT_EQ(renderer.DrawPicture(&byRenderer, CSize{900, 700}, {}),
            view.DrawPicture(&byView, CSize{900, 700}, {}));
  EXPECT_EQ(Shown(byRenderer), Shown(byView));
  // The selected ellipse is drawn last.
  ASSERT_FALSE(byRenderer.Records().empty());
  EXPECT_EQ(byRenderer.Records().back().op, CRecordingDC::Op::Ellipse);
  // Both drawings are back where they were, bonds on their ends.
  ASSERT_EQ(alone.m_listObjects.size(), shown.m_listObjects.size());
  for (auto a = alone.m_listObjects.begin(), s = shown.m_listObjects.begin();
       a != alone.m_listObjects.end(); ++a, ++s) {
    EXPECT_EQ((*a)->m_rcBounds, (*s)->m_rcBounds);
  }
}
