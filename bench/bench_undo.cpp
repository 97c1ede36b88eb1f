// Undo snapshots: the cost of PushSnapshot (a whole native stream of the drawing) and of
// Undo (reloading one), on drawings of 10 000 and 100 000 objects.

#include <benchmark/benchmark.h>

#include <memory>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CFormula.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

// A drawing of nObjects top-level objects: chains of junctions joined by bonds, with a
// formula and an ellipse now and then, spread over a grid.
void BuildDrawing(CKvillDoc& doc, int nObjects) {
  CDot* pPrev = nullptr;
  for (int i = 0; static_cast<int>(doc.m_listObjects.size()) < nObjects; ++i) {
    const int x = (i % 200) * 400, y = -(i / 200) * 400;
    switch (i % 10) {
      case 3: {
        auto f = std::make_unique<CFormula>();
        f->m_strText = "CH<d3>";
        f->m_ptAnchor = CPoint{x, y};
        f->m_rcBounds = CRect{x, y, x + 600, y - 270};
        doc.m_listObjects.push_back(std::move(f));
        break;
      }
      case 7: {
        auto e = std::make_unique<CEllipse>();
        e->m_rcBounds = CRect{x, y, x + 300, y - 200};
        e->m_ptAnchor = CPoint{x, y};
        doc.m_listObjects.push_back(std::move(e));
        break;
      }
      default: {
        auto d = std::make_unique<CDot>();
        d->MoveTo(CPoint{x, y});
        CDot* pDot = d.get();
        doc.m_listObjects.push_back(std::move(d));
        if (pPrev != nullptr && static_cast<int>(doc.m_listObjects.size()) < nObjects) {
          auto b = std::make_unique<CCoupling>();
          b->m_pEndA = pPrev;
          b->m_pEndB = pDot;
          b->m_nStyle = 1 + i % 3;
          doc.m_listObjects.push_back(std::move(b));
        }
        pPrev = pDot;
        break;
      }
    }
  }
}

void BM_PushSnapshot(benchmark::State& state) {
  CKvillDoc doc;
  CHeadlessViewHost host;
  CKvillView view(&host, &doc);
  BuildDrawing(doc, static_cast<int>(state.range(0)));
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
  BuildDrawing(doc, static_cast<int>(state.range(0)));
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
