// Feeds arbitrary text through the reading of structures that come in (MOL, SDF, SMILES,
// reaction SMILES, RXN, CDXML and clipboard text): the first byte chooses the kind, the rest
// is the text. What is read is drawn and the drawing read back as molecules. Any crash,
// sanitizer report, exception that escapes, hang or runaway allocation is a bug.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureImport.h"
#include "chemistry/StructureReader.h"

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
  for (std::size_t m = 0; m < read.molecules.size(); ++m) set.Smiles(static_cast<int>(m));
  return 0;
}
