// The grid of paint reaches must find exactly the objects a test of every object finds,
// in list order, whatever the boxes look like.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "objects/CEllipse.h"
#include "objects/CObList.h"
#include "view/PaintIndex.h"
#include "view/PaintReach.h"

namespace {

CEllipse* AddEllipse(CObList& list, int l, int t, int r, int b) {
  auto p = std::make_unique<CEllipse>();
  p->m_rcBounds = CRect{l, t, r, b};
  p->m_ptAnchor = CPoint{l, t};
  CEllipse* raw = p.get();
  list.push_back(std::move(p));
  return raw;
}

std::vector<CKVObject*> BruteForce(const CObList& list, const CRect& rc) {
  std::vector<CKVObject*> out;
  for (const auto& p : list) {
    if (BoxesMeet(PaintReach(p.get()), rc)) out.push_back(p.get());
  }
  return out;
}

}  // namespace

TEST(PaintIndex, FindsWhatTestingEveryObjectFindsInListOrder) {
  std::mt19937 rng(7);
  const auto coord = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  CObList list;
  for (int i = 0; i < 3000; ++i) {
    const int x = coord(-200000, 200000), y = coord(-200000, 200000);
    // Mostly small objects, some long thin ones, a few across the whole drawing, and
    // boxes given in either orientation.
    int w = coord(0, 3000), h = coord(0, 3000);
    if (i % 50 == 0) w = coord(100000, 400000);
    if (i % 77 == 0) h = coord(100000, 400000);
    if (i % 2 == 0) {
      AddEllipse(list, x, y, x + w, y - h);
    } else {
      AddEllipse(list, x + w, y - h, x, y);
    }
  }
  CPaintIndex index;
  index.Build(list);
  ASSERT_EQ(index.Size(), list.size());
  for (int q = 0; q < 400; ++q) {
    const int x = coord(-260000, 260000), y = coord(-260000, 260000);
    const int w = q % 10 == 0 ? coord(0, 500000) : coord(0, 20000);
    const int h = q % 10 == 0 ? coord(0, 500000) : coord(0, 20000);
    const CRect rc = q % 3 == 0 ? CRect{x, y, x + w, y - h} : CRect{x + w, y, x, y - h};
    SCOPED_TRACE(q);
    EXPECT_EQ(index.Meeting(rc), BruteForce(list, rc));
  }
}

TEST(PaintIndex, DegenerateDrawings) {
  CPaintIndex index;
  CObList list;
  index.Build(list);
  EXPECT_TRUE(index.Meeting(CRect{-100, 100, 100, -100}).empty());

  // Every object on one point, and one object reaching the ends of the coordinates.
  for (int i = 0; i < 20; ++i) AddEllipse(list, 5, 5, 5, 5);
  index.Build(list);
  EXPECT_EQ(index.Meeting(CRect{0, 10, 10, 0}).size(), 20u);
  EXPECT_TRUE(index.Meeting(CRect{100000, 0, 100001, -1}).empty());
  AddEllipse(list, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN);
  index.Build(list);
  EXPECT_EQ(index.Meeting(CRect{100000, 0, 100001, -1}),
            std::vector<CKVObject*>{list.back().get()});
  EXPECT_EQ(index.Meeting(CRect{0, 10, 10, 0}).size(), 21u);

  // Many queries in a row: objects found through several cells come once each.
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(index.Meeting(CRect{-1000000, 1000000, 1000000, -1000000}).size(), 21u);
  }
  index.Clear();
  EXPECT_TRUE(index.Meeting(CRect{0, 10, 10, 0}).empty());
}
