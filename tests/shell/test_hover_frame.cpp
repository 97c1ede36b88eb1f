// The light frame around the object under the pointer: the window shows it around that
// object alone while the pointer only passes over, follows the pointer from object to
// object, goes when the pointer leaves or a gesture starts, and never reaches a picture or
// paper.
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <algorithm>
#include <string>

#include "../view/InteractFixture.h"
#include "bench/ImageHost.h"
#include "platform/CQtDC.h"
#include "tests/shell/ShellFixture.h"

namespace {

class WindowOnImages : public ImageHostOn<InteractHost> {};

const QRgb kFrame =
    qRgb(GetRValue(CKvillView::kHoverFrameColour), GetGValue(CKvillView::kHoverFrameColour),
         GetBValue(CKvillView::kHoverFrameColour));

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int nPixels = 0;
  void Add(int x, int y) {
    ++nPixels;
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
};

// The pixels of the frame's colour, and the ink of everything else that is not white.
void Survey(const QImage& image, Box& frame, Box& ink) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y) | 0xff000000u;
      if (c == kFrame) {
        frame.Add(x, y);
      } else if (c != 0xffffffffu) {
        ink.Add(x, y);
      }
    }
  }
}

int FramePixels(const QImage& image) {
  Box frame, ink;
  Survey(image, frame, ink);
  return frame.nPixels;
}

class HoverFrameTest : public ::testing::Test {
 protected:
  HoverFrameTest() : view(&host, &doc) {
    host.m_pView = &view;
    host.m_rcClient = CRect{0, 0, 640, 480};
    view.Viewport().SetZoom(1.0);
    // One client pixel is 15 drawing units. An ellipse, a formula, and a bond between two
    // junctions.
    DrawingBuilder b(doc);
    pEllipse = b.Ellipse(1500, -1500, 3000, -2700);
    pFormula = b.Formula("CH#idown 3#", CPoint{4500, -1500});
    pBond = b.Bond(b.Dot(1500, -4500), b.Dot(6000, -4500));
    view.UpdateView();
  }

  // A move of the pointer; the window repaints when the view asks for it, as the widget
  // does.
  void Move(CPoint ptClient, unsigned nFlags = 0) {
    host.m_ptCursor = CPoint{ptClient.x + 20, ptClient.y + 90};
    const std::size_t nLog = host.m_log.size();
    view.OnMouseMove(nFlags, ptClient);
    RepaintIfAsked(nLog);
  }
  void RepaintIfAsked(std::size_t nLogBefore) {
    const auto first = host.m_log.begin() + static_cast<std::ptrdiff_t>(nLogBefore);
    if (std::find(first, host.m_log.end(), std::string("Invalidate")) == host.m_log.end()) return;
    CScopedWindowDC dc(host);
    view.OnPrepareDC(dc.Get());
    view.OnDraw(dc.Get());
  }
  // The object's box in client pixels.
  Box PixelBox(const CKVObject* p) const {
    CRect rc = p->m_rcBounds;
    if (p == pBond) rc = CRect{pBond->m_ptA.x, pBond->m_ptA.y, pBond->m_ptB.x, pBond->m_ptB.y};
    Box box;
    for (const CPoint pt : {CPoint{rc.left, rc.top}, CPoint{rc.right, rc.bottom}}) {
      const CPoint d = view.LogicalToDevice(pt);
      box.Add(d.x, d.y);
    }
    return box;
  }
  static CPoint Centre(const Box& b) {
    return CPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  }

  WindowOnImages host;
  CKvillDoc doc;
  CKvillView view;
  CEllipse* pEllipse = nullptr;
  CFormula* pFormula = nullptr;
  CCoupling* pBond = nullptr;
};

TEST_F(HoverFrameTest, TheFrameSurroundsTheObjectUnderThePointerAloneAndFollowsIt) {
  ASSERT_EQ(FramePixels(host.Window()), 0);
  struct Case {
    const char* pszName;
    CKVObject* pObj;
  };
  for (const Case& c : {Case{"ellipse", pEllipse}, Case{"formula", pFormula}, Case{"bond", pBond},
                        Case{"ellipse again", pEllipse}}) {
    SCOPED_TRACE(c.pszName);
    const Box box = PixelBox(c.pObj);
    // The ellipse's outline, the formula's text and the bond's line.
    CPoint pt = Centre(box);
    if (c.pObj == pEllipse) pt.x = box.left;
    Move(pt);
    ASSERT_EQ(view.Hover(), c.pObj);

    Box frame, ink;
    Survey(host.Window(), frame, ink);
    // A closed ring of one pixel: every pixel of its outline, and nothing else.
    const int w = frame.right - frame.left + 1, h = frame.bottom - frame.top + 1;
    ASSERT_GT(w, 2);
    ASSERT_GT(h, 2);
    EXPECT_EQ(frame.nPixels, 2 * w + 2 * h - 4);
    const QImage& img = host.Window();
    for (int x = frame.left; x <= frame.right; ++x) {
      EXPECT_EQ(img.pixel(x, frame.top) | 0xff000000u, kFrame) << x;
      EXPECT_EQ(img.pixel(x, frame.bottom) | 0xff000000u, kFrame) << x;
    }
    for (int y = frame.top; y <= frame.bottom; ++y) {
      EXPECT_EQ(img.pixel(frame.left, y) | 0xff000000u, kFrame) << y;
      EXPECT_EQ(img.pixel(frame.right, y) | 0xff000000u, kFrame) << y;
    }
    // Just outside the object's box on every side.
    for (const int nGap : {box.left - frame.left, box.top - frame.top, frame.right - box.right,
                           frame.bottom - box.bottom}) {
      EXPECT_GE(nGap, 1);
      EXPECT_LE(nGap, 4);
    }
    EXPECT_GT(ink.nPixels, 0);
  }

  // Off every object, and out of the window: no frame.
  Move(CPoint{600, 440});
  EXPECT_EQ(view.Hover(), nullptr);
  EXPECT_EQ(FramePixels(host.Window()), 0);
  Move(Centre(PixelBox(pFormula)));
  ASSERT_GT(FramePixels(host.Window()), 0);
  const std::size_t nLog = host.m_log.size();
  view.OnMouseLeave();
  RepaintIfAsked(nLog);
  EXPECT_EQ(view.Hover(), nullptr);
  EXPECT_EQ(FramePixels(host.Window()), 0);
  // A pointer that moves within the same object asks for no repaint.
  Move(Centre(PixelBox(pFormula)));
  const std::size_t nStill = host.m_log.size();
  view.OnMouseMove(0, CPoint{Centre(PixelBox(pFormula)).x + 1, Centre(PixelBox(pFormula)).y});
  EXPECT_EQ(std::count(host.m_log.begin() + static_cast<std::ptrdiff_t>(nStill), host.m_log.end(),
                       std::string("Invalidate")),
            0);
}

TEST_F(HoverFrameTest, NoFrameDuringAGestureOrTypingNorOnPaper) {
  const CPoint ptEllipse{PixelBox(pEllipse).left, Centre(PixelBox(pEllipse)).y};
  const CPoint ptEmpty{500, 400};
  Move(ptEllipse);
  ASSERT_GT(FramePixels(host.Window()), 0);

  // Paper of the same state.
  QImage paper(640, 480, QImage::Format_ARGB32_Premultiplied);
  paper.fill(Qt::white);
  {
    CQtDC dc(&paper);
    view.m_bDirectRender = 1;
    view.OnDraw(&dc);
  }
  Box paperFrame, paperInk;
  Survey(paper, paperFrame, paperInk);
  EXPECT_EQ(paperFrame.nPixels, 0);
  EXPECT_GT(paperInk.nPixels, 0);
  view.m_bDirectRender = 0;
  Move(ptEmpty);
  Move(ptEllipse);
  ASSERT_GT(FramePixels(host.Window()), 0);

  // A drag of the ellipse, and a selection rectangle from empty paper.
  for (const CPoint ptFrom : {ptEllipse, ptEmpty}) {
    SCOPED_TRACE(ptFrom.x);
    Move(ptFrom);
    const std::size_t nLog = host.m_log.size();
    view.OnLButtonDown(MK_LBUTTON, ptFrom);
    RepaintIfAsked(nLog);
    const CPoint ptTo{ptFrom.x - 30, ptFrom.y - 20};
    Move(ptTo, MK_LBUTTON);
    view.UpdateView();
    EXPECT_EQ(view.Hover(), nullptr);
    EXPECT_EQ(FramePixels(host.Window()), 0);
    view.OnLButtonUp(0, ptTo);
  }

  // Typing a formula: the pointer passes over an object without a frame.
  view.CreateFormulaAt(CPoint{7500, -6000});
  ASSERT_EQ(view.EditState(), 1);
  Move(ptEmpty);
  Move(Centre(PixelBox(pFormula)));
  view.UpdateView();
  EXPECT_EQ(FramePixels(host.Window()), 0);
}

// The window as the program shows it: the frame follows the pointer's events, the
// widget repaints on its own, and an exported picture of the same state has no frame.
class HoverFrameWindowTest : public ShellFixture {};

TEST_F(HoverFrameWindowTest, TheWindowShowsTheFrameWhereThePointerIsAndPicturesNever) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 800 600 0 1");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CViewWidget* host = frame->ViewWidget();
  CKvillView* view = frame->View();
  DrawingBuilder b(*frame->Document());
  CEllipse* pLeft = b.Ellipse(1500, -1500, 3000, -3000);
  CEllipse* pRight = b.Ellipse(4500, -1500, 6000, -3000);
  view->UpdateView();
  QWidget* client = host->Client();
  const auto pointerTo = [&](const CKVObject* p) {
    const CPoint a = view->LogicalToDevice(CPoint{p->m_rcBounds.left, p->m_rcBounds.top});
    const CPoint c = view->LogicalToDevice(CPoint{p->m_rcBounds.right, p->m_rcBounds.bottom});
    const QPointF pt(a.x, (a.y + c.y) / 2);
    QMouseEvent move(QEvent::MouseMove, pt, client->mapToGlobal(pt), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(client, &move);
    return QRect(QPoint(a.x, a.y), QPoint(c.x, c.y));
  };
  // The frame the window shows once it has repainted, as the bounds of its pixels.
  const auto shownFrame = [&] {
    client->grab();
    Box frameBox, ink;
    Survey(host->BackBuffer().convertToFormat(QImage::Format_RGB32), frameBox, ink);
    return frameBox;
  };

  for (const CEllipse* p : {pLeft, pRight, pLeft}) {
    const QRect rcBox = pointerTo(p);
    ASSERT_EQ(view->Hover(), p);
    // The frame around this ellipse alone: the one around the other has gone.
    Box f;
    ASSERT_TRUE(PumpUntil([&] {
      f = shownFrame();
      return f.nPixels > 0 && f.left < rcBox.left() && f.right > rcBox.right();
    }));
    EXPECT_EQ(f.nPixels, 2 * (f.right - f.left + 1) + 2 * (f.bottom - f.top + 1) - 4);
    EXPECT_LE(rcBox.left() - f.left, 4);
    EXPECT_LE(f.right - rcBox.right(), 4);
  }

  // An exported picture of the drawing as it is now.
  const QString png = Path("hover.png");
  ASSERT_TRUE(frame->ExportPictureTo(png));
  Box pictureFrame, pictureInk;
  Survey(QImage(png).convertToFormat(QImage::Format_RGB32), pictureFrame, pictureInk);
  EXPECT_EQ(pictureFrame.nPixels, 0);
  EXPECT_GT(pictureInk.nPixels, 0);

  // The pointer leaves the window.
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(client, &leave);
  EXPECT_EQ(view->Hover(), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return shownFrame().nPixels == 0; }));
}

}  // namespace
