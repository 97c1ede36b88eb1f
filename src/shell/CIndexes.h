#pragma once

#include "shell/CPaletteDialog.h"

// The index palette: upper, right, lower and left index templates for the edited formula.
class CIndexes : public CPaletteDialog {
 public:
  CIndexes() : CPaletteDialog(res::PaletteKind::Indexes) {}
};
