// The screen paint leaves out objects that cannot reach the window. What shows must be
// exactly what a paint of everything shows: the same primitives reaching the window, in
// the same order, with the same pens, brushes and texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "DrawingBuilder.h"
#include "ViewFixture.h"
#include "formula/CFormula.h"
#include "objects/CGroup.h"
#include "objects/CRecordingDC.h"
#include "objects/GroupWalk.h"
#include "objects/RingTemplates.h"
#include "resources/CommandIds.h"

namespace {

using Records = std::vector<CRecordingDC::Record>;

std::string Describe(const CRecordingDC::Record& r) {
  std::ostringstream out;
  out << static_cast<int>(r.op) << " rop " << r.nRop << " pen " << r.pen.nStyle << "/"
      << r.pen.nWidth << "/" << r.pen.crColor << " brush " << r.brush.nStyle << "/"
      << r.brush.crColor;
  if (r.op == CRecordingDC::Op::Text) {
    out << " text '" << r.text << "' " << r.font.strFace << " " << r.font.nHeight << " colour "
        << r.crText;
  }
  for (const CPoint& p : r.pts) out << " (" << p.x << "," << p.y << ")";
  return out.str();
}

// Whether a primitive can put anything into the box (logical units, y up): its points'
// box, widened by half its pen and one pixel (15 units at zoom 1) of fringe.
bool Reaches(const CRecordingDC::Record& r, const CRect& rcWindow) {
  if (r.pts.empty()) return false;
  std::int64_t x0 = r.pts[0].x, x1 = x0, y0 = r.pts[0].y, y1 = y0;
  for (const CPoint& p : r.pts) {
    x0 = std::min<std::int64_t>(x0, p.x), x1 = std::max<std::int64_t>(x1, p.x);
    y0 = std::min<std::int64_t>(y0, p.y), y1 = std::max<std::int64_t>(y1, p.y);
  }
  const std::int64_t m = (r.op == CRecordingDC::Op::Text ? 0 : r.pen.nWidth / 2) + 15;
  return x0 - m <= rcWindow.right && x1 + m >= rcWindow.left && y0 - m <= rcWindow.top &&
         y1 + m >= rcWindow.bottom;
}

std::vector<std::string> Reaching(const Records& records, const CRect& rcWindow) {
  std::vector<std::string> out;
  for (const auto& r : records) {
    if (Reaches(r, rcWindow)) out.push_back(Describe(r));
  }
  return out;
}

using Scene = void (*)(DrawingBuilder&);

// 60 rings in rows of 10, 1000 units apart, each with a formula bonded to one of its
// junctions; every seventh ring and every eleventh formula selected.
void RingGrid(DrawingBuilder& s) {
  for (int i = 0; i < 60; ++i) {
    const CPoint c{500 + (i % 10) * 1000, -500 - (i / 10) * 1000};
    CGroup* g = s.Ring(c);
    CFormula* f = s.Formula(i % 2 == 0 ? "OH" : "CH#idown 3#", CPoint{c.x + 250, c.y + 450});
    s.Bond(g->m_listChildren.front().get(), f);
    if (i % 7 == 0) g->m_bSelected = 1;
    if (i % 11 == 0) f->m_bSelected = 1;
  }
}

}  // namespace

// The same drawing is built twice: the view paints one copy in the window, leaving out
// what cannot show, and the other in a window so large that nothing is left out.
class ViewLeavingOut : public ViewFixture {
 protected:
  ViewLeavingOut() { view.Viewport().SetZoom(1.0); }

  void Build(Scene scene) {
    DrawingBuilder a(doc), b(docFull);
    scene(a);
    scene(b);
  }

  // One screen paint of a document into a window of the given client size, as the
  // window's paint does it; the records of its buffer.
  Records Paint(CKvillDoc& d, int cx, int cy) {
    view.SetDocument(&d);
    host.m_rcClient = CRect{0, 0, cx, cy};
    CDC* pDC = host.GetDC();
    view.OnPrepareDC(pDC);
    view.RenderDrawing(pDC, &d);
    host.ReleaseDC(pDC);
    view.SetDocument(&doc);
    return host.SurfacesOf(true).back()->Records();
  }

  // The large window starts far up and left of the small one; records are in drawing
  // units, so the scroll position makes no difference to them.
  Records PaintEverything() {
    const std::int32_t nScrollX = view.Viewport().ScrollX(), nScrollY = view.Viewport().ScrollY();
    const double z = view.Viewport().Zoom();
    view.Viewport().SetScrollX(static_cast<std::int32_t>(-40000.0 * 100.0 * z * z / 5.0));
    view.Viewport().SetScrollY(static_cast<std::int32_t>(-40000.0 * 100.0 * z / 5.0));
    Records all = Paint(docFull, 80000, 80000);
    view.Viewport().SetScrollX(nScrollX);
    view.Viewport().SetScrollY(nScrollY);
    return all;
  }

  // The logical box of the 800 x 600 window at the current zoom and scroll position.
  CRect Window() const {
    const CPoint a = view.DeviceToLogical(CPoint{0, 0});
    const CPoint b = view.DeviceToLogical(CPoint{800, 600});
    return CRect{a.x, a.y, b.x, b.y};
  }

  // Paints both copies three times (the later paints reuse what the first remembered)
  // and compares what reaches the window and what drawing changed in the objects: boxes
  // of formulas and groups, bond end points, pass flags. Returns the sizes of the last
  // two paints.
  std::pair<std::size_t, std::size_t> ExpectSamePicture() {
    std::pair<std::size_t, std::size_t> sizes;
    for (int nPaint = 1; nPaint <= 3; ++nPaint) {
      SCOPED_TRACE("paint " + std::to_string(nPaint));
      const Records small = Paint(doc, 800, 600);
      const Records all = PaintEverything();
      const CRect rc = Window();
      EXPECT_EQ(Reaching(small, rc), Reaching(all, rc));
      EXPECT_EQ(State(doc), State(docFull));
      sizes = {small.size(), all.size()};
    }
    return sizes;
  }

  static std::vector<std::string> State(CKvillDoc& d) {
    std::vector<std::string> out;
    const auto one = [&](CKVObject* p) {
      std::ostringstream s;
      s << p->m_nKind << " box " << p->m_rcBounds.left << "," << p->m_rcBounds.top << ","
        << p->m_rcBounds.right << "," << p->m_rcBounds.bottom << " anchor " << p->m_ptAnchor.x
        << "," << p->m_ptAnchor.y << " done " << p->m_bDone;
      if (CCoupling* b = p->AsBond()) {
        s << " ends " << b->m_ptA.x << "," << b->m_ptA.y << " " << b->m_ptB.x << "," << b->m_ptB.y;
      }
      out.push_back(s.str());
    };
    for (const auto& p : d.m_listObjects) {
      one(p.get());
      if (CGroup* g = p->AsGroup()) {
        WalkGroup(*g, [&](std::unique_ptr<CKVObject>& c, CGroup&) {
          one(c.get());
          return WalkStep::Enter;
        });
      }
    }
    return out;
  }

  CKvillDoc docFull;
};

// At zoom 1 and no scrolling the window shows x 0 .. 12000 and y 0 .. -9000.
TEST_F(ViewLeavingOut, EdgeCasesAroundTheWindowPaintAsEverythingDoes) {
  Build([](DrawingBuilder& s) {
    // A bond listed before the formula it ends at, both outside, the line crossing the
    // window: it meets the formula where the formula's previous drawing left its box.
    auto early = std::make_unique<CCoupling>();
    CCoupling* pEarly = early.get();
    s.Doc().m_listObjects.push_back(std::move(early));
    pEarly->m_pEndA = s.Dot(14000, -8500);
    pEarly->m_pEndB = s.Formula("CH#idown 2#OH", CPoint{-3000, 1200});
    // Straddling the right edge, and wholly outside below.
    s.Ellipse(11500, -3000, 12600, -4000);
    s.Ellipse(3000, -9800, 4000, -10800);
    // A bond whose ends both lie outside, left and right, and whose line crosses the
    // window; a double bond and a wedge between ends above and below.
    s.Bond(s.Dot(-6000, -4500), s.Dot(19000, -4600));
    s.Bond(s.Dot(5000, 4000), s.Dot(5200, -14000), 2);
    s.Bond(s.Dot(7000, 3000), s.Dot(7600, -13000), 4);
    // A big ellipse enclosing the whole window.
    s.Ellipse(-40000, 40000, 50000, -50000);
    // Selected objects just outside: their frames and handles reach in by a few units.
    CEllipse* justLeft = s.Ellipse(-900, -2000, -25, -2500);
    justLeft->m_bSelected = 1;
    justLeft->m_bKeepAspect = 0;  // all eight handles
    s.Dot(6000, 25)->m_bSelected = 1;
    // A thick outline outside whose pen reaches in.
    s.Ellipse(12100, -6000, 13000, -7000)->m_dThickness = 20.0;
    // A ring cut by the bottom edge, one wholly outside, and a formula outside the window
    // whose bond to a junction of the cut ring runs into the window.
    CGroup* cut = s.Ring(CPoint{2000, -9000});
    s.Ring(CPoint{2000, -13000});
    s.Bond(cut->m_listChildren.front().get(), s.Formula("CH#idown 3#", CPoint{2600, -10500}));
    // A formula hanging over the left edge, and one far away bonded to a junction far
    // away on the other side, the line passing through the window.
    s.Formula("NO#idown 2#", CPoint{-300, -6000});
    s.Bond(s.Formula("OH", CPoint{-9000, -2000}), s.Dot(21000, -7000));
    // A formula inside a group outside, bonded to a junction on the far side.
    auto holder = std::make_unique<CGroup>();
    auto inner = std::make_unique<CFormula>();
    inner->m_strText = "NH#idown 2#";
    inner->MoveTo(CPoint{-4000, -7000});
    CFormula* pInner = inner.get();
    holder->AddChild(std::move(inner));
    holder->RecalcBounds();
    s.Add(std::move(holder));
    s.Bond(pInner, s.Dot(16000, -1000));
    // Formulas outside: an empty one shows its frame when drawn, which sets its pass
    // flag; a selected one gets its marks.
    s.Formula("", CPoint{-5000, -5000});
    s.Formula("SO#idown 4#", CPoint{-5000, -8000})->m_bSelected = 1;
    // A selected ring outside whose frame does not reach.
    s.Ring(CPoint{30000, -4000})->m_bSelected = 1;
  });
  const auto [nSmall, nAll] = ExpectSamePicture();
  EXPECT_LT(nSmall, nAll);  // something was left out
}

TEST_F(ViewLeavingOut, ScrollingThroughAGridOfRingsShowsTheSameAtEveryStop) {
  Build(RingGrid);
  // Zoomed in, so that the window cuts through rings and formulas at each stop.
  view.Viewport().SetZoom(0.6);
  for (const CPoint scroll :
       {CPoint{0, 0}, CPoint{1100, 700}, CPoint{2513, 1877}, CPoint{4000, 3333}}) {
    view.Viewport().SetScrollX(scroll.x);
    view.Viewport().SetScrollY(scroll.y);
    SCOPED_TRACE("scroll " + std::to_string(scroll.x) + "," + std::to_string(scroll.y));
    const auto [nSmall, nAll] = ExpectSamePicture();
    EXPECT_LT(nSmall, nAll);
  }
}

TEST_F(ViewLeavingOut, AFormulaMovedIntoTheWindowBringsItsBondAlong) {
  Build([](DrawingBuilder& s) {
    CDot* a = s.Dot(40000, -1000);
    s.Bond(a, s.Formula("OH", CPoint{43000, -800}));
  });
  EXPECT_TRUE(Reaching(Paint(doc, 800, 600), Window()).empty());
  for (CKvillDoc* d : {&doc, &docFull}) {
    auto* f = dynamic_cast<CFormula*>(std::next(d->m_listObjects.begin())->get());
    ASSERT_NE(f, nullptr);
    f->ResetDone();
    f->MoveTo(CPoint{3000, -800});
  }
  const auto [nSmall, nAll] = ExpectSamePicture();
  EXPECT_GT(nSmall, 0u);
  auto* bond = dynamic_cast<CCoupling*>(doc.m_listObjects.back().get());
  ASSERT_NE(bond, nullptr);
  EXPECT_LT(bond->m_ptB.x, 4000);
  (void)nAll;
}

// Scrolling, zooming and exposing the window change no object: once the drawing is at
// rest, such a repaint visits only what the window can show. It must show and leave
// behind exactly what a full paint does.
class ViewRepaintAtRest : public ViewLeavingOut {
 protected:
  // The window's own repaint, as an exposure or a scroll brings it.
  Records Repaint() {
    host.m_rcClient = CRect{0, 0, 800, 600};
    CDC* pDC = host.GetDC();
    view.OnDraw(pDC);
    host.ReleaseDC(pDC);
    return host.SurfacesOf(true).back()->Records();
  }

  // A repaint that must leave objects out without visiting them: objects it does not
  // visit keep a pass flag no paint sets, which is then put back.
  Records QuietRepaint(std::size_t& nUnvisited) {
    EXPECT_TRUE(view.IsDrawingAtRest());
    std::vector<std::int32_t> saved;
    for (const auto& p : doc.m_listObjects) {
      saved.push_back(p->m_bDone);
      p->m_bDone = 77;
    }
    Records records = Repaint();
    nUnvisited = 0;
    auto it = saved.begin();
    for (const auto& p : doc.m_listObjects) {
      if (p->m_bDone == 77) {
        ++nUnvisited;
        p->m_bDone = *it;
      }
      ++it;
    }
    return records;
  }

  void BuildGrid() {
    Build(RingGrid);
    view.Viewport().SetZoom(0.6);
  }

  // The formula of ring n in a document built by BuildGrid.
  static CFormula* FormulaOf(CKvillDoc& d, int n) {
    auto it = d.m_listObjects.begin();
    std::advance(it, 3 * n + 1);
    return (*it)->AsFormula();
  }
};

TEST_F(ViewRepaintAtRest, AnEditFarAwayIsFollowedBeforeRepaintsLeaveObjectsOut) {
  BuildGrid();
  // The window shows rings 0 .. 7 across and 0 .. 5 down. A formula out of sight gets a
  // longer text and the selection; the update puts it last, after the bond that meets
  // it, so that bond follows the old layout in the update's paint.
  for (CKvillDoc* d : {&doc, &docFull}) {
    CFormula* f = FormulaOf(*d, 59);
    ASSERT_NE(f, nullptr);
    f->m_strText = "CH#idown 2#CH#idown 2#CH#idown 2#OH";
    f->m_bSelected = 1;
  }
  // The full copy first: updated, then everything painted, so its bonds have followed the
  // new layout.
  view.SetDocument(&docFull);
  view.UpdateView();
  PaintEverything();
  view.SetDocument(&doc);
  view.UpdateView();
  ASSERT_NE(doc.m_listObjects.back()->AsFormula(), nullptr);
  EXPECT_FALSE(view.IsDrawingAtRest());
  Repaint();  // the second paint since the edit brings the drawing to rest

  for (const CPoint scroll :
       {CPoint{0, 0}, CPoint{1100, 700}, CPoint{2513, 1877}, CPoint{4000, 3333}, CPoint{0, 0}}) {
    SCOPED_TRACE("scroll " + std::to_string(scroll.x) + "," + std::to_string(scroll.y));
    view.Viewport().SetScrollX(scroll.x);
    view.Viewport().SetScrollY(scroll.y);
    std::size_t nUnvisited = 0;
    const Records quiet = QuietRepaint(nUnvisited);
    EXPECT_GT(nUnvisited, 0u);
    const std::vector<std::string> stateQuiet = State(doc);
    const Records all = PaintEverything();  // also lets go of the rest, as any change would
    EXPECT_EQ(Reaching(quiet, Window()), Reaching(all, Window()));
    EXPECT_EQ(stateQuiet, State(docFull));
    EXPECT_FALSE(view.IsDrawingAtRest());
    Repaint();
    Repaint();
  }
}

TEST_F(ViewRepaintAtRest, ZoomingAndScrollingRepaintQuietlyAndEditsEndTheRest) {
  BuildGrid();
  view.UpdateView();
  EXPECT_FALSE(view.IsDrawingAtRest());
  view.OnZoomIn();  // paints once more: at rest
  EXPECT_TRUE(view.IsDrawingAtRest());

  // Zooming, scrolling and its deferred refresh, the window's size and the cursor
  // feedback keep the rest; what they paint is what a full paint shows.
  std::size_t nUnvisited = 0;
  view.OnZoomOut();
  EXPECT_TRUE(view.IsDrawingAtRest());
  view.OnVScroll(SB_PAGEDOWN, 0);
  view.OnTimer(TIMER_SCROLL_REFRESH);
  view.OnTimer(TIMER_CURSOR_FEEDBACK);
  view.OnSize();
  EXPECT_TRUE(view.IsDrawingAtRest());
  const Records quiet = QuietRepaint(nUnvisited);
  EXPECT_GT(nUnvisited, 0u);
  const std::vector<std::string> stateQuiet = State(doc);
  view.Unsettle();
  const Records full = Repaint();
  EXPECT_EQ(Reaching(quiet, Window()), Reaching(full, Window()));
  EXPECT_EQ(stateQuiet, State(doc));

  // Everything that may change an object ends the rest.
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"button down",
       [&] {
         view.OnLButtonDown(0, CPoint{300, 300});
       }},
      {"button up",
       [&] {
         view.OnLButtonUp(0, CPoint{300, 300});
       }},
      {"mouse move",
       [&] {
         view.OnMouseMove(0, CPoint{310, 300});
       }},
      {"double click",
       [&] {
         view.OnLButtonDblClk(0, CPoint{5, 5});
       }},
      {"key", [&] { view.OnKeyDown(VK_DELETE); }},
      {"character", [&] { view.OnChar('x'); }},
      {"select all", [&] { view.OnCommand(32842); }},
      {"undo", [&] { view.OnCommand(cmd::kEditUndo); }},
      {"history timer", [&] { view.OnTimer(TIMER_RESET_HISTORY); }},
      {"draw bar message", [&] { view.OnPostedMessage(1031, 0, 0); }},
      {"a picture of the drawing",
       [&] {
         CRecordingDC picture;
         view.DrawPicture(&picture);
       }},
      {"another document", [&] { view.SetDocument(&doc); }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    view.Unsettle();
    Repaint();
    Repaint();
    ASSERT_TRUE(view.IsDrawingAtRest());
    change();
    EXPECT_FALSE(view.IsDrawingAtRest());
  }

  // A new object, added behind the view's back, makes another drawing.
  view.Unsettle();
  Repaint();
  Repaint();
  ASSERT_TRUE(view.IsDrawingAtRest());
  const CRect rcWindow = Window();
  DrawingBuilder(doc).Ellipse(rcWindow.left + 100, rcWindow.top - 100, rcWindow.left + 900,
                              rcWindow.top - 900);
  const Records after = Repaint();
  EXPECT_FALSE(view.IsDrawingAtRest());
  // The grid has no ellipse but the new one.
  EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const CRecordingDC::Record& r) {
    return r.op == CRecordingDC::Op::Ellipse;
  }));
}

TEST_F(ViewRepaintAtRest, AnObjectReplacedBehindTheViewsBackIsNeverVisitedAgain) {
  BuildGrid();
  view.UpdateView();
  Repaint();
  ASSERT_TRUE(view.IsDrawingAtRest());
  // A bond is replaced by an ellipse in the middle of the list, without a word to the
  // view: the list keeps its length and its ends. The old bond is gone, so the next
  // repaint must not go by what it knew.
  auto it = std::find_if(std::next(doc.m_listObjects.begin()), doc.m_listObjects.end(),
                         [](const auto& p) { return p->AsBond() != nullptr; });
  ASSERT_NE(it, doc.m_listObjects.end());
  ASSERT_NE(std::next(it), doc.m_listObjects.end());
  const CRect rcWindow = Window();
  auto ellipse = std::make_unique<CEllipse>();
  ellipse->m_rcBounds =
      CRect{rcWindow.left + 100, rcWindow.top - 100, rcWindow.left + 700, rcWindow.top - 700};
  ellipse->m_ptAnchor = CPoint{ellipse->m_rcBounds.left, ellipse->m_rcBounds.top};
  *it = std::move(ellipse);
  const Records after = Repaint();
  EXPECT_FALSE(view.IsDrawingAtRest());
  EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](const CRecordingDC::Record& r) {
    return r.op == CRecordingDC::Op::Ellipse;
  }));
}
