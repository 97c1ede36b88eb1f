// Feeds arbitrary text through the reading of structures that come in (MOL, SDF, SMILES,
// reaction SMILES, RXN, CDXML and clipboard text): the first byte chooses the kind, the rest
// is the text. What is read is drawn, the drawing read back as molecules and each laid out
// afresh as Clean Structure does. Any crash, sanitizer report, exception that escapes, hang
// or runaway allocation is a bug.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureImport.h"
#include "chemistry/StructureReader.h"

// RDKit's MOL parser leaks the molecule and conformer it was building when a record turns
// out malformed halfway (a bond to an atom that is not there): it allocates them before the
// atom and bond lines are read and frees neither when it throws. Malformed records are what
// this target feeds it, so those leaks are suppressed here, for this binary alone, by the
// parser's function. The suppression has to stay out of the test suite's file
// (scripts/lsan.supp): a molecule holds a cycle of pointers (its conformer points back at
// it), so suppressing any block of a leaked molecule hides all of it, including one that we
// fail to free; the tests, which give RDKit well-formed records and have every broken one
// refused before it reaches RDKit, keep that check. The slow unwinder is needed because
// RDKit's libraries keep no frame pointers: the fast one stops at their first frame, which
// names no function.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() {
  return "leak:RDKit::FileParserUtils::ParseV2000CTAB\n"
         "leak:RDKit::FileParserUtils::ParseV3000CTAB\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  CImportedStructure s;
  switch (data[0] % 6) {
    case 0:
      s = ImportStructure(text, CStructureSource::Mol);
      break;
    case 1:
      s = ImportStructure(text, CStructureSource::Sdf);
      break;
    case 2:
      s = ImportStructure(text, CStructureSource::Smiles);
      break;
    case 3:
      s = ImportStructure(text, CStructureSource::Rxn);
      break;
    case 4:
      s = ImportStructure(text, CStructureSource::Cdxml);
      break;
    default:
      s = ImportStructureText(text);
      break;
  }
  StructureSourceOfContent(text);
  const CObList objects = DrawImportedStructure(s, CPoint{0, 0});
  const CDrawingStructure read = ReadDrawingStructure(objects);
  CMoleculeSet set(read);
  for (std::size_t m = 0; m < read.molecules.size(); ++m) {
    set.Smiles(static_cast<int>(m));
    // Clean Structure's layout of what was drawn.
    CLaidOutMolecule fresh;
    std::string strReason;
    set.FreshLayout(static_cast<int>(m), &fresh, &strReason);
  }
  return 0;
}
