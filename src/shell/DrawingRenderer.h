#pragma once

#include <QImage>
#include <string>

#include "objects/CDC.h"
#include "objects/CObList.h"

// Renders object lists to pictures: a box of drawing units mapped onto a picture of a
// given size in pixels, y up.

// Sets the surface's mapping so that rcBox (y up) fills nWidth x nHeight device pixels.
void MapBoxToPicture(CDC* pDC, const CRect& rcBox, int nWidth, int nHeight);

// Draws the objects in list order as the screen shows them: a selected object draws
// itself and then its selection marks (a bond has none); a selected junction shows only
// its marks.
void PaintObjects(CDC* pDC, CObList& list);

// A white image of nWidth x nHeight pixels showing rcBox.
QImage RenderImage(CObList& list, const CRect& rcBox, int nWidth, int nHeight);

// An SVG document of nWidth x nHeight pixels showing rcBox.
std::string RenderSvg(CObList& list, const CRect& rcBox, int nWidth, int nHeight);
