// The right button's menus, the keyboard's menu key, the commands sent to the view window,
// the focus rules and the view's own commands (Toolbar, Update, the copy request), driven
// through the fake window.
#include <algorithm>
#include <random>

#include "InteractFixture.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "resources/CommandIds.h"

namespace {

class ViewContextMenu : public InteractFixture {
 protected:
  ViewContextMenu() { host.m_rcWindow = CRect{100, 40, 900, 640}; }

  // A right click at a drawing point: the window sends the screen point.
  void RightClick(CPoint pt) {
    const CPoint c = Px(pt);
    view.OnContextMenu(CPoint{host.m_rcWindow.left + c.x, host.m_rcWindow.top + c.y});
  }
  void MenuKey() { view.OnContextMenu(CPoint{-1, -1}); }
  // A right click at pt whose menu is closed with the command chosen; the command is then
  // delivered, and the next menu is closed without a choice.
  void Choose(int nCommand, CPoint pt) {
    host.m_nMenuAnswer = nCommand;
    RightClick(pt);
    host.PumpMessages();
    host.m_nMenuAnswer = 0;
  }
  int LastMenu() const { return host.m_menus.empty() ? 0 : host.m_menus.back().nMenuId; }
  CPoint LastMenuPoint() const { return host.m_menus.back().pt; }
  // The check mark the last menu gave a command; nullopt when it gave none.
  std::optional<bool> Check(int nCommand) const {
    for (const CMenuCheck& c : host.m_menus.back().checks) {
      if (c.nCommand == nCommand) return c.bChecked;
    }
    return std::nullopt;
  }
  // A bond between two junctions, with its end points set.
  CCoupling* Bond(CPoint a, CPoint b) { return AddBond(AddDot(a.x, a.y), AddDot(b.x, b.y)); }
};

constexpr int kPresetCommands[] = {
    cmd::kThickness01, cmd::kThickness02, cmd::kThickness05, cmd::kThickness075, cmd::kThickness1,
    cmd::kThickness15, cmd::kThickness2,  cmd::kThickness3,  cmd::kThickness4,   cmd::kThickness5};

// ---------------------------------------------------------------------------------------
// Which menu, and what happens to the selection

TEST_F(ViewContextMenu, EmptySpaceOffersPasteAndKeepsTheSelection) {
  CEllipse* e = AddEllipse(300, -300, 900, -900);
  e->m_bSelected = 1;
  view.SetSelCount(1);
  RightClick(CPoint{6000, -6000});
  EXPECT_EQ(LastMenu(), 335);
  EXPECT_EQ(LastMenuPoint(), (CPoint{100 + 400, 40 + 400}));
  EXPECT_EQ(e->m_bSelected, 1);
  EXPECT_EQ(view.SelCount(), 1);
  // Paste's menu leaves the next click alone.
  EXPECT_EQ(view.Mouse().SkipNextClick(), 0);
}

TEST_F(ViewContextMenu, AnUnselectedObjectAmongSelectedOnesIsTheOnlyOneLeft) {
  CEllipse* a = AddEllipse(300, -300, 900, -900);
  CEllipse* b = AddEllipse(3000, -3000, 3600, -3600);
  CFormula* f = AddFormula(6000, -6000, 6600, -6300);
  a->m_bSelected = b->m_bSelected = 1;
  view.SetSelCount(2);
  RightClick(CPoint{6300, -6150});
  EXPECT_EQ(LastMenu(), 303);
  EXPECT_EQ(a->m_bSelected, 0);
  EXPECT_EQ(b->m_bSelected, 0);
  EXPECT_EQ(f->m_bSelected, 1);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(view.Current(), f);
  EXPECT_EQ(view.Mouse().SkipNextClick(), 1);
}

TEST_F(ViewContextMenu, OneOfSeveralSelectedOffersTheSelectionMenuAndKeepsIt) {
  CEllipse* a = AddEllipse(300, -300, 900, -900);
  CEllipse* b = AddEllipse(3000, -3000, 3600, -3600);
  a->m_bSelected = b->m_bSelected = 1;
  view.SetSelCount(2);
  RightClick(CPoint{600, -600});
  EXPECT_EQ(LastMenu(), 298);
  EXPECT_EQ(a->m_bSelected, 1);
  EXPECT_EQ(b->m_bSelected, 1);
  EXPECT_EQ(view.SelCount(), 2);
  EXPECT_EQ(view.Mouse().SkipNextClick(), 1);
}

TEST_F(ViewContextMenu, AnUnselectedBondEndsUpAloneInItsMenu) {
  CCoupling* bond = Bond(CPoint{1500, -1500}, CPoint{4500, -1500});
  RightClick(CPoint{3000, -1500});
  EXPECT_EQ(LastMenu(), 302);
  EXPECT_EQ(bond->m_bSelected, 1);
  EXPECT_EQ(bond->m_pEndA->m_bSelected, 0);
  EXPECT_EQ(bond->m_pEndB->m_bSelected, 0);
  EXPECT_EQ(view.SelCount(), 1);
  EXPECT_EQ(view.Current(), bond);
}

TEST_F(ViewContextMenu, ABondSelectedWithItsEndsCountsAsOneObject) {
  CCoupling* bond = Bond(CPoint{1500, -1500}, CPoint{4500, -1500});
  bond->m_bSelected = bond->m_pEndA->m_bSelected = bond->m_pEndB->m_bSelected = 1;
  view.SetSelCount(3);
  RightClick(CPoint{3000, -1500});
  EXPECT_EQ(LastMenu(), 302);
  EXPECT_EQ(view.SelCount(), 1);
  // With a fourth object selected it is a selection of several.
  CEllipse* e = AddEllipse(6000, -6000, 6600, -6600);
  bond->m_pEndA->m_bSelected = bond->m_pEndB->m_bSelected = e->m_bSelected = 1;
  view.SetSelCount(4);
  RightClick(CPoint{3000, -1500});
  EXPECT_EQ(LastMenu(), 298);
}

TEST_F(ViewContextMenu, EachKindHasItsMenu) {
  CDot* dot = AddDot(9000, -9000);
  CGroup* ring = DrawingBuilder(doc).Ring(CPoint{15000, -3000});
  auto plus = std::make_unique<CPlusC>();
  plus->MoveTo(CPoint{3000, -9000});
  CKVObject* pPlus = Add(std::move(plus));
  auto minus = std::make_unique<CMinusC>();
  minus->MoveTo(CPoint{6000, -9000});
  CKVObject* pMinus = Add(std::move(minus));
  const struct {
    CKVObject* p;
    int nMenu;
  } cases[] = {{dot, 304}, {ring, 300}, {pPlus, 337}, {pMinus, 337}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nMenu);
    const CRect f = c.p->GetSelectionFrame();
    RightClick(CPoint{(f.left + f.right) / 2 / 15 * 15, (f.top + f.bottom) / 2 / 15 * 15});
    EXPECT_EQ(LastMenu(), c.nMenu);
    EXPECT_EQ(view.Current(), c.p);
  }
}

TEST_F(ViewContextMenu, KeyboardWithNothingSelectedOpensPasteAtTheWindowCorner) {
  AddEllipse(300, -300, 900, -900);
  MenuKey();
  EXPECT_EQ(LastMenu(), 335);
  EXPECT_EQ(LastMenuPoint(), (CPoint{100, 40}));
  EXPECT_EQ(view.Mouse().SkipNextClick(), 0);
}

TEST_F(ViewContextMenu, KeyboardWithOneBondOpensItsMenuAtTheMidpoint) {
  CCoupling* bond = Bond(CPoint{1500, -1500}, CPoint{3000, -3015});
  bond->m_bSelected = 1;
  view.SetSelCount(1);
  MenuKey();
  EXPECT_EQ(LastMenu(), 302);
  // Midpoint (2250, -2257): 150 and 150 pixels from the window's corner (truncated).
  EXPECT_EQ(LastMenuPoint(), (CPoint{100 + 150, 40 + 150}));
  // A scrolled view moves the point with the drawing.
  view.Viewport().SetScrollX(2000);  // 5 * 2000 / 100 = 100 pixels
  view.Viewport().SetScrollY(600);   // 30 pixels
  MenuKey();
  EXPECT_EQ(LastMenuPoint(), (CPoint{100 + 150 - 100, 40 + 150 - 30}));
}

TEST_F(ViewContextMenu, KeyboardTakesTheGroupsLowerLeftCornerAndTheCurrentObject) {
  CEllipse* a = AddEllipse(1500, -1500, 3000, -3000);
  CGroup* ring = DrawingBuilder(doc).Ring(CPoint{9000, -9000});
  ring->m_bSelected = 1;
  view.SetSelCount(1);
  MenuKey();
  EXPECT_EQ(LastMenu(), 300);
  const CRect b = ring->m_rcBounds;
  EXPECT_EQ(LastMenuPoint(), (CPoint{100 + b.left / 15, 40 + -b.bottom / 15}));
  // With one object selected, the current object is the one the menu is for.
  a->m_bSelected = 1;
  ring->m_bSelected = 0;
  view.SetCurrent(ring);
  MenuKey();
  EXPECT_EQ(LastMenu(), 300);
}

TEST_F(ViewContextMenu, NoMenuDuringAHandleDragAndNoneWithoutASurface) {
  CEllipse* e = AddEllipse(300, -300, 900, -900);
  view.Mouse().SetResizing(1);
  RightClick(CPoint{600, -600});
  view.Mouse().SetResizing(0);
  host.m_bDCAvailable = false;
  RightClick(CPoint{600, -600});
  MenuKey();
  EXPECT_TRUE(host.m_menus.empty());
  EXPECT_EQ(e->m_bSelected, 0);
  EXPECT_EQ(view.Mouse().SkipNextClick(), 0);
}

TEST_F(ViewContextMenu, RotateModeEndsWithExactlyOneSnapshot) {
  DrawingBuilder(doc).Ring(CPoint{3000, -3000});
  view.PushSnapshot();
  const std::size_t n = Snapshots();
  view.Mouse().SetRotating(1);
  RightClick(CPoint{3000, -3000});
  EXPECT_EQ(view.Mouse().Rotating(), 0);
  EXPECT_EQ(Snapshots(), n + 1);
  // Out of rotate mode a menu records nothing.
  RightClick(CPoint{3000, -3000});
  EXPECT_EQ(Snapshots(), n + 1);
}

// ---------------------------------------------------------------------------------------
// Check marks

TEST_F(ViewContextMenu, ThicknessMarksAreExactAndCustomOtherwise) {
  CCoupling* bond = Bond(CPoint{1500, -1500}, CPoint{4500, -1500});
  // Which preset is marked (0: Custom instead); almost 0.75 is not 0.75.
  const struct {
    const char* pszName;
    double dThickness;
    int nMarked;
  } rows[] = {{"0.3", 0.3, 0}, {"1.0", 1.0, cmd::kThickness1}, {"0.75000000001", 0.75000000001, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pszName);
    bond->m_dThickness = row.dThickness;
    RightClick(CPoint{3000, -1500});
    EXPECT_EQ(Check(cmd::kThicknessCustom), row.nMarked == 0);
    for (int id : kPresetCommands) EXPECT_EQ(Check(id), id == row.nMarked) << id;
  }
}

TEST_F(ViewContextMenu, LockAspectRatioFollowsTheObject) {
  CEllipse* e = AddEllipse(300, -300, 900, -900);
  e->m_bKeepAspect = 1;
  e->m_dThickness = 2.0;
  RightClick(CPoint{600, -600});
  EXPECT_EQ(LastMenu(), 336);
  EXPECT_EQ(Check(cmd::kLockAspect), true);
  EXPECT_EQ(Check(cmd::kThickness2), true);
  e->m_bKeepAspect = 0;
  RightClick(CPoint{600, -600});
  EXPECT_EQ(Check(cmd::kLockAspect), false);

  CGroup* ring = DrawingBuilder(doc).Ring(CPoint{6000, -6000});
  ring->m_bKeepAspect = 1;
  RightClick(CPoint{6000, -6000});
  EXPECT_EQ(LastMenu(), 300);
  EXPECT_EQ(Check(cmd::kLockAspect), true);
  // A group has no line thickness of its own.
  EXPECT_EQ(Check(cmd::kThicknessCustom), std::nullopt);
}

// ---------------------------------------------------------------------------------------
// The chosen item, the skip flag and the focus

TEST_F(ViewContextMenu, TheChosenItemArrivesAsACommandSentToTheView) {
  CFormula* f = AddFormula(6000, -6000, 6600, -6300);
  host.m_nMenuAnswer = cmd::kEditFormula;
  RightClick(CPoint{6300, -6150});
  EXPECT_EQ(view.Mouse().SkipNextClick(), 1);
  const int nResets = host.CountLog("ResetDrawBar");
  host.PumpMessages();
  EXPECT_EQ(view.Mouse().SkipNextClick(), 0);
  EXPECT_EQ(host.CountLog("ResetDrawBar"), nResets + 1);
  ASSERT_EQ(host.m_routed, (std::vector<int>{cmd::kEditFormula}));
  // The routing ran the view's command: the formula is being edited.
  EXPECT_EQ(view.EditState(), 1);
  EXPECT_EQ(view.Current(), f);
}

// The items chosen run the editing commands on the object the menu was opened on.
TEST_F(ViewContextMenu, ChosenItemsRunTheEditingCommandsOnTheirObject) {
  CCoupling* bond = Bond(CPoint{1500, -1500}, CPoint{4500, -1500});
  view.PushSnapshot();
  const std::size_t n = Snapshots();
  Choose(cmd::kThickness2, CPoint{3000, -1500});
  EXPECT_EQ(bond->m_dThickness, 2.0);
  EXPECT_EQ(Snapshots(), n + 1);
  RightClick(CPoint{3000, -1500});
  EXPECT_EQ(Check(cmd::kThickness2), true);
  EXPECT_EQ(Check(cmd::kThicknessCustom), false);

  // Lock Aspect Ratio turns the ellipse's flag, and the next menu shows it.
  CEllipse* e = AddEllipse(6000, -6000, 6900, -6900);
  e->m_bKeepAspect = 0;
  Choose(cmd::kLockAspect, CPoint{6450, -6450});
  EXPECT_EQ(e->m_bKeepAspect, 1);
  RightClick(CPoint{6450, -6450});
  EXPECT_EQ(Check(cmd::kLockAspect), true);
}

TEST_F(ViewContextMenu, RotateStartsWhereTheMenuWasAskedForAndTheNextMenuEndsIt) {
  CGroup* ring = DrawingBuilder(doc).Ring(CPoint{3000, -3000});
  view.PushSnapshot();
  const std::size_t n = Snapshots();
  Choose(cmd::kRotate, CPoint{3150, -3000});
  EXPECT_EQ(view.Mouse().Rotating(), 1);
  EXPECT_EQ(view.Current(), ring);
  EXPECT_EQ(view.m_ptRotate, (CPoint{3150, -3000}));
  // The next menu ends rotate mode with one snapshot.
  RightClick(CPoint{3000, -3000});
  EXPECT_EQ(view.Mouse().Rotating(), 0);
  EXPECT_EQ(Snapshots(), n + 1);
}

TEST_F(ViewContextMenu, GroupFromTheSelectionsMenu) {
  CEllipse* a = AddEllipse(300, -300, 900, -900);
  CEllipse* b = AddEllipse(3000, -3000, 3600, -3600);
  a->m_bSelected = b->m_bSelected = 1;
  view.SetSelCount(2);
  host.m_nMenuAnswer = cmd::kContextGroup;
  RightClick(CPoint{600, -600});
  ASSERT_EQ(LastMenu(), 298);
  host.PumpMessages();
  EXPECT_EQ(CountKind(KIND_GROUP), 1);
  EXPECT_EQ(CountKind(KIND_ELLIPSE), 0);
}

TEST_F(ViewContextMenu, AMenuClosedWithoutAChoiceSwallowsTheNextPressOnly) {
  CEllipse* e = AddEllipse(300, -300, 900, -900);
  RightClick(CPoint{600, -600});
  ASSERT_EQ(e->m_bSelected, 1);
  Click(CPoint{6000, -6000});  // would deselect
  EXPECT_EQ(e->m_bSelected, 1);
  Click(CPoint{6000, -6000});
  EXPECT_EQ(e->m_bSelected, 0);
}

TEST_F(ViewContextMenu, FocusRules) {
  view.Cursor().m_bHoverSuppressed = 0;
  view.Mouse().SetSkipNextClick(1);
  view.OnKillFocus();
  EXPECT_EQ(view.Mouse().SkipNextClick(), 0);

  view.Settings().m_bDrawBarPlaced = 0;
  view.OnSetFocus();
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 1);
  EXPECT_EQ(host.CountLog("ResetDrawBar"), 1);
  EXPECT_EQ(host.CountLog("RecordDrawBarPlacement"), 0);
  view.Settings().m_bDrawBarPlaced = 1;
  view.OnSetFocus();
  EXPECT_EQ(host.CountLog("RecordDrawBarPlacement"), 1);
}

// ---------------------------------------------------------------------------------------
// The view's own commands

TEST_F(ViewContextMenu, ToolbarTogglesTheFlagAndTheFramesBar) {
  view.Settings().m_bToolBarHidden = 0;
  EXPECT_TRUE(view.IsCommandChecked(cmd::kViewToolbar));
  EXPECT_TRUE(view.OnCommand(cmd::kViewToolbar));
  EXPECT_EQ(view.Settings().m_bToolBarHidden, 1);
  EXPECT_FALSE(host.m_bToolBarShown);
  EXPECT_FALSE(view.IsCommandChecked(cmd::kViewToolbar));
  view.OnCommand(cmd::kViewToolbar);
  EXPECT_EQ(view.Settings().m_bToolBarHidden, 0);
  EXPECT_TRUE(host.m_bToolBarShown);
}

TEST_F(ViewContextMenu, UpdateRefreshesTheEmbeddingItems) {
  EXPECT_TRUE(view.IsCommandHandled(cmd::kFileUpdate));
  EXPECT_TRUE(view.OnCommand(cmd::kFileUpdate));
  EXPECT_EQ(host.m_nUpdateAllItems, 1);
  EXPECT_TRUE(view.Embedding().IsContainerUpdated());
}

TEST_F(ViewContextMenu, ACopyRequestCopiesTheWholeDrawingUnderTheWaitCursor) {
  EXPECT_TRUE(view.OnCopyData());
  ASSERT_EQ(host.m_routed, (std::vector<int>{cmd::kEditCopy}));
  const auto at = [&](const std::string& s) {
    return std::find(host.m_log.begin(), host.m_log.end(), s) - host.m_log.begin();
  };
  EXPECT_LT(at("BeginWaitCursor"), at("RouteCommand 57634"));
  EXPECT_LT(at("RouteCommand 57634"), at("EndWaitCursor"));
  EXPECT_EQ(host.m_nWaitDepth, 0);
}

// ---------------------------------------------------------------------------------------
// Cursor feedback: the inner area and the timer at rest

class ViewCursorTimer : public InteractFixture {
 protected:
  ViewCursorTimer() {
    host.m_rcMainWindow = CRect{0, 0, 1000, 800};
    view.Cursor().m_bHoverSuppressed = 0;
    host.SetTimer(TIMER_CURSOR_FEEDBACK, 10);
  }
  // One tick of the timer with the pointer at a screen point.
  void Tick(CPoint ptScreen) {
    host.m_ptCursor = ptScreen;
    host.FireTimer(TIMER_CURSOR_FEEDBACK);
  }
  bool OutsideAt(CPoint ptScreen) {
    Tick(ptScreen);
    return view.Cursor().m_bCursorOutside == 1;
  }
};

TEST_F(ViewCursorTimer, InnerAreaMarginsFollowTheBars) {
  const CRect F = host.m_rcMainWindow;
  // The toolbar's 82 pixels at the top are outside, the left border's 12 too; without the
  // toolbar the title and the menu bar count as inside. Right: 12, or 28 with the vertical
  // scroll bar. Bottom: 31 / 47 with the status bar, 12 / 28 without, by the horizontal bar.
  const struct {
    int bToolBarHidden, bStatus, bHBar, bVBar;
    CPoint pt;
    bool bOutside;
  } rows[] = {{0, 1, 0, 0, {500, F.top + 81}, true},     {0, 1, 0, 0, {500, F.top + 82}, false},
              {0, 1, 0, 0, {F.left + 11, 400}, true},    {0, 1, 0, 0, {F.left + 12, 400}, false},
              {1, 1, 0, 0, {500, F.top}, false},         {1, 1, 0, 0, {F.right - 12, 400}, false},
              {1, 1, 0, 1, {F.right - 13, 400}, true},   {1, 1, 0, 1, {F.right - 28, 400}, false},
              {1, 1, 0, 1, {500, F.bottom - 31}, false}, {1, 1, 0, 1, {500, F.bottom - 30}, true},
              {1, 1, 1, 1, {500, F.bottom - 47}, false}, {1, 1, 1, 1, {500, F.bottom - 46}, true},
              {1, 0, 0, 1, {500, F.bottom - 12}, false}, {1, 0, 0, 1, {500, F.bottom - 11}, true},
              {1, 0, 1, 1, {500, F.bottom - 28}, false}, {1, 0, 1, 1, {500, F.bottom - 27}, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "toolbar hidden " << row.bToolBarHidden << ", status "
                                      << row.bStatus << ", bars h" << row.bHBar << " v" << row.bVBar
                                      << ", at " << row.pt.x << "," << row.pt.y);
    view.Settings().m_bToolBarHidden = row.bToolBarHidden;
    view.Settings().m_bStatusBarVisible = row.bStatus;
    view.Viewport().SetBarsShownForTest(row.bHBar != 0, row.bVBar != 0);
    EXPECT_EQ(OutsideAt(row.pt), row.bOutside);
  }
}

TEST_F(ViewCursorTimer, ATickWithNothingChangedLooksAtNoObject) {
  AddEllipse(300, -300, 900, -900);
  view.Mouse().SetLastMouseForTest(Px(CPoint{600, -600}));
  Tick(CPoint{500, 400});
  const std::uint64_t nRuns = view.Cursor().Runs();
  host.m_nCursor = 0;
  for (int i = 0; i < 5; ++i) Tick(CPoint{500, 400});
  EXPECT_EQ(view.Cursor().Runs(), nRuns);
  EXPECT_EQ(host.m_nCursor, 0);  // nothing was set again

  // The left Ctrl key alone changes the answer within one tick.
  host.m_keysDown = {VK_LCONTROL};
  Tick(CPoint{500, 400});
  EXPECT_EQ(view.Cursor().Runs(), nRuns + 1);
  EXPECT_EQ(host.m_nCursor, IDI_COPY_CURSOR);
  host.m_keysDown.clear();
  Tick(CPoint{500, 400});
  EXPECT_EQ(host.m_nCursor, IDC_ARROW);

  // So does a change of the drawing under a resting pointer, a move, and a new tool.
  const std::uint64_t nBefore = view.Cursor().Runs();
  doc.m_listObjects.clear();
  view.UpdateView();
  Tick(CPoint{500, 400});
  EXPECT_EQ(view.Cursor().Runs(), nBefore + 1);
  EXPECT_EQ(view.Cursor().m_nKindUnderMouse, 0);
  Move(CPoint{600, -600}, 0);
  Tick(CPoint{500, 400});
  EXPECT_EQ(view.Cursor().Runs(), nBefore + 3);
  view.Mouse().SetTool(TOOL_FORMULA);
  Tick(CPoint{500, 400});
  EXPECT_EQ(host.m_nCursor, IDC_IBEAM);
}

TEST_F(ViewCursorTimer, ACursorHitTestFindsWhatTheFullSearchFinds) {
  // Rings, ellipses, formulas, junctions and bonds, some overlapping, some selected.
  DrawingBuilder build(doc);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(0, 12000);
  for (int i = 0; i < 40; ++i) {
    const CPoint c{coord(rng), -coord(rng)};
    switch (i % 5) {
      case 0:
        build.Ring(c)->m_bSelected = i % 3 == 0;
        break;
      case 1:
        AddEllipse(c.x, c.y, c.x + 900, c.y - 600)->m_bSelected = i % 2;
        break;
      case 2:
        AddFormula(c.x, c.y, c.x + 400, c.y - 300);
        break;
      default:
        AddBond(AddDot(c.x, c.y), AddDot(c.x + coord(rng) / 10, c.y - coord(rng) / 10));
        break;
    }
  }
  // Every probe is inside the inner area, so the handle test runs too.
  host.m_rcMainWindow = CRect{-2000, -2000, 5000, 5000};
  std::uniform_int_distribution<int> probe(-40, 850);
  int nHits = 0;
  for (int i = 0; i < 4000; ++i) {
    const CPoint P{probe(rng) * 15, -probe(rng) * 15};
    view.Mouse().SetHandle(0);
    const CKvillView::CHit full = view.FindObjectAt(P);
    CKVObject* pHandle = view.FindHandleAt(P);
    const int nHandle = view.Mouse().Handle();
    // Through the cursor's path: a move over the point, then a tick there.
    view.Mouse().SetHandle(0);
    Move(P, 0);
    ASSERT_EQ(view.DeviceToLogical(view.Mouse().LastMouse()), P);
    EXPECT_EQ(view.Cursor().m_nKindUnderMouse, full.nKind) << P.x << "," << P.y;
    if (pHandle != nullptr) {
      EXPECT_EQ(view.Mouse().Handle(), nHandle);
    }
    nHits += full.nKind != 0 ? 1 : 0;
  }
  // The probes did find objects of all sorts, not just empty paper.
  EXPECT_GT(nHits, 200);
}

}  // namespace
