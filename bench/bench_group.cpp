// How the cost of drawing and transforming groups grows with their content: drawing and
// rotating are linear in the number of objects; resizing and mirroring reset and move each
// nested group as they enter it, so they grow with the square of the nesting depth.

#include <benchmark/benchmark.h>

#include <memory>

#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"

namespace {

// A surface that draws nothing, so that only the objects' own work is measured.
class CNullDC : public CDC {
 protected:
  void DoLine(CPoint, CPoint) override {}
  void DoRectangle(const CRect&) override {}
  void DoEllipse(const CRect&) override {}
  void DoPolygon(const CPoint*, int) override {}
  CSize DoTextExtent(std::string_view text) override {
    return CSize{static_cast<std::int32_t>(text.size()) * 120, 270};
  }
  void DoTextOut(CPoint, std::string_view, CSize) override {}
};

// n six-rings side by side, each its own group inside one group.
std::unique_ptr<CGroup> MakeRings(int n) {
  auto g = std::make_unique<CGroup>();
  for (int i = 0; i < n; ++i) {
    auto ring = std::make_unique<CGroup>();
    PlaceRing(CPoint{i * 700, 0}, *ring, 6, 0.523598775);
    g->AddChild(std::move(ring));
  }
  return g;
}

void BM_DrawRings(benchmark::State& state) {
  auto g = MakeRings(static_cast<int>(state.range(0)));
  CNullDC dc;
  for (auto _ : state) {
    g->Draw(&dc);
    benchmark::DoNotOptimize(g->m_rcBounds);
  }
  state.counters["objects"] = static_cast<double>(state.range(0) * 13);
}

void BM_RotateRings(benchmark::State& state) {
  auto g = MakeRings(static_cast<int>(state.range(0)));
  g->SaveExact();
  for (auto _ : state) {
    g->Rotate(0, 0, 0.01);
    benchmark::DoNotOptimize(g->m_listChildren.front()->m_ptAnchor);
  }
  state.counters["objects"] = static_cast<double>(state.range(0) * 13);
}

// The first rotation of an ellipse builds and fits its 200-vertex ring.
void BM_EllipseToRing(benchmark::State& state) {
  for (auto _ : state) {
    CGroup g;
    auto e = std::make_unique<CEllipse>();
    e->m_rcBounds = CRect{0, 1000, 2000, 0};
    g.AddChild(std::move(e));
    g.SaveExact();
    g.Rotate(0, 0, 0.1);
    benchmark::DoNotOptimize(g.m_listChildren.front().get());
  }
}

// A chain of nested groups of the given depth with two dots at the bottom.
std::unique_ptr<CGroup> MakeChain(int nDepth) {
  auto root = std::make_unique<CGroup>();
  CGroup* p = root.get();
  for (int i = 0; i < nDepth; ++i) {
    auto child = std::make_unique<CGroup>();
    CGroup* next = child.get();
    p->AddChild(std::move(child));
    p = next;
  }
  PlaceRing(CPoint{0, 0}, *p, 2, 0.0);
  return root;
}

void BM_ResizeNested(benchmark::State& state) {
  auto g = MakeChain(static_cast<int>(state.range(0)));
  CNullDC dc;
  g->Draw(&dc);
  for (auto _ : state) {
    g->ResizeBy(CSize{1, 0});
    benchmark::DoNotOptimize(g->m_rcBounds);
  }
  state.counters["depth"] = static_cast<double>(state.range(0));
}

void BM_MoveNested(benchmark::State& state) {
  auto g = MakeChain(static_cast<int>(state.range(0)));
  CNullDC dc;
  g->Draw(&dc);
  int x = 0;
  for (auto _ : state) {
    g->ResetDone();
    g->MoveTo(CPoint{++x, 0});
    benchmark::DoNotOptimize(g->m_rcBounds);
  }
  state.counters["depth"] = static_cast<double>(state.range(0));
}

}  // namespace

BENCHMARK(BM_DrawRings)->RangeMultiplier(8)->Range(1, 4096);
BENCHMARK(BM_RotateRings)->RangeMultiplier(8)->Range(1, 4096);
BENCHMARK(BM_EllipseToRing);
BENCHMARK(BM_ResizeNested)->RangeMultiplier(4)->Range(4, 1024);
BENCHMARK(BM_MoveNested)->RangeMultiplier(4)->Range(4, 1024);

BENCHMARK_MAIN();
