// The view's window on Qt: client area and scroll bars, surfaces and block copies, the
// caret, timers by id and the painted back buffer.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CEllipse.h"
#include "objects/CKVObject.h"
#include "shell/CDDrawBar.h"
#include "shell/CMainFrame.h"
#include "shell/CViewWidget.h"
#include "tests/shell/ShellFixture.h"
#include "view/CKvillView.h"

namespace {

// Qt's complaints about painters while a test runs.
QStringList& PainterWarnings() {
  static QStringList warnings;
  return warnings;
}

void RecordPainterWarnings(QtMsgType, const QMessageLogContext&, const QString& text) {
  if (text.contains(QStringLiteral("QPainter"))) PainterWarnings() << text;
}

// Pixels darker than mid-grey inside a rectangle of an image.
int DarkPixels(const QImage& img, const QRect& r) {
  int n = 0;
  const QRect in = r.intersected(img.rect());
  for (int y = in.top(); y <= in.bottom(); ++y) {
    for (int x = in.left(); x <= in.right(); ++x) n += img.pixelColor(x, y).lightness() < 128;
  }
  return n;
}

class ViewWidgetTest : public ShellFixture {
 protected:
  CViewWidget* StartHost() {
    Store().Write(CSettingsStore::kLanguage, "1033");
    Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 800 600 0 1");
    CMainFrame* frame = Start().MainFrame();
    EXPECT_TRUE(PumpUntilStartedUp(frame));
    return frame->ViewWidget();
  }
  // An ellipse with box rc at the end of the document's list.
  static void AddEllipse(CKvillDoc* doc, const CRect& rc) {
    auto e = std::make_unique<CEllipse>();
    e->m_rcBounds = rc;
    e->m_ptAnchor = CPoint{rc.left, rc.top};
    doc->m_listObjects.push_back(std::move(e));
  }
};

}  // namespace

TEST_F(ViewWidgetTest, ScrollBarsTakeTheirRoomAtOnceAndFollowTheView) {
  CViewWidget* host = StartHost();
  // The window alone: the view would answer a size change with scroll bars of its own.
  CKvillView* view = host->View();
  host->SetView(nullptr);
  host->ShowScrollBar(SB_HORZ, false);
  host->ShowScrollBar(SB_VERT, false);
  const CRect full = host->GetClientRect();
  EXPECT_EQ(full.right, host->width());
  EXPECT_EQ(full.bottom, host->height());
  host->ShowScrollBar(SB_VERT, true);
  const CRect narrower = host->GetClientRect();
  EXPECT_LT(narrower.right, full.right);
  EXPECT_EQ(narrower.bottom, full.bottom);

  // Range 0..1000 with a page of 100: the thumb's positions are 0..901.
  host->SetScrollRange(SB_VERT, 0, 1000, true);
  host->SetScrollPage(SB_VERT, 100);
  host->SetScrollPos(SB_VERT, 250, true);
  auto* bar = host->findChildren<QScrollBar*>().value(SB_VERT);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->orientation(), Qt::Vertical);
  EXPECT_EQ(bar->maximum(), 901);
  EXPECT_EQ(bar->pageStep(), 100);
  EXPECT_EQ(bar->value(), 250);
  host->SetView(view);
}

TEST_F(ViewWidgetTest, ScrollBarArrowsAndTrackStepTheView) {
  CViewWidget* host = StartHost();
  CKvillView* view = host->View();
  // A drawing far taller and wider than the window, so that both bars show.
  AddEllipse(view->GetDocument(), CRect{100, -100, 90000, -90000});
  view->UpdateView();
  auto* bar = host->findChildren<QScrollBar*>().value(SB_VERT);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->isVisible());
  ASSERT_EQ(view->Viewport().ScrollY(), 0);
  // The arrow adds a line, as often as it is pressed.
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view->Viewport().ScrollY(), 100);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view->Viewport().ScrollY(), 200);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(view->Viewport().ScrollY(), 100);
  // A click in the track moves by a window's height.
  const std::int32_t nBefore = view->Viewport().ScrollY();
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  const std::int32_t nPage = view->Viewport().ScrollY() - nBefore;
  EXPECT_EQ(nPage, static_cast<std::int32_t>(5.0 * view->Viewport().WindowRect().bottom *
                                             view->Viewport().Zoom()));
  // The horizontal arrow the same.
  auto* hbar = host->findChildren<QScrollBar*>().value(SB_HORZ);
  ASSERT_NE(hbar, nullptr);
  hbar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(view->Viewport().ScrollX(), 100);
}

TEST_F(ViewWidgetTest, MemorySurfacesFillAndCopyInDevicePixels) {
  CViewWidget* host = StartHost();
  CDC* pWindow = host->GetDC();
  CDC* pMem = host->CreateMemoryDC(pWindow, 40, 30);
  ASSERT_NE(pMem, nullptr);
  host->FillSolidRect(pMem, CRect{0, 0, 40, 30}, RGB(255, 0, 0));
  host->FillSolidRect(pMem, CRect{10, 5, 20, 15}, RGB(0, 0, 255));
  host->BitBlt(pWindow, 3, 4, 40, 30, pMem, 0, 0);
  host->DeleteMemoryDC(pMem);
  host->ReleaseDC(pWindow);
  const QImage& img = host->BackBuffer();
  EXPECT_EQ(img.pixelColor(3, 4), QColor(255, 0, 0));
  EXPECT_EQ(img.pixelColor(3 + 10, 4 + 5), QColor(0, 0, 255));
  EXPECT_EQ(img.pixelColor(3 + 19, 4 + 14), QColor(0, 0, 255));
  EXPECT_EQ(img.pixelColor(3 + 20, 4 + 15), QColor(255, 0, 0));
  EXPECT_EQ(img.pixelColor(3 + 40, 4 + 30), QColor(Qt::white));
  // A bitmap larger than the program would ever need is refused, not allocated.
  EXPECT_EQ(host->CreateMemoryDC(nullptr, 100000, 100000), nullptr);

  // The next bitmap of the same size starts as blank paper, though the last one's pixels
  // are reused, and it keeps the window's pixels per inch.
  CDC* pWindow2 = host->GetDC();
  CDC* pAgain = host->CreateMemoryDC(pWindow2, 40, 30);
  ASSERT_NE(pAgain, nullptr);
  host->BitBlt(pWindow2, 50, 40, 40, 30, pAgain, 0, 0);
  host->FillSolidRect(pAgain, CRect{0, 0, 40, 30}, RGB(0, 255, 0));
  host->DeleteMemoryDC(pAgain);
  CDC* pThird = host->CreateMemoryDC(pWindow2, 40, 30);
  ASSERT_NE(pThird, nullptr);
  EXPECT_EQ(pThird->GetDeviceCaps(LOGPIXELSX), pWindow2->GetDeviceCaps(LOGPIXELSX));
  host->BitBlt(pWindow2, 100, 40, 40, 30, pThird, 0, 0);
  host->DeleteMemoryDC(pThird);
  host->ReleaseDC(pWindow2);
  const QImage& after = host->BackBuffer();
  for (const QPoint pt : {QPoint(50, 40), QPoint(89, 69), QPoint(100, 40), QPoint(139, 69)}) {
    EXPECT_EQ(after.pixelColor(pt), QColor(Qt::white)) << pt.x() << "," << pt.y();
  }
}

TEST_F(ViewWidgetTest, PaintShowsTheDrawingFromTheBackBuffer) {
  CViewWidget* host = StartHost();
  CKvillDoc* doc = m_app->Document();
  AddEllipse(doc, CRect{200, -200, 1600, -1000});
  host->View()->Viewport().SetZoom(1.0);
  host->View()->UpdateView();
  host->Invalidate();
  host->Client()->repaint();
  const QImage& img = host->BackBuffer();
  ASSERT_FALSE(img.isNull());
  int dark = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) dark += img.pixelColor(x, y).lightness() < 128;
  }
  EXPECT_GT(dark, 50);
  EXPECT_EQ(img.pixelColor(img.width() - 1, img.height() - 1), QColor(Qt::white));
}

TEST_F(ViewWidgetTest, CaretTimersAndCursors) {
  CViewWidget* host = StartHost();
  host->CreateSolidCaret(2, 20);
  EXPECT_FALSE(host->IsCaretVisible());
  host->SetCaretPos(CPoint{30, 40});
  host->ShowCaret();
  EXPECT_TRUE(host->IsCaretVisible());
  EXPECT_EQ(host->CaretPos(), QPoint(30, 40));
  host->HideCaret();
  EXPECT_FALSE(host->IsCaretVisible());
  host->DestroyCaret();
  host->ShowCaret();
  EXPECT_FALSE(host->IsCaretVisible());

  host->SetTimer(4242, 5);
  EXPECT_TRUE(host->IsTimerRunning(4242));
  host->KillTimer(4242);
  EXPECT_FALSE(host->IsTimerRunning(4242));
  host->KillTimer(4343);  // never set: nothing happens

  host->SetCursor(IDC_SIZEALL);
  EXPECT_EQ(host->Client()->cursor().shape(), Qt::SizeAllCursor);
  host->SetCursor(IDI_ROTATE_CURSOR);
  EXPECT_EQ(host->Client()->cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(host->Client()->cursor().pixmap().isNull());

  EXPECT_EQ(host->RegisterClipboardFormat("Valendra Native"),
            host->RegisterClipboardFormat("Valendra Native"));
  EXPECT_NE(host->RegisterClipboardFormat("Valendra Native"),
            host->RegisterClipboardFormat("Object Descriptor"));
}

TEST_F(ViewWidgetTest, TypedFormulaShowsAtOnceAsTheNextFullPaintShowsIt) {
  PainterWarnings().clear();
  const QtMessageHandler previous = qInstallMessageHandler(RecordPainterWarnings);
  CViewWidget* host = StartHost();
  CKvillView* view = host->View();
  QWidget* client = host->Client();
  // The Draw bar's Formula button, then a click into the drawing.
  m_app->MainFrame()->DrawBar()->OnFormula();
  ASSERT_TRUE(PumpUntil([&] { return view->Mouse().Tool() == 1; }));
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, QPointF(200, 150), QPointF(200, 150), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(client, &click);
  }
  ASSERT_EQ(view->EditState(), 1);
  auto* formula = dynamic_cast<CFormula*>(view->Current());
  ASSERT_NE(formula, nullptr);

  // What the window shows after each key, before anything else is painted, against a full
  // paint of the drawing afterwards; and the dark pixels inside the formula's box (its
  // frame lies outside it), which only text can make.
  const auto afterKey = [&](int nKey, const QString& text, const char* pszExpected) {
    SCOPED_TRACE(pszExpected);
    QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(client, &press);
    EXPECT_EQ(formula->m_strText, pszExpected);
    const QImage shown = host->BackBuffer().copy();
    host->Invalidate();
    client->grab();
    EXPECT_TRUE(shown == host->BackBuffer()) << "the window shows something else than a paint";
    const CPoint a =
        view->LogicalToDevice(CPoint{formula->m_rcBounds.left, formula->m_rcBounds.top});
    const CPoint b =
        view->LogicalToDevice(CPoint{formula->m_rcBounds.right, formula->m_rcBounds.bottom});
    return DarkPixels(shown, QRect(QPoint(a.x, a.y), QPoint(b.x, b.y)).adjusted(1, 1, -1, -1));
  };
  const int nH = afterKey(Qt::Key_H, QStringLiteral("H"), "H");
  EXPECT_GT(nH, 10);
  const int nH2 = afterKey(Qt::Key_2, QStringLiteral("2"), "H2");
  EXPECT_GT(nH2, nH);
  const int nH2O = afterKey(Qt::Key_O, QStringLiteral("O"), "H2O");
  EXPECT_GT(nH2O, nH2);
  afterKey(Qt::Key_Left, QString(), "H2O");
  EXPECT_LT(afterKey(Qt::Key_Backspace, QString(), "HO"), nH2O);
  EXPECT_LT(afterKey(Qt::Key_Left, QString(), "HO"), nH2O);
  EXPECT_LT(afterKey(Qt::Key_Delete, QString(), "O"), nH2);

  qInstallMessageHandler(previous);
  EXPECT_TRUE(PainterWarnings().isEmpty()) << PainterWarnings().join('\n').toStdString();
}
