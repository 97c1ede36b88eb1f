#pragma once

#include <span>

#include "resources/CommandIds.h"

class CKVObject;

// The line-thickness presets of the context menus and the commands that set them, in the
// order the menus list them.
struct ThicknessPreset {
  int nId;
  double dValue;
};

inline constexpr ThicknessPreset kThicknessPresets[] = {
    {cmd::kThickness01, 0.1},   {cmd::kThickness02, 0.2}, {cmd::kThickness05, 0.5},
    {cmd::kThickness075, 0.75}, {cmd::kThickness1, 1.0},  {cmd::kThickness15, 1.5},
    {cmd::kThickness2, 2.0},    {cmd::kThickness3, 3.0},  {cmd::kThickness4, 4.0},
    {cmd::kThickness5, 5.0},
};

// The preset a command sets; null for any other command.
const ThicknessPreset* FindThicknessPreset(int nId);

// The line thickness of a bond, ellipse or charge; null for the kinds that have none.
double* LineThicknessOf(CKVObject* p);
