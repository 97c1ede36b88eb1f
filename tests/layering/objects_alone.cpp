// Linked with the objects library alone: a junction, a ring, an ellipse and a charge are
// made, drawn, hit and written as records, so a tie from the objects to a higher layer
// (a record, a vtable or a call defined above them) fails this program's link.
#include <vector>

#include "objects/CArchive.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CPlusC.h"
#include "objects/CRecordingDC.h"
#include "objects/RingTemplates.h"

int main() {
  CRecordingDC dc;
  CGroup ring;
  PlaceRing(CPoint{0, 0}, ring, 6, 0.0);
  CDot dot;
  dot.MoveTo(CPoint{500, 0});
  CEllipse ellipse;
  ellipse.MoveTo(CPoint{0, 600});
  ellipse.SetHalfSize(100, 100);
  CPlusC plus;
  plus.MoveTo(CPoint{900, 0});
  std::vector<std::uint8_t> bytes;
  {
    CArchive ar(&bytes);
    for (CKVObject* p : std::vector<CKVObject*>{&ring, &dot, &ellipse, &plus}) {
      p->Draw(&dc);
      p->Store(ar, 0, nullptr);
      p->Store(ar, 1, nullptr);
    }
    ar.Flush();
  }
  // Six junctions and six bonds in the ring, each object written once.
  return ring.m_listChildren.size() == 12 && dot.HitTest(CPoint{500, 0}) != 0 && !bytes.empty() ? 0
                                                                                                : 1;
}
