// How the formula engine's cost grows with the length of a text. There is no layout cache:
// every caret query walks and measures the text from its start, so a click (which asks
// every position) is quadratic in the length. Formulas are short; the larger sizes show
// where that stops being free.

#include <benchmark/benchmark.h>

#include <string>

#include "formula/CFormula.h"
#include "formula/FormulaMarkup.h"
#include "objects/CRecordingDC.h"

namespace {

// A text of about n bytes: repeated "CH#idown 2#  <a>" units (16 bytes each).
std::string MakeText(int n) {
  std::string s;
  while (static_cast<int>(s.size()) + 16 <= n) s += "CH#idown 2# <a>x";
  return s;
}

void BM_StopKindAtEveryPosition(benchmark::State& state) {
  const std::string text = MakeText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    int stops = 0;
    for (int p = 0; p <= static_cast<int>(text.size()); ++p) stops += StopKindAt(text, p) != 0;
    benchmark::DoNotOptimize(stops);
  }
  state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_Draw(benchmark::State& state) {
  CFormula f;
  f.m_strText = MakeText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CRecordingDC dc;
    f.Draw(&dc);
    benchmark::DoNotOptimize(f.m_rcBounds);
  }
  state.counters["bytes"] = static_cast<double>(f.m_strText.size());
}

void BM_PlaceCaretAtPoint(benchmark::State& state) {
  CFormula f;
  f.m_strText = MakeText(static_cast<int>(state.range(0)));
  CRecordingDC dc;
  for (auto _ : state) {
    f.PlaceCaretAtPoint(&dc, CPoint{500, -100}, nullptr);
    benchmark::DoNotOptimize(f.m_nCaret);
  }
  state.counters["bytes"] = static_cast<double>(f.m_strText.size());
}

}  // namespace

BENCHMARK(BM_StopKindAtEveryPosition)->RangeMultiplier(4)->Range(16, 1024);
BENCHMARK(BM_Draw)->RangeMultiplier(4)->Range(16, 1024);
BENCHMARK(BM_PlaceCaretAtPoint)->RangeMultiplier(4)->Range(16, 1024);

BENCHMARK_MAIN();
