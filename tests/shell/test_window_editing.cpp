// Editing in the real main window on Qt's offscreen platform, with input as the window
// system delivers it (the Ctrl key's state included): clicks on bonds selected through
// their ends, the Ctrl-drag copy, Edit > Ungroup and the reach of the scroll bars.
#include <QAction>
#include <QScrollBar>
#include <QtTest/QTest>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"
#include "tests/shell/ShellFixture.h"

namespace {

class WindowEditing : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    Store().Write(CSettingsStore::kLanguage, "1033");
    frame = Start().MainFrame();
    frame->show();
    ASSERT_TRUE(PumpUntilStartedUp(frame));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    view = frame->View();
    doc = frame->Document();
  }
  void TearDown() override {
    QTest::keyRelease(Window(), Qt::Key_Control, Qt::NoModifier);
    ShellFixture::TearDown();
  }

  QWindow* Window() const { return frame->windowHandle(); }
  // A drawing point as a point of the main window, where the window system reports it.
  QPoint At(CPoint pt) const {
    const CPoint px = view->LogicalToDevice(pt, nullptr);
    return frame->ViewWidget()->Client()->mapTo(frame, QPoint(px.x, px.y));
  }
  Qt::KeyboardModifiers Mods() const { return bCtrl ? Qt::ControlModifier : Qt::NoModifier; }
  void Ctrl(bool bDown) {
    bCtrl = bDown;
    if (bDown) {
      QTest::keyPress(Window(), Qt::Key_Control, Qt::ControlModifier);
    } else {
      QTest::keyRelease(Window(), Qt::Key_Control, Qt::NoModifier);
    }
  }
  // Press at a, through the points, release at the last one.
  void Drag(CPoint a, std::initializer_list<CPoint> through) {
    QTest::mousePress(Window(), Qt::LeftButton, Mods(), At(a));
    CPoint last = a;
    for (CPoint p : through) {
      QTest::mouseMove(Window(), At(p));
      last = p;
    }
    QTest::mouseRelease(Window(), Qt::LeftButton, Mods(), At(last));
  }
  void Click(CPoint a) { Drag(a, {}); }
  template <typename T>
  T* Add(std::unique_ptr<T> p) {
    T* raw = p.get();
    doc->m_listObjects.push_back(std::move(p));
    return raw;
  }
  CDot* Dot(int x, int y) {
    auto d = std::make_unique<CDot>();
    d->MoveTo(CPoint{x, y});
    d->ResetDone();
    return Add(std::move(d));
  }
  CCoupling* Bond(CKVObject* a, CKVObject* b) {
    auto p = std::make_unique<CCoupling>();
    p->m_pEndA = a;
    p->m_pEndB = b;
    return Add(std::move(p));
  }
  void Shown() {
    view->UpdateView();
    view->PushSnapshot();
  }
  int Count(int nKind) const {
    int n = 0;
    for (const auto& p : doc->m_listObjects) n += p->GetKind() == nKind ? 1 : 0;
    return n;
  }

  CMainFrame* frame = nullptr;
  CKvillView* view = nullptr;
  CKvillDoc* doc = nullptr;
  bool bCtrl = false;
};

}  // namespace

TEST_F(WindowEditing, ClicksOnBondsSelectedThroughTheirEnds) {
  CDot* j1 = Dot(1500, -1500);
  CDot* j2 = Dot(4500, -1500);
  CDot* j3 = Dot(7500, -1500);
  CCoupling* b12 = Bond(j1, j2);
  CCoupling* b23 = Bond(j2, j3);
  Shown();
  // J1, J2 and their bond selected by a rectangle; a click on J2-J3 changes nothing.
  Drag(CPoint{900, -900}, {CPoint{3000, -2100}, CPoint{5100, -2100}});
  ASSERT_EQ(view->SelCount(), 3);
  ASSERT_EQ(b12->m_bSelected, 1);
  Click(CPoint{6000, -1500});
  EXPECT_EQ(view->SelCount(), 3);
  EXPECT_EQ(b23->m_bSelected, 0);
  EXPECT_EQ(j3->m_bSelected, 0);

  // Both ends of J2-J3 selected, its own flag clear: a Ctrl-click leaves the count.
  Ctrl(true);
  Click(CPoint{7500, -1500});
  ASSERT_EQ(j3->m_bSelected, 1);
  const int nCount = view->SelCount();
  Click(CPoint{6000, -1500});
  EXPECT_EQ(view->SelCount(), nCount);
  EXPECT_EQ(b23->m_bSelected, 0);
  EXPECT_TRUE(j2->m_bSelected && j3->m_bSelected);
  Ctrl(false);

  // A selected ring and a bond from one of its vertices outwards: a click keeps the ring alone.
  Click(CPoint{9000, -6000});  // empty paper: nothing selected
  auto g = std::make_unique<CGroup>();
  PlaceRing(CPoint{3000, -6000}, *g, 6, 0.5235988);
  g->RecalcBounds();
  CGroup* ring = Add(std::move(g));
  CKVObject* vertex = ring->m_listChildren.front().get();
  CDot* outside = Dot(vertex->m_ptAnchor.x + 3000, vertex->m_ptAnchor.y);
  Bond(vertex, outside);
  Shown();
  Click(CPoint{3000, -6000});
  ASSERT_EQ(ring->m_bSelected, 1);
  Click(CPoint{vertex->m_ptAnchor.x + 1500, vertex->m_ptAnchor.y});
  EXPECT_EQ(view->SelCount(), 1);
  EXPECT_EQ(ring->m_bSelected, 1);
  EXPECT_EQ(outside->m_bSelected, 0);
}

TEST_F(WindowEditing, CtrlDragCopiesAFormulaAndACtrlClickDoesNot) {
  auto f = std::make_unique<CFormula>();
  f->m_strText = "COOH";
  f->MoveTo(CPoint{1500, -1500});
  CFormula* formula = Add(std::move(f));
  Shown();
  const CRect box = formula->m_rcBounds;
  const CPoint mid{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  const std::size_t nSnapshots = view->History().Size();

  Ctrl(true);
  Click(mid);
  EXPECT_EQ(doc->m_listObjects.size(), 1u);
  EXPECT_EQ(view->History().Size(), nSnapshots);
  Drag(mid, {CPoint{mid.x + 450, mid.y - 450}, CPoint{mid.x + 1500, mid.y - 1500}});
  Ctrl(false);
  ASSERT_EQ(Count(KIND_FORMULA), 2);
  EXPECT_EQ(formula->m_rcBounds, box);
  const auto* copy = static_cast<CFormula*>(doc->m_listObjects.back().get());
  EXPECT_EQ(copy->m_strText, "COOH");
  EXPECT_NEAR(copy->m_rcBounds.left - box.left, 1500, 30);
  EXPECT_NEAR(copy->m_rcBounds.top - box.top, -1500, 30);
  EXPECT_EQ(view->History().Size(), nSnapshots + 1);
  frame->MenuAction(57643)->trigger();  // Undo
  EXPECT_EQ(Count(KIND_FORMULA), 1);
}

TEST_F(WindowEditing, EditUngroupTakesApartAGroupSelectedByAClickOrAnUndo) {
  auto g = std::make_unique<CGroup>();
  PlaceRing(CPoint{3000, -3000}, *g, 6, 0.5235988);
  g->RecalcBounds();
  Add(std::move(g));
  Shown();
  // A click whose pointer moves a pixel on the way.
  Drag(CPoint{3000, -3000}, {CPoint{3015, -3000}});
  frame->UpdateCommandUi();
  QAction* ungroup = frame->MenuAction(32798);
  ASSERT_NE(ungroup, nullptr);
  ASSERT_TRUE(ungroup->isEnabled());
  ungroup->trigger();
  EXPECT_EQ(Count(KIND_GROUP), 0);
  frame->MenuAction(57643)->trigger();  // Undo: the group is back, selected
  ASSERT_EQ(Count(KIND_GROUP), 1);
  frame->UpdateCommandUi();
  ASSERT_TRUE(ungroup->isEnabled());
  ungroup->trigger();
  EXPECT_EQ(Count(KIND_GROUP), 0);
}

// A drawing lying left of and above the origin, as files of other programs have them: the
// scroll bars' arrows take the window there, and the ellipse's ink shows on the screen.
TEST_F(WindowEditing, TheScrollBarsReachWhatLiesLeftOfAndAboveTheOrigin) {
  auto e = std::make_unique<CEllipse>();
  e->m_rcBounds = CRect{-30000, 20000, -27000, 17000};
  e->m_ptAnchor = CPoint{-30000, 20000};
  Add(std::move(e));
  Add(std::make_unique<CEllipse>())->m_rcBounds = CRect{1000, -1000, 2000, -2000};
  view->OnZoomDefault();
  Shown();
  CViewWidget* host = frame->ViewWidget();
  for (int bar : {SB_HORZ, SB_VERT}) {
    QScrollBar* s = host->ScrollBar(bar);
    ASSERT_TRUE(s->isVisible()) << bar;
    for (int i = 0; i < 2000 && s->value() > s->minimum(); ++i)
      s->triggerAction(QAbstractSlider::SliderSingleStepSub);
    // The thumb follows when the view's deferred refresh has run.
    EXPECT_TRUE(PumpUntil([&] { return s->value() == s->minimum(); })) << bar;
  }
  const CPoint corner = view->DeviceToLogical(CPoint{0, 0});
  EXPECT_LE(corner.x, -30000);
  EXPECT_GE(corner.y, 20000);
  // The ellipse's outline on the screen: dark pixels in its box.
  host->Invalidate();
  const QImage shown = host->Client()->grab().toImage();
  const CPoint a = view->LogicalToDevice(CPoint{-30000, 20000}, nullptr);
  const CPoint b = view->LogicalToDevice(CPoint{-27000, 17000}, nullptr);
  // Its left arc, in a strip where nothing was drawn before the scrolling.
  int nDark = 0;
  for (int y = std::max(0, a.y + 50); y <= std::min(shown.height() - 1, b.y - 50); ++y)
    for (int x = std::max(0, a.x); x <= std::min(shown.width() - 1, a.x + 30); ++x)
      nDark += qGray(shown.pixel(x, y)) < 128 ? 1 : 0;
  EXPECT_GT(nDark, 40);
}
