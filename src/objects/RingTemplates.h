#pragma once

#include "objects/Geometry.h"

class CGroup;

// The circumradius of every ring template, in drawing units.
constexpr int kRingRadius = 300;

// The regular ring: nVertices junctions on a circle of radius 300 about pt, counterclockwise
// from the start angle (radians), joined by single bonds; vertex 0, then each further vertex
// followed by the bond that ends at it, then the bond closing the ring, all appended to
// group. A group's rotation builds its polygons with it, and the view's template tools
// their rings.
void PlaceRing(CPoint pt, CGroup& group, int nVertices, double dStartAngle);
