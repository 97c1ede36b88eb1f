// Hit testing and selection: what a click finds, clicks with and without Ctrl, the
// selection rectangle and Select All.

#include "InteractFixture.h"

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
  EXPECT_EQ(view.m_nHandle, 1);
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
  EXPECT_EQ(view.m_nSelCount, 3);
  // A second click on the selected bond selects nothing new.
  Click(CPoint{1050, -600});
  EXPECT_EQ(view.m_nSelCount, 3);
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
  EXPECT_EQ(view.m_nSelCount, 1);
  // Clicking empty space clears the selection.
  Click(CPoint{3000, -3000});
  EXPECT_FALSE(e2->m_bSelected);
  EXPECT_EQ(view.m_nSelCount, 0);
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
  EXPECT_EQ(view.m_nSelCount, 1);
  // The Ctrl-press waits for its release, which records one snapshot.
  EXPECT_EQ(Snapshots(), 1u);
  EXPECT_EQ(doc.m_bCopyDrag, 0);
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
  EXPECT_EQ(view.m_nSelCount, 2);
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
  EXPECT_EQ(view.m_pCurrent, group);
  EXPECT_EQ(view.m_nSelCount, 1);
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
  EXPECT_EQ(view.m_nSelCount, 3);
  EXPECT_EQ(view.m_pCurrent, b);
  EXPECT_EQ(view.m_bRubberBand, 0);
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
  EXPECT_EQ(view.m_rcDrag, (CRect{20, 20, 60, 60}));
  EXPECT_TRUE(a->m_bSelected);
}

TEST_F(ViewSelection, SelectAllCountsTopLevelObjectsAndRecordsASnapshot) {
  view.OnCommand(32842);
  EXPECT_EQ(view.m_nSelCount, 0);
  EXPECT_EQ(Snapshots(), 1u);
  CDot* a = AddDot(300, -300);
  CDot* b = AddDot(900, -300);
  CCoupling* bond = AddBond(a, b);
  view.OnCommand(32842);
  EXPECT_EQ(view.m_nSelCount, 3);
  EXPECT_TRUE(bond->m_bSelected);
  EXPECT_EQ(Snapshots(), 2u);
}

TEST_F(ViewSelection, DeselectAllAndCountSelection) {
  CDot* a = AddDot(300, -300);
  AddDot(900, -300);
  a->m_bSelected = 1;
  view.CountSelection();
  EXPECT_EQ(view.m_nSelCount, 1);
  view.DeselectAll();
  EXPECT_EQ(view.m_nSelCount, 0);
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
