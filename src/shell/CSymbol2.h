#pragma once

#include "shell/CPaletteDialog.h"

// The Greek capital letters palette.
class CSymbol2 : public CPaletteDialog {
 public:
  CSymbol2() : CPaletteDialog(res::PaletteKind::Symbol2) {}
};
