#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "StreamTestUtil.h"
#include "objects/CArchive.h"
#include "objects/CGroup.h"
#include "objects/CStoredRecord.h"
#include "objects/GroupWalk.h"
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

// Two rings drawn fused at one vertex, the first brought behind the second: the first
// ring's bond to the shared vertex ends on the second ring's junction, which the stream
// stores after the bond.
struct LaterEndDrawing {
  CKvillDoc doc;
  CGroup* pFirst = nullptr;
  CGroup* pSecond = nullptr;
  CDot* pShared = nullptr;
  LaterEndDrawing() {
    pFirst = Append(doc.m_listObjects, std::make_unique<CGroup>());
    CDot* a = AppendChild(*pFirst, MakeDot(0, 0));
    CDot* b = AppendChild(*pFirst, MakeDot(300, 0));
    pSecond = Append(doc.m_listObjects, std::make_unique<CGroup>());
    pShared = AppendChild(*pSecond, MakeDot(600, -300));
    CDot* c = AppendChild(*pSecond, MakeDot(900, -300));
    AppendChild(*pFirst, MakeBond(a, b));
    AppendChild(*pFirst, MakeBond(b, pShared));
    AppendChild(*pSecond, MakeBond(pShared, c));
    pFirst->RecalcBounds();
    pSecond->RecalcBounds();
  }
};

void ExpectEveryBondHasItsEnds(CKvillDoc& doc) {
  for (const auto& p : doc.m_listObjects) {
    if (CGroup* g = p->AsGroup()) {
      WalkGroup(*g, [](std::unique_ptr<CKVObject>& q, CGroup&) {
        if (const CCoupling* pBond = q->AsBond()) {
          EXPECT_NE(pBond->m_pEndA, nullptr);
          EXPECT_NE(pBond->m_pEndB, nullptr);
        }
        return WalkStep::Enter;
      });
    }
  }
}

TEST(GroupRecord, ABondEndingOnAnObjectStoredAfterItsGroupReadsBackEveryWay) {
  LaterEndDrawing d;
  const std::vector<std::uint8_t> bytes = StoreDoc(d.doc);
  // Both loaders, and a paste, which asks only the pasted objects.
  for (const bool bPaste : {false, true}) {
    for (const bool bScan : {false, true}) {
      SCOPED_TRACE(testing::Message() << "paste " << bPaste << " scan " << bScan);
      CKvillDoc back;
      CSerializeOptions options;
      options.bReplaceOnLoad = !bPaste;
      ASSERT_TRUE(LoadDoc(back, bytes, bScan, options));
      ASSERT_EQ(back.m_listObjects.size(), 2u);
      CGroup* pFirst = back.m_listObjects.front()->AsGroup();
      CGroup* pSecond = back.m_listObjects.back()->AsGroup();
      ASSERT_EQ(pFirst->m_listChildren.size(), 4u);  // the bond to the later ring stays
      const CCoupling* pBond = pFirst->m_listChildren.back()->AsBond();
      ASSERT_NE(pBond, nullptr);
      EXPECT_EQ(pBond->m_pEndB, pSecond->m_listChildren.front().get());
      if (!bPaste) {
        EXPECT_EQ(StoreDoc(back), bytes);
      }
    }
  }
  // Cut short anywhere, the stream gives bonds with both ends or none: the one whose end
  // never came is dropped, as a bond whose end is not found always is.
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    CKvillDoc back;
    LoadDoc(back, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n));
    ExpectEveryBondHasItsEnds(back);
    if (testing::Test::HasFailure()) FAIL() << "cut at " << n;
  }
}

TEST(GroupRecord, AGroupsKeptRecordIsWrittenAgainWhenAnEndOutsideItMoves) {
  LaterEndDrawing d;
  const auto joined = [](const std::vector<const CStoredRecord*>& records) {
    std::vector<std::uint8_t> out;
    for (const CStoredRecord* r : records)
      out.insert(out.end(), r->m_bytes.begin(), r->m_bytes.end());
    return out;
  };
  const std::vector<const CStoredRecord*> before = d.doc.StoreRecords();
  // The second ring moves; nothing inside the first one changes, but its record names the
  // shared junction by its box.
  d.pSecond->MoveTo(CPoint{d.pSecond->m_ptAnchor.x + 1000, d.pSecond->m_ptAnchor.y});
  d.pSecond->ResetDone();
  const std::vector<const CStoredRecord*> after = d.doc.StoreRecords();
  EXPECT_EQ(joined(after), StoreDoc(d.doc));
  EXPECT_NE(after[1], before[1]);
  // Once written again it is shared while nothing moves.
  EXPECT_EQ(d.doc.StoreRecords()[1], after[1]);
}

}  // namespace
