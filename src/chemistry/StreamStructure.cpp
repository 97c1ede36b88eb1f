#include "chemistry/StreamStructure.h"

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureOutput.h"
#include "chemistry/StructureReader.h"
#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"

CStreamStructure StructureOfStream(std::span<const std::uint8_t> stream) {
  CStreamStructure out;
  CKvillDoc doc;
  CArchive ar{stream};
  if (!doc.Serialize(ar, CSerializeOptions{.bReplaceOnLoad = true})) return out;
  const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
  if (!s.HasStructure()) return out;
  CMoleculeSet set(s);
  const std::vector<int> molecules = StructureMolecules(s);
  out.strMolBlock = set.MolBlock(molecules, "Valendra");
  out.strSmiles = SmilesText(set, molecules);
  return out;
}
