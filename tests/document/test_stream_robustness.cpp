#include <gtest/gtest.h>

#include <random>

#include "StreamBytes.h"
#include "StreamTestUtil.h"
#include "document/CBondEndIndex.h"

namespace {

// The linear walk a bond end reference stands for: each top-level object in list order
// (only selected ones when bSelectedOnly); a group answers for itself, else for its
// first non-group descendant depth first; bonds never answer.
CKVObject* LinearFindEnd(CKvillDoc& doc, const CRect& rc, CPoint pt, bool bSelectedOnly) {
  for (auto& top : doc.m_listObjects) {
    if (bSelectedOnly && !top->m_bSelected) continue;
    if (dynamic_cast<CCoupling*>(top.get())) continue;
    if (top->m_rcBounds == rc && top->m_ptAnchor == pt) return top.get();
    auto* g = dynamic_cast<CGroup*>(top.get());
    if (!g) continue;
    std::vector<std::pair<CGroup*, CObList::iterator>> stack;
    CGroup* cur = g;
    auto it = cur->m_listChildren.begin();
    for (;;) {
      if (it == cur->m_listChildren.end()) {
        if (stack.empty()) break;
        std::tie(cur, it) = stack.back();
        stack.pop_back();
        continue;
      }
      CKVObject* p = (it++)->get();
      if (auto* h = dynamic_cast<CGroup*>(p)) {
        stack.emplace_back(cur, it);
        cur = h;
        it = h->m_listChildren.begin();
      } else if (!dynamic_cast<CCoupling*>(p) && p->m_rcBounds == rc && p->m_ptAnchor == pt) {
        return p;
      }
    }
  }
  return nullptr;
}

// A drawing with many duplicate keys: positions on a small grid, nested groups whose own
// boxes repeat those of dots, and bonds whose boxes repeat them too.
void FillWithDuplicates(CKvillDoc& doc, std::mt19937& rng, bool bBondsCollide = true) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (int i = 0; i < 60; ++i) {
    const int x = pick(4) * 100, y = pick(3) * 100;
    if (pick(4) == 0) {
      auto g = std::make_unique<CGroup>();
      g->m_rcBounds = CRect{x - 30, y + 30, x + 30, y - 30};
      g->m_ptAnchor = CPoint{x, y};
      g->m_bSelected = pick(2);
      CGroup* pg = Append(doc.m_listObjects, std::move(g));
      CGroup* cur = pg;
      for (int d = 0; d < 3; ++d) {
        AppendChild(*cur, MakeDot(pick(4) * 100, pick(3) * 100));
        auto b = MakeBond(nullptr, nullptr);
        if (bBondsCollide) {
          b->m_rcBounds = CRect{x - 30, y + 30, x + 30, y - 30};
          b->m_ptAnchor = CPoint{x, y};
        }
        AppendChild(*cur, std::move(b));
        auto h = std::make_unique<CGroup>();
        h->m_rcBounds = CRect{x - 30, y + 30, x + 30, y - 30};
        h->m_ptAnchor = CPoint{pick(4) * 100, pick(3) * 100};
        cur = AppendChild(*cur, std::move(h));
      }
    } else {
      CDot* dot = Append(doc.m_listObjects, MakeDot(x, y));
      dot->m_bSelected = pick(2);
    }
  }
}

}  // namespace

TEST(BondEndIndex, GivesTheSameEndAsTheLinearWalk) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    CKvillDoc doc;
    FillWithDuplicates(doc, rng);
    for (bool bSelectedOnly : {false, true}) {
      int found = 0;
      for (int x = -100; x <= 400; x += 100) {
        for (int y = -100; y <= 300; y += 100) {
          for (int ax : {x, x - 30}) {
            const CRect rc{x - 30, y + 30, x + 30, y - 30};
            const CPoint pt{ax, y};
            CKVObject* expected = LinearFindEnd(doc, rc, pt, bSelectedOnly);
            EXPECT_EQ(doc.FindBondEnd(rc, pt, bSelectedOnly), expected)
                << "seed " << seed << " at " << x << "," << y;
            found += expected != nullptr;
          }
        }
      }
      EXPECT_GT(found, 0);
    }
  }
}

// Where no bond shares a box and anchor with another object, the index agrees with the
// objects' own FindSame asked in list order.
TEST(BondEndIndex, AgreesWithTheObjectsOwnFindSame) {
  for (unsigned seed = 1; seed <= 10; ++seed) {
    std::mt19937 rng(seed);
    CKvillDoc doc;
    FillWithDuplicates(doc, rng, false);
    for (bool bSelectedOnly : {false, true}) {
      for (int x = -100; x <= 400; x += 100) {
        for (int y = -100; y <= 300; y += 100) {
          const CRect rc{x - 30, y + 30, x + 30, y - 30};
          const CPoint pt{x, y};
          CKVObject* expected = nullptr;
          for (auto& top : doc.m_listObjects) {
            if (bSelectedOnly && !top->m_bSelected) continue;
            if ((expected = top->FindSame(rc, pt)) != nullptr) break;
          }
          EXPECT_EQ(doc.FindBondEnd(rc, pt, bSelectedOnly), expected) << seed;
        }
      }
    }
  }
}

TEST(BondEndIndex, FirstInListOrderAndGroupsBeforeTheirDescendants) {
  CKvillDoc doc;
  auto g = std::make_unique<CGroup>();
  g->m_rcBounds = CRect{-30, 30, 30, -30};
  g->m_ptAnchor = CPoint{5, 5};
  CGroup* pg = Append(doc.m_listObjects, std::move(g));
  auto h = std::make_unique<CGroup>();
  h->m_rcBounds = CRect{-30, 30, 30, -30};
  h->m_ptAnchor = CPoint{0, 0};  // a nested group is never matched itself
  CGroup* ph = AppendChild(*pg, std::move(h));
  CDot* deep = AppendChild(*ph, MakeDot(0, 0));
  CDot* later = AppendChild(*pg, MakeDot(0, 0));
  CDot* top = Append(doc.m_listObjects, MakeDot(0, 0));
  const CRect rc{-30, 30, 30, -30};
  EXPECT_EQ(doc.FindBondEnd(rc, CPoint{0, 0}, false), deep);
  EXPECT_EQ(doc.FindBondEnd(rc, CPoint{5, 5}, false), pg);
  EXPECT_EQ(doc.FindBondEnd(rc, CPoint{0, 0}, true), nullptr);
  top->m_bSelected = 1;
  EXPECT_EQ(doc.FindBondEnd(rc, CPoint{0, 0}, true), top);
  (void)later;
}

TEST(NativeStreamRoundTrip, RandomDrawingsStoreLoadStoreIdentically) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    CKvillDoc doc;
    RandomDrawing(seed).Fill(doc, 1 + static_cast<int>(seed % 40));
    const auto first = StoreDoc(doc);
    for (bool bScan : {false, true}) {
      CKvillDoc back;
      ASSERT_TRUE(LoadDoc(back, first, bScan)) << "seed " << seed;
      ASSERT_EQ(StoreDoc(back), first) << "seed " << seed << (bScan ? " scanning" : " plain");
    }
  }
}

TEST(NativeStreamRoundTrip, DeepNestingIsReadAndWrittenWithoutRecursion) {
  constexpr int kDepth = 100000;
  Bytes b;
  b.header();
  for (int i = 0; i < kDepth; ++i) b.common(9, i == 0, 1.0, 0, 0, 0, 0, 0, 0, 0);
  b.dot(1, 1).dot(2, 2).bond(1, 1, 2, 2);
  for (int i = 0; i < kDepth; ++i) b.end();
  b.end();
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v));
  ASSERT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(StoreDoc(doc), b.v);
  doc.DeleteContents();

  // The same depth cut short closes every level and reports the load as failed.
  b.v.resize(b.v.size() - 4 * (kDepth / 2));
  CKvillDoc cut;
  EXPECT_FALSE(LoadDoc(cut, b.v));
  EXPECT_EQ(cut.m_listObjects.size(), 1u);
}

TEST(NativeStreamBadInput, FormulaLengthThatTheDataCannotHold) {
  for (std::int32_t n : {-1, -2147483647 - 1, 9, 2147483647}) {  // 8 bytes follow
    Bytes b;
    b.header().common(6, 0, 1.0, 0, 100, 100, 0, 100, 0, 0).i32(n).text("abcd").end();
    for (bool bScan : {false, true}) {
      CKvillDoc doc;
      EXPECT_FALSE(LoadDoc(doc, b.v, bScan)) << n;
      ASSERT_EQ(doc.m_listObjects.size(), 1u);
      EXPECT_TRUE(dynamic_cast<CFormula*>(doc.m_listObjects.front().get())->m_strText.empty());
    }
  }
  // Inside a group the bad length closes the levels the same way.
  Bytes g;
  g.header().common(9, 0, 1.0, 0, 0, 0, 0, 0, 0, 0);
  g.common(6, 0, 1.0, 0, 100, 100, 0, 100, 0, 0).i32(1 << 30).end().end();
  CKvillDoc doc;
  EXPECT_FALSE(LoadDoc(doc, g.v));
  // An exact length is fine.
  Bytes ok;
  ok.header().common(6, 0, 1.0, 0, 100, 100, 0, 100, 0, 0).i32(4).text("abcd").end();
  EXPECT_TRUE(LoadDoc(doc, ok.v));
}

TEST(NativeStreamBadInput, EveryTruncationEndsCleanly) {
  CKvillDoc src;
  RandomDrawing(77).Fill(src, 25);
  const auto full = StoreDoc(src);
  for (std::size_t n = 0; n < full.size(); ++n) {
    std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
    for (bool bScan : {false, true}) {
      CKvillDoc doc;
      EXPECT_FALSE(LoadDoc(doc, cut, bScan)) << n;
    }
  }
}

TEST(NativeStreamBadInput, GarbageRandomBytesAndMagicsInGarbage) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> byte(0, 255);
  CKvillDoc src;
  RandomDrawing(9).Fill(src, 10);
  const auto valid = StoreDoc(src);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> data;
    const int shape = round % 3;
    if (shape == 0) {
      data.resize(static_cast<std::size_t>(byte(rng)) * 8);
      for (auto& c : data) c = static_cast<std::uint8_t>(byte(rng));
    } else if (shape == 1) {
      // A valid prefix followed by garbage.
      data.assign(valid.begin(), valid.begin() + static_cast<long>(valid.size() * round / 300));
      for (int i = 0; i < 200; ++i) data.push_back(static_cast<std::uint8_t>(byte(rng)));
    } else {
      // Garbage with a magic and small kind codes at a 256-byte boundary.
      data.resize(1024);
      for (auto& c : data) c = static_cast<std::uint8_t>(byte(rng) % 16);
      const std::size_t at = 256 * static_cast<std::size_t>(1 + round % 3);
      const char* magic = round % 2 ? "KvillDoc" : "8Valendra";
      std::memcpy(&data[at], magic, std::strlen(magic) + 1);
    }
    for (bool bScan : {false, true}) {
      for (int replace : {1, 0}) {
        CKvillDoc doc;
        Append(doc.m_listObjects, MakeDot(0, 0))->m_bSelected = 1;
        LoadDoc(doc, data, bScan, {.bReplaceOnLoad = replace != 0});
        // Whatever was read can be written and read back.
        const auto again = StoreDoc(doc);
        CKvillDoc back;
        EXPECT_TRUE(LoadDoc(back, again));
      }
    }
  }
}

TEST(BondEndIndex, EarliestAddedWinsAcrossBatchesAndGrowth) {
  std::vector<std::unique_ptr<CDot>> dots;
  CBondEndIndex index;
  // 5000 objects on 2500 keys: every key twice, the second copy added much later.
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 2500; ++i) {
      dots.push_back(MakeDot(i * 100, 0));
      index.Add(dots.back().get());
      if (i % 97 == 0) {
        // Lookups in between force the batch of waiting objects into the table.
        const CRect rc{i * 100 - 30, 30, i * 100 + 30, -30};
        EXPECT_EQ(index.Find(rc, CPoint{i * 100, 0}), dots[static_cast<std::size_t>(i)].get());
      }
    }
  }
  for (int i = 0; i < 2500; ++i) {
    const CRect rc{i * 100 - 30, 30, i * 100 + 30, -30};
    ASSERT_EQ(index.Find(rc, CPoint{i * 100, 0}), dots[static_cast<std::size_t>(i)].get()) << i;
  }
  EXPECT_EQ(index.Find(CRect{0, 0, 0, 0}, CPoint{0, 0}), nullptr);
  index.Clear();
  EXPECT_EQ(index.Find(CRect{-30, 30, 30, -30}, CPoint{0, 0}), nullptr);
}
