// Undo snapshots: the cost of PushSnapshot (a whole native stream of the drawing) and of
// Undo (reloading one), on drawings of 10 000 and 100 000 objects.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/ChainDrawing.h"
#include "document/CKvillDoc.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

void BM_PushSnapshot(benchmark::State& state) {
  CKvillDoc doc;
  CHeadlessViewHost host;
  CKvillView view(&host, &doc);
  BuildChainDrawing(doc, static_cast<int>(state.range(0)));
  // Every snapshot of the unchanged drawing is the same stream.
  view.PushSnapshot();
  const std::size_t nBytes = view.History().BytesAt(0).size();
  view.ClearHistory();
  for (auto _ : state) {
    view.PushSnapshot();
    if (view.History().Size() >= 8) {
      state.PauseTiming();
      view.ClearHistory();
      state.ResumeTiming();
    }
  }
  state.counters["objects"] = static_cast<double>(doc.m_listObjects.size());
  state.counters["bytes_per_snapshot"] = static_cast<double>(nBytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * nBytes));
}
BENCHMARK(BM_PushSnapshot)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Each iteration is one reload: Undo and Redo take turns between two snapshots.
void BM_UndoReload(benchmark::State& state) {
  CKvillDoc doc;
  CHeadlessViewHost host;
  CKvillView view(&host, &doc);
  BuildChainDrawing(doc, static_cast<int>(state.range(0)));
  view.PushSnapshot();
  doc.m_listObjects.front()->m_bSelected = 1;
  view.PushSnapshot();
  bool bUndo = true;
  for (auto _ : state) {
    if (bUndo) {
      view.Undo();
    } else {
      view.Redo();
    }
    bUndo = !bUndo;
  }
  state.counters["objects"] = static_cast<double>(doc.m_listObjects.size());
  state.counters["bytes_per_snapshot"] =
      static_cast<double>(view.History().BytesAt(view.History().Size() - 1).size());
}
BENCHMARK(BM_UndoReload)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
