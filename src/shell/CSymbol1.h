#pragma once

#include "shell/CPaletteDialog.h"

// The Greek small letters palette.
class CSymbol1 : public CPaletteDialog {
 public:
  CSymbol1() : CPaletteDialog(res::PaletteKind::Symbol1) {}
};
