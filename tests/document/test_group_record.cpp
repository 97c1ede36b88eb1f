#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "StreamTestUtil.h"
#include "objects/CArchive.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"

namespace {

std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t off) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b.at(off + static_cast<std::size_t>(i));
  std::int32_t out = 0;
  std::memcpy(&out, &v, sizeof out);
  return out;
}

std::vector<std::uint8_t> StoreBothPasses(CKVObject& obj) {
  std::vector<std::uint8_t> out;
  CArchive ar(&out);
  obj.Store(ar, 0, nullptr);
  obj.Store(ar, 1, nullptr);
  ar.Flush();
  return out;
}

TEST(GroupRecord, EmptyGroupKeepsItsBoxAndIsItsCommonPartThenTheEndMarker) {
  CGroup g;
  g.m_rcBounds = CRect{10, 50, 60, 20};
  g.RecalcBounds();
  const std::vector<std::uint8_t> b = StoreBothPasses(g);
  ASSERT_EQ(b.size(), 48u);
  EXPECT_EQ(static_cast<int>(b.size()), g.GetStoredSize());
  EXPECT_EQ(Int32At(b, 0), KIND_GROUP);
  EXPECT_EQ(Int32At(b, 16), 10);  // the box, unchanged by RecalcBounds
  EXPECT_EQ(Int32At(b, 20), 50);
  EXPECT_EQ(Int32At(b, 24), 60);
  EXPECT_EQ(Int32At(b, 28), 20);
  EXPECT_EQ(Int32At(b, 32), 10);  // the anchor, its top-left corner
  EXPECT_EQ(Int32At(b, 36), 50);
  EXPECT_EQ(Int32At(b, 44), KIND_END);

  // A nested empty group: its common part and end marker inside the outer record.
  CGroup outer;
  outer.AddChild(std::make_unique<CGroup>());
  const std::vector<std::uint8_t> n = StoreBothPasses(outer);
  ASSERT_EQ(n.size(), 96u);
  EXPECT_EQ(static_cast<int>(n.size()), outer.GetStoredSize());
  EXPECT_EQ(Int32At(n, 44), KIND_GROUP);
  EXPECT_EQ(Int32At(n, 88), KIND_END);
  EXPECT_EQ(Int32At(n, 92), KIND_END);
}

TEST(GroupRecord, RotatedAndMirroredGroupsRoundTrip) {
  CKvillDoc doc;
  auto pOwned = std::make_unique<CGroup>();
  CGroup* pGroup = pOwned.get();
  doc.m_listObjects.push_back(std::move(pOwned));
  PlaceRing(CPoint{0, 0}, *pGroup, 6, 0.523598775);
  auto pEllipse = std::make_unique<CEllipse>();
  pEllipse->m_rcBounds = CRect{-176, 176, 186, -186};
  pEllipse->m_ptAnchor = CPoint{-176, 176};
  pEllipse->m_crColor = RGB(0, 0, 200);
  pGroup->AddChild(std::move(pEllipse));
  pGroup->SaveExact();
  pGroup->Rotate(0, 0, 0.4);
  pGroup->ResetDone();
  pGroup->MirrorVertical();

  const auto bytes = StoreDoc(doc);
  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, bytes));
  ASSERT_EQ(back.m_listObjects.size(), 1u);
  auto* pBack = dynamic_cast<CGroup*>(back.m_listObjects.front().get());
  ASSERT_NE(pBack, nullptr);
  // Six vertices and six bonds of the ring, and the polygon that replaced the circle.
  CGroup* pRing = nullptr;
  int nDots = 0, nBonds = 0;
  for (auto& p : pBack->m_listChildren) {
    nDots += p->m_nKind == KIND_DOT;
    nBonds += p->m_nKind == KIND_COUPLING;
    if (auto* g = dynamic_cast<CGroup*>(p.get())) pRing = g;
  }
  EXPECT_EQ(nDots, 6);
  EXPECT_EQ(nBonds, 6);
  ASSERT_NE(pRing, nullptr);
  EXPECT_EQ(pRing->m_listChildren.size(), 400u);
  for (auto& p : pRing->m_listChildren) {
    EXPECT_EQ(p->m_crColor, RGB(0, 0, 200));
    if (auto* pBond = dynamic_cast<CCoupling*>(p.get())) {
      ASSERT_NE(pBond->m_pEndA, nullptr);
      ASSERT_NE(pBond->m_pEndB, nullptr);
      EXPECT_EQ(pBond->m_pEndA->m_pParent, pRing);
    }
  }
  EXPECT_EQ(StoreDoc(back), bytes);
}

}  // namespace
