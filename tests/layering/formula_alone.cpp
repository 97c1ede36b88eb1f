// Linked with the formula library and the objects below it only: a formula is laid out,
// edited and met by a bond, so a tie from either to a higher layer fails this link.
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CRecordingDC.h"

int main() {
  CRecordingDC dc;
  CFormula formula;
  formula.m_strText = "CH#idown 3# ";
  formula.MoveTo(CPoint{0, 0});
  formula.Draw(&dc);
  formula.m_nCaret = 0;
  formula.InsertText("H");
  CDot dot;
  dot.MoveTo(CPoint{2000, 0});
  CCoupling bond;
  bond.m_pEndA = &formula;
  bond.m_pEndB = &dot;
  bond.Draw(&dc);
  // The bond leaves the formula at its letter frame, right of the anchor.
  return formula.m_strText == "HCH#idown 3# " && bond.m_ptA.x > 0 ? 0 : 1;
}
