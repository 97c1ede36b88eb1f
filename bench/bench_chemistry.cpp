// Drawings read as molecules: reading alone, and reading with every molecule written as
// SMILES, at 1 000, 10 000 and 100 000 atoms of benzene rings with a labelled substituent
// each; one ring system (a ladder) of 10 000 and 100 000 atoms written as MOL, the worst case
// of the cheminformatics library; and the status bar's formula and mass of 1 000 selected
// atoms. Structures coming in: an SDF of 100 and 1 000 molecules (with their coordinates)
// read and drawn, and one SMILES of 250 and 1 000 atoms laid out and drawn. Each reports its
// atoms, so the growth of the cost shows.

#include <benchmark/benchmark.h>

#include <memory>
#include <numeric>

#include "RingDrawing.h"
#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureImport.h"
#include "chemistry/StructureOutput.h"
#include "chemistry/StructureReader.h"
#include "chemistry/StructureSelection.h"
#include "objects/CDot.h"

namespace {

// About nAtoms atoms: a benzene ring and its label are seven or more.
void BuildAtoms(CKvillDoc& doc, long nAtoms) { BuildRings(doc, static_cast<int>(nAtoms / 7)); }

void Report(benchmark::State& state, std::size_t nAtoms) {
  state.counters["atoms"] = static_cast<double>(nAtoms);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * nAtoms));
}

void BM_ReadStructure(benchmark::State& state) {
  CKvillDoc doc;
  BuildAtoms(doc, state.range(0));
  std::size_t nAtoms = 0;
  for (auto _ : state) {
    const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
    nAtoms = s.atoms.size();
    benchmark::DoNotOptimize(s.molecules.data());
  }
  Report(state, nAtoms);
}
BENCHMARK(BM_ReadStructure)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Reads the drawing and writes it in a format, as --convert does after opening the file.
void ReadAndWrite(benchmark::State& state, const CKvillDoc& doc, CStructureFormat format) {
  std::size_t nAtoms = 0;
  std::size_t nBytes = 0;
  for (auto _ : state) {
    const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
    CMoleculeSet set(s);
    const CStructureText text = WriteStructureText(format, set, "bench");
    nAtoms = s.atoms.size();
    nBytes = text.strText.size();
    benchmark::DoNotOptimize(text.strText.data());
  }
  Report(state, nAtoms);
  state.counters["bytes"] = static_cast<double>(nBytes);
}

void BM_ReadAndWriteSmiles(benchmark::State& state) {
  CKvillDoc doc;
  BuildAtoms(doc, state.range(0));
  ReadAndWrite(state, doc, CStructureFormat::Smiles);
}
BENCHMARK(BM_ReadAndWriteSmiles)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One ring system: two rails of junctions joined at every junction, a ladder.
void BM_LadderAsMol(benchmark::State& state) {
  CKvillDoc doc;
  const long n = state.range(0) / 2;
  CKVObject* pTop = nullptr;
  CKVObject* pBottom = nullptr;
  const auto dot = [&doc](int x, int y) {
    auto p = std::make_unique<CDot>();
    p->MoveTo(CPoint{x, y});
    p->ResetDone();
    CKVObject* raw = p.get();
    doc.m_listObjects.push_back(std::move(p));
    return raw;
  };
  const auto bond = [&doc](CKVObject* a, CKVObject* b) {
    auto p = std::make_unique<CCoupling>();
    p->m_pEndA = a;
    p->m_pEndB = b;
    doc.m_listObjects.push_back(std::move(p));
  };
  for (long k = 0; k < n; ++k) {
    const int x = static_cast<int>(k % 1000) * 300;
    const int y = static_cast<int>(k / 1000) * 1000;
    CKVObject* pNewTop = dot(x, y + 300);
    CKVObject* pNewBottom = dot(x, y);
    bond(pNewTop, pNewBottom);
    if (pTop != nullptr) {
      bond(pTop, pNewTop);
      bond(pBottom, pNewBottom);
    }
    pTop = pNewTop;
    pBottom = pNewBottom;
  }
  ReadAndWrite(state, doc, CStructureFormat::Mol);
}
BENCHMARK(BM_LadderAsMol)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The status bar's field: 1 000 selected atoms (every ring of a drawing of that size).
void BM_StatusField(benchmark::State& state) {
  CKvillDoc doc;
  BuildAtoms(doc, state.range(0));
  for (const auto& p : doc.m_listObjects) p->m_bSelected = 1;
  std::string text;
  for (auto _ : state) {
    text = SelectionFormulaAndMass(doc.m_listObjects);
    benchmark::DoNotOptimize(text.data());
  }
  Report(state, ReadDrawingStructure(doc.m_listObjects).atoms.size());
  state.SetLabel(text);
}
BENCHMARK(BM_StatusField)->Arg(1000)->Unit(benchmark::kMillisecond);

// An SDF of nMolecules records (a benzene ring with a labelled substituent each, coordinates
// included) opened: read, and drawn as our objects.
void BM_OpenSdf(benchmark::State& state) {
  CKvillDoc doc;
  BuildRings(doc, static_cast<int>(state.range(0)));
  const CDrawingStructure structure = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(structure);
  const std::string sdf = WriteStructureText(CStructureFormat::Sdf, set, "bench").strText;
  std::size_t nAtoms = 0;
  for (auto _ : state) {
    const CImportedStructure s = ImportStructure(sdf, CStructureSource::Sdf);
    const CObList objects = DrawImportedStructure(s, CPoint{0, 0});
    nAtoms = 0;
    for (const CLaidOutMolecule& m : s.molecules) nAtoms += m.atoms.size();
    benchmark::DoNotOptimize(objects.size());
  }
  Report(state, nAtoms);
  state.counters["molecules"] = static_cast<double>(state.range(0));
  state.counters["bytes"] = static_cast<double>(sdf.size());
}
BENCHMARK(BM_OpenSdf)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// One molecule of about nAtoms atoms given as SMILES, without coordinates: a peptide of
// phenylalanine and alanine (16 atoms and a ring a unit), laid out and drawn.
void BM_LayOutSmiles(benchmark::State& state) {
  std::string smiles = "N";
  for (long n = 0; n < (state.range(0) - 2) / 16; ++n) smiles += "C(C)C(=O)NC(Cc1ccccc1)C(=O)N";
  smiles += "C";
  std::size_t nAtoms = 0;
  for (auto _ : state) {
    const CImportedStructure s = ImportStructure(smiles, CStructureSource::Smiles);
    const CObList objects = DrawImportedStructure(s, CPoint{0, 0});
    nAtoms = s.molecules.empty() ? 0 : s.molecules[0].atoms.size();
    if (!s.strError.empty()) state.SkipWithError(s.strError.c_str());
    benchmark::DoNotOptimize(objects.size());
  }
  Report(state, nAtoms);
}
BENCHMARK(BM_LayOutSmiles)->Arg(250)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
