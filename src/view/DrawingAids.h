#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "objects/Geometry.h"

// The drawing aids a user turns on in View > Drawing Aids. Each is off until turned on, and
// off it leaves the editor exactly as it draws without aids.
struct CDrawingAids {
  // A bond's free end snaps to the standard length and angle; press, drag and release
  // draws a bond.
  std::int32_t m_bStandardBonds = 0;
  // A click with a bond tool on a junction or formula adds a standard bond from it.
  std::int32_t m_bClickAddsBond = 0;
  // A ring template pressed on a bond or a junction is built onto it.
  std::int32_t m_bFuseRings = 0;
  // The tool stays chosen after it created an object.
  std::int32_t m_bKeepTools = 0;
  // Typing over a junction makes a label there; digits and charges go into indices.
  std::int32_t m_bTypingMakesLabels = 0;
};

// Each aid's command and its settings record ("1" on, "0" or absent off).
struct DrawingAidRow {
  int nCommand;
  const char* pszRecord;
  std::int32_t CDrawingAids::*pFlag;
};
extern const DrawingAidRow kDrawingAidRows[5];
const DrawingAidRow* FindDrawingAid(int nCommand);

// ---- The geometry the aids build with (drawing units, y up)

namespace aids {

// A bond of the standard length: a template ring's edge.
constexpr int kStandardBond = 300;

// The point at the given distance from `from` in the direction dAngle (radians), rounded.
CPoint PointAt(CPoint from, double dAngle, double dLength);
// The free end of a bond from a that the pointer at p asks for: the standard length, in the
// direction of p rounded to the nearest 15 degrees from the horizontal.
CPoint SnapBondEnd(CPoint a, CPoint p);
// The direction (radians) of a new bond from the junction at j, whose bonds go to the points
// in `others`: 30 degrees up to the right with no bond; with one, 120 degrees from it, on the
// side away from `beyond` (the far ends of the neighbour's other bonds) so that a chain
// zigzags, else the side nearer the horizontal (then the right, then the lower); with more, the
// bisector of the largest free angle. A direction within 3 degrees of a multiple of 15 is taken as
// that multiple, so that the rounding of existing junctions does not tilt what is built on them.
// The bisector of the largest free angle between the bonds from j to `others` (away from a
// single bond); straight up when there are none. Snapped as NewBondAngle's.
double FreeAngle(CPoint j, std::span<const CPoint> others);
double NewBondAngle(CPoint j, std::span<const CPoint> others, std::span<const CPoint> beyond);
// The vertices of a regular n-ring that has the bond a-b as an edge and lies on the side of
// `towards`, counterclockwise, beginning with the bond's two ends (a, b or b, a).
std::vector<CPoint> RingOnBond(CPoint a, CPoint b, CPoint towards, int nVertices);
// The vertices of a regular n-ring of edge kStandardBond with j as a vertex and its centre in
// the direction dAway from j, counterclockwise, beginning with j.
std::vector<CPoint> RingOnJunction(CPoint j, double dAway, int nVertices);

}  // namespace aids
