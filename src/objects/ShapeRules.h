#pragma once

#include "objects/CKVObject.h"

// Resize and scale rules shared by ellipses and charges, whose anchor is the top-left
// corner of their box.

// Moves the bottom-right corner by delta: proportionally when the aspect is locked (through
// the object's SetScale), freely otherwise, never letting the box turn inside out.
void ResizeShapeBy(CKVObject& obj, CSize delta);

// Scales the box about the anchor by k and resets m_dScale to 1.0.
void ScaleShapeAboutAnchor(CKVObject& obj, double k);

// The pen width round(20 x thickness) in drawing units, clamped to what a surface draws.
int ThicknessPenWidth(double dThickness);
