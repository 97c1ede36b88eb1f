// Start-up time of the editor: from starting the process to its first painted window, then
// the end of the process (the program quits after that paint when asked to). The drawing
// named on the command line, when there is one, is opened before that paint counts.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CEllipse.h"

extern char** environ;

namespace {

#ifdef VALENDRA_BINARY
// A drawing of n ellipses in a file of its own.
std::string WriteDrawing(int n) {
  const std::string path =
      "/tmp/valendra_bench_startup_" + std::to_string(getpid()) + "_" + std::to_string(n) + ".vld";
  CKvillDoc doc;
  for (int i = 0; i < n; ++i) {
    auto e = std::make_unique<CEllipse>();
    const int x = (i % 100) * 400;
    const int y = -(i / 100) * 400;
    e->m_rcBounds = CRect{x, y, x + 300, y - 200};
    e->m_ptAnchor = CPoint{x, y};
    doc.m_listObjects.push_back(std::move(e));
  }
  std::vector<std::uint8_t> bytes;
  {
    CArchive ar(&bytes);
    doc.Serialize(ar);
    ar.Flush();
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return {};
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

void BM_StartUpToFirstPaint(benchmark::State& state) {
  const int nObjects = static_cast<int>(state.range(0));
  const std::string file = nObjects > 0 ? WriteDrawing(nObjects) : std::string();
  const std::string settings = "/tmp/valendra_bench_startup_" + std::to_string(getpid()) + ".ini";
  setenv("VALENDRA_SETTINGS", settings.c_str(), 1);
  // No recovery files of the user's are offered (a question would hold the start up).
  const std::string stateFolder = "/tmp/valendra_bench_startup_state_" + std::to_string(getpid());
  setenv("XDG_STATE_HOME", stateFolder.c_str(), 1);
  setenv("VALENDRA_QUIT_AFTER_FIRST_PAINT", "1", 1);
  setenv("VALENDRA_EDITOR", "1", 1);
  if (getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::vector<std::string> args = {VALENDRA_BINARY};
  if (!file.empty()) args.push_back(file);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start the editor");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the editor did not end normally");
      break;
    }
  }
  state.counters["objects"] = nObjects;
  if (!file.empty()) std::remove(file.c_str());
  std::remove(settings.c_str());
  std::filesystem::remove_all(stateFolder);
}
BENCHMARK(BM_StartUpToFirstPaint)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
#endif

}  // namespace

BENCHMARK_MAIN();
