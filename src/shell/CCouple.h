#pragma once

#include "shell/CPaletteDialog.h"

// The bonds palette: the bond, arrow and curve tools.
class CCouple : public CPaletteDialog {
 public:
  CCouple() : CPaletteDialog(res::PaletteKind::Couple) {}
};
