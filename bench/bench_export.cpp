// Exporting a picture as --export and File > Export Picture do: drawings of benzene rings
// with formulas written as PNG at 300 pixels per inch, as SVG and as PDF. The PNG of 2000
// rings is 10 417 x 8 334 pixels.
//
//   bench_export --save N FILE   writes the drawing of N rings to FILE (.vld) and exits,
//                                to try the same drawing in the editor.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/QtBenchmarkMain.h"
#include "bench/RingDrawing.h"
#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "shell/ExportPicture.h"

namespace {

void Export(benchmark::State& state, const char* pszExtension, int nDpi) {
  CKvillDoc doc;
  BuildRings(doc, static_cast<int>(state.range(0)));
  QTemporaryDir dir;
  const std::string out = dir.filePath(QStringLiteral("picture.") + pszExtension).toStdString();
  for (auto _ : state) {
    std::string strError;
    if (ExportDocument(doc, out, nDpi, &strError) != 0) {
      state.SkipWithError(strError.c_str());
      break;
    }
  }
  state.counters["rings"] = static_cast<double>(state.range(0));
  state.counters["objects"] = static_cast<double>(CountObjects(doc.m_listObjects));
}

void BM_ExportPng(benchmark::State& state) { Export(state, "png", 300); }
void BM_ExportSvg(benchmark::State& state) { Export(state, "svg", 300); }
void BM_ExportPdf(benchmark::State& state) { Export(state, "pdf", 300); }

BENCHMARK(BM_ExportPng)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportSvg)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportPdf)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

int SaveDrawing(int nRings, const char* pszPath) {
  CKvillDoc doc;
  BuildRings(doc, nRings);
  CArchive ar(pszPath, CArchive::store);
  if (!ar.IsOpen()) return 1;
  doc.m_bClearModifiedOnStore = 0;
  return doc.Serialize(ar) && ar.Flush() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--save") == 0) {
    return SaveDrawing(std::atoi(argv[2]), argv[3]);
  }
  return RunQtBenchmarks(argc, argv);
}
