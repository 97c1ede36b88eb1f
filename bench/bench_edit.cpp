// One edit on a large drawing, from the command to the next frame: a full store for
// comparison, the undo snapshot after one changed object, the recovery file written then, a
// character typed into a formula (its snapshot and the paint after it), an undo and a redo, the
// frame after a change, and what the history holds after a hundred small edits. Drawings of benzene
// rings (groups of junctions and bonds), each with a formula bonded to it and a bond to the ring
// before.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "bench/ImageHost.h"
#include "bench/QtBenchmarkMain.h"
#include "bench/RingDrawing.h"
#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "platform/CRecoveryFile.h"
#include "platform/CRecoveryWriter.h"
#include "view/CKvillView.h"

namespace {

// A text set from outside the editing calls says that it changed, where objects can say so.
template <typename Object>
void MarkChanged(Object* p) {
  if constexpr (requires { p->MarkChanged(); }) p->MarkChanged();
}

// Rings of 16 objects (the group, six junctions, six bonds, the formula, its bond, the bond
// to the ring before) until the drawing has nObjects objects or more.
void BuildEditDrawing(CKvillDoc& doc, int nObjects) {
  const int nRings = (nObjects + 15) / 16;
  BuildRings(doc, nRings);
  std::vector<CKVObject*> firstVertex;
  for (const auto& p : doc.m_listObjects) {
    if (CGroup* pGroup = p->AsGroup()) {
      for (const auto& c : pGroup->m_listChildren) {
        if (c->m_nKind == KIND_DOT) {
          firstVertex.push_back(c.get());
          break;
        }
      }
    }
  }
  for (std::size_t i = 1; i < firstVertex.size(); ++i) {
    auto bond = std::make_unique<CCoupling>();
    bond->m_pEndA = firstVertex[i - 1];
    bond->m_pEndB = firstVertex[i];
    doc.m_listObjects.push_back(std::move(bond));
  }
}

// A drawing with a view on a 1920 x 1080 window showing about 50 rings, painted once so
// that formulas have laid themselves out, with its first snapshot taken.
struct EditScene {
  explicit EditScene(int nObjects) : view(&host, &doc) {
    BuildEditDrawing(doc, nObjects);
    view.Viewport().SetZoom(1.0 / 2.985984);
    Paint();
    view.PushSnapshot();
    for (const auto& p : doc.m_listObjects) {
      if (CFormula* f = p->AsFormula()) {
        pFormula = f;
        break;
      }
    }
  }
  void Paint() {
    CDC* pDC = host.GetDC();
    view.OnDraw(pDC);
    host.ReleaseDC(pDC);
  }
  // Moves the formula by 10 units, back and forth.
  void MoveFormula() {
    bRight = !bRight;
    pFormula->ResetDone();
    pFormula->MoveTo(CPoint{pFormula->m_ptAnchor.x + (bRight ? 10 : -10), pFormula->m_ptAnchor.y});
  }
  // The history starts again from the drawing as it is, so that it stays within memory.
  void RestartHistory() {
    view.ClearHistory();
    view.PushSnapshot();
  }
  void Count(benchmark::State& state) {
    state.counters["objects"] = static_cast<double>(CountObjects(doc.m_listObjects));
    state.counters["bytes"] = static_cast<double>(FullStore().size());
    // How many paints repainted the damaged area of the kept window buffer alone.
    state.counters["damage_paints"] = static_cast<double>(view.DamageOnlyPaints());
  }
  std::vector<std::uint8_t> FullStore() {
    std::vector<std::uint8_t> bytes;
    FullStoreInto(bytes);
    return bytes;
  }
  void FullStoreInto(std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    CArchive ar(&bytes);
    doc.Serialize(ar, CSerializeOptions::SaveWhole());
    ar.Flush();
  }

  CKvillDoc doc;
  ImageHost host;
  CKvillView view;
  CFormula* pFormula = nullptr;
  bool bRight = false;
};

// Into a buffer kept from one store to the next: a new one each time would measure how the
// allocator hands out and faults in ten megabytes, which depends on what ran before.
void BM_FullStore(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> bytes;
  for (auto _ : state) {
    scene.FullStoreInto(bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  scene.Count(state);
}

void BM_SnapshotAfterOneChange(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  int n = 0;
  for (auto _ : state) {
    scene.MoveFormula();
    scene.view.PushSnapshot();
    if (++n % 32 == 0) {
      state.PauseTiming();
      scene.RestartHistory();
      state.ResumeTiming();
    }
  }
  scene.Count(state);
}

// The recovery file after one change, as the editor writes it in idle time: what the
// window does (hands the history's runs of records of the snapshot the change took, not
// timed here, to the writing thread) and, apart, the write of the file on that thread
// (through the safe writer, the flushes of file and folder included) into a folder of the
// benchmark's own.
struct RecoveryScene : EditScene {
  explicit RecoveryScene(int nObjects) : EditScene(nObjects) {}
  void Change(int& n) {
    MoveFormula();
    view.PushSnapshot();
    if (++n % 32 == 0) RestartHistory();
  }
  const QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("valendra-1-1.recovery"));
  const CRecoveryHeader header = CRecoveryHeader::ForThisProcess("/bench/drawing.vld");
};

void BM_RecoveryWriteAfterOneChange(benchmark::State& state) {
  RecoveryScene scene(static_cast<int>(state.range(0)));
  CRecoveryWriter writer;
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    writer.Wait();
    scene.Change(n);
    state.ResumeTiming();
    writer.Write(scene.path, scene.header, scene.view.History().CurrentRuns());
  }
  writer.Wait();
  for (const auto& result : writer.TakeResults()) {
    if (!result.bOk) state.SkipWithError("not written");
  }
  scene.Count(state);
}

void BM_RecoveryFileWrite(benchmark::State& state) {
  RecoveryScene scene(static_cast<int>(state.range(0)));
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    scene.Change(n);
    const std::vector<CStoredRecordRef> records = scene.view.History().CurrentRecords();
    state.ResumeTiming();
    if (!recovery::Write(scene.path, scene.header, records, nullptr)) {
      state.SkipWithError("not written");
    }
  }
  scene.Count(state);
}

void BM_TypeInFormula(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  CKvillView& view = scene.view;
  const auto startEdit = [&] {
    view.OnEndEdit();
    scene.pFormula->m_strText = "CH";
    MarkChanged(scene.pFormula);
    view.SetCurrent(scene.pFormula);
    view.OnEditFormula();
    scene.Paint();
    scene.RestartHistory();
  };
  startEdit();
  int n = 0;
  for (auto _ : state) {
    // The view paints the window itself before it records the snapshot.
    view.OnChar('a' + n % 26);
    if (++n % 16 == 0) {
      state.PauseTiming();
      startEdit();
      state.ResumeTiming();
    }
  }
  scene.Count(state);
}

void BM_UndoRedo(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  scene.MoveFormula();
  scene.view.PushSnapshot();
  for (auto _ : state) {
    scene.view.Undo();
    scene.view.Redo();
  }
  scene.Count(state);
}

// The first undo and redo after a drawing was built: nothing was loaded yet, so nothing can
// be kept and the drawing is reloaded whole, and the paint after it indexes every object.
// One pair per drawing, each drawing built anew outside the timing.
void BM_FirstUndoRedo(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto scene = std::make_unique<EditScene>(static_cast<int>(state.range(0)));
    scene->MoveFormula();
    scene->view.PushSnapshot();
    state.ResumeTiming();
    scene->view.Undo();
    scene->view.Redo();
    state.PauseTiming();
    scene->Count(state);
    scene.reset();
    state.ResumeTiming();
  }
}

// The same without the paint that follows each reload: what reading the snapshot costs.
void BM_UndoRedoWithoutPaint(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  scene.MoveFormula();
  scene.view.PushSnapshot();
  scene.view.m_bPaintEnabled = 0;
  for (auto _ : state) {
    scene.view.Undo();
    scene.view.Redo();
  }
  scene.Count(state);
}

void BM_FrameAfterChange(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.MoveFormula();
    scene.view.UpdateView();
  }
  scene.Count(state);
}

// Bytes the history holds after 100 edits of one object each, beside one full snapshot.
template <typename History>
double HeldBytes(const History& history) {
  if constexpr (requires { history.HeldBytes(); }) {
    return static_cast<double>(history.HeldBytes());
  } else {
    // Every snapshot a whole stream of its own.
    double n = 0;
    for (std::size_t i = 0; i < history.Size(); ++i)
      n += static_cast<double>(history.BytesAt(i).size());
    return n;
  }
}

void BM_HistoryBytes(benchmark::State& state) {
  EditScene scene(static_cast<int>(state.range(0)));
  double dHeld = 0;
  for (auto _ : state) {
    scene.RestartHistory();
    for (int i = 0; i < 100; ++i) {
      scene.MoveFormula();
      scene.view.PushSnapshot();
    }
    dHeld = HeldBytes(scene.view.History());
  }
  scene.Count(state);
  state.counters["held_bytes"] = dHeld;
  state.counters["held_per_snapshot_bytes"] = dHeld / state.counters["bytes"];
}

#define EDIT_BENCHMARK(name) BENCHMARK(name)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
EDIT_BENCHMARK(BM_FullStore);
EDIT_BENCHMARK(BM_SnapshotAfterOneChange);
// A fixed count: each hand-over waits, untimed, for the write before it.
EDIT_BENCHMARK(BM_RecoveryWriteAfterOneChange)->Iterations(64);
EDIT_BENCHMARK(BM_RecoveryFileWrite);
EDIT_BENCHMARK(BM_TypeInFormula);
EDIT_BENCHMARK(BM_UndoRedo);
EDIT_BENCHMARK(BM_FirstUndoRedo);
EDIT_BENCHMARK(BM_UndoRedoWithoutPaint);
EDIT_BENCHMARK(BM_FrameAfterChange);
EDIT_BENCHMARK(BM_HistoryBytes)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
