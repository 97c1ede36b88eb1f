#include <gtest/gtest.h>

#include "../view/ViewFixture.h"
#include "StreamBytes.h"
#include "StreamTestUtil.h"

using StreamViewSteps = ViewFixture;

TEST_F(StreamViewSteps, ReplacingLoadResetsTheViewAndStartsTheHistoryTimer) {
  CDot* old = AddDot(0, 0);
  view.SetCurrent(old);
  view.SetHoverForTest(old);
  view.SetSelCount(9);
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(500);
  doc.m_bQuietLoad = 0;
  ASSERT_TRUE(LoadDoc(doc, Bytes().header(2).dot(5, 5, 1).end().v));
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(view.Hover(), nullptr);
  EXPECT_EQ(view.SelCount(), 2);
  EXPECT_EQ(doc.GetSelCount(), 2);
  EXPECT_TRUE(host.IsTimerRunning(TIMER_RESET_HISTORY));
  EXPECT_FALSE(host.IsTimerRunning(TIMER_INCOMPATIBLE_FILE));
  EXPECT_EQ(view.Viewport().Zoom(), 1.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
}

TEST_F(StreamViewSteps, UndoKeepsZoomAndScrollAndRunsNoTimer) {
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollY(300);
  ASSERT_TRUE(LoadDoc(doc, Bytes().header(0).dot(5, 5).end().v, false,
                      {.bKeepViewOnLoad = true, .bQuietLoad = true}));
  EXPECT_EQ(view.Viewport().Zoom(), 2.0);
  EXPECT_EQ(view.Viewport().ScrollY(), 300);
  EXPECT_FALSE(host.IsTimerRunning(TIMER_RESET_HISTORY));
}

TEST_F(StreamViewSteps, PasteRedrawsOnlyAndAFailedLoadSchedulesTheMessage) {
  view.Viewport().SetZoom(2.0);
  doc.m_bQuietLoad = 0;
  // No end marker.
  EXPECT_FALSE(LoadDoc(doc, Bytes().header(0).dot(5, 5).v, false, {.bReplaceOnLoad = false}));
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(view.Viewport().Zoom(), 2.0);
  EXPECT_FALSE(host.IsTimerRunning(TIMER_RESET_HISTORY));
  EXPECT_TRUE(host.IsTimerRunning(TIMER_INCOMPATIBLE_FILE));
}

TEST_F(StreamViewSteps, TheSelectionCountWrittenIsTheViews) {
  view.SetSelCount(4);
  doc.SetModifiedFlag(true);
  EXPECT_EQ(StoreDoc(doc), Bytes().header(4).end().v);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(host.IsTimerRunning(TIMER_SCROLL_REFRESH));
}
