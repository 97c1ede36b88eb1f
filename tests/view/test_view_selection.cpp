// Hit testing and selection: what a click finds, clicks with and without Ctrl, the
// selection rectangle and Select All.

#include <functional>

#include "InteractFixture.h"
#include "resources/CommandIds.h"

class ViewSelection : public InteractFixture {};

TEST_F(ViewSelection, FormulaUnderABondIsHitNotTheBond) {
  CDot* a = AddDot(150, -600);
  CDot* b = AddDot(1950, -600);
  CCoupling* bond = AddBond(a, b);
  CFormula* f = AddFormula(900, -450, 1020, -720);
  const CKvillView::CHit onFormula = view.FindObjectAt(CPoint{960, -600});
  EXPECT_EQ(onFormula.nKind, KIND_FORMULA);
  EXPECT_EQ(onFormula.pObj, f);
  // Beside the formula the bond is the only thing there.
  const CKvillView::CHit onBond = view.FindObjectAt(CPoint{1500, -600});
  EXPECT_EQ(onBond.nKind, KIND_COUPLING);
  EXPECT_EQ(onBond.pObj, bond);
  // A junction at the end also wins over the bond that starts there.
  EXPECT_EQ(view.FindObjectAt(CPoint{150, -600}).pObj, a);
  EXPECT_EQ(view.FindObjectAt(CPoint{960, 3000}).nKind, 0);
}

TEST_F(ViewSelection, OfTwoOverlappingFormulasTheLaterIsHit) {
  CFormula* first = AddFormula(300, -300, 600, -600);
  CFormula* second = AddFormula(450, -300, 750, -600);
  EXPECT_EQ(view.FindObjectAt(CPoint{525, -450}).pObj, second);
  // Only the first one covers its left part.
  EXPECT_EQ(view.FindObjectAt(CPoint{330, -450}).pObj, first);
}

TEST_F(ViewSelection, FindHandleAtOnlyFindsSelectedObjects) {
  CEllipse* e = AddEllipse(300, -300, 900, -700);
  // Handle 1 lies in the bottom-right corner of the selection frame (930, -720).
  EXPECT_EQ(view.FindHandleAt(CPoint{900, -690}), nullptr);
  e->m_bSelected = 1;
  EXPECT_EQ(view.FindHandleAt(CPoint{900, -690}), e);
  EXPECT_EQ(view.Mouse().Handle(), 1);
  EXPECT_EQ(view.FindHandleAt(CPoint{600, -500}), nullptr);
}

TEST_F(ViewSelection, ClickingAnUnselectedBondSelectsItWithBothEnds) {
  CDot* a = AddDot(300, -600);
  CDot* b = AddDot(1800, -600);
  CCoupling* bond = AddBond(a, b);
  Click(CPoint{1050, -600});
  EXPECT_TRUE(bond->m_bSelected);
  EXPECT_TRUE(a->m_bSelected);
  EXPECT_TRUE(b->m_bSelected);
  EXPECT_EQ(view.SelCount(), 3);
  // A second click on the selected bond selects nothing new.
  Click(CPoint{1050, -600});
  EXPECT_EQ(view.SelCount(), 3);
  EXPECT_TRUE(bond->m_bSelected);
}

TEST_F(ViewSelection, ClickWithoutCtrlReplacesTheSelection) {
  CEllipse* e1 = AddEllipse(300, -300, 600, -600);
  CEllipse* e2 = AddEllipse(1200, -300, 1500, -600);
  Click(CPoint{450, -450});
  EXPECT_TRUE(e1->m_bSelected);
  Click(CPoint{1350, -450});
  EXPECT_FALSE(e1->m_bSelected);
  EXPECT_TRUE(e2->m_bSelected);
  EXPECT_EQ(view.SelCount(), 1);
  // Clicking empty space clears the selection.
  Click(CPoint{3000, -3000});
  EXPECT_FALSE(e2->m_bSelected);
  EXPECT_EQ(view.SelCount(), 0);
}

TEST_F(ViewSelection, CtrlClickOnASelectedObjectDropsItAndItsSelectedBonds) {
  CDot* a = AddDot(300, -600);
  CDot* b = AddDot(1800, -600);
  CCoupling* bond = AddBond(a, b);
  a->m_bSelected = b->m_bSelected = bond->m_bSelected = 1;
  host.m_keysDown = {VK_LCONTROL};
  Click(CPoint{300, -600}, MK_CONTROL);
  EXPECT_FALSE(a->m_bSelected);
  EXPECT_FALSE(bond->m_bSelected);
  EXPECT_TRUE(b->m_bSelected);
  EXPECT_EQ(view.SelCount(), 1);
  // The Ctrl-press waits for its release; not dragged, it copied nothing and records nothing.
  EXPECT_EQ(Snapshots(), 0u);
  EXPECT_EQ(doc.m_listObjects.size(), 3u);
  EXPECT_EQ(view.Cursor().m_bCopyDrag, 0);
}

TEST_F(ViewSelection, CtrlClickOnASelectedGroupClearsItsBondsWithoutCounting) {
  auto pGroup = std::make_unique<CGroup>();
  auto pInner = std::make_unique<CDot>();
  pInner->MoveTo(CPoint{300, -300});
  CDot* inner = pInner.get();
  pGroup->AddChild(std::move(pInner));
  auto pFar = std::make_unique<CDot>();
  pFar->MoveTo(CPoint{1200, -900});
  pGroup->AddChild(std::move(pFar));
  CGroup* group = Add(std::move(pGroup));
  CDot* outside = AddDot(2400, -300);
  CCoupling* bond = AddBond(inner, outside);
  group->m_bSelected = outside->m_bSelected = bond->m_bSelected = 1;
  host.m_keysDown = {VK_LCONTROL};
  Click(CPoint{300, -300}, MK_CONTROL);
  EXPECT_FALSE(group->m_bSelected);
  EXPECT_FALSE(bond->m_bSelected);
  EXPECT_TRUE(outside->m_bSelected);
  // Three were counted at the press; only the group's own flag took one away.
  EXPECT_EQ(view.SelCount(), 2);
}

TEST_F(ViewSelection, ClickInsideAGroupSelectsTheGroup) {
  auto pGroup = std::make_unique<CGroup>();
  auto pDot = std::make_unique<CDot>();
  pDot->MoveTo(CPoint{300, -300});
  pGroup->AddChild(std::move(pDot));
  auto pFar = std::make_unique<CDot>();
  pFar->MoveTo(CPoint{1200, -900});
  pGroup->AddChild(std::move(pFar));
  CGroup* group = Add(std::move(pGroup));
  Click(CPoint{300, -300});
  EXPECT_TRUE(group->m_bSelected);
  EXPECT_EQ(view.Current(), group);
  EXPECT_EQ(view.SelCount(), 1);
}

TEST_F(ViewSelection, RectangleSelectsWhatLiesStrictlyInsideAndBondsBetweenSelectedEnds) {
  CEllipse* cut = AddEllipse(1500, -300, 2100, -900);
  CDot* a = AddDot(450, -450);
  CDot* b = AddDot(1050, -750);
  CCoupling* bond = AddBond(a, b);
  Press(CPoint{300, -150});
  Move(CPoint{900, -600});
  Move(CPoint{1800, -1050});
  Release(CPoint{1800, -1050});
  EXPECT_TRUE(a->m_bSelected);
  EXPECT_TRUE(b->m_bSelected);
  EXPECT_TRUE(bond->m_bSelected);
  EXPECT_FALSE(cut->m_bSelected);
  EXPECT_EQ(view.SelCount(), 3);
  EXPECT_EQ(view.Current(), b);
  EXPECT_EQ(view.Mouse().RubberBand(), 0);
  // The frame was drawn once alone, then every move erased the old one with the new.
  ASSERT_EQ(host.m_dragRects.size(), 3u);
  EXPECT_FALSE(host.m_dragRects[0].bErase);
  EXPECT_EQ(host.m_dragRects[0].rc, (CRect{20, 10, 20, 10}));
  EXPECT_TRUE(host.m_dragRects[1].bErase);
  EXPECT_EQ(host.m_dragRects[1].rc, (CRect{20, 10, 60, 40}));
  EXPECT_EQ(host.m_dragRects[2].rcLast, (CRect{20, 10, 60, 40}));
  EXPECT_EQ(host.m_dragRects[2].rc, (CRect{20, 10, 120, 70}));
}

TEST_F(ViewSelection, RectangleDraggedUpAndLeftIsNormalised) {
  CDot* a = AddDot(450, -450);
  Press(CPoint{900, -900});
  Move(CPoint{300, -300});
  Release(CPoint{300, -300});
  EXPECT_EQ(view.Mouse().DragRect(), (CRect{20, 20, 60, 60}));
  EXPECT_TRUE(a->m_bSelected);
}

TEST_F(ViewSelection, SelectAllCountsTopLevelObjectsAndRecordsASnapshot) {
  view.OnCommand(32842);
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_EQ(Snapshots(), 1u);
  CDot* a = AddDot(300, -300);
  CDot* b = AddDot(900, -300);
  CCoupling* bond = AddBond(a, b);
  view.OnCommand(32842);
  EXPECT_EQ(view.SelCount(), 3);
  EXPECT_TRUE(bond->m_bSelected);
  EXPECT_EQ(Snapshots(), 2u);
}

TEST_F(ViewSelection, DeselectAllAndCountSelection) {
  CDot* a = AddDot(300, -300);
  AddDot(900, -300);
  a->m_bSelected = 1;
  view.CountSelection();
  EXPECT_EQ(view.SelCount(), 1);
  view.DeselectAll();
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_FALSE(a->m_bSelected);
}

TEST_F(ViewSelection, RectangleWithoutAWindowSurfaceStillSelects) {
  CDot* a = AddDot(450, -450);
  Press(CPoint{300, -300});
  host.m_bDCAvailable = false;
  Move(CPoint{900, -900});
  Release(CPoint{900, -900});
  host.m_bDCAvailable = true;
  EXPECT_TRUE(host.m_dragRects.empty());
  EXPECT_TRUE(a->m_bSelected);
}

// ---- A bond counts as selected through a selected end ----

// Three clicks whose answer depends on it: a plain click on a bond selected through an end
// keeps the selection (and a drag from there moves it), a plain click on a bond hanging on
// a selected group keeps the group alone, and a Ctrl-click on a bond whose ends are both
// selected deselects what it would deselect, leaving the count as it was.
TEST_F(ViewSelection, ClicksOnABondSelectedThroughItsEndsKeepTheSelection) {
  CDot* j1 = AddDot(300, -600);
  CDot* j2 = AddDot(1800, -600);
  CDot* j3 = AddDot(3300, -600);
  CCoupling* b12 = AddBond(j1, j2);
  CCoupling* b23 = AddBond(j2, j3);
  j1->m_bSelected = j2->m_bSelected = b12->m_bSelected = 1;
  Click(CPoint{2550, -600});
  EXPECT_EQ(view.SelCount(), 3);
  EXPECT_EQ(b23->m_bSelected, 0);
  EXPECT_EQ(j3->m_bSelected, 0);
  EXPECT_TRUE(j1->m_bSelected && j2->m_bSelected && b12->m_bSelected);
  // Pressed there and dragged 20 pixels right, the selection moves; J3 stays.
  Press(CPoint{2550, -600});
  Move(CPoint{2850, -600});
  Release(CPoint{2850, -600});
  EXPECT_EQ(j1->m_ptAnchor, (CPoint{600, -600}));
  EXPECT_EQ(j2->m_ptAnchor, (CPoint{2100, -600}));
  EXPECT_EQ(j3->m_ptAnchor, (CPoint{3300, -600}));

  // A group selected, a bond from one of its junctions to a junction outside.
  doc.ClearForReplace();
  CGroup* ring = DrawingBuilder(doc).Ring(CPoint{1500, -3000});
  CKVObject* vertex = ring->m_listChildren.front().get();
  CDot* outside = AddDot(vertex->m_ptAnchor.x + 1500, vertex->m_ptAnchor.y);
  AddBond(vertex, outside);
  ring->m_bSelected = 1;
  view.SetSelCount(1);
  Click(CPoint{vertex->m_ptAnchor.x + 750, vertex->m_ptAnchor.y});
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_TRUE(ring->m_bSelected);
  EXPECT_FALSE(outside->m_bSelected);

  // Two bonds crossing; the one hit has its own flag clear and both its ends selected.
  doc.ClearForReplace();
  CDot* a = AddDot(300, -1500);
  CDot* b = AddDot(3300, -1500);
  CDot* c = AddDot(1800, 0);
  CDot* d = AddDot(1800, -3000);
  AddBond(a, b);
  CCoupling* hit = AddBond(c, d);
  c->m_bSelected = d->m_bSelected = 1;
  view.SetSelCount(2);
  ASSERT_EQ(view.FindObjectAt(CPoint{1800, -1500}).pObj, hit);
  host.m_keysDown = {VK_LCONTROL};
  Click(CPoint{1800, -1500}, MK_CONTROL);
  EXPECT_EQ(view.SelCount(), 2);
  EXPECT_EQ(hit->m_bSelected, 0);
  EXPECT_TRUE(c->m_bSelected && d->m_bSelected);
}

// ---- Ctrl and a drag copy ----

// What the copy cursor promises: a Ctrl-press on an object dragged away copies the
// selection there, selected, and leaves the originals; one undo step takes the copies
// away. Not dragged, the press copies nothing and records nothing, and a Ctrl-click on a
// selected object still takes it out of the selection, at the release.
TEST_F(ViewSelection, CtrlDragCopiesTheSelectionAndACtrlClickCopiesNothing) {
  CFormula* f = AddFormula(1500, -1500, 2100, -1800, "COOH");
  CDot* d = AddDot(600, -1650);
  CCoupling* bond = AddBond(d, f);
  CEllipse* e = AddEllipse(3000, -3000, 3600, -3600);
  e->m_dThickness = 4.0;
  view.UpdateView();
  view.PushSnapshot();
  // The formula as laid out, and a point inside it on the pixel grid.
  const CRect fBox = f->m_rcBounds;
  const CPoint fAt{(fBox.left + fBox.right) / 30 * 15, (fBox.top + fBox.bottom) / 30 * 15};
  const auto at = [&](int dx, int dy) { return CPoint{fAt.x + dx, fAt.y + dy}; };
  const auto moved = [](CRect rc, int dx, int dy) {
    return CRect{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
  };
  host.m_keysDown = {VK_LCONTROL};

  // A Ctrl-click (2 pixels of jitter) selects the formula and copies nothing.
  Press(at(0, 0), MK_LBUTTON | MK_CONTROL);
  Move(at(30, -30), MK_LBUTTON | MK_CONTROL);
  Release(at(30, -30), MK_CONTROL);
  EXPECT_EQ(doc.m_listObjects.size(), 4u);
  EXPECT_EQ(Snapshots(), 1u);
  EXPECT_TRUE(f->m_bSelected);
  // The ellipse joins the selection; the press on the selected formula then drags both
  // 600 units right and 300 down.
  Click(CPoint{3300, -3300}, MK_CONTROL);
  ASSERT_EQ(view.SelCount(), 2);
  Press(at(0, 0), MK_LBUTTON | MK_CONTROL);
  EXPECT_TRUE(f->m_bSelected);  // still selected while the press may become a drag
  Move(at(300, -150), MK_LBUTTON | MK_CONTROL);
  Move(at(600, -300), MK_LBUTTON | MK_CONTROL);
  Release(at(600, -300), MK_CONTROL);

  ASSERT_EQ(doc.m_listObjects.size(), 6u);
  EXPECT_EQ(Snapshots(), 2u);
  EXPECT_EQ(f->m_rcBounds, fBox);
  EXPECT_EQ(e->m_rcBounds, (CRect{3000, -3000, 3600, -3600}));
  EXPECT_FALSE(f->m_bSelected || e->m_bSelected || bond->m_bSelected);
  const CFormula* fCopy = Last<CFormula>(KIND_FORMULA);
  const CEllipse* eCopy = Last<CEllipse>(KIND_ELLIPSE);
  ASSERT_NE(fCopy, f);
  EXPECT_EQ(fCopy->m_strText, "COOH");
  EXPECT_EQ(fCopy->m_rcBounds, moved(fBox, 600, -300));
  EXPECT_EQ(eCopy->m_rcBounds, (CRect{3600, -3300, 4200, -3900}));
  EXPECT_EQ(eCopy->m_dThickness, 4.0);
  EXPECT_TRUE(fCopy->m_bSelected && eCopy->m_bSelected);
  EXPECT_EQ(view.SelCount(), 2);
  EXPECT_EQ(CountKind(KIND_COUPLING), 1);  // the bond was not selected: not copied

  view.Undo();
  EXPECT_EQ(doc.m_listObjects.size(), 4u);

  // A Ctrl-click on a selected object, not dragged, deselects it at the release.
  CFormula* f2 = Last<CFormula>(KIND_FORMULA);
  host.m_keysDown.clear();
  Click(at(0, 0));
  ASSERT_TRUE(f2->m_bSelected);
  host.m_keysDown = {VK_LCONTROL};
  Press(at(0, 0), MK_LBUTTON | MK_CONTROL);
  EXPECT_TRUE(f2->m_bSelected);
  Release(at(0, 0), MK_CONTROL);
  EXPECT_FALSE(f2->m_bSelected);
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_EQ(Snapshots(), 2u);
}

// A bond selected by itself is copied as Copy Selection copies it: with its ends.
TEST_F(ViewSelection, CtrlDragOfABondCopiesItWithItsEnds) {
  CDot* a = AddDot(300, -600);
  CDot* b = AddDot(1800, -600);
  CCoupling* bond = AddBond(a, b);
  bond->m_bSelected = 1;
  view.SetSelCount(1);
  host.m_keysDown = {VK_LCONTROL};
  Press(CPoint{1050, -600}, MK_LBUTTON | MK_CONTROL);
  Move(CPoint{1050, -1200}, MK_LBUTTON | MK_CONTROL);
  Release(CPoint{1050, -1200}, MK_CONTROL);
  ASSERT_EQ(doc.m_listObjects.size(), 6u);
  const CCoupling* copy = Last<CCoupling>(KIND_COUPLING);
  ASSERT_NE(copy, bond);
  EXPECT_EQ(copy->m_pEndA->m_ptAnchor, (CPoint{300, -1200}));
  EXPECT_EQ(copy->m_pEndB->m_ptAnchor, (CPoint{1800, -1200}));
  EXPECT_NE(copy->m_pEndA, a);
  EXPECT_EQ(a->m_ptAnchor, (CPoint{300, -600}));
  EXPECT_EQ(bond->m_pEndB, b);
}

// A gesture holds back what waits for the drawing to be between changes (the recovery
// file's writes); one that ended, or a click that never dragged, must not go on doing so.
TEST_F(ViewSelection, NoGestureOutlivesTheClickOrDragThatMadeIt) {
  CEllipse* e = AddEllipse(0, 0, 600, -600);
  view.UpdateView();
  struct Step {
    const char* pszWhat;
    std::function<void()> act;
    bool bInGesture;
  };
  const Step steps[] = {
      {"a click on empty paper",
       [&] {
         Click(CPoint{3000, -3000});
       },
       false},
      {"a press on empty paper",
       [&] {
         Press(CPoint{3000, -3000});
       },
       true},
      {"... released after a drag",
       [&] {
         Move(CPoint{3300, -3300});
         Release(CPoint{3300, -3300});
       },
       false},
      {"a bond's first click",
       [&] {
         view.Mouse().SetTool(TOOL_SINGLE_BOND);
         Click(CPoint{4500, 0});
       },
       true},
      {"its second click",
       [&] {
         Click(CPoint{4800, 0});
       },
       false},
      {"a bond's first click, then Esc",
       [&] {
         view.Mouse().SetTool(TOOL_SINGLE_BOND);
         Click(CPoint{4500, 600});
         view.OnCommand(cmd::kEscape);
         host.PumpMessages();
       },
       false},
      {"a press on an object",
       [&] {
         Press(CPoint{300, -300});
       },
       true},
      {"... released",
       [&] {
         Release(CPoint{300, -300});
       },
       false},
      {"a click on a selected object's handle",
       [&] {
         Pick(e);
         const CRect f = e->GetSelectionFrame();
         Click(CPoint{f.right, f.bottom});
       },
       false},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(view.IsInGesture(), s.bInGesture) << s.pszWhat;
  }
}
