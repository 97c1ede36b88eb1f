// Linked with the chemistry library and the layers below it only: a drawing is read as a
// molecule and written as SMILES without any view, so a tie to the view fails this link.
#include <memory>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureReader.h"
#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"

int main() {
  CKvillDoc doc;
  auto a = std::make_unique<CDot>();
  auto b = std::make_unique<CDot>();
  b->MoveTo(CPoint{300, 0});
  auto bond = std::make_unique<CCoupling>();
  bond->m_pEndA = a.get();
  bond->m_pEndB = b.get();
  bond->m_nStyle = 2;
  doc.m_listObjects.push_back(std::move(a));
  doc.m_listObjects.push_back(std::move(b));
  doc.m_listObjects.push_back(std::move(bond));
  const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(s);
  return set.Smiles(0) == "C=C" ? 0 : 1;
}
