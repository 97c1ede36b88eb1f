// The cursor feedback's timer: it runs every 10 ms for the life of the window. With the
// pointer resting and nothing changing a tick should cost next to nothing; right after the
// pointer moved a tick looks at the objects around the pointer only. Drawings of n benzene
// rings with a formula each (three top-level objects per ring), everything selected so that
// every handle counts.

#include <benchmark/benchmark.h>

#include "bench/RingDrawing.h"
#include "document/CKvillDoc.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

// A window whose pointer rests inside the main window's inner area.
class PointerHost : public CHeadlessViewHost {
 public:
  CRect GetMainWindowRect() override { return CRect{-100, -100, 4000, 4000}; }
  CPoint GetCursorPos() override { return m_ptCursor; }
  int GetPixelsPerInchX() override { return 96; }
  int GetPixelsPerInchY() override { return 96; }
  CPoint m_ptCursor{400, 300};
};

struct Drawing {
  CKvillDoc doc;
  PointerHost host;
  CKvillView view{&host, &doc};

  explicit Drawing(int nRings) {
    view.Viewport().SetZoom(1.0);
    BuildRings(doc, nRings);
    view.OnCommand(32842);  // Select All
    view.Cursor().m_bHoverSuppressed = 0;
    view.OnMouseMove(0, CPoint{400, 300});
    view.OnTimer(TIMER_CURSOR_FEEDBACK);
  }
};

void BM_CursorTickAtRest(benchmark::State& state) {
  Drawing d(static_cast<int>(state.range(0)));
  for (auto _ : state) d.view.OnTimer(TIMER_CURSOR_FEEDBACK);
  state.counters["rings"] = static_cast<double>(state.range(0));
  state.counters["objects"] = static_cast<double>(d.doc.m_listObjects.size());
}

// A move of one pixel (its own hit test and cursor feedback) and the timer's tick after it,
// over the rings' area.
void BM_CursorTickAfterMove(benchmark::State& state) {
  Drawing d(static_cast<int>(state.range(0)));
  int i = 0;
  for (auto _ : state) {
    const CPoint pt{300 + (i % 200), 200 + (i / 200) % 100};
    ++i;
    d.host.m_ptCursor = pt;
    d.view.OnMouseMove(0, pt);
    d.view.OnTimer(TIMER_CURSOR_FEEDBACK);
  }
  state.counters["rings"] = static_cast<double>(state.range(0));
  state.counters["objects"] = static_cast<double>(d.doc.m_listObjects.size());
}

// The first tick after the drawing changed builds the index of where objects can be hit.
void BM_CursorTickAfterChange(benchmark::State& state) {
  Drawing d(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    d.view.Unsettle();
    d.view.OnTimer(TIMER_CURSOR_FEEDBACK);
  }
  state.counters["rings"] = static_cast<double>(state.range(0));
}

}  // namespace

BENCHMARK(BM_CursorTickAtRest)->Arg(200)->Arg(2000)->Arg(20000);
BENCHMARK(BM_CursorTickAfterMove)->Arg(200)->Arg(2000)->Arg(20000);
BENCHMARK(BM_CursorTickAfterChange)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
