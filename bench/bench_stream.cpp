// Store and load of the native stream on generated drawings of growing size: rings as
// groups of six dots and six bonds, a bond between neighbouring rings, and a formula per
// ring. Every size reports MB/s and objects/s, so the growth of the cost shows.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CGroup.h"

namespace {

constexpr int kObjectsPerRing = 15;  // group, 6 dots, 6 bonds, a formula, a bond to the last ring

std::unique_ptr<CDot> Dot(int x, int y) {
  auto p = std::make_unique<CDot>();
  p->m_rcBounds = CRect{x - 30, y + 30, x + 30, y - 30};
  p->m_ptAnchor = CPoint{x, y};
  return p;
}

// A drawing of about nObjects objects, counting the descendants of groups; returns the
// exact count.
long Generate(CKvillDoc& doc, long nObjects) {
  const long nRings = std::max(1L, nObjects / kObjectsPerRing);
  CKVObject* pPrevDot = nullptr;
  for (long r = 0; r < nRings; ++r) {
    const int cx = static_cast<int>(r % 1000) * 2000;
    const int cy = static_cast<int>(r / 1000) * 2000;
    auto g = std::make_unique<CGroup>();
    CGroup* pGroup = g.get();
    doc.m_listObjects.push_back(std::move(g));
    CKVObject* dots[6];
    for (int k = 0; k < 6; ++k) {
      const double a = k * 3.14159265358979 / 3;
      auto d =
          Dot(cx + static_cast<int>(600 * std::cos(a)), cy + static_cast<int>(600 * std::sin(a)));
      dots[k] = d.get();
      pGroup->AddChild(std::move(d));
    }
    for (int k = 0; k < 6; ++k) {
      auto b = std::make_unique<CCoupling>();
      b->m_pEndA = dots[k];
      b->m_pEndB = dots[(k + 1) % 6];
      b->m_nStyle = k % 2 ? 1 : 2;
      pGroup->AddChild(std::move(b));
    }
    pGroup->m_rcBounds = CRect{cx - 630, cy + 550, cx + 630, cy - 550};
    pGroup->m_ptAnchor = CPoint{cx - 630, cy + 550};
    auto f = std::make_unique<CFormula>();
    f->m_strText = "CH_3";
    f->m_rcBounds = CRect{cx + 800, cy + 100, cx + 1200, cy - 100};
    f->m_ptAnchor = CPoint{cx + 800, cy + 100};
    doc.m_listObjects.push_back(std::move(f));
    if (pPrevDot) {
      auto b = std::make_unique<CCoupling>();
      b->m_pEndA = pPrevDot;
      b->m_pEndB = dots[3];
      doc.m_listObjects.push_back(std::move(b));
    }
    pPrevDot = dots[0];
  }
  return nRings * kObjectsPerRing - 1;
}

std::vector<std::uint8_t> Store(CKvillDoc& doc) {
  std::vector<std::uint8_t> out;
  CArchive ar(&out);
  doc.Serialize(ar);
  return out;
}

void Report(benchmark::State& state, std::size_t nBytes, long nObjects) {
  const double it = static_cast<double>(state.iterations());
  state.counters["MB/s"] =
      benchmark::Counter(static_cast<double>(nBytes) * it / 1e6, benchmark::Counter::kIsRate);
  state.counters["objects/s"] =
      benchmark::Counter(static_cast<double>(nObjects) * it, benchmark::Counter::kIsRate);
  state.counters["bytes"] = static_cast<double>(nBytes);
  state.counters["objects"] = static_cast<double>(nObjects);
}

void BM_Store(benchmark::State& state) {
  CKvillDoc doc;
  const long nObjects = Generate(doc, state.range(0));
  const std::size_t nBytes = Store(doc).size();
  std::vector<std::uint8_t> out;
  out.reserve(nBytes);
  for (auto _ : state) {
    out.clear();
    CArchive ar(&out);
    doc.Serialize(ar);
    ar.Flush();
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, nBytes, nObjects);
}

void BM_Load(benchmark::State& state) {
  std::vector<std::uint8_t> bytes;
  long nObjects = 0;
  std::size_t nTop = 0;
  {
    CKvillDoc doc;
    nObjects = Generate(doc, state.range(0));
    nTop = doc.m_listObjects.size();
    bytes = Store(doc);
  }
  for (auto _ : state) {
    auto pDoc = std::make_unique<CKvillDoc>();
    CArchive ar{std::span<const std::uint8_t>(bytes)};
    const bool bOk = pDoc->Serialize(ar);
    benchmark::DoNotOptimize(bOk);
    state.PauseTiming();
    if (!bOk || pDoc->m_listObjects.size() != nTop)
      state.SkipWithError("the drawing did not load whole");
    pDoc.reset();  // freeing a million objects is not part of the load
    state.ResumeTiming();
  }
  Report(state, bytes.size(), nObjects);
}

}  // namespace

BENCHMARK(BM_Store)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
