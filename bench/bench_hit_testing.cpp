// What the pointer costs: the cursor feedback runs FindObjectAt and FindHandleAt over the
// whole drawing every 10 ms, and every press and move runs them again. Both are linear in
// the number of top-level objects; a ring counts as one object, but its hit test walks its
// children. Drawings of n benzene rings with a bond between neighbours.

#include <benchmark/benchmark.h>

#include <memory>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "view/CKvillView.h"

namespace {

struct Drawing {
  CKvillDoc doc;
  CKvillView view{nullptr, &doc};

  explicit Drawing(int nRings) {
    view.Viewport().SetZoom(1.0);
    CKVObject* pPrev = nullptr;
    for (int i = 0; i < nRings; ++i) {
      auto pRing = std::make_unique<CGroup>();
      view.PlaceTemplate(9, CPoint{1000 * (i % 40), -1000 * (i / 40)}, *pRing);
      CKVObject* pFirst = pRing->m_listChildren.front().get();
      doc.m_listObjects.push_back(std::move(pRing));
      if (pPrev != nullptr) {
        auto pBond = std::make_unique<CCoupling>();
        pBond->m_pEndA = pPrev;
        pBond->m_pEndB = pFirst;
        pBond->m_ptA = pPrev->GetAnchor();
        pBond->m_ptB = pFirst->GetAnchor();
        doc.m_listObjects.push_back(std::move(pBond));
      }
      pPrev = pFirst;
    }
    view.OnCommand(32842);  // everything selected: every handle is looked at
  }
};

void BM_FindObjectAtMiss(benchmark::State& state) {
  Drawing d(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(d.view.FindObjectAt(CPoint{500, 500}));
  state.counters["objects"] = static_cast<double>(d.doc.m_listObjects.size());
}

void BM_FindObjectAtRingVertex(benchmark::State& state) {
  Drawing d(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(d.view.FindObjectAt(CPoint{260, 150}));
  state.counters["objects"] = static_cast<double>(d.doc.m_listObjects.size());
}

void BM_FindHandleAt(benchmark::State& state) {
  Drawing d(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(d.view.FindHandleAt(CPoint{500, 500}));
  state.counters["objects"] = static_cast<double>(d.doc.m_listObjects.size());
}

}  // namespace

BENCHMARK(BM_FindObjectAtMiss)->RangeMultiplier(4)->Range(4, 1024);
BENCHMARK(BM_FindObjectAtRingVertex)->RangeMultiplier(4)->Range(4, 1024);
BENCHMARK(BM_FindHandleAt)->RangeMultiplier(4)->Range(4, 1024);
BENCHMARK_MAIN();
