// The view window's context menus on Qt (the menu resource in the interface language, its
// check marks, the choice sent back to the view), its focus events, and the program's own
// cursors as drawn.
#include <QContextMenuEvent>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <functional>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "resources/CommandIds.h"
#include "shell/CMainFrame.h"
#include "shell/CViewWidget.h"
#include "tests/shell/ShellFixture.h"
#include "view/CKvillView.h"

namespace {

// What an open context menu showed.
struct ShownMenu {
  QString strName;
  QPoint pos;
  QStringList items;  // texts, "-" for separators, "[x] " before checked ones
};

QStringList Items(const QMenu* pMenu) {
  QStringList out;
  for (const QAction* a : pMenu->actions()) {
    if (a->isSeparator()) {
      out << QStringLiteral("-");
    } else if (a->menu() != nullptr) {
      out << a->text() + QStringLiteral(" >");
      for (const QString& s : Items(a->menu())) out << QStringLiteral("  ") + s;
    } else {
      out << (a->isChecked() ? QStringLiteral("[x] ") : QString()) + a->text();
    }
  }
  return out;
}

class ViewContextMenuWidget : public ShellFixture {
 protected:
  CMainFrame* StartFrame(const char* pszLanguage = "1033") {
    Store().Write(CSettingsStore::kLanguage, pszLanguage);
    Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 800 600 0 1");
    CMainFrame* frame = Start().MainFrame();
    EXPECT_TRUE(PumpUntilStartedUp(frame));
    return frame;
  }

  // Runs fnOpen, which opens a context menu; once the menu shows, records it and either
  // chooses the item with command nChoose or closes it.
  static ShownMenu OpenMenu(const std::function<void()>& fnOpen, int nChoose = 0) {
    ShownMenu shown;
    bool bSeen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QMenu* pMenu = CViewWidget::OpenContextMenu();
      if (pMenu == nullptr || !pMenu->isVisible() || bSeen) return;
      bSeen = true;
      shown.strName = pMenu->objectName();
      shown.pos = pMenu->pos();
      shown.items = Items(pMenu);
      QAction* pChoice = nullptr;
      for (QAction* a : pMenu->actions()) {
        if (nChoose != 0 && a->data().toInt() == nChoose) pChoice = a;
      }
      if (pChoice != nullptr) {
        pMenu->setActiveAction(pChoice);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(pMenu, &enter);
      } else {
        pMenu->close();
      }
    });
    poll.start();
    fnOpen();
    EXPECT_TRUE(bSeen);
    return shown;
  }
  // The view's context menu for a screen point.
  static ShownMenu OpenMenu(CKvillView* view, CPoint ptScreen, int nChoose = 0) {
    return OpenMenu([view, ptScreen] { view->OnContextMenu(ptScreen); }, nChoose);
  }
};

}  // namespace

TEST_F(ViewContextMenuWidget, BondMenuInEnglishWithItsThicknessAndTheChoiceComesBack) {
  CMainFrame* frame = StartFrame();
  CKvillView* view = frame->View();
  CKvillDoc* doc = frame->Document();
  auto a = std::make_unique<CDot>();
  a->MoveTo(CPoint{1500, -1500});
  auto b = std::make_unique<CDot>();
  b->MoveTo(CPoint{4500, -1500});
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = a.get();
  bond->m_pEndB = b.get();
  bond->m_ptA = CPoint{1500, -1500};
  bond->m_ptB = CPoint{4500, -1500};
  bond->m_dThickness = 1.5;
  CCoupling* pBond = bond.get();
  doc->m_listObjects.push_back(std::move(a));
  doc->m_listObjects.push_back(std::move(b));
  doc->m_listObjects.push_back(std::move(bond));
  view->Viewport().SetZoom(1.0);
  view->UpdateView();

  CViewWidget* host = frame->ViewWidget();
  const CRect W = host->GetWindowRect();
  const CPoint px = view->LogicalToDevice(CPoint{3000, -1500});
  const CPoint s{W.left + px.x, W.top + px.y};
  const ShownMenu menu = OpenMenu(view, s);
  EXPECT_EQ(menu.strName, QStringLiteral("ContextMenu302"));
  EXPECT_EQ(menu.pos, QPoint(s.x, s.y));
  const QStringList expected = {
      "Cu&t",   "&Copy",  "&Delete", "-",         "&Swap", "Change Co&lor", "&Thickness >",
      "  0.1x", "  0.2x", "  0.5x",  "  0.75x",   "  1x",  "  [x] 1.5x",    "  2x",
      "  3x",   "  4x",   "  5x",    "  Cu&stom", "-",     "Bring &Front",  "Bring &Back"};
  EXPECT_EQ(menu.items, expected);
  EXPECT_EQ(view->Current(), pBond);
  EXPECT_EQ(view->Mouse().SkipNextClick(), 1);

  // The formula's Edit, chosen, reaches the view through the frame after the menu is gone.
  auto f = std::make_unique<CFormula>();
  f->m_strText = "OH";
  f->MoveTo(CPoint{1500, -4500});
  CFormula* pFormula = f.get();
  doc->m_listObjects.push_back(std::move(f));
  view->UpdateView();
  // The formula has its box once it has been laid out by a paint.
  ASSERT_TRUE(PumpUntil(
      [pFormula] { return pFormula->m_rcBounds.right - pFormula->m_rcBounds.left > 100; }));
  const CRect fb = pFormula->m_rcBounds;
  const CPoint fpx =
      view->LogicalToDevice(CPoint{(fb.left + fb.right) / 2, (fb.top + fb.bottom) / 2});
  const ShownMenu edit = OpenMenu(view, CPoint{W.left + fpx.x, W.top + fpx.y}, cmd::kEditFormula);
  EXPECT_EQ(edit.strName, QStringLiteral("ContextMenu303"));
  EXPECT_TRUE(PumpUntil([view] { return view->EditState() == 1; }));
  EXPECT_EQ(view->Current(), pFormula);
  EXPECT_EQ(view->Mouse().SkipNextClick(), 0);
}

TEST_F(ViewContextMenuWidget, PasteMenuInCzechFromTheKeyboardAtTheWindowCorner) {
  CMainFrame* frame = StartFrame("1029");
  CViewWidget* host = frame->ViewWidget();
  const CRect W = host->GetWindowRect();
  // Shift+F10 asks for the menu as the menu key does.
  const ShownMenu menu = OpenMenu([host] {
    QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QCoreApplication::sendEvent(host->Client(), &shiftF10);
  });
  EXPECT_EQ(menu.strName, QStringLiteral("ContextMenu335"));
  EXPECT_EQ(menu.items, QStringList{QStringLiteral("&Vložit")});
  EXPECT_EQ(menu.pos, QPoint(W.left, W.top));
}

TEST_F(ViewContextMenuWidget, FocusComingAndGoing) {
  CMainFrame* frame = StartFrame();
  CKvillView* view = frame->View();
  CViewWidget* host = frame->ViewWidget();
  frame->View()->Cursor().m_bHoverSuppressed = 0;
  view->Mouse().SetSkipNextClick(1);
  QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
  QCoreApplication::sendEvent(host->Client(), &out);
  EXPECT_EQ(view->Mouse().SkipNextClick(), 0);
  QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
  QCoreApplication::sendEvent(host->Client(), &in);
  EXPECT_EQ(frame->View()->Cursor().m_bHoverSuppressed, 1);
}

TEST_F(ViewContextMenuWidget, ToolbarCommandGoesThroughTheView) {
  CMainFrame* frame = StartFrame();
  CKvillView* view = frame->View();
  ASSERT_FALSE(frame->ToolBar()->isHidden());
  view->OnWindowCommand(cmd::kViewToolbar);
  EXPECT_TRUE(frame->ToolBar()->isHidden());
  EXPECT_EQ(view->Settings().m_bToolBarHidden, 1);
  EXPECT_FALSE(frame->MenuAction(cmd::kViewToolbar)->isChecked());
  frame->OnCommand(cmd::kViewToolbar);
  EXPECT_FALSE(frame->ToolBar()->isHidden());
  EXPECT_TRUE(frame->MenuAction(cmd::kViewToolbar)->isChecked());
}

// The five cursors of the program's own: each a picture of its own, 32 logical pixels at
// any device pixel ratio, with ink under its hot spot.
TEST(ProgramCursors, DrawnAtTheScreensRatioWithInkAtTheHotSpot) {
  const int cursors[] = {IDI_ROTATE_CURSOR, IDI_COPY_CURSOR, IDI_TEMPLATE_CURSOR, IDI_PLUS_CURSOR,
                         IDI_MINUS_CURSOR};
  const QByteArray folder = qgetenv("VALENDRA_ARTIFACTS");
  for (qreal dpr : {1.0, 2.0}) {
    std::vector<QImage> images;
    for (int nCursor : cursors) {
      SCOPED_TRACE(nCursor);
      QPoint hot;
      const QPixmap pm = CViewWidget::ProgramCursor(nCursor, dpr, &hot);
      EXPECT_EQ(pm.size(), QSize(qCeil(32 * dpr), qCeil(32 * dpr)));
      EXPECT_EQ(pm.devicePixelRatio(), dpr);
      ASSERT_TRUE(QRect(0, 0, 32, 32).contains(hot));
      const QImage img = pm.toImage();
      // Some pixel within a logical pixel of the hot spot is opaque.
      int nInk = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const QPoint p(qRound((hot.x() + dx) * dpr), qRound((hot.y() + dy) * dpr));
          if (img.rect().contains(p)) nInk += qAlpha(img.pixel(p)) > 128;
        }
      }
      EXPECT_GT(nInk, 0);
      images.push_back(img);
      if (!folder.isEmpty()) {
        QDir().mkpath(QString::fromUtf8(folder));
        img.scaled(img.size() * 4 / dpr, Qt::KeepAspectRatio, Qt::FastTransformation)
            .save(QStringLiteral("%1/cursor-%2-x%3.png")
                      .arg(QString::fromUtf8(folder))
                      .arg(nCursor)
                      .arg(dpr));
      }
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
      for (std::size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]);
    }
  }
}
