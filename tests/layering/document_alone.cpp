// Linked with the document library and the layers below it only: a drawing is written and
// read back without any view, so a tie from the document to the view fails this link.
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CDot.h"

int main() {
  CKvillDoc doc;
  doc.m_listObjects.push_back(std::make_unique<CFormula>());
  auto dot = std::make_unique<CDot>();
  dot->MoveTo(CPoint{300, 0});
  doc.m_listObjects.push_back(std::move(dot));
  std::vector<std::uint8_t> bytes;
  {
    CArchive ar(&bytes);
    doc.Serialize(ar, CSerializeOptions::SaveWhole());
    ar.Flush();
  }
  CKvillDoc back;
  CArchive in{std::span<const std::uint8_t>(bytes)};
  return back.Serialize(in, CSerializeOptions::OpenFile()) && back.m_listObjects.size() == 2 ? 0
                                                                                             : 1;
}
