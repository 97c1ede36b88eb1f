#pragma once

#include "objects/Geometry.h"

class CKVObject;

// A box, in drawing units, that holds everything the object paints (its strokes at their
// widths, a bond's band and heads, text cells, selection marks), computed from the current
// positions of the object and of the ends of its bonds without drawing anything. It is
// generous on purpose: the screen skips objects whose reach misses the visible area, and
// the picture must stay exactly the same.
CRect PaintReach(CKVObject* pObj);

// How far from the line between its ends a bond of this stored thickness paints: its band,
// strokes, wedges, dashes, wave and arrow heads (a head is 120 units per unit of thickness
// long, so on a bond shorter than that it reaches past the far end), with its pen and marks.
std::int64_t BondStrokeReach(double dThickness);

// Whether two boxes (either orientation) share a point.
bool BoxesMeet(const CRect& a, const CRect& b);
