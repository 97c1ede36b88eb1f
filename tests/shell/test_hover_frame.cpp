// The light frame around the object under the pointer: the window shows it just outside
// that object's box alone while the pointer only passes over, it follows the pointer and
// goes when the pointer leaves or a gesture or typing starts, and it never reaches paper or
// a picture.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "../view/InteractFixture.h"
#include "bench/ImageHost.h"
#include "platform/CQtDC.h"
#include "tests/shell/PixelSurvey.h"
#include "tests/shell/ShellFixture.h"

namespace {

const QRgb kFrame =
    qRgb(GetRValue(CKvillView::kHoverFrameColour), GetGValue(CKvillView::kHoverFrameColour),
         GetBValue(CKvillView::kHoverFrameColour));

PixelBounds FrameOf(const QImage& image) {
  PixelBounds frame;
  SurveyPixels(image, kFrame, &frame, nullptr);
  return frame;
}

// The frame is a closed ring of one pixel, 1 to 4 pixels outside rcBox on every side.
void ExpectRingAround(const QImage& image, const QRect& rcBox) {
  const PixelBounds f = FrameOf(image);
  EXPECT_EQ(f.nPixels, 2 * f.Width() + 2 * f.Height() - 4);
  for (int x = f.left; x <= f.right; ++x)
    EXPECT_TRUE(image.pixel(x, f.top) == kFrame && image.pixel(x, f.bottom) == kFrame) << x;
  for (int y = f.top; y <= f.bottom; ++y)
    EXPECT_TRUE(image.pixel(f.left, y) == kFrame && image.pixel(f.right, y) == kFrame) << y;
  for (const int nGap : {rcBox.left() - f.left, rcBox.top() - f.top, f.right - rcBox.right(),
                         f.bottom - rcBox.bottom()}) {
    EXPECT_TRUE(nGap >= 1 && nGap <= 4) << nGap;
  }
}

class WindowOnImages : public ImageHostOn<InteractHost> {};

class HoverFrameTest : public ::testing::Test {
 protected:
  HoverFrameTest() : view(&host, &doc) { host.m_pView = &view; }
  // A move of the pointer; the window repaints when the view asks, as the widget does.
  void Move(CPoint pt, unsigned nFlags = 0) {
    const auto nAsked = Invalidations();
    view.OnMouseMove(nFlags, pt);
    if (Invalidations() == nAsked) return;
    CScopedWindowDC dc(host);
    view.OnPrepareDC(dc.Get());
    view.OnDraw(dc.Get());
  }
  std::ptrdiff_t Invalidations() const {
    return std::count(host.m_log.begin(), host.m_log.end(), std::string("Invalidate"));
  }
  // The object's box (for a bond, of its end points) in client pixels.
  QRect PixelBox(const CKVObject* p) {
    const auto* pBond = dynamic_cast<const CCoupling*>(p);
    const CPoint a =
        view.LogicalToDevice(pBond ? pBond->m_ptA : CPoint{p->m_rcBounds.left, p->m_rcBounds.top});
    const CPoint b = view.LogicalToDevice(
        pBond ? pBond->m_ptB : CPoint{p->m_rcBounds.right, p->m_rcBounds.bottom});
    return QRect(QPoint(a.x, a.y), QPoint(b.x, b.y)).normalized();
  }
  CPoint On(const CKVObject* p) {
    const QRect rc = PixelBox(p);
    return CPoint{p->m_nKind == KIND_ELLIPSE ? rc.left() : rc.center().x(), rc.center().y()};
  }

  WindowOnImages host;
  CKvillDoc doc;
  CKvillView view;
};

TEST_F(HoverFrameTest, TheFrameFollowsThePointerAndNeverShowsInAGestureTypingOrOnPaper) {
  host.m_rcClient = CRect{0, 0, 640, 480};
  view.Viewport().SetZoom(1.0);
  DrawingBuilder b(doc);
  CEllipse* pEllipse = b.Ellipse(1500, -1500, 3000, -2700);
  CFormula* pFormula = b.Formula("CH#idown 3#", CPoint{4500, -1500});
  CCoupling* pBond = b.Bond(b.Dot(1500, -4500), b.Dot(6000, -4500));
  view.UpdateView();
  const CPoint ptEmpty{600, 440};
  for (const CKVObject* p : {static_cast<CKVObject*>(pEllipse), static_cast<CKVObject*>(pFormula),
                             static_cast<CKVObject*>(pBond)}) {
    SCOPED_TRACE(p->m_nKind);
    Move(On(p));
    ASSERT_EQ(view.Hover(), p);
    ExpectRingAround(host.Window(), PixelBox(p));
  }
  // Within the same object nothing repaints; off it, or out of the window, the frame goes.
  const auto nAsked = Invalidations();
  view.OnMouseMove(0, CPoint{On(pBond).x + 1, On(pBond).y});
  EXPECT_EQ(Invalidations(), nAsked);
  Move(ptEmpty);
  EXPECT_EQ(FrameOf(host.Window()).nPixels, 0);
  Move(On(pFormula));
  view.OnMouseLeave();
  EXPECT_EQ(view.Hover(), nullptr);
  view.UpdateView();
  EXPECT_EQ(FrameOf(host.Window()).nPixels, 0);

  // Paper of a window showing the frame.
  Move(On(pEllipse));
  ASSERT_GT(FrameOf(host.Window()).nPixels, 0);
  QImage paper(640, 480, QImage::Format_ARGB32_Premultiplied);
  paper.fill(Qt::white);
  CQtDC dc(&paper);
  view.m_bDirectRender = 1;
  view.OnDraw(&dc);
  EXPECT_EQ(FrameOf(paper).nPixels, 0);
  EXPECT_GT(InkOf(paper).nPixels, 0);
  view.m_bDirectRender = 0;
  // A drag of the ellipse and a selection rectangle from empty paper.
  for (const CPoint pt : {On(pEllipse), ptEmpty}) {
    Move(pt);
    view.OnLButtonDown(MK_LBUTTON, pt);
    Move(CPoint{pt.x - 30, pt.y - 20}, MK_LBUTTON);
    view.UpdateView();
    EXPECT_EQ(FrameOf(host.Window()).nPixels, 0);
    view.OnLButtonUp(0, CPoint{pt.x - 30, pt.y - 20});
  }
  // Typing a formula while the pointer passes over another.
  view.CreateFormulaAt(CPoint{7500, -6000});
  ASSERT_EQ(view.EditState(), 1);
  Move(On(pFormula));
  view.UpdateView();
  EXPECT_EQ(FrameOf(host.Window()).nPixels, 0);
}

// The program's own window: mouse events move the frame, the widget repaints by itself,
// and a picture exported meanwhile has none.
class HoverFrameWindowTest : public ShellFixture {};

TEST_F(HoverFrameWindowTest, TheWindowShowsTheFrameWhereThePointerIsAndPicturesNever) {
  Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 800 600 0 1");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CKvillView* view = frame->View();
  QWidget* client = frame->ViewWidget()->Client();
  DrawingBuilder b(*frame->Document());
  CEllipse* pLeft = b.Ellipse(1500, -1500, 3000, -3000);
  CEllipse* pRight = b.Ellipse(4500, -1500, 6000, -3000);
  view->UpdateView();
  const auto shown = [&] {
    client->grab();
    return frame->ViewWidget()->BackBuffer().copy();
  };
  for (const CEllipse* p : {pLeft, pRight, pLeft}) {
    const CPoint a = view->LogicalToDevice(CPoint{p->m_rcBounds.left, p->m_rcBounds.top});
    const CPoint c = view->LogicalToDevice(CPoint{p->m_rcBounds.right, p->m_rcBounds.bottom});
    const QPointF pt(a.x, (a.y + c.y) / 2);
    QMouseEvent move(QEvent::MouseMove, pt, client->mapToGlobal(pt), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(client, &move);
    ASSERT_EQ(view->Hover(), p);
    // Around this ellipse alone: the frame around the other one has gone.
    ASSERT_TRUE(PumpUntil([&] { return FrameOf(shown()).nPixels > 0; }));
    ExpectRingAround(shown(), QRect(QPoint(a.x, a.y), QPoint(c.x, c.y)));
  }
  ASSERT_TRUE(frame->ExportPictureTo(Path("hover.png")));
  const QImage picture(Path("hover.png"));
  EXPECT_EQ(FrameOf(picture).nPixels, 0);
  EXPECT_GT(InkOf(picture).nPixels, 0);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(client, &leave);
  ASSERT_TRUE(PumpUntil([&] { return FrameOf(shown()).nPixels == 0; }));
}

}  // namespace
