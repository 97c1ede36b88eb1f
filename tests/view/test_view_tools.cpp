// Tools and the mouse: creating objects, placing bonds, moving and resizing.

#include "../document/StreamTestUtil.h"
#include "InteractFixture.h"
#include "objects/CPlusC.h"

class ViewTools : public InteractFixture {};

TEST_F(ViewTools, ToolMessagesSetTheToolAndClearTheLatches) {
  Tool(1086);
  EXPECT_EQ(view.Mouse().Tool(), 2);
  Tool(1134);
  EXPECT_EQ(view.Mouse().Tool(), 36);
  Tool(1111);
  EXPECT_EQ(view.Mouse().Tool(), 24);
  EXPECT_EQ(host.m_nLatchClears, 3);
  // The formula button and the Greek-letter buttons leave the latches alone.
  Tool(1029);
  EXPECT_EQ(view.Mouse().Tool(), 1);
  Tool(1094);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_EQ(host.m_nLatchClears, 3);
}

TEST_F(ViewTools, SingleBondFromAFormulaToEmptySpace) {
  CFormula* f = AddFormula(300, -300, 420, -570);
  view.UpdateView();
  Tool(1086);
  Press(CPoint{330, -330});
  EXPECT_EQ(view.Mouse().Tool(), 3);
  ASSERT_NE(view.Current(), nullptr);
  auto* live = static_cast<CCoupling*>(view.Current());
  EXPECT_EQ(live->m_pEndA, f);
  EXPECT_EQ(live->m_bLive, 1);
  // While placed, the bond follows the mouse and is not yet in the drawing.
  Move(CPoint{1500, -600}, 0);
  EXPECT_EQ(live->m_ptB, (CPoint{1500, -600}));
  EXPECT_EQ(CountKind(KIND_COUPLING), 0);

  Press(CPoint{1800, -900});
  ASSERT_EQ(CountKind(KIND_COUPLING), 1);
  auto* bond = Last<CCoupling>(KIND_COUPLING);
  CDot* end = Last<CDot>(KIND_DOT);
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(bond->m_pEndA, f);
  EXPECT_EQ(bond->m_pEndB, end);
  EXPECT_EQ(end->GetAnchor(), (CPoint{1800, -900}));
  EXPECT_EQ(bond->m_nStyle, 1);
  EXPECT_EQ(bond->m_bLive, 0);
  EXPECT_TRUE(bond->m_bSelected && f->m_bSelected && end->m_bSelected);
  EXPECT_EQ(view.SelCount(), 3);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(Snapshots(), 1u);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(ViewTools, SingleBondFromASelectedFormulaCountsTwoMore) {
  CFormula* f = AddFormula(300, -300, 420, -570);
  CEllipse* other = AddEllipse(3000, -300, 3300, -600);
  f->m_bSelected = other->m_bSelected = 1;
  view.UpdateView();
  Tool(1086);
  Press(CPoint{330, -330});
  Press(CPoint{1800, -900});
  EXPECT_EQ(view.SelCount(), 4);
}

TEST_F(ViewTools, DoubleBondBetweenFormulasIsCentredAndToEmptySpaceIsNot) {
  CFormula* f1 = AddFormula(300, -300, 420, -570);
  CFormula* f2 = AddFormula(1500, -300, 1620, -570);
  f1->m_dScale = 1.0;
  f2->m_dScale = 2.0;
  Tool(1087);
  Press(CPoint{330, -330});
  Press(CPoint{1530, -330});
  auto* centred = Last<CCoupling>(KIND_COUPLING);
  ASSERT_NE(centred, nullptr);
  EXPECT_EQ(centred->m_nStyle, 5);
  EXPECT_EQ(centred->m_pEndB, f2);
  EXPECT_DOUBLE_EQ(centred->m_dScale, 1.5);

  Tool(1087);
  Press(CPoint{330, -330});
  Press(CPoint{900, -1500});
  auto* beside = Last<CCoupling>(KIND_COUPLING);
  ASSERT_NE(beside, centred);
  EXPECT_EQ(beside->m_nStyle, 2);
  EXPECT_EQ(beside->m_pEndB->GetKind(), KIND_DOT);
  // A bond to a new junction takes the scale of its first end for both.
  EXPECT_DOUBLE_EQ(beside->m_dScale, 1.0);
}

// The step a bond ending on a formula records holds the bond's end points as the update
// finds them: Undo and the next snapshot take it as the drawing.
TEST_F(ViewTools, TheSnapshotOfABondEndingOnAFormulaHoldsItsEndPoints) {
  AddFormula(300, -300, 420, -570);
  AddFormula(1500, -300, 1620, -570);
  Tool(1086);
  Press(CPoint{330, -330});
  Press(CPoint{1530, -330});
  ASSERT_EQ(CountKind(KIND_COUPLING), 1);
  const CUndoHistory& history = view.History();
  EXPECT_EQ(history.BytesAt(history.Size() - 1), StoreDoc(doc));
}

TEST_F(ViewTools, BondToolsGiveTheirStylesPensAndSides) {
  struct Case {
    int nMessage, nStyle, nPen, nSide;
  };
  const Case cases[] = {{1089, 1, PS_DOT, 1},    {1090, 4, PS_SOLID, 1}, {1107, 6, PS_SOLID, 2},
                        {1124, 7, PS_SOLID, 1},  {1126, 8, PS_SOLID, 1}, {1128, 9, PS_SOLID, 1},
                        {1134, 10, PS_SOLID, 1}, {1088, 3, PS_SOLID, 1}};
  int y = -300;
  for (const Case& c : cases) {
    Tool(c.nMessage);
    Press(CPoint{300, y});
    Press(CPoint{1200, y});
    auto* bond = Last<CCoupling>(KIND_COUPLING);
    ASSERT_NE(bond, nullptr);
    EXPECT_EQ(bond->m_nStyle, c.nStyle) << c.nMessage;
    EXPECT_EQ(bond->m_nPenStyle, c.nPen) << c.nMessage;
    EXPECT_EQ(bond->m_nSide, c.nSide) << c.nMessage;
    y -= 600;
  }
}

TEST_F(ViewTools, BondPressOnAnEllipseStartsOnANewJunction) {
  CEllipse* e = AddEllipse(300, -300, 900, -900);
  Tool(1086);
  Press(CPoint{600, -600});
  ASSERT_EQ(CountKind(KIND_DOT), 1);
  CDot* start = Last<CDot>(KIND_DOT);
  EXPECT_EQ(start->GetAnchor(), (CPoint{600, -600}));
  auto* live = static_cast<CCoupling*>(view.Current());
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->m_pEndA, start);
  EXPECT_NE(live->m_pEndA, e);
}

TEST_F(ViewTools, BondFromARingVertexStartsOnItsJunction) {
  Tool(1092);
  Press(CPoint{1500, -1500});
  auto* ring = Last<CGroup>(KIND_GROUP);
  ASSERT_NE(ring, nullptr);
  // Vertex 0 of the benzene "0°" ring lies at (+260, +150) from the press.
  Tool(1086);
  Press(CPoint{1755, -1350});
  auto* live = static_cast<CCoupling*>(view.Current());
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->m_pEndA, ring->m_listChildren.front().get());
  Press(CPoint{2700, -600});
  EXPECT_EQ(CountKind(KIND_COUPLING), 1);
  EXPECT_EQ(CountKind(KIND_DOT), 1);
}

TEST_F(ViewTools, FormulaToolCreatesAFormulaEvenOnAnObject) {
  CEllipse* e = AddEllipse(300, -300, 900, -900);
  Tool(1029);
  Press(CPoint{600, -600});
  CFormula* f = Last<CFormula>(KIND_FORMULA);
  ASSERT_NE(f, nullptr);
  // 8 pixels above the press: 120 units at zoom 1 and 96 pixels per inch.
  EXPECT_EQ(f->GetAnchor(), (CPoint{600, -480}));
  EXPECT_EQ(view.EditState(), 1);
  EXPECT_EQ(view.Current(), f);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_TRUE(f->m_bSelected);
  EXPECT_FALSE(e->m_bSelected);
  EXPECT_EQ(f->m_nCaret, 0);
  EXPECT_GT(host.m_nCaretShown, 0);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ViewTools, EllipseToolMakesA181UnitCircleAndSetsSixVertices) {
  view.m_nPolyVertices = 9;
  Tool(1125);
  Press(CPoint{1500, -1500});
  CEllipse* e = Last<CEllipse>(KIND_ELLIPSE);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->m_rcBounds, (CRect{1319, -1319, 1681, -1681}));
  EXPECT_EQ(view.m_nPolyVertices, 6);
  EXPECT_TRUE(e->m_bSelected);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_EQ(host.m_nReleases, 1);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ViewTools, ChargesAreCreatedAroundThePress) {
  Tool(1132);
  Press(CPoint{1500, -1500});
  CKVObject* plus = Last<CKVObject>(KIND_PLUS);
  ASSERT_NE(plus, nullptr);
  EXPECT_EQ(plus->m_rcBounds, (CRect{1400, -1400, 1600, -1600}));
  Tool(1133);
  Press(CPoint{3000, -1500});
  CKVObject* minus = Last<CKVObject>(KIND_MINUS);
  ASSERT_NE(minus, nullptr);
  EXPECT_EQ(minus->GetAnchor(), (CPoint{2900, -1400}));
}

TEST_F(ViewTools, TemplatePressPlacesOneSelectedGroup) {
  Tool(1093);
  EXPECT_EQ(view.Mouse().Tool(), 10);
  Press(CPoint{1500, -1500});
  ASSERT_EQ(CountKind(KIND_GROUP), 1);
  auto* ring = Last<CGroup>(KIND_GROUP);
  EXPECT_EQ(ring->m_listChildren.size(), 13u);  // six junctions, six bonds, the circle
  EXPECT_TRUE(ring->m_bSelected);
  EXPECT_EQ(ring->m_pParent, nullptr);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ViewTools, PressRightAfterAContextMenuIsIgnored) {
  Tool(1125);
  view.Mouse().SetSkipNextClick(1);
  Press(CPoint{1500, -1500});
  EXPECT_EQ(CountKind(KIND_ELLIPSE), 0);
  EXPECT_EQ(view.Mouse().SkipNextClick(), 0);
  EXPECT_EQ(view.Mouse().Tool(), 31);
  Press(CPoint{1500, -1500});
  EXPECT_EQ(CountKind(KIND_ELLIPSE), 1);
}

TEST_F(ViewTools, DraggingMovesTheSelectionAndRecordsOneSnapshot) {
  CEllipse* e = AddEllipse(600, -600, 900, -900);
  Press(CPoint{750, -750});
  EXPECT_EQ(view.Mouse().Moving(), 1);
  EXPECT_EQ(host.m_nCursor, IDC_SIZEALL);
  Move(CPoint{900, -900});
  Move(CPoint{1050, -1050});
  EXPECT_EQ(e->m_rcBounds, (CRect{900, -900, 1200, -1200}));
  EXPECT_EQ(Snapshots(), 0u);
  Release(CPoint{1050, -1050});
  EXPECT_EQ(view.Mouse().Moving(), 0);
  EXPECT_EQ(Snapshots(), 1u);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(ViewTools, MoveWithoutTheButtonEndsTheDrag) {
  AddEllipse(600, -600, 900, -900);
  Press(CPoint{750, -750});
  Move(CPoint{900, -900}, 0);
  EXPECT_EQ(view.Mouse().Moving(), 0);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ViewTools, LockedEllipseKeepsTwoHundredUnitsOnItsDrivingSide) {
  CEllipse* e = AddEllipse(300, -300, 900, -700);
  e->m_bKeepAspect = 1;
  e->m_bSelected = 1;
  Press(CPoint{900, -690});
  ASSERT_EQ(view.Mouse().Resizing(), 1);
  EXPECT_EQ(view.Mouse().Handle(), 1);
  EXPECT_EQ(host.m_nCursor, IDC_SIZENWSE);
  // Far to the left: the width, which drives, stops at 200 and the height follows it.
  Move(CPoint{315, -690});
  EXPECT_EQ(view.Mouse().DragRect(), (CRect{300, -300, 500, -433}));
  EXPECT_EQ(view.Mouse().DragLast(), (CPoint{500, -433}));
  EXPECT_EQ(view.Mouse().DragAnchor(), (CPoint{900, -700}));
}

TEST_F(ViewTools, UnlockedGroupTopLeftHandleBeyondTheRightEdge) {
  auto pGroup = std::make_unique<CGroup>();
  for (CRect rc : {CRect{270, -270, 600, -600}, CRect{900, -600, 1230, -930}}) {
    auto pEllipse = std::make_unique<CEllipse>();
    pEllipse->m_rcBounds = rc;
    pEllipse->m_ptAnchor = CPoint{rc.left, rc.top};
    pEllipse->m_bKeepAspect = 0;
    pGroup->AddChild(std::move(pEllipse));
  }
  CGroup* group = Add(std::move(pGroup));
  group->m_bKeepAspect = 0;
  group->m_bSelected = 1;
  view.UpdateView();
  ASSERT_EQ(group->m_rcBounds, (CRect{270, -270, 1230, -930}));
  Press(CPoint{300, -300});
  ASSERT_EQ(view.Mouse().Resizing(), 1);
  EXPECT_EQ(view.Mouse().Handle(), 5);
  EXPECT_EQ(host.m_nCursor, IDC_SIZENWSE);
  Move(CPoint{1500, -300});
  // The feedback's left edge stops 20 units short of the right edge.
  EXPECT_EQ(view.Mouse().DragRect(), (CRect{1210, -300, 1230, -930}));
  Release(CPoint{1500, -300});
  EXPECT_EQ(view.Mouse().Resizing(), 0);
  group->RecalcBounds();
  EXPECT_EQ(group->m_rcBounds.left, 1210);
  EXPECT_EQ(group->m_rcBounds.right, 1230);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ViewTools, ClickOnAHandleWithoutMovingResizesNothing) {
  auto pGroup = std::make_unique<CGroup>();
  for (CPoint pt : {CPoint{300, -300}, CPoint{1200, -900}}) {
    auto pDot = std::make_unique<CDot>();
    pDot->MoveTo(pt);
    pGroup->AddChild(std::move(pDot));
  }
  CGroup* group = Add(std::move(pGroup));
  group->m_bKeepAspect = 0;
  group->m_bSelected = 1;
  view.UpdateView();
  const CRect before = group->m_rcBounds;
  Press(CPoint{300, -300});
  Release(CPoint{300, -300});
  group->RecalcBounds();
  EXPECT_EQ(group->m_rcBounds, before);
}

TEST_F(ViewTools, DoubleClickOnAFormulaStartsEditingAtTheClick) {
  CFormula* f = AddFormula(300, -300, 420, -570, "CH");
  view.UpdateView();
  view.OnLButtonDblClk(MK_LBUTTON, Px(CPoint{315, -390}));
  EXPECT_EQ(view.EditState(), 1);
  EXPECT_EQ(view.Current(), f);
  EXPECT_TRUE(f->m_bSelected);
  EXPECT_EQ(view.SelCount(), 1);
  // The press that follows puts the caret at the nearer stop, before the C.
  EXPECT_EQ(f->m_nCaret, 0);
  EXPECT_EQ(view.Mouse().Moving(), 0);
}

TEST_F(ViewTools, DoubleClickOnEmptySpaceDeselects) {
  CEllipse* e = AddEllipse(300, -300, 600, -600);
  e->m_bSelected = 1;
  view.OnLButtonDblClk(MK_LBUTTON, Px(CPoint{3000, -3000}));
  EXPECT_FALSE(e->m_bSelected);
  EXPECT_EQ(view.SelCount(), 0);
}

TEST_F(ViewTools, BondsPaletteMessageDropsTheToolAndEndsRotation) {
  Tool(1086);
  view.Mouse().SetRotating(1);
  Tool(1096);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_EQ(view.Mouse().Rotating(), 0);
  EXPECT_EQ(Snapshots(), 1u);
}

// ---------------------------------------------------------------------------------------
// Cursor feedback

class ViewCursorFeedback : public InteractFixture {
 protected:
  void Hover(CPoint pt) {
    view.Mouse().SetLastMouseForTest(Px(pt));
    host.m_ptCursor = CPoint{Px(pt).x + 20, Px(pt).y + 90};
    host.SetTimer(1123, 10);
    host.FireTimer(1123);
  }
};

TEST_F(ViewCursorFeedback, CtrlOverAnObjectShowsTheCopyCursorWithoutAMove) {
  AddEllipse(300, -300, 900, -900);
  view.Cursor().m_bHoverSuppressed = 0;
  host.m_keysDown = {VK_LCONTROL};
  Hover(CPoint{600, -600});
  EXPECT_EQ(host.m_nCursor, IDI_COPY_CURSOR);
  EXPECT_EQ(view.Cursor().m_nKindUnderMouse, KIND_ELLIPSE);
  host.m_keysDown.clear();
  Hover(CPoint{600, -600});
  EXPECT_EQ(host.m_nCursor, IDC_ARROW);
  // The timer keeps running.
  EXPECT_TRUE(host.IsTimerRunning(1123));
}

TEST_F(ViewCursorFeedback, NothingChangesWhileADialogOrMenuIsOpen) {
  AddEllipse(300, -300, 900, -900);
  host.m_keysDown = {VK_LCONTROL};
  host.m_nCursor = 0;
  Hover(CPoint{600, -600});  // the document starts with the feedback suppressed
  EXPECT_EQ(host.m_nCursor, 0);
}

TEST_F(ViewCursorFeedback, IBeamOverTheEditedFormulaArrowElsewhere) {
  view.Cursor().m_bHoverSuppressed = 0;
  Tool(1029);
  Press(CPoint{1500, -1500});
  view.OnChar('C');
  CFormula* f = Last<CFormula>(KIND_FORMULA);
  const CPoint inside{f->m_rcBounds.left + 30, f->m_rcBounds.top - 60};
  Hover(CPoint{inside.x / 15 * 15, inside.y / 15 * 15});
  EXPECT_EQ(host.m_nCursor, IDC_IBEAM);
  // The formula tool's I-beam flag stays until a mouse move's hit test clears it.
  Move(CPoint{6000, -6000}, 0);
  EXPECT_EQ(host.m_nCursor, IDC_ARROW);
}

TEST_F(ViewCursorFeedback, LeavingTheInnerAreaAbandonsAResize) {
  CEllipse* e = AddEllipse(300, -300, 900, -700);
  e->m_bSelected = 1;
  view.Cursor().m_bHoverSuppressed = 0;
  Press(CPoint{900, -690});
  ASSERT_EQ(view.Mouse().Resizing(), 1);
  host.m_ptCursor = CPoint{2, 2};  // over the main window's frame
  host.SetTimer(1123, 10);
  host.FireTimer(1123);
  EXPECT_EQ(view.Mouse().Resizing(), 0);
  EXPECT_EQ(view.Cursor().m_bCursorOutside, 1);
  Release(CPoint{300, -300});
  EXPECT_EQ(e->m_rcBounds, (CRect{300, -300, 900, -700}));
}

TEST_F(ViewCursorFeedback, ToolCursorsFromMouseMoves) {
  view.Cursor().m_bHoverSuppressed = 0;
  Tool(1086);
  Move(CPoint{600, -600}, 0);
  EXPECT_EQ(host.m_nCursor, IDC_CROSS);
  Tool(1132);
  Move(CPoint{600, -600}, 0);
  EXPECT_EQ(host.m_nCursor, IDI_PLUS_CURSOR);
  Tool(1092);
  Move(CPoint{600, -600}, 0);
  EXPECT_EQ(host.m_nCursor, IDI_TEMPLATE_CURSOR);
}
