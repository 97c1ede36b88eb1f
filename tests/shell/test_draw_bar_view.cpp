// The Draw bar and its palettes driving a real view: every button's message ends in the
// view's tool code, and the view's tool choices clear the bar's latches.
#include <gtest/gtest.h>

#include <QWidget>
#include <deque>
#include <memory>
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "resources/PaletteTables.h"
#include "shell/CBitmapButton.h"
#include "shell/CDDrawBar.h"
#include "shell/CMainButton.h"
#include "shell/CPaletteDialog.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

using res::PaletteKind;

// A window host whose message queue the test empties, and which passes the view's calls
// on the Draw bar to the bar, as the shell's view widget does.
class BarHost : public CHeadlessViewHost {
 public:
  void PostMessage(int nMessage, std::intptr_t, std::intptr_t) override {
    m_queue.push_back(nMessage);
  }
  void ClearDrawBarLatches() override {
    ++m_nLatchClears;
    if (m_pBar != nullptr) m_pBar->ClearLatches();
  }
  void ReleaseDrawBarButtons() override {
    if (m_pBar != nullptr) m_pBar->ReleaseButtons();
  }
  void ResetDrawBar() override {
    if (m_pBar != nullptr) m_pBar->Reset();
  }
  void Pump() {
    while (!m_queue.empty()) {
      const int n = m_queue.front();
      m_queue.pop_front();
      m_delivered.push_back(n);
      m_pView->OnPostedMessage(n, 0, 0);
    }
  }

  CKvillView* m_pView = nullptr;
  CDDrawBar* m_pBar = nullptr;
  std::deque<int> m_queue;
  std::vector<int> m_delivered;
  int m_nLatchClears = 0;
};

class DrawBarViewTest : public ::testing::Test {
 protected:
  DrawBarViewTest() : view(&host, &doc) {
    host.m_pView = &view;
    owner.setGeometry(100, 100, 600, 400);
    CDrawBarLinks links = CDDrawBar::LinksForView(
        view, wpDrawBar, &owner, [this](bool b) { checks.push_back(b); }, res::Language::English);
    bar = std::make_unique<CDDrawBar>(links);
    host.m_pBar = bar.get();
    bar->OnDrawBarCommand();
  }
  ~DrawBarViewTest() override {
    host.m_pBar = nullptr;
    bar.reset();
  }

  // A formula being edited, as the formula tool leaves it.
  CFormula* StartEdit() {
    auto f = std::make_unique<CFormula>();
    f->MoveTo(CPoint{0, 0});
    f->m_bSelected = 1;
    CFormula* p = f.get();
    doc.m_listObjects.push_back(std::move(f));
    view.SetCurrent(p);
    view.SetSelCount(1);
    view.SetEditState(1);
    view.Mouse().SetTool(0);
    return p;
  }

  void PressPaletteButton(PaletteKind kind, int nId) {
    bar->OnPaletteButton(kind);
    host.Pump();
    CBitmapButton* p = bar->Palette(kind)->Button(nId);
    ASSERT_NE(p, nullptr);
    host.m_delivered.clear();
    p->click();
    host.Pump();
  }

  QWidget owner;
  CKvillDoc doc;
  BarHost host;
  CKvillView view;
  std::array<std::int32_t, 11> wpDrawBar{};
  std::vector<bool> checks;
  std::unique_ptr<CDDrawBar> bar;
};

TEST_F(DrawBarViewTest, EveryToolButtonEndsInItsToolCodeAndClearsTheLatches) {
  for (PaletteKind kind : {PaletteKind::Couple, PaletteKind::Aromatic}) {
    for (const res::PaletteButton& row : res::Palette(kind).buttons) {
      // The polygon entries ask for the vertex count first; see below.
      if (row.message == 1115 || row.message == 1116) continue;
      SCOPED_TRACE(row.caption);
      view.Mouse().SetTool(0);
      PressPaletteButton(kind, row.id);
      EXPECT_EQ(host.m_delivered, std::vector<int>{row.message});
      EXPECT_EQ(view.Mouse().Tool(), row.tool);
      const int nBarButton = res::DrawBarButtonOf(kind).id;
      EXPECT_EQ(bar->Button(nBarButton)->m_bLatched, 0);
    }
  }
}

TEST_F(DrawBarViewTest, PolygonWithTheVertexCountCancelledLeavesTheSelectTool) {
  view.Mouse().SetTool(5);
  PressPaletteButton(PaletteKind::Aromatic, 3076);
  EXPECT_EQ(host.m_delivered, std::vector<int>{1115});
  EXPECT_EQ(view.Mouse().Tool(), 0);
}

TEST_F(DrawBarViewTest, FormulaButtonChoosesTheFormulaToolAndStaysLatched) {
  bar->Button(2003)->click();
  host.Pump();
  EXPECT_EQ(host.m_delivered, (std::vector<int>{1095, 1029}));
  EXPECT_EQ(view.Mouse().Tool(), 1);
  EXPECT_EQ(bar->Button(2003)->m_bLatched, 1);
  EXPECT_TRUE(bar->Button(2003)->GetState());
}

TEST_F(DrawBarViewTest, BondsButtonEndsAnEditGreekButtonKeepsIt) {
  StartEdit();
  bar->Button(2007)->click();
  host.Pump();
  EXPECT_EQ(view.EditState(), 1);
  EXPECT_TRUE(bar->Palette(PaletteKind::Symbol1)->IsVisible());
  bar->Button(2005)->click();
  host.Pump();
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_TRUE(bar->Button(2005)->GetState());
  EXPECT_FALSE(bar->Button(2007)->GetState());
  EXPECT_FALSE(bar->Palette(PaletteKind::Symbol1)->IsVisible());
  EXPECT_TRUE(bar->Palette(PaletteKind::Couple)->IsVisible());
}

TEST_F(DrawBarViewTest, GreekLetterChosenDuringAnEditGoesIntoTheFormula) {
  CFormula* f = StartEdit();
  bar->Button(2007)->click();
  host.Pump();
  PressPaletteButton(PaletteKind::Symbol1, 1021);  // Pi
  EXPECT_EQ(host.m_delivered, std::vector<int>{1049});
  EXPECT_EQ(f->m_strText, "<p>");
  EXPECT_EQ(view.EditState(), 1);
  PressPaletteButton(PaletteKind::Symbol2, 6053);  // capital Zeta
  EXPECT_EQ(f->m_strText, "<p><Z>");
}

TEST_F(DrawBarViewTest, IndexTemplateChosenDuringAnEditGoesIntoTheFormula) {
  CFormula* f = StartEdit();
  f->m_strText = "H";
  f->m_nCaret = 1;
  bar->Button(2004)->click();
  host.Pump();
  EXPECT_TRUE(host.m_delivered.empty());
  PressPaletteButton(PaletteKind::Indexes, 1004);  // lower index
  EXPECT_EQ(host.m_delivered, std::vector<int>{1032});
  EXPECT_EQ(f->m_strText, "H#idown # ");
}

TEST_F(DrawBarViewTest, TheViewsLinksReachItsFieldsAndItsDocument) {
  EXPECT_EQ(view.Settings().m_bDrawBarPlaced, 1);
  EXPECT_EQ(view.Settings().m_bDrawBarVisible, 1);
  EXPECT_EQ(checks, std::vector<bool>{true});
  EXPECT_EQ(view.Cursor().m_bDrawBarActive, 0);
  bar->OnFilterEvent();
  EXPECT_EQ(view.Cursor().m_bDrawBarActive, 1);
  // The end of an edit clears the suppression flag again.
  view.OnPostedMessage(1095, 0, 0);
  EXPECT_EQ(view.Cursor().m_bDrawBarActive, 0);
  bar->GetWindow()->move(owner.mapToGlobal(QPoint(60, 70)));
  bar->RecordPlacement();
  EXPECT_EQ(wpDrawBar[7], bar->GetWindow()->pos().x());
  EXPECT_EQ(wpDrawBar[8], bar->GetWindow()->pos().y());
  bar->OnDrawBarCommand();
  EXPECT_EQ(view.Settings().m_bDrawBarVisible, 0);
}

TEST_F(DrawBarViewTest, ViewResetHidesThePaletteAndReleasesTheLatchedButton) {
  bar->Button(2006)->click();
  host.Pump();
  ASSERT_TRUE(bar->Palette(PaletteKind::Aromatic)->IsVisible());
  host.ResetDrawBar();
  EXPECT_FALSE(bar->Palette(PaletteKind::Aromatic)->IsVisible());
  EXPECT_EQ(bar->Button(2006)->m_bLatched, 0);
  EXPECT_FALSE(bar->Button(2006)->GetState());
}

}  // namespace
