#include <gtest/gtest.h>

#include <vector>

#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"

namespace {

std::vector<CPoint> VertexPositions(CGroup& g) {
  std::vector<CPoint> out;
  for (auto& p : g.m_listChildren) {
    if (p->m_nKind == KIND_DOT) out.push_back(p->m_ptAnchor);
  }
  return out;
}

TEST(PlaceRing, CyclohexaneVerticesAndChildOrder) {
  CGroup g;
  PlaceRing(CPoint{0, 0}, g, 6, 0.523598775);
  EXPECT_EQ(VertexPositions(g),
            (std::vector<CPoint>{
                {260, 150}, {0, 300}, {-260, 150}, {-260, -150}, {0, -300}, {260, -150}}));
  // vertex 0, vertex 1, bond 0-1, vertex 2, bond 1-2, ..., the closing bond 5-0.
  std::vector<int> kinds;
  std::vector<CKVObject*> dots;
  for (auto& p : g.m_listChildren) {
    kinds.push_back(p->m_nKind);
    EXPECT_EQ(p->m_pParent, &g);
    if (p->m_nKind == KIND_DOT) dots.push_back(p.get());
  }
  EXPECT_EQ(kinds, (std::vector<int>{8, 8, 12, 8, 12, 8, 12, 8, 12, 8, 12, 12}));
  int i = 0;
  for (auto& p : g.m_listChildren) {
    auto* pBond = dynamic_cast<CCoupling*>(p.get());
    if (pBond == nullptr) continue;
    EXPECT_EQ(pBond->m_pEndA, dots[i]);
    EXPECT_EQ(pBond->m_pEndB, dots[(i + 1) % 6]);
    EXPECT_EQ(pBond->m_nStyle, 1);
    EXPECT_EQ(pBond->m_nSide, 1);
    EXPECT_EQ(pBond->m_nPenStyle, PS_SOLID);
    EXPECT_EQ(pBond->m_bLive, 0);
    EXPECT_EQ(pBond->m_dThickness, 1.0);
    ++i;
  }
  EXPECT_EQ(i, 6);
  // Junctions are placed with MoveTo: their boxes are anchor +- 30.
  EXPECT_EQ(g.m_listChildren.front()->m_rcBounds, (CRect{230, 180, 290, 120}));
  EXPECT_EQ(g.m_bSelected, 0);
}

TEST(PlaceRing, PentagonAndOffsetCentre) {
  CGroup g;
  PlaceRing(CPoint{1000, -2000}, g, 5, 0.314159265);
  const auto v = VertexPositions(g);
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[0], (CPoint{1285, -1907}));
  EXPECT_EQ(v[1], (CPoint{1000, -1700}));
}

TEST(PlaceRing, TwoHundredVerticesAndDegenerateCounts) {
  CGroup g;
  PlaceRing(CPoint{0, 0}, g, 200, 0.0);
  EXPECT_EQ(VertexPositions(g).size(), 200u);
  EXPECT_EQ(g.m_listChildren.size(), 400u);
  EXPECT_EQ(VertexPositions(g)[0], (CPoint{300, 0}));
  EXPECT_EQ(VertexPositions(g)[50], (CPoint{0, 300}));

  CGroup none;
  PlaceRing(CPoint{0, 0}, none, 0, 0.0);
  EXPECT_TRUE(none.m_listChildren.empty());
  PlaceRing(CPoint{0, 0}, none, -5, 0.0);
  EXPECT_TRUE(none.m_listChildren.empty());
}

}  // namespace
