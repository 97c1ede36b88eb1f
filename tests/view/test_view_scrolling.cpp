#include <gtest/gtest.h>

#include "ViewFixture.h"

using ViewExtents = ViewFixture;

TEST_F(ViewExtents, EmptyDrawingHasExtentsTenAndNoScrollBars) {
  view.OnZoomDefault();
  EXPECT_EQ(view.Viewport().ExtBottom(), 10);
  EXPECT_EQ(view.Viewport().ExtRight(), 10);
  EXPECT_EQ(view.Viewport().ExtTop(), 0);
  EXPECT_EQ(view.Viewport().ExtLeft(), 0);
  EXPECT_FALSE(host.m_bars[SB_HORZ].bShown);
  EXPECT_FALSE(host.m_bars[SB_VERT].bShown);
  EXPECT_EQ(view.Viewport().HBarShown(), 0);
  EXPECT_EQ(view.Viewport().VBarShown(), 0);
}

TEST_F(ViewExtents, ReducedExtentsRawExtentsAndBothBars) {
  AddEllipse(-600, 900, 30000, -30000);
  auto bond = std::make_unique<CCoupling>();
  bond->m_rcBounds = CRect{-90000, 90000, 90000, -90000};  // bonds never count
  Add(std::move(bond));
  view.OnZoomDefault();
  EXPECT_EQ(view.Viewport().RawBottom(), -30000);
  EXPECT_EQ(view.Viewport().RawTop(), 900);
  EXPECT_EQ(view.Viewport().RawRight(), 30000);
  EXPECT_EQ(view.Viewport().RawLeft(), -600);
  EXPECT_EQ(view.Viewport().ExtBottom(), 10000);
  EXPECT_EQ(view.Viewport().ExtRight(), 10000);
  EXPECT_EQ(view.Viewport().ExtTop(), -300);
  EXPECT_EQ(view.Viewport().ExtLeft(), -200);
  EXPECT_TRUE(host.m_bars[SB_HORZ].bShown);
  EXPECT_EQ(host.m_bars[SB_HORZ].nMax, 100);
  EXPECT_EQ(host.m_bars[SB_HORZ].nPage, 8);  // 800 * 100 / 10000
  EXPECT_EQ(view.Viewport().HPage(), 800);
  EXPECT_TRUE(host.m_bars[SB_VERT].bShown);
  EXPECT_EQ(host.m_bars[SB_VERT].nPage, 6);
  EXPECT_EQ(view.Viewport().VPage(), 600);
  EXPECT_EQ(view.Viewport().HBarShown(), 1);
  EXPECT_EQ(view.Viewport().VBarShown(), 1);

  view.Viewport().SetScrollX(5000);
  view.UpdateView();
  EXPECT_EQ(host.m_bars[SB_HORZ].nPos, 10);  // 5000 * 100 / 50000
}

TEST_F(ViewExtents, HorizontalBarComparesWithZoomSquared) {
  AddEllipse(0, 0, 3000, -3000);  // reduced 1000 x 1000, window 800 x 600
  view.Viewport().SetZoom(1.2);
  view.UpdateView();
  // 1000 / 1.44 = 694 <= 800: no horizontal bar; 1000 / 1.2 = 833 > 600: vertical bar.
  EXPECT_FALSE(host.m_bars[SB_HORZ].bShown);
  EXPECT_TRUE(host.m_bars[SB_VERT].bShown);
  // Scrolled, the bar stays whatever the size.
  view.Viewport().SetScrollX(100);
  view.UpdateView();
  EXPECT_TRUE(host.m_bars[SB_HORZ].bShown);
}

TEST_F(ViewExtents, UpdateViewMarksModifiedOnlyWhenPending) {
  view.UpdateView();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.m_bPendingModified, 0);
  doc.SetModifiedFlag(false);
  view.UpdateView();
  EXPECT_FALSE(doc.IsModified());
}

using ViewScroll = ViewFixture;

class ViewScrollBig : public ViewFixture {
 protected:
  void SetUp() override {
    AddEllipse(0, 0, 30000, -30000);  // E = 10000 on both axes, window 800 x 600
    view.OnZoomDefault();
  }
};

TEST_F(ViewScrollBig, LineScrollsAddHundredAndNeverGoNegative) {
  view.OnHScroll(SB_LINERIGHT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 100);
  view.OnHScroll(SB_LINERIGHT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 200);
  view.Viewport().SetScrollX(50);
  view.OnHScroll(SB_LINELEFT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  view.OnHScroll(SB_LINELEFT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  view.OnVScroll(SB_LINEDOWN, 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 100);
  view.OnVScroll(SB_LINEUP, 0);
  view.OnVScroll(SB_LINEUP, 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 0);
}

TEST_F(ViewScrollBig, LineAndPageStopAtTheEndOfTheDrawing) {
  view.Viewport().SetScrollX(46000);
  view.OnHScroll(SB_LINERIGHT, 0);
  // 46100 / 5 + 800 > 10000: (10000 + 100 - 800) * 5.
  EXPECT_EQ(view.Viewport().ScrollX(), 46500);
  view.Viewport().SetScrollX(0);
  view.OnHScroll(SB_PAGERIGHT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 4000);
  view.OnHScroll(SB_PAGELEFT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  view.Viewport().SetScrollX(44000);
  view.OnHScroll(SB_PAGERIGHT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 46500);
  // Vertically k = z: at zoom 2 a page is 5 * 600 * 2.
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollY(0);
  view.OnVScroll(SB_PAGEDOWN, 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 6000);
}

TEST_F(ViewScrollBig, ThumbPositionsMapToTheExtent) {
  view.OnHScroll(SB_THUMBTRACK, 50);
  EXPECT_EQ(view.Viewport().ScrollX(), 25000);  // 10000 * 50 * 5 / 100
  view.OnHScroll(SB_THUMBPOSITION, 95);         // beyond 100 - 800 / 100 = 92
  EXPECT_EQ(view.Viewport().ScrollX(), 46500);
  view.OnHScroll(SB_THUMBTRACK, 1);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
}

TEST_F(ViewScroll, ScrollingASmallDrawingNeverGivesANegativePosition) {
  AddEllipse(0, 0, 600, -600);
  view.OnZoomDefault();
  view.OnHScroll(SB_LINERIGHT, 0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  view.OnVScroll(SB_PAGEDOWN, 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 0);
}

// Objects left of and above the origin (older files, other programs, a ring dragged up to
// the top) are within reach at every zoom: the bars reach below 0, and line steps and the
// thumb take the window's corner to the drawing's corner. Nothing is moved to get there.
TEST_F(ViewScroll, WhatLiesLeftOfOrAboveTheOriginCanBeScrolledTo) {
  CEllipse* e = AddEllipse(-9000, 6000, 3000, -3000);
  for (const double z : {1.0, 0.5, 2.0}) {
    SCOPED_TRACE(z);
    view.OnZoomDefault();
    view.Viewport().SetZoom(z);
    view.UpdateView();
    ASSERT_TRUE(host.m_bars[SB_HORZ].bShown);
    ASSERT_TRUE(host.m_bars[SB_VERT].bShown);
    EXPECT_LT(host.m_bars[SB_HORZ].nMin, 0);
    EXPECT_LT(host.m_bars[SB_VERT].nMin, 0);
    for (int i = 0; i < 1000 && view.Viewport().ScrollX() > view.Viewport().ScrollMinX(); ++i)
      view.OnHScroll(SB_LINELEFT, 0);
    for (int i = 0; i < 1000 && view.Viewport().ScrollY() > view.Viewport().ScrollMinY(); ++i)
      view.OnVScroll(SB_PAGEUP, 0);
    const CPoint corner = view.DeviceToLogical(CPoint{0, 0});
    EXPECT_LE(corner.x, -9000);
    EXPECT_GE(corner.y, 6000);
    // At most a step of the bar beyond the drawing.
    EXPECT_GT(corner.x, -9000 - 2000 * z);
    // The thumb: its lowest position is the same place, 0 the origin again.
    view.OnHScroll(SB_THUMBTRACK, 0);
    view.OnVScroll(SB_THUMBTRACK, 0);
    EXPECT_EQ(view.DeviceToLogical(CPoint{0, 0}), (CPoint{0, 0}));
    view.OnHScroll(SB_THUMBTRACK, host.m_bars[SB_HORZ].nMin);
    view.OnVScroll(SB_THUMBTRACK, host.m_bars[SB_VERT].nMin);
    EXPECT_EQ(view.DeviceToLogical(CPoint{0, 0}), corner);
    // The refresh shows the thumbs at their lowest positions.
    host.FireTimer(TIMER_SCROLL_REFRESH);
    EXPECT_EQ(host.m_bars[SB_HORZ].nPos, host.m_bars[SB_HORZ].nMin);
  }
  EXPECT_EQ(e->m_rcBounds, (CRect{-9000, 6000, 3000, -3000}));
}

TEST_F(ViewScrollBig, ScrollSchedulesOneDeferredRefresh) {
  view.OnHScroll(SB_LINERIGHT, 0);
  EXPECT_TRUE(host.IsTimerRunning(TIMER_SCROLL_REFRESH));
  EXPECT_EQ(host.m_timers[TIMER_SCROLL_REFRESH], 10);
  EXPECT_EQ(view.Viewport().RefreshPending(), 1);
  view.Viewport().SetScrollX(25000);
  view.Viewport().SetScrollY(5000);
  const int nBlitsBefore = static_cast<int>(host.m_blits.size());
  EXPECT_TRUE(host.FireTimer(TIMER_SCROLL_REFRESH));
  EXPECT_FALSE(host.IsTimerRunning(TIMER_SCROLL_REFRESH));
  EXPECT_EQ(view.Viewport().RefreshPending(), 0);
  // Thumbs placed without redrawing, then the picture painted again.
  EXPECT_EQ(host.CountLog("SetScrollPos 0 50 0"), 1);
  EXPECT_EQ(host.CountLog("SetScrollPos 1 10 0"), 1);
  EXPECT_EQ(static_cast<int>(host.m_blits.size()), nBlitsBefore + 1);
  EXPECT_EQ(host.CountLog("EndStartingUp"), 1);
}

TEST_F(ViewScroll, StartUpTimerAppliesTheSavedShowStateOnce) {
  view.Settings().m_bApplyShowState = 1;
  view.Settings().m_bMaximized = 0;
  host.SetTimer(TIMER_SCROLL_REFRESH, 10);
  host.FireTimer(TIMER_SCROLL_REFRESH);
  EXPECT_EQ(host.m_shows, (std::vector<int>{SW_MAXIMIZE, SW_SHOWNORMAL}));
  EXPECT_EQ(view.Settings().m_bApplyShowState, 0);
  host.SetTimer(TIMER_SCROLL_REFRESH, 10);
  host.FireTimer(TIMER_SCROLL_REFRESH);
  EXPECT_EQ(host.m_shows.size(), 2u);
}

TEST_F(ViewScroll, TimerAfterASaveOnlyMarksTheSavedSnapshot) {
  // Three snapshots, none modified, the document showing the middle one.
  for (int i = 0; i < 3; ++i) view.History().Push({}, false);
  view.History().Undo();
  doc.m_bJustSaved = 1;
  view.ScheduleScrollRefresh();
  host.FireTimer(TIMER_SCROLL_REFRESH);
  EXPECT_EQ(doc.m_bJustSaved, 0);
  EXPECT_EQ(view.Viewport().RefreshPending(), 1);  // the refresh waits for the next tick
  EXPECT_EQ(host.CountLog("EndStartingUp"), 0);
  std::vector<int> flags;
  for (std::size_t i = 0; i < view.History().Size(); ++i) {
    flags.push_back(view.History().IsModifiedAt(i));
  }
  EXPECT_EQ(flags, (std::vector<int>{1, 0, 1}));
  // With no current position the newest snapshot is the saved one.
  view.History().Redo();
  view.History().Redo();
  view.MarkSavedSnapshot();
  flags.clear();
  for (std::size_t i = 0; i < view.History().Size(); ++i) {
    flags.push_back(view.History().IsModifiedAt(i));
  }
  EXPECT_EQ(flags, (std::vector<int>{1, 1, 0}));
}

using ViewNormalize = ViewFixture;

TEST_F(ViewNormalize, FarLeftEdgeShiftsRightByFiveHundredMore) {
  CEllipse* e = AddEllipse(-800, 300, 200, -100);
  view.OnZoomDefault();
  view.NormalizePosition();
  // dx = 500 + 800, dy = -300.
  EXPECT_EQ(e->m_rcBounds, (CRect{500, 0, 1500, -400}));
}

TEST_F(ViewNormalize, SmallOverhangLeftAndLowTopStayPut) {
  CEllipse* e = AddEllipse(-300, 300, 200, -100);
  view.OnZoomDefault();
  view.NormalizePosition();
  EXPECT_EQ(e->m_rcBounds, (CRect{-300, 300, 200, -100}));
}

TEST_F(ViewNormalize, HighTopShiftsDownToMinusFiveHundred) {
  CEllipse* e = AddEllipse(-300, 700, 200, -100);
  CDot* d = AddDot(1000, -1000);
  d->m_bSelected = 0;
  view.OnZoomDefault();
  view.NormalizePosition();
  EXPECT_EQ(e->m_rcBounds, (CRect{0, -500, 500, -1300}));
  EXPECT_EQ(d->m_ptAnchor, (CPoint{1300, -2200}));
  // The move leaves the selection flags as they were.
  EXPECT_EQ(d->m_bSelected, 0);
  EXPECT_EQ(e->m_bSelected, 0);
}

TEST_F(ViewNormalize, EditingEndsAndLargeDrawingsScheduleARefresh) {
  AddEllipse(0, 0, 30000, -30000);
  view.OnZoomDefault();
  view.SetEditState(1);
  view.NormalizePosition();
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_GE(host.m_nCaretHidden, 1);
  EXPECT_TRUE(host.IsTimerRunning(TIMER_SCROLL_REFRESH));
}
