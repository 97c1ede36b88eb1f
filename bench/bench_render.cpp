// Painting the screen: RenderDrawing of a drawing of benzene rings with formulas into a
// 1920 x 1080 window through the off-screen buffer and one copy, on the Qt surface. Once
// with the whole drawing in the window, once with a window showing about 50 rings, as the
// window repaints an unchanged drawing (scrolling, exposure) and as it paints right after
// a change of one object in the window (the paint then brings up to date what changed and
// what depends on it, and draws what the window shows).

#include <benchmark/benchmark.h>

#include "bench/ImageHost.h"
#include "bench/QtBenchmarkMain.h"
#include "bench/RingDrawing.h"
#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "view/CKvillView.h"

namespace {

// How each frame comes: as the window's repaint (an exposure, a scroll), or right after
// the first formula (in the window's top left corner) moved by 10 units, back and forth.
enum class Frame { Repaint, AfterChange };

void Paint(benchmark::State& state, double dZoom, Frame frame) {
  CKvillDoc doc;
  ImageHost host;
  CKvillView view(&host, &doc);
  BuildRings(doc, static_cast<int>(state.range(0)));
  view.Viewport().SetZoom(dZoom);
  view.UpdateView();  // formulas lay themselves out once
  CFormula* pFormula = nullptr;
  for (const auto& p : doc.m_listObjects) {
    if ((pFormula = p->AsFormula()) != nullptr) break;
  }
  int nDx = 10;
  for (auto _ : state) {
    CDC* pDC = host.GetDC();
    if (frame == Frame::AfterChange) {
      pFormula->ResetDone();
      pFormula->MoveTo(CPoint{pFormula->m_ptAnchor.x + nDx, pFormula->m_ptAnchor.y});
      nDx = -nDx;
    }
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
