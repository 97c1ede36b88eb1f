#include <gtest/gtest.h>

#include "objects/CDot.h"

TEST(DotBuild, MovePlacesBox) {
  CDot dot;
  dot.MoveTo(CPoint{100, 200});
  EXPECT_EQ(dot.m_rcBounds, (CRect{70, 230, 130, 170}));
}
