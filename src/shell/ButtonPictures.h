#pragma once

#include <QImage>
#include <QSize>
#include <string>

#include "objects/CObList.h"
#include "objects/Geometry.h"

// The pictures of the Draw bar's and the palettes' buttons, drawn at run time by the
// program's own renderer: a bond button shows its style drawn by a bond between two
// junctions, a ring button its template, the charge and ellipse buttons those objects, the
// Greek and index buttons small formulas, and the Draw bar's buttons a sample of their
// palette. A button's caption names its picture, as the caption + "U" / "D" bitmaps of the
// button resources would.

// What a picture shows: the objects, and the box of drawing units (y up) they are fitted
// into, centred, keeping their proportions.
struct CPictureContent {
  CObList list;
  CRect box;
};

// Builds the objects of the picture a caption names; false for an unknown caption.
bool BuildPictureContent(const std::string& caption, CPictureContent& content);

// The picture of a button of sizeDip device-independent pixels in its released or pressed
// state, drawn at the device pixel ratio dpr so that it stays sharp on any screen scale.
// An unknown caption gives the bare button face.
QImage DrawButtonPicture(const std::string& caption, bool bPressed, QSize sizeDip, qreal dpr);

// The background of a palette (bitmaps 327 and 349): its face, with a thin frame.
QImage DrawPaletteBackground(int nBitmap, QSize sizeDip, qreal dpr);
