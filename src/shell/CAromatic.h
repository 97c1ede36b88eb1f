#pragma once

#include "shell/CPaletteDialog.h"

// The aromatic and cyclic compounds palette: ring templates, the ellipse and the charges.
class CAromatic : public CPaletteDialog {
 public:
  CAromatic() : CPaletteDialog(res::PaletteKind::Aromatic) {}
};
