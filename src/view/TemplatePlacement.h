#pragma once

#include "objects/Geometry.h"

class CGroup;

// The ring templates beside the plain ring of RingTemplates.h. Each one fills a new group
// at the press point pt with junctions, bonds and (aromatic rings) an inner circle, each
// vertex before the bonds that end at it.

// The regular ring, then an inner circle 5 units right of and below its centre, of half
// size floor(cos(pi / N) * 210), when there are more than two vertices.
void PlaceAromaticRing(CPoint pt, CGroup& group, int nVertices, double dStartAngle);
// A six-ring whose bonds 0-1, 2-3 and 4-5 are double bonds drawn on side 2.
void PlaceKekuleBenzene(CPoint pt, CGroup& group, double dStartAngle);

// The fused ring systems, built from hexagons of circumradius 300 standing on a vertex.
enum class FusedTemplate { Naphthalene, Anthracene, Tetracene, Phenanthrene, Chrysene };
void PlaceFused(CPoint pt, CGroup& group, FusedTemplate which);

// The single ring a template tool places, as it is built onto a bond or a junction: its
// vertex count (nPolyVertices for the polygon tools: the count last asked for), and whether
// it has an inner circle or alternating double bonds. False for the ring systems, which are
// always placed whole.
struct FusibleRing {
  int nVertices = 0;
  bool bCircle = false;
  bool bAlternating = false;
};
bool FusibleRingOf(int nTool, int nPolyVertices, FusibleRing& ring);
