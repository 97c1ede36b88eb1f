// Painting the screen: RenderDrawing of a drawing of benzene rings with formulas into a
// 1920 x 1080 window through the off-screen buffer and one copy, on the Qt surface. Once
// with the whole drawing in the window, once with a window showing about 50 rings, as the
// window repaints an unchanged drawing (scrolling, exposure) and as it paints right after
// a change.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <map>
#include <memory>

#include "bench/QtBenchmarkMain.h"
#include "bench/RingDrawing.h"
#include "document/CKvillDoc.h"
#include "platform/CQtDC.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

// A window of 1920 x 1080 pixels on an image, with a back buffer kept between paints as a
// widget keeps it.
class ImageHost : public CHeadlessViewHost {
 public:
  ImageHost() : CHeadlessViewHost(nullptr, CRect{0, 0, 1920, 1080}) {
    SetScreenResolution(m_window);
    m_window.fill(Qt::white);
  }

  int GetPixelsPerInchX() override { return 96; }
  int GetPixelsPerInchY() override { return 96; }
  CDC* GetDC() override { return Make(&m_window); }
  void ReleaseDC(CDC* pDC) override { Drop(pDC); }
  CDC* CreateMemoryDC(CDC*, int cx, int cy) override {
    if (m_buffer.width() != cx || m_buffer.height() != cy) {
      m_buffer = QImage(cx, cy, QImage::Format_ARGB32_Premultiplied);
      SetScreenResolution(m_buffer);
    }
    return Make(&m_buffer);
  }
  void DeleteMemoryDC(CDC* pDC) override { Drop(pDC); }
  void FillSolidRect(CDC* pDC, const CRect& rc, COLORREF) override {
    QPainter* p = static_cast<CQtDC*>(pDC)->GetPainter();
    p->save();
    p->resetTransform();
    p->fillRect(QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top), Qt::white);
    p->restore();
  }
  void BitBlt(CDC* pDest, int x, int y, int cx, int cy, CDC* pSrc, int xs, int ys) override {
    const CPoint d0 = pDest->LPtoDP(CPoint{x, y});
    const CPoint d1 = pDest->LPtoDP(CPoint{x + cx, y + cy});
    const CPoint s0 = pSrc->LPtoDP(CPoint{xs, ys});
    QPainter* p = static_cast<CQtDC*>(pDest)->GetPainter();
    p->save();
    p->resetTransform();
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(QRect(d0.x, d0.y, d1.x - d0.x, d1.y - d0.y), *m_images[pSrc],
                 QRect(s0.x, s0.y, d1.x - d0.x, d1.y - d0.y));
    p->restore();
  }

 private:
  // The window's images have the resolution the host reports, as on the screen; an image's
  // own default of 72 dots per inch would show a third more of the drawing.
  static void SetScreenResolution(QImage& image) {
    image.setDotsPerMeterX(3780);  // 96 dots per inch
    image.setDotsPerMeterY(3780);
  }

  CDC* Make(QImage* pImage) {
    auto dc = std::make_unique<CQtDC>(pImage);
    CDC* p = dc.get();
    m_images[p] = pImage;
    m_dcs[p] = std::move(dc);
    return p;
  }
  void Drop(CDC* pDC) {
    m_dcs.erase(pDC);
    m_images.erase(pDC);
  }

  QImage m_window{1920, 1080, QImage::Format_ARGB32_Premultiplied};
  QImage m_buffer;
  std::map<CDC*, std::unique_ptr<CDC>> m_dcs;
  std::map<CDC*, QImage*> m_images;
};

// How each frame comes: as the window's repaint (an exposure, a scroll), or right after a
// change, when every object is visited again.
enum class Frame { Repaint, AfterChange };

void Paint(benchmark::State& state, double dZoom, Frame frame) {
  CKvillDoc doc;
  ImageHost host;
  CKvillView view(&host, &doc);
  BuildRings(doc, static_cast<int>(state.range(0)));
  view.m_dZoom = dZoom;
  view.UpdateView();  // formulas lay themselves out once
  for (auto _ : state) {
    CDC* pDC = host.GetDC();
    if (frame == Frame::AfterChange) view.Unsettle();
    view.OnDraw(pDC);
    host.ReleaseDC(pDC);
  }
  if (frame == Frame::Repaint && !view.IsDrawingAtRest()) state.SkipWithError("never at rest");
  state.counters["rings"] = static_cast<double>(state.range(0));
  state.counters["objects"] = static_cast<double>(CountObjects(doc.m_listObjects));
}

// The whole drawing in the window: 2000 rings are 50 x 40 rings of 1000 units, which fit
// 1920 x 1080 pixels at zoom 2.6.
void BM_RenderWhole(benchmark::State& state) { Paint(state, 2.6, Frame::AfterChange); }
// About 50 rings in the window: at zoom 1 / 1.2^6 it shows 9.6 x 5.4 rings.
void BM_RenderWindow(benchmark::State& state) { Paint(state, 1.0 / 2.985984, Frame::Repaint); }
void BM_RenderWindowAfterChange(benchmark::State& state) {
  Paint(state, 1.0 / 2.985984, Frame::AfterChange);
}

BENCHMARK(BM_RenderWhole)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderWindow)->Arg(0)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderWindowAfterChange)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
