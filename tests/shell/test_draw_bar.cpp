// The Draw bar and its palettes as widgets: the messages each button posts, where the
// palettes open, the latches, Esc, moving, and the Draw Bar command with its placement.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "resources/PaletteTables.h"
#include "shell/CBitmapButton.h"
#include "shell/CDDrawBar.h"
#include "shell/CMainButton.h"
#include "shell/CPaletteDialog.h"
#include "tests/shell/PumpUntil.h"

namespace {

using res::PaletteKind;

constexpr PaletteKind kAllPalettes[] = {PaletteKind::Indexes, PaletteKind::Couple,
                                        PaletteKind::Aromatic, PaletteKind::Symbol1,
                                        PaletteKind::Symbol2};

class DrawBarTest : public ::testing::Test {
 protected:
  DrawBarTest() {
    owner.setGeometry(100, 120, 700, 400);
    owner.show();
    bar = std::make_unique<CDDrawBar>(Links(res::Language::English));
  }
  ~DrawBarTest() override { bar.reset(); }

  CDrawBarLinks Links(res::Language lang) {
    CDrawBarLinks links;
    links.fnPost = [this](int n) { posted.push_back(n); };
    links.pDrawBarActive = &bDrawBarActive;
    links.pDrawBarPlaced = &bDrawBarPlaced;
    links.pDrawBarVisible = &bDrawBarVisible;
    links.pPlacement = &wpDrawBar;
    links.fnCheckMark = [this](bool b) { checks.push_back(b); };
    links.pOwner = &owner;
    links.lang = lang;
    return links;
  }

  // The bar as the start-up timer shows it.
  void ShowBar() {
    bar->OnDrawBarCommand();
    ASSERT_TRUE(bar->IsWindow());
    posted.clear();
  }

  void Press(int nId) {
    CMainButton* p = bar->Button(nId);
    ASSERT_NE(p, nullptr);
    p->click();
  }

  std::vector<int> Pressed() const {
    std::vector<int> ids;
    for (const res::DrawBarButton& row : res::DrawBarButtons()) {
      if (bar->Button(row.id)->GetState()) ids.push_back(row.id);
    }
    return ids;
  }

  std::vector<int> Latched() const {
    std::vector<int> ids;
    for (const res::DrawBarButton& row : res::DrawBarButtons()) {
      if (bar->Button(row.id)->m_bLatched) ids.push_back(row.id);
    }
    return ids;
  }

  QWidget owner;
  std::vector<int> posted;
  std::vector<bool> checks;
  std::int32_t bDrawBarActive = 7;
  std::int32_t bDrawBarPlaced = 0;
  std::int32_t bDrawBarVisible = 1;
  std::array<std::int32_t, 11> wpDrawBar{};
  std::unique_ptr<CDDrawBar> bar;
};

TEST_F(DrawBarTest, BarWindowHasItsTemplateSizeCaptionButtonsAndTooltips) {
  ShowBar();
  QWidget* w = bar->GetWindow();
  EXPECT_EQ(w->size(), QSize(288, res::kDrawBarClientHeight));
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Draw bar"));
  const int xs[] = {0, 48, 96, 144, 192, 240};
  const char* tips[] = {"Formula",
                        "Indexes",
                        "Bonds",
                        "Aromatic & cyclic compounds",
                        "Greek small letters",
                        "Greek capital letters"};
  for (int i = 0; i < 6; ++i) {
    CMainButton* p = bar->Button(2003 + i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->geometry(), QRect(xs[i], 0, 36, 16));
    EXPECT_EQ(p->toolTip(), QString::fromUtf8(tips[i]));
    EXPECT_EQ(p->m_bLatched, 0);
  }
  // Creating the window clears the cursor-feedback suppression flag.
  EXPECT_EQ(bDrawBarActive, 0);
}

TEST_F(DrawBarTest, CzechBarHasCzechCaptionAndTooltips) {
  bar = std::make_unique<CDDrawBar>(Links(res::Language::Czech));
  ShowBar();
  EXPECT_EQ(bar->GetWindow()->windowTitle(), QString::fromUtf8("Kreslení"));
  EXPECT_EQ(bar->Button(2006)->toolTip(), QString::fromUtf8("Aromatické a cyklické sloučeniny"));
  bar->OnPaletteButton(PaletteKind::Symbol1);
  EXPECT_EQ(bar->Palette(PaletteKind::Symbol1)->Button(1014)->toolTip(), QString::fromUtf8("Éta"));
}

TEST_F(DrawBarTest, EachBarButtonPostsItsMessagesAndOpensItsPaletteUnderTheBar) {
  ShowBar();
  struct Row {
    int nId;
    std::vector<int> messages;
    bool bPalette;
    PaletteKind kind;
    int nOffset;
  };
  const std::vector<Row> rows = {
      {2003, {1095, 1029}, false, PaletteKind::Indexes, 0},
      {2004, {}, true, PaletteKind::Indexes, 51},
      {2005, {1096}, true, PaletteKind::Couple, 99},
      {2006, {1095}, true, PaletteKind::Aromatic, 147},
      {2007, {1094}, true, PaletteKind::Symbol1, 195},
      {2008, {1094}, true, PaletteKind::Symbol2, 243},
  };
  const QRect rcBar = bar->GetWindow()->frameGeometry();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.nId);
    posted.clear();
    Press(row.nId);
    EXPECT_EQ(posted, row.messages);
    // Only the pressed button shows pressed and is latched.
    EXPECT_EQ(Pressed(), std::vector<int>{row.nId});
    EXPECT_EQ(Latched(), std::vector<int>{row.nId});
    for (PaletteKind kind : kAllPalettes) {
      CPaletteDialog* p = bar->Palette(kind);
      const bool bOpen = row.bPalette && kind == row.kind;
      EXPECT_EQ(p->IsVisible(), bOpen);
      if (bOpen) {
        EXPECT_EQ(p->GetWindow()->pos(),
                  QPoint(rcBar.left() + row.nOffset, rcBar.top() + rcBar.height()));
      }
    }
  }
}

TEST_F(DrawBarTest, PaletteWindowIsCreatedOnceThenOnlyHiddenAndShown) {
  ShowBar();
  CPaletteDialog* p = bar->Palette(PaletteKind::Couple);
  EXPECT_FALSE(p->IsWindow());
  Press(2005);
  QWidget* pFirst = p->GetWindow();
  ASSERT_NE(pFirst, nullptr);
  Press(2003);
  EXPECT_FALSE(p->IsVisible());
  Press(2005);
  EXPECT_EQ(p->GetWindow(), pFirst);
  EXPECT_TRUE(p->IsVisible());
  // Neither window is ever the active one while the user draws, and both name their
  // buttons all the same.
  EXPECT_TRUE(pFirst->testAttribute(Qt::WA_AlwaysShowToolTips));
  EXPECT_TRUE(bar->GetWindow()->testAttribute(Qt::WA_AlwaysShowToolTips));
}

TEST_F(DrawBarTest, EveryPaletteButtonHidesThePaletteAndPostsExactlyItsMessage) {
  ShowBar();
  for (PaletteKind kind : kAllPalettes) {
    const res::PaletteTemplate& tmpl = res::Palette(kind);
    for (const res::PaletteButton& row : tmpl.buttons) {
      SCOPED_TRACE(row.caption);
      bar->OnPaletteButton(kind);
      CPaletteDialog* p = bar->Palette(kind);
      ASSERT_TRUE(p->IsVisible());
      CBitmapButton* pButton = p->Button(row.id);
      ASSERT_NE(pButton, nullptr);
      EXPECT_EQ(pButton->toolTip().toStdString(),
                res::TooltipText(row.english, row.czech, res::Language::English));
      EXPECT_EQ(pButton->pos(),
                QPoint(res::DialogUnitsToPixelsX(row.x), res::DialogUnitsToPixelsY(row.y)));
      posted.clear();
      pButton->click();
      EXPECT_FALSE(p->IsVisible());
      EXPECT_EQ(posted, std::vector<int>{row.message});
    }
  }
}

TEST_F(DrawBarTest, EscInTheBarEndsTheCurrentActionAndLeavesTheBarOpen) {
  ShowBar();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(bar->GetWindow(), &esc);
  EXPECT_EQ(posted, std::vector<int>{1095});
  EXPECT_TRUE(bar->IsWindow());
  EXPECT_TRUE(bar->GetWindow()->isVisible());
}

TEST_F(DrawBarTest, EventsForTheBarSuppressTheViewsHoverFeedback) {
  ShowBar();
  EXPECT_EQ(bDrawBarActive, 0);
  CMainButton* p = bar->Button(2005);
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), p->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(p, &move);
  EXPECT_EQ(bDrawBarActive, 1);
}

TEST_F(DrawBarTest, MovingTheBarHidesPalettesClearsLatchesAndReleasesButtons) {
  ShowBar();
  Press(2006);
  ASSERT_TRUE(bar->Palette(PaletteKind::Aromatic)->IsVisible());
  QWidget* w = bar->GetWindow();
  w->move(w->pos() + QPoint(40, 30));
  // The window system reports the move as an event of its own.
  EXPECT_TRUE(PumpUntil([this] { return !bar->Palette(PaletteKind::Aromatic)->IsVisible(); }));
  EXPECT_TRUE(Pressed().empty());
  EXPECT_TRUE(Latched().empty());
}

TEST_F(DrawBarTest, LatchedButtonStaysPressedWhenItLosesTheFocus) {
  ShowBar();
  bar->GetWindow()->activateWindow();
  Press(2005);
  CMainButton* pBonds = bar->Button(2005);
  CMainButton* pGreek = bar->Button(2007);
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(pBonds, &out);
  EXPECT_TRUE(pBonds->GetState());
  // A tool chosen in the palette clears the latches; then losing the focus releases it.
  bar->ClearLatches();
  QApplication::sendEvent(pBonds, &out);
  EXPECT_FALSE(pBonds->GetState());
  pGreek->SetState(true);
  QApplication::sendEvent(pGreek, &out);
  EXPECT_FALSE(pGreek->GetState());
}

TEST_F(DrawBarTest, FirstShowIsAtTheOwnersClientCornerAndRecordsThePlacement) {
  bar->OnDrawBarCommand();
  ASSERT_TRUE(bar->IsWindow());
  EXPECT_EQ(bar->GetWindow()->pos(), owner.mapToGlobal(QPoint(0, 0)));
  EXPECT_TRUE(bar->GetWindow()->isVisible());
  EXPECT_EQ(checks, std::vector<bool>{true});
  EXPECT_EQ(bDrawBarPlaced, 1);
  EXPECT_EQ(bDrawBarVisible, 1);
  EXPECT_EQ(bar->m_bClosed, 0);
  const QPoint pt = bar->GetWindow()->pos();
  const std::array<std::int32_t, 11> expected{
      44, 0, 1, -1, -1, -1, -1, pt.x(), pt.y(), pt.x() + 288, pt.y() + res::kDrawBarClientHeight};
  EXPECT_EQ(wpDrawBar, expected);
}

TEST_F(DrawBarTest, CommandTwiceHidesTheBarAndShowsItAgainAtTheSamePlace) {
  bar->OnDrawBarCommand();
  bar->GetWindow()->move(owner.mapToGlobal(QPoint(150, 90)));
  const QPoint ptMoved = bar->GetWindow()->pos();
  bar->OnDrawBarCommand();
  EXPECT_FALSE(bar->IsWindow());
  EXPECT_EQ(bar->m_bClosed, 1);
  EXPECT_EQ(bDrawBarVisible, 0);
  EXPECT_EQ(wpDrawBar[7], ptMoved.x());
  EXPECT_EQ(wpDrawBar[8], ptMoved.y());
  bar->OnDrawBarCommand();
  ASSERT_TRUE(bar->IsWindow());
  EXPECT_EQ(bar->GetWindow()->pos(), ptMoved);
  EXPECT_TRUE(bar->GetWindow()->isVisible());
  EXPECT_EQ(bar->m_bClosed, 0);
  EXPECT_EQ(bDrawBarVisible, 1);
  EXPECT_EQ(checks, (std::vector<bool>{true, false, true}));
}

TEST_F(DrawBarTest, BarThatLostTheFocusIsRecreatedByTheCommandInsteadOfHidden) {
  bar->OnDrawBarCommand();
  QWidget* pBefore = bar->GetWindow();
  bar->OnKillFocus();
  bar->OnDrawBarCommand();
  ASSERT_TRUE(bar->IsWindow());
  EXPECT_NE(bar->GetWindow(), pBefore);
  EXPECT_TRUE(bar->GetWindow()->isVisible());
  EXPECT_EQ(checks, (std::vector<bool>{true, true}));
}

TEST_F(DrawBarTest, SavedPlacementOffTheScreenBringsTheBarBackToItsDefaultPlace) {
  QRect rcScreens;
  for (QScreen* s : QGuiApplication::screens()) rcScreens = rcScreens.united(s->geometry());
  const QPoint ptDefault = owner.mapToGlobal(QPoint(0, 0));
  struct Case {
    const char* name;
    QPoint pt;
    bool bKept;
  };
  const Case cases[] = {
      {"far outside", QPoint(rcScreens.right() + 500, rcScreens.bottom() + 500), false},
      {"half below the bottom", QPoint(200, rcScreens.bottom() - 10), false},
      {"off the left edge", QPoint(rcScreens.left() - 100, 200), false},
      {"inside", QPoint(rcScreens.left() + 30, rcScreens.top() + 40), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bar = std::make_unique<CDDrawBar>(Links(res::Language::English));
    bDrawBarPlaced = 1;
    wpDrawBar = {44, 0, 1, -1, -1, -1, -1, c.pt.x(), c.pt.y(), c.pt.x() + 288, c.pt.y() + 20};
    bar->OnDrawBarCommand();
    ASSERT_TRUE(bar->IsWindow());
    EXPECT_EQ(bar->GetWindow()->pos(), c.bKept ? c.pt : ptDefault);
    EXPECT_EQ(wpDrawBar[7], bar->GetWindow()->pos().x());
  }
}

TEST(DrawBarOwner, OwnerClosedFirstTakesTheWindowsAlongAndTheBarStaysUsable) {
  auto pOwner = std::make_unique<QWidget>();
  std::vector<int> posted;
  CDrawBarLinks links;
  links.fnPost = [&posted](int n) { posted.push_back(n); };
  links.pOwner = pOwner.get();
  CDDrawBar bar(links);
  bar.OnDrawBarCommand();
  bar.OnPaletteButton(PaletteKind::Couple);
  ASSERT_TRUE(bar.IsWindow());
  pOwner.reset();
  EXPECT_FALSE(bar.IsWindow());
  EXPECT_FALSE(bar.Palette(PaletteKind::Couple)->IsWindow());
  EXPECT_EQ(bar.Button(2005), nullptr);
  bar.Reset();
  bar.RecordPlacement();
  EXPECT_EQ(posted, std::vector<int>{1096});
}

}  // namespace
