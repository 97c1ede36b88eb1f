// Feeds arbitrary native streams through the reading of a drawing as molecules and through
// every structure writer (MOL, SDF, SMILES, InChI, RXN), the status bar's formula of the
// selection and the check of the structure. Any crash, sanitizer report, exception that
// escapes or runaway allocation is a bug.

#include <cstddef>
#include <cstdint>
#include <span>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StreamStructure.h"
#include "chemistry/StructureOutput.h"
#include "chemistry/StructureReader.h"
#include "chemistry/StructureSelection.h"
#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> stream(data, size);
  CKvillDoc doc;
  CArchive in{stream};
  doc.Serialize(in, {.bReplaceOnLoad = true});
  const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(s);
  for (CStructureFormat format :
       {CStructureFormat::Mol, CStructureFormat::Sdf, CStructureFormat::Smiles,
        CStructureFormat::InChI, CStructureFormat::Rxn}) {
    WriteStructureText(format, set, "fuzz");
  }
  set.Problems();
  SelectionFormulaAndMass(doc.m_listObjects);
  // What a copy of these bytes offers other programs.
  StructureOfStream(stream);
  return 0;
}
