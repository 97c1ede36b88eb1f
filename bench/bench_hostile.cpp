// Painting drawings whose values are as wild as a stream allows: 10 000 objects with
// coordinates anywhere up to the 32-bit limits and scales up to 1e300, against the same
// count of ordinary objects, in a window of 1920 x 1080 pixels. Each frame is the first
// paint of a fresh view (every object drawn or passed over) or a repaint at rest. Also the
// 16 kB stream of 369 such records pasted into an empty drawing and painted.

#include <benchmark/benchmark.h>

#include "bench/ImageHost.h"
#include "bench/QtBenchmarkMain.h"
#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"
#include "tests/document/HostileStream.h"
#include "view/CKvillView.h"

namespace {

void Load(CKvillDoc& doc, const std::vector<std::uint8_t>& stream) {
  CArchive ar(std::span<const std::uint8_t>(stream.data(), stream.size()));
  doc.Serialize(ar, {.bReplaceOnLoad = true, .bQuietLoad = true});
}

StreamRecipe NearTheLimits(int nRecords) { return {nRecords, 2147483000, -300.0, 300.0, 11}; }
// The same, every box across the window and the bonds between junctions far out.
StreamRecipe AcrossTheWindow(int nRecords) {
  return {nRecords, 2147483000, -300.0, 300.0, 11, true};
}

enum class Frame { First, AtRest };

void Paint(benchmark::State& state, const StreamRecipe& recipe, Frame frame) {
  CKvillDoc doc;
  ImageHost host;
  Load(doc, HostileStream(recipe));
  auto pView = std::make_unique<CKvillView>(&host, &doc);
  // The ordinary drawing fits the window at this zoom; the wild one crosses it.
  pView->Viewport().SetZoom(0.5);
  pView->Viewport().SetScrollX(-15000);
  pView->Viewport().SetScrollY(15000);
  for (int i = 0; i < 3; ++i) {
    CDC* pDC = host.GetDC();
    pView->OnDraw(pDC);
    host.ReleaseDC(pDC);
  }
  for (auto _ : state) {
    if (frame == Frame::First) {
      state.PauseTiming();
      pView.reset();
      pView = std::make_unique<CKvillView>(&host, &doc);
      pView->Viewport().SetZoom(0.5);
      pView->Viewport().SetScrollX(-15000);
      pView->Viewport().SetScrollY(15000);
      state.ResumeTiming();
    }
    CDC* pDC = host.GetDC();
    pView->OnDraw(pDC);
    host.ReleaseDC(pDC);
  }
  state.counters["objects"] = static_cast<double>(doc.m_listObjects.size());
}

void BM_FirstPaintOrdinary(benchmark::State& state) {
  Paint(state, OrdinaryRecipe(static_cast<int>(state.range(0))), Frame::First);
}
void BM_FirstPaintNearTheLimits(benchmark::State& state) {
  Paint(state, NearTheLimits(static_cast<int>(state.range(0))), Frame::First);
}
void BM_FirstPaintAcrossTheWindow(benchmark::State& state) {
  Paint(state, AcrossTheWindow(static_cast<int>(state.range(0))), Frame::First);
}
void BM_RepaintOrdinary(benchmark::State& state) {
  Paint(state, OrdinaryRecipe(static_cast<int>(state.range(0))), Frame::AtRest);
}
void BM_RepaintNearTheLimits(benchmark::State& state) {
  Paint(state, NearTheLimits(static_cast<int>(state.range(0))), Frame::AtRest);
}
// The 16 kB stream of 369 records, pasted into an empty drawing, then the window painted.
void BM_HostileStreamPaint(benchmark::State& state) { Paint(state, StreamRecipe{}, Frame::First); }

BENCHMARK(BM_FirstPaintOrdinary)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaintNearTheLimits)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaintAcrossTheWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintOrdinary)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintNearTheLimits)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileStreamPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
