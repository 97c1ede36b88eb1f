// The clipboard: Copy (one native stream of the drawing) and Paste (reading it back in
// paste mode, moving what came, the snapshot) on drawings of 10 000 and 100 000 objects, and
// the time to draw the SVG and the PNG that another program asks for, with their sizes.

#include <benchmark/benchmark.h>

#include <QString>
#include <optional>
#include <vector>

#include "bench/ChainDrawing.h"
#include "bench/QtBenchmarkMain.h"
#include "document/CClipboardSource.h"
#include "document/CKvillDoc.h"
#include "resources/CommandIds.h"
#include "shell/ExportPicture.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"
#include "view/IClipboard.h"

namespace {

// The clipboard kept in memory, as a copy leaves it for the same process.
class CMemoryClipboard : public IClipboard {
 public:
  void SetData(CClipboardSource source) override { m_source = std::move(source); }
  bool HasNativeData() override { return m_source.HasNative(); }
  std::optional<std::vector<std::uint8_t>> GetNativeData() override {
    if (!m_source.HasNative()) return std::nullopt;
    return *m_source.Native();
  }
  CClipboardSource m_source;
};

class CClipboardHost : public CHeadlessViewHost {
 public:
  IClipboard* GetClipboard() override { return &m_clipboard; }
  CMemoryClipboard m_clipboard;
};

void BM_Copy(benchmark::State& state) {
  CKvillDoc doc;
  CClipboardHost host;
  CKvillView view(&host, &doc);
  BuildChainDrawing(doc, static_cast<int>(state.range(0)));
  for (auto _ : state) view.OnCommand(cmd::kEditCopy);
  const std::size_t nBytes = host.m_clipboard.m_source.Native()->size();
  state.counters["objects"] = static_cast<double>(doc.m_listObjects.size());
  state.counters["stream_bytes"] = static_cast<double>(nBytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * nBytes));
}
BENCHMARK(BM_Copy)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Each iteration pastes the copied drawing once into the drawing it came from (so the
// snapshot after it holds twice the objects); the pasted objects go again between
// iterations, outside the time.
void BM_Paste(benchmark::State& state) {
  CKvillDoc doc;
  CClipboardHost host;
  CKvillView view(&host, &doc);
  BuildChainDrawing(doc, static_cast<int>(state.range(0)));
  const std::size_t nObjects = doc.m_listObjects.size();
  view.OnCommand(cmd::kEditCopy);
  for (auto _ : state) {
    view.OnCommand(cmd::kEditPaste);
    state.PauseTiming();
    view.DeselectAll();
    view.SetCurrent(nullptr);
    while (doc.m_listObjects.size() > nObjects) doc.m_listObjects.pop_back();
    view.ClearHistory();
    state.ResumeTiming();
  }
  state.counters["objects"] = static_cast<double>(nObjects);
  state.counters["stream_bytes"] = static_cast<double>(host.m_clipboard.m_source.Native()->size());
}
BENCHMARK(BM_Paste)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The picture a program asks for, drawn from the stream kept at the copy.
void BM_Picture(benchmark::State& state, const char* pszMimeType) {
  CKvillDoc doc;
  CClipboardHost host;
  CKvillView view(&host, &doc);
  BuildChainDrawing(doc, static_cast<int>(state.range(0)));
  view.OnCommand(cmd::kEditCopy);
  const CClipboardSource::Bytes& stream = *host.m_clipboard.m_source.Native();
  const QString type = QString::fromLatin1(pszMimeType);
  qsizetype nBytes = 0;
  for (auto _ : state) nBytes = ClipboardPicture(stream, type).size();
  state.counters["objects"] = static_cast<double>(doc.m_listObjects.size());
  state.counters["picture_bytes"] = static_cast<double>(nBytes);
}
BENCHMARK_CAPTURE(BM_Picture, svg, kSvgMimeType)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(BM_Picture, png, kPngMimeType)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
