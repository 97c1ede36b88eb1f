// The editing commands on the selection, through the view and its fake window.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../document/StreamTestUtil.h"
#include "InteractFixture.h"
#include "ViewFixture.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "resources/CommandIds.h"
#include "tests/view/DrawingBuilder.h"
#include "view/TemplatePlacement.h"

namespace {

using RemoveSelectedTest = ViewFixture;

// A formula and a junction joined by a bond, a second bond from the junction to an ellipse.
TEST_F(RemoveSelectedTest, DeletingAnObjectDeletesEveryBondOnItSelectedOrNot) {
  DrawingBuilder b(doc);
  CFormula* f = b.Formula("OH", {0, 0});
  CDot* d = b.Dot(1000, 0);
  CEllipse* e = b.Ellipse(2000, 200, 2400, -200);
  b.Bond(f, d);
  CCoupling* kept = b.Bond(d, e);
  f->m_bSelected = 1;
  view.SetSelCount(1);
  view.SetCurrent(f);
  doc.SetModifiedFlag(false);

  EXPECT_TRUE(view.RemoveSelected(true).empty());

  EXPECT_EQ(Order(), (std::vector<CKVObject*>{d, e, kept}));
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_TRUE(doc.IsModified());
}

// Selecting a bond's end selects the bond (its IsSelected), and a selected group takes the
// bonds on its members with it; bonds of unselected objects stay.
TEST_F(RemoveSelectedTest, BondsOnMembersOfASelectedGroupGoWithTheGroup) {
  DrawingBuilder b(doc);
  CGroup* ring = b.Ring({0, 0});
  CKVObject* member = ring->m_listChildren.front().get();
  CDot* outside = b.Dot(5000, 0);
  CDot* other = b.Dot(6000, 0);
  b.Bond(member, outside);
  CCoupling* kept = b.Bond(outside, other);
  ring->m_bSelected = 1;
  view.SetSelCount(1);

  view.RemoveSelected(true);

  EXPECT_EQ(Order(), (std::vector<CKVObject*>{outside, other, kept}));
}

// A bond inside an unselected group that ends on a deleted top-level object would be left
// pointing at freed memory; it is deleted with the object, and the drawing still paints.
TEST_F(RemoveSelectedTest, ABondInsideAGroupEndingOnADeletedObjectGoesToo) {
  DrawingBuilder b(doc);
  CDot* target = b.Dot(3000, 0);
  auto group = std::make_unique<CGroup>();
  CGroup* g = group.get();
  auto memberOwned = std::make_unique<CDot>();
  CDot* member = memberOwned.get();
  member->MoveTo({0, 0});
  member->ResetDone();
  g->AddChild(std::move(memberOwned));
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = member;
  bond->m_pEndB = target;
  g->AddChild(std::move(bond));
  g->RecalcBounds();
  b.Add(std::move(group));
  view.PushSnapshot();  // the group keeps the record it wrote, bond included
  target->SetSelected(1);
  view.SetSelCount(1);

  view.RemoveSelected(true);

  EXPECT_EQ(Order(), (std::vector<CKVObject*>{g}));
  ASSERT_EQ(g->m_listChildren.size(), 1u);
  EXPECT_EQ(g->m_listChildren.front().get(), member);
  view.UpdateView();  // paints the group: no bond reaches the deleted junction
  // The group lost a member, so it writes itself again (the test build checks every snapshot
  // against a full store and stops on a stale record).
  view.PushSnapshot();
}

// Without destroying, the selected objects are handed back in list order and every bond
// stays in the drawing: ungrouping puts the group's members back under them.
TEST_F(RemoveSelectedTest, UnlinkingHandsTheObjectsBackAndKeepsTheBonds) {
  DrawingBuilder b(doc);
  CEllipse* e1 = b.Ellipse(0, 100, 100, 0);
  CDot* d = b.Dot(1000, 0);
  CEllipse* e2 = b.Ellipse(2000, 100, 2100, 0);
  CCoupling* bond = b.Bond(e1, d);
  e2->m_bSelected = 1;
  e1->m_bSelected = 1;
  view.SetSelCount(2);

  std::vector<std::unique_ptr<CKVObject>> out = view.RemoveSelected(false);

  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].get(), e1);
  EXPECT_EQ(out[1].get(), e2);
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{d, bond}));
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_TRUE(doc.IsModified());
  // The bond still ends on the handed-back ellipse; put it back before the fixture ends.
  doc.m_listObjects.push_front(std::move(out[0]));
}

// ---------------------------------------------------------------------------------------
// The commands, sent by id as a menu, a key or a context menu sends them

class EditingCommands : public InteractFixture {
 protected:
  // Selects the objects as a selection rectangle would, without making one current.
  void SelectOnly(std::initializer_list<CKVObject*> objects) {
    view.DeselectAll();
    for (CKVObject* p : objects) p->m_bSelected = 1;
    view.SetSelCount(static_cast<std::int32_t>(objects.size()));
    view.SetCurrent(nullptr);
  }
  std::vector<CKVObject*> Order() const {
    std::vector<CKVObject*> out;
    for (const auto& p : doc.m_listObjects) out.push_back(p.get());
    return out;
  }
  static std::vector<CKVObject*> Children(const CGroup* g) {
    std::vector<CKVObject*> out;
    for (const auto& p : g->m_listChildren) out.push_back(p.get());
    return out;
  }
  // A six-membered ring group made by the benzene template, in the drawing.
  CGroup* AddBenzene(CPoint c) {
    auto g = std::make_unique<CGroup>();
    view.PlaceTemplate(9, c, *g);
    g->RecalcBounds();
    return Add(std::move(g));
  }
  void Run(int nId) { EXPECT_TRUE(view.OnCommand(nId)) << nId; }
  // Sends a command that is off here: it says so, and sent anyway it records nothing.
  ::testing::AssertionResult Refused(int nId) {
    const bool bEnabled = view.IsCommandEnabled(nId);
    const std::size_t n = Snapshots();
    const bool bHandled = view.OnCommand(nId);
    if (!bEnabled && bHandled && Snapshots() == n) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "command " << nId << ": enabled " << bEnabled << ", handled " << bHandled
           << ", snapshots " << n << " -> " << Snapshots();
  }
  // The history holds n snapshots and the document's modified flag is as given.
  ::testing::AssertionResult Recorded(std::size_t n, bool bModified) const {
    if (Snapshots() == n && doc.IsModified() == bModified) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << Snapshots() << " snapshots, modified " << doc.IsModified();
  }
};

using DeleteCommand = EditingCommands;

TEST_F(DeleteCommand, AFormulaGoesWithEveryBondOnItAndOneSnapshotIsRecorded) {
  CFormula* f = AddFormula(0, 300, 300, 0, "OH");
  CDot* d = AddDot(1500, 0);
  CDot* d2 = AddDot(3000, 0);
  AddBond(f, d);
  CCoupling* kept = AddBond(d, d2);
  Pick(f);
  doc.SetModifiedFlag(false);

  Run(cmd::kEditDelete);

  EXPECT_EQ(Order(), (std::vector<CKVObject*>{d, d2, kept}));
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_TRUE(Recorded(1, true));
  EXPECT_FALSE(view.IsCommandEnabled(cmd::kEditDelete));
}

TEST_F(DeleteCommand, NothingSelectedDeletesNothingAndRecordsNothing) {
  AddEllipse(0, 400, 400, 0);
  EXPECT_TRUE(Refused(cmd::kEditDelete));
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_TRUE(Recorded(0, false));
}

using GroupCommand = EditingCommands;

TEST_F(GroupCommand, TwoFormulasJoinedByABondTakeTheBondInsideItFirst) {
  CEllipse* e = AddEllipse(-3000, 400, -2600, 0);
  CFormula* f1 = AddFormula(0, 300, 300, 0, "C");
  CFormula* f2 = AddFormula(1500, 300, 1800, 0, "N");
  CCoupling* bond = AddBond(f1, f2);
  bond->m_bSelected = 1;
  SelectOnly({f1, f2});
  view.SetSelCount(3);  // the bond's own flag counts as well
  view.Mouse().SetTool(TOOL_FORMULA);

  Run(cmd::kGroup);

  ASSERT_EQ(doc.m_listObjects.size(), 2u);
  EXPECT_EQ(Order().front(), e);
  CGroup* g = doc.m_listObjects.back()->AsGroup();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(Children(g), (std::vector<CKVObject*>{bond, f1, f2}));
  for (CKVObject* c : Children(g)) {
    EXPECT_EQ(c->m_pParent, g);
    EXPECT_EQ(c->m_bSelected, 0);
  }
  EXPECT_EQ(g->m_pParent, nullptr);
  EXPECT_EQ(g->m_bSelected, 1);
  EXPECT_EQ(view.Current(), g);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(view.Mouse().Tool(), TOOL_SELECT);
  EXPECT_TRUE(Recorded(1, true));
}

TEST_F(GroupCommand, ABondWithOneSelectedEndStaysOutsideJoiningTheMember) {
  CFormula* f1 = AddFormula(0, 300, 300, 0, "C");
  CFormula* f2 = AddFormula(1500, 300, 1800, 0, "N");
  CEllipse* e = AddEllipse(-3000, 400, -2600, 0);
  CCoupling* bond = AddBond(f1, f2);
  SelectOnly({f1, e});

  Run(cmd::kContextGroup);  // the context menu's Group does the same

  ASSERT_EQ(doc.m_listObjects.size(), 3u);
  CGroup* g = doc.m_listObjects.back()->AsGroup();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{f2, bond, g}));
  EXPECT_EQ(Children(g), (std::vector<CKVObject*>{f1, e}));
  EXPECT_EQ(bond->m_pEndA, f1);
  EXPECT_EQ(bond->m_pParent, nullptr);
}

TEST_F(GroupCommand, FewerThanTwoSelectedGroupsNothing) {
  CFormula* f1 = AddFormula(0, 300, 300, 0, "C");
  AddFormula(1500, 300, 1800, 0, "N");
  SelectOnly({f1});
  EXPECT_TRUE(Refused(cmd::kGroup));
  EXPECT_EQ(CountKind(KIND_GROUP), 0);
  EXPECT_EQ(Snapshots(), 0u);
}

using UngroupCommand = EditingCommands;

TEST_F(UngroupCommand, ABenzeneLeavesSixJunctionsAndSixBondsSelected) {
  CEllipse* e = AddEllipse(-3000, 400, -2600, 0);
  CGroup* g = AddBenzene(CPoint{0, 0});
  const std::vector<CKVObject*> members = Children(g);
  ASSERT_EQ(members.size(), 12u);
  Pick(g);
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kUngroup));

  Run(cmd::kUngroup);

  std::vector<CKVObject*> expected{e};
  expected.insert(expected.end(), members.begin(), members.end());
  EXPECT_EQ(Order(), expected);
  EXPECT_EQ(CountKind(KIND_DOT), 6);
  EXPECT_EQ(CountKind(KIND_COUPLING), 6);
  EXPECT_EQ(view.SelCount(), 12);
  for (CKVObject* p : members) {
    EXPECT_EQ(p->m_bSelected, 1);
    EXPECT_EQ(p->m_pParent, nullptr);
  }
  EXPECT_EQ(Snapshots(), 1u);
  view.UpdateView();  // the bonds still reach their junctions
}

TEST_F(UngroupCommand, OnlyTheCurrentGroupAloneSelectedComesApart) {
  CGroup* g = AddBenzene(CPoint{0, 0});
  CEllipse* e = AddEllipse(-3000, 400, -2600, 0);
  Pick(e);
  EXPECT_TRUE(Refused(cmd::kUngroup));
  Pick(g);
  e->m_bSelected = 1;
  view.SetSelCount(2);
  EXPECT_TRUE(Refused(cmd::kContextUngroup));
  EXPECT_EQ(CountKind(KIND_GROUP), 1);
  EXPECT_EQ(Snapshots(), 0u);
}

// The menu's Ungroup takes apart the one selected group however it came to be selected: by
// a click that moved a pixel on the way (which leaves no current object) or by an undo.
TEST_F(UngroupCommand, AGroupSelectedByAClickOrLeftSelectedByAnUndoComesApart) {
  CGroup* g = AddBenzene(CPoint{3000, -3000});
  view.UpdateView();
  view.PushSnapshot();
  Press(CPoint{3000, -3000});
  Move(CPoint{3015, -3000});
  Release(CPoint{3015, -3000});
  ASSERT_TRUE(g->m_bSelected);
  ASSERT_EQ(view.Current(), nullptr);
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kUngroup));
  Run(cmd::kUngroup);
  EXPECT_EQ(CountKind(KIND_GROUP), 0);
  EXPECT_EQ(view.SelCount(), 12);

  view.Undo();
  ASSERT_EQ(CountKind(KIND_GROUP), 1);
  ASSERT_EQ(view.Current(), nullptr);
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kUngroup));
  Run(cmd::kUngroup);
  EXPECT_EQ(CountKind(KIND_GROUP), 0);
  EXPECT_EQ(CountKind(KIND_DOT), 6);
}

using FrontBackCommands = EditingCommands;

TEST_F(FrontBackCommands, BackThenFrontRestoresTheEndOfTheOrderAndRecordsNothing) {
  CEllipse* a = AddEllipse(0, 400, 400, 0);
  CEllipse* b = AddEllipse(1000, 400, 1400, 0);
  CEllipse* c = AddEllipse(2000, 400, 2400, 0);
  SelectOnly({a, b});
  view.UpdateView();
  doc.SetModifiedFlag(false);
  ASSERT_EQ(Order(), (std::vector<CKVObject*>{c, a, b}));

  Run(cmd::kBringBack);
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{b, a, c}));
  Run(cmd::kBringFront);
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{c, b, a}));
  EXPECT_TRUE(Recorded(0, false));
}

using MirrorCommands = EditingCommands;

TEST_F(MirrorCommands, NothingSelectedIsSaidInTheInterfaceLanguage) {
  AddEllipse(0, 400, 400, 0);
  view.Settings().m_bEnglish = 1;
  Run(cmd::kMirrorVertical);
  view.Settings().m_bEnglish = 0;
  Run(cmd::kMirrorHorizontal);
  ASSERT_EQ(host.m_boxes.size(), 2u);
  EXPECT_EQ(host.m_boxes[0].strText, "No objects selected.");
  EXPECT_EQ(host.m_boxes[0].strCaption, "Valendra Error");
  EXPECT_EQ(host.m_boxes[0].nFlags, MB_ICONERROR);
  EXPECT_EQ(host.m_boxes[1].strText, "Není vybrán žádný objekt.");
  EXPECT_EQ(host.m_boxes[1].strCaption, "Chyba Valendra");
  EXPECT_TRUE(Recorded(0, false));
}

TEST_F(MirrorCommands, ASingleBondIsMirroredThroughItsEndsAboutTheMiddleOfTheirSpan) {
  CDot* a = AddDot(100, 0);
  CDot* b = AddDot(700, 300);
  CCoupling* bond = AddBond(a, b);
  Pick(bond);

  Run(cmd::kMirrorVertical);

  EXPECT_EQ(a->GetAnchor(), (CPoint{700, 0}));
  EXPECT_EQ(b->GetAnchor(), (CPoint{100, 300}));
  EXPECT_EQ(bond->m_bSelected, 0);
  EXPECT_EQ(a->m_bSelected, 1);
  EXPECT_EQ(b->m_bSelected, 1);
  EXPECT_EQ(view.SelCount(), 2);
  EXPECT_TRUE(Recorded(1, true));

  // The two ends now selected, the horizontal mirror turns them about y = 150.
  Run(cmd::kMirrorHorizontal);
  EXPECT_EQ(a->GetAnchor(), (CPoint{700, 300}));
  EXPECT_EQ(b->GetAnchor(), (CPoint{100, 0}));
}

// A double bond drawn beside its line has the second line on one side of A->B; mirroring
// the ends alone would put it on the other side of the mirror image.
TEST_F(MirrorCommands, ASideDoubleBondKeepsItsSecondLineACentredOneIsUnchanged) {
  for (int nStyle : {2, 5}) {
    doc.m_listObjects.clear();
    CDot* a = AddDot(100, 0);
    CDot* b = AddDot(700, 300);
    CCoupling* bond = AddBond(a, b, nStyle);
    Pick(bond);
    Run(cmd::kMirrorVertical);
    EXPECT_EQ(bond->m_nStyle, nStyle);
    EXPECT_EQ(bond->m_pEndA, nStyle == 2 ? b : a) << nStyle;
    EXPECT_EQ(bond->m_pEndB, nStyle == 2 ? a : b) << nStyle;
    EXPECT_EQ(bond->m_pEndA->GetAnchor(), (nStyle == 2 ? CPoint{100, 300} : CPoint{700, 0}));
  }
}

// Boxes anchored at their top-left corner land on the mirror image of their box.
TEST_F(MirrorCommands, CornerAnchoredBoxesLandOnTheirMirrorImages) {
  CEllipse* e1 = AddEllipse(0, 400, 400, 0);
  CEllipse* e2 = AddEllipse(1000, 200, 1200, -600);
  SelectOnly({e1, e2});

  Run(cmd::kMirrorVertical);  // about x = 600
  EXPECT_EQ(e1->m_rcBounds, (CRect{800, 400, 1200, 0}));
  EXPECT_EQ(e2->m_rcBounds, (CRect{0, 200, 200, -600}));
  Run(cmd::kMirrorHorizontal);  // about y = -100
  EXPECT_EQ(e1->m_rcBounds, (CRect{800, -200, 1200, -600}));
  EXPECT_EQ(e2->m_rcBounds, (CRect{0, 400, 200, -400}));
  EXPECT_EQ(Snapshots(), 2u);
}

TEST_F(MirrorCommands, AGroupMovesAndMirrorsItsMembers) {
  CGroup* g = AddBenzene(CPoint{0, 0});
  CEllipse* e = AddEllipse(2000, 400, 2400, 0);
  CDot* first = static_cast<CDot*>(g->m_listChildren.front().get());
  ASSERT_EQ(first->GetAnchor(), (CPoint{260, 150}));
  SelectOnly({g, e});

  Run(cmd::kMirrorVertical);  // the span -290..2400: about x = 1055

  EXPECT_EQ(e->m_rcBounds, (CRect{-290, 400, 110, 0}));
  EXPECT_EQ(first->GetAnchor(), (CPoint{1850, 150}));
}

class RotateCommand : public EditingCommands {
 protected:
  // A mouse move without a button, to a client pixel (drawing units: 15 x, -15 y).
  void Hover(int px, int py) {
    host.m_ptCursor = CPoint{px + 20, py + 90};
    view.OnMouseMove(0, CPoint{px, py});
  }
};

TEST_F(RotateCommand, StepsUnderADegreeAddUpUntilTheyTurnTheGroup) {
  CGroup* g = AddBenzene(CPoint{0, 0});
  CKVObject* first = g->m_listChildren.front().get();
  Pick(g, CPoint{3000, 0});
  doc.SetModifiedFlag(false);
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kRotate));

  Run(cmd::kRotate);
  EXPECT_EQ(view.Mouse().Rotating(), 1);
  EXPECT_TRUE(doc.IsModified());

  Hover(200, -1);  // (3000, 15): 0.29 degrees from where the menu opened
  Hover(200, -2);  // (3000, 30): 0.57 degrees
  EXPECT_EQ(first->GetAnchor(), (CPoint{260, 150}));
  EXPECT_EQ(view.m_ptRotate, (CPoint{3000, 0}));

  Hover(200, -4);  // (3000, 60): 1.15 degrees, counterclockwise
  EXPECT_EQ(view.m_ptRotate, (CPoint{3000, 60}));
  const CPoint turned = first->GetAnchor();
  EXPECT_LT(turned.x, 260);
  EXPECT_GT(turned.y, 150);
  EXPECT_EQ(g->m_bSelected, 1);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(Snapshots(), 0u);

  // The next press ends the mode and records the rotation as one step, doing nothing else.
  Press(CPoint{-6000, 3000});
  EXPECT_EQ(view.Mouse().Rotating(), 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(Snapshots(), 1u);
  EXPECT_EQ(CountKind(KIND_FORMULA), 0);
}

TEST_F(RotateCommand, OnlyAGroupTurns) {
  CEllipse* e = AddEllipse(0, 400, 400, 0);
  Pick(e, CPoint{3000, 0});
  doc.SetModifiedFlag(false);
  EXPECT_TRUE(Refused(cmd::kRotate));
  EXPECT_EQ(view.Mouse().Rotating(), 0);
  EXPECT_FALSE(doc.IsModified());
}

using ObjectCommands = EditingCommands;

TEST_F(ObjectCommands, LockAspectRatioTogglesAndRecordsNothing) {
  CEllipse* e = AddEllipse(0, 400, 400, 0);
  Pick(e);
  doc.SetModifiedFlag(false);
  EXPECT_TRUE(view.IsCommandChecked(cmd::kLockAspect));
  Run(cmd::kLockAspect);
  EXPECT_EQ(e->m_bKeepAspect, 0);
  EXPECT_EQ(view.Current(), nullptr);
  Pick(e);
  EXPECT_FALSE(view.IsCommandChecked(cmd::kLockAspect));
  Run(cmd::kLockAspect);
  EXPECT_EQ(e->m_bKeepAspect, 1);
  EXPECT_TRUE(Recorded(0, false));
}

TEST_F(ObjectCommands, ColourFromTheDialogWithHoverFeedbackSuppressedWhileItIsOpen) {
  CDot* a = AddDot(0, 0);
  CDot* b = AddDot(900, 0);
  CCoupling* bond = AddBond(a, b);
  bond->m_crColor = RGB(0, 0, 255);
  Pick(bond);
  host.m_colorAnswers.push_back(RGB(255, 0, 0));

  Run(cmd::kChangeColor);

  EXPECT_EQ(host.m_colorInitials, (std::vector<COLORREF>{RGB(0, 0, 255)}));
  EXPECT_EQ(host.m_bHoverDuringColor, (std::vector<bool>{true}));
  EXPECT_EQ(bond->m_crColor, RGB(255, 0, 0));
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_TRUE(Recorded(1, true));
}

TEST_F(ObjectCommands, ACancelledColourDialogChangesNothingAGroupColoursItsMembers) {
  CGroup* g = AddBenzene(CPoint{0, 0});
  Pick(g);
  host.m_colorAnswers.push_back(std::nullopt);
  Run(cmd::kChangeColor);
  EXPECT_EQ(Snapshots(), 0u);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);

  Pick(g);
  host.m_colorAnswers.push_back(RGB(0, 128, 0));
  Run(cmd::kChangeColor);
  for (CKVObject* c : Children(g)) EXPECT_EQ(c->m_crColor, RGB(0, 128, 0));
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ObjectCommands, ThicknessPresetsWriteTheirValueOnBondsEllipsesAndCharges) {
  CEllipse* e = AddEllipse(0, 400, 400, 0);
  auto minus = std::make_unique<CMinusC>();
  minus->MoveTo(CPoint{2000, 0});
  CMinusC* m = Add(std::move(minus));
  CFormula* f = AddFormula(3000, 300, 3300, 0, "C");
  Pick(e);
  EXPECT_TRUE(view.IsCommandChecked(cmd::kThickness1));
  EXPECT_FALSE(view.IsCommandChecked(cmd::kThicknessCustom));
  Run(cmd::kThickness2);
  EXPECT_EQ(e->m_dThickness, 2.0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(Snapshots(), 1u);

  Pick(m);
  Run(cmd::kThickness075);
  EXPECT_EQ(m->m_dThickness, 0.75);
  Pick(m);
  Run(cmd::kThickness01);
  EXPECT_EQ(m->m_dThickness, 0.1);
  EXPECT_TRUE(view.IsCommandChecked(cmd::kThickness01) || view.Current() == nullptr);

  // A formula has no line thickness: the commands are off and do nothing.
  Pick(f);
  EXPECT_TRUE(Refused(cmd::kThickness5));
  EXPECT_EQ(Snapshots(), 3u);
}

TEST_F(ObjectCommands, CustomThicknessRefusesZeroAndNegativeUntilAPositiveNumber) {
  CEllipse* e = AddEllipse(0, 400, 400, 0);
  e->m_dThickness = 1.5;
  Pick(e);
  view.Settings().m_bEnglish = 1;
  host.m_entries = {{"0", IDOK}, {"-1", IDOK}, {"2.5", IDOK}};

  Run(cmd::kThicknessCustom);

  EXPECT_EQ(host.m_dialogs.size(), 3u);
  ASSERT_EQ(host.m_boxes.size(), 2u);
  for (const auto& box : host.m_boxes) {
    EXPECT_EQ(box.strText, "Error: Not a number or zero.");
    EXPECT_EQ(box.strCaption, "Valendra Error");
  }
  ASSERT_FALSE(host.m_fieldTexts.empty());
  EXPECT_EQ(host.m_fieldTexts.front(), "1.50");
  EXPECT_EQ(e->m_dThickness, 2.5);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(Snapshots(), 1u);

  Pick(e);
  host.m_entries = {{"7", IDCANCEL}};
  Run(cmd::kThicknessCustom);
  EXPECT_EQ(e->m_dThickness, 2.5);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(ObjectCommands, SwapCyclesADoubleBondAndRecordsEachStep) {
  CDot* a = AddDot(0, 0);
  CDot* b = AddDot(900, 0);
  CCoupling* bond = AddBond(a, b, 5);
  Pick(bond);
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kSwap));
  Run(cmd::kSwap);
  EXPECT_EQ(bond->m_nStyle, 2);
  EXPECT_EQ(bond->m_nSide, 1);
  Run(cmd::kSwap);
  EXPECT_EQ(bond->m_nSide, 2);
  EXPECT_EQ(Snapshots(), 2u);
  Pick(a);
  EXPECT_TRUE(Refused(cmd::kSwap));
  EXPECT_EQ(Snapshots(), 2u);
}

using NudgeCommands = EditingCommands;

// NormalizePosition shifts the whole drawing when something lies left of -500: right, and
// its top to 0.
TEST_F(NudgeCommands, TheLeftArrowMovesByExactlyAHundredThenNormalisesTheRightDoesNot) {
  CEllipse* moved = AddEllipse(-450, 400, -50, 0);
  CEllipse* still = AddEllipse(2000, 400, 2400, 0);
  SelectOnly({moved});

  Run(cmd::kKeyLeft);
  const CSize shift{still->m_rcBounds.left - 2000, still->m_rcBounds.top - 400};
  EXPECT_GT(shift.cx, 0);
  EXPECT_EQ(moved->m_rcBounds, (CRect{-550 + shift.cx, 400 + shift.cy, -150 + shift.cx, shift.cy}));
  EXPECT_EQ(Snapshots(), 1u);

  moved->ResetDone();
  moved->MoveTo(CPoint{-900, 400});
  still->ResetDone();
  still->MoveTo(CPoint{2000, 400});
  Run(cmd::kKeyRight);
  EXPECT_EQ(moved->m_rcBounds, (CRect{-800, 400, -400, 0}));
  EXPECT_EQ(still->m_rcBounds, (CRect{2000, 400, 2400, 0}));
  EXPECT_TRUE(Recorded(2, true));
}

// Up takes the top over 500, so the drawing is shifted down until the top is at -500.
TEST_F(NudgeCommands, TheUpArrowOverTheTopShiftsTheDrawingDown) {
  CEllipse* moved = AddEllipse(1000, 450, 1400, 50);
  CEllipse* still = AddEllipse(3000, -1000, 3400, -1400);
  view.UpdateView();
  SelectOnly({moved});
  Run(cmd::kKeyUp);
  EXPECT_EQ(moved->m_rcBounds, (CRect{1000, -500, 1400, -900}));
  EXPECT_EQ(still->m_rcBounds, (CRect{3000, -2050, 3400, -2450}));
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(NudgeCommands, PlainAndFineOffsetsInEveryDirection) {
  // Right of 0 and below 0, where normalising shifts nothing.
  CEllipse* e = AddEllipse(3000, -4000, 3400, -4400);
  SelectOnly({e});
  const struct {
    int nId;
    CPoint to;
  } steps[] = {{cmd::kKeyRight, {3100, -4000}},  {cmd::kKeyDown, {3100, -4100}},
               {cmd::kKeyUp, {3100, -4000}},     {cmd::kKeyLeft, {3000, -4000}},
               {cmd::kCtrlRight, {3010, -4000}}, {cmd::kCtrlDown, {3010, -4010}},
               {cmd::kCtrlLeft, {3000, -4010}},  {cmd::kCtrlUp, {3000, -4000}}};
  for (const auto& step : steps) {
    Run(step.nId);
    EXPECT_EQ(e->m_ptAnchor, step.to) << step.nId;
  }
  EXPECT_EQ(Snapshots(), 8u);
}

// The snapshot an arrow key records is the drawing as a save would write it after the
// move, bonds with their new end points included: the recovery file and Undo take it.
// A bond from a ring's vertex to a junction outside it is recorded anew when only the
// ring moves, although only the ring, not its vertex, is marked as changed.
TEST_F(NudgeCommands, TheSnapshotOfANudgeHoldsTheMovedBonds) {
  DrawingBuilder d(doc);
  CGroup* ring = d.Ring(CPoint{3000, -3000});
  d.Bond(ring->m_listChildren.front().get(), d.Dot(4500, -2000));
  view.UpdateView();
  view.PushSnapshot();
  ring->m_bSelected = 1;
  view.SetSelCount(1);
  for (const int nId : {cmd::kKeyRight, cmd::kKeyDown, cmd::kCtrlLeft, cmd::kSelectAll, cmd::kKeyUp,
                        cmd::kCtrlRight}) {
    Run(nId);
    const CUndoHistory& history = view.History();
    EXPECT_EQ(history.BytesAt(history.Size() - 1), StoreDoc(doc)) << nId;
  }
}

TEST_F(NudgeCommands, WithNothingSelectedArrowsScrollAndFineNudgesStillRecord) {
  AddEllipse(0, 0, 30000, -30000);
  view.OnZoomDefault();
  doc.SetModifiedFlag(false);
  Run(cmd::kKeyRight);
  Run(cmd::kKeyDown);
  EXPECT_EQ(view.Viewport().ScrollX(), 100);
  EXPECT_EQ(view.Viewport().ScrollY(), 100);
  EXPECT_TRUE(Recorded(0, false));

  Run(cmd::kCtrlLeft);
  EXPECT_EQ(doc.m_listObjects.front()->m_rcBounds.left, 0);
  EXPECT_TRUE(Recorded(1, true));
}

TEST_F(NudgeCommands, AFineNudgeEndsTheEditAndMovesTheEditedFormula) {
  CFormula* f = view.CreateFormulaAt(CPoint{3000, -3000});
  ASSERT_NE(f, nullptr);
  f->m_strText = "CO";
  f->m_nCaret = 2;
  ASSERT_EQ(view.EditState(), 1);
  const CPoint before = f->m_ptAnchor;
  Run(cmd::kCtrlRight);
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_EQ(f->m_ptAnchor, (CPoint{before.x + 10, before.y}));
  EXPECT_EQ(f->m_strText, "CO");
}

}  // namespace
