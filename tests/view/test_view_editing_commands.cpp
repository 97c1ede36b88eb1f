// The editing commands on the selection, through the view and its fake window.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ViewFixture.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"

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
  view.m_nSelCount = 1;
  view.m_pCurrent = f;
  doc.SetModifiedFlag(false);

  EXPECT_TRUE(view.RemoveSelected(true).empty());

  EXPECT_EQ(Order(), (std::vector<CKVObject*>{d, e, kept}));
  EXPECT_EQ(view.m_nSelCount, 0);
  EXPECT_EQ(view.m_pCurrent, nullptr);
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
  view.m_nSelCount = 1;

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
  target->m_bSelected = 1;
  view.m_nSelCount = 1;

  view.RemoveSelected(true);

  EXPECT_EQ(Order(), (std::vector<CKVObject*>{g}));
  ASSERT_EQ(g->m_listChildren.size(), 1u);
  EXPECT_EQ(g->m_listChildren.front().get(), member);
  view.UpdateView();  // paints the group: no bond reaches the deleted junction
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
  view.m_nSelCount = 2;

  std::vector<std::unique_ptr<CKVObject>> out = view.RemoveSelected(false);

  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].get(), e1);
  EXPECT_EQ(out[1].get(), e2);
  EXPECT_EQ(Order(), (std::vector<CKVObject*>{d, bond}));
  EXPECT_EQ(view.m_nSelCount, 0);
  EXPECT_TRUE(doc.IsModified());
  // The bond still ends on the handed-back ellipse; put it back before the fixture ends.
  doc.m_listObjects.push_front(std::move(out[0]));
}

}  // namespace
