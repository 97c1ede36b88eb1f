#pragma once

#include "objects/CObList.h"
#include "objects/Geometry.h"

// The built-in demonstration drawing that `valendra` renders while it has no editor window:
// every kind of object the program draws so far, at several sizes, thicknesses and
// colours, some of them selected. Each kind has its own row, so a new kind adds a row.
void BuildSampleDrawing(CObList& list);

// The box of drawing units (y up) that shows the whole sample drawing.
CRect SampleDrawingBox();
