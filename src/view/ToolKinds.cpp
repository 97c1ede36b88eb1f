#include "view/ToolKinds.h"

#include "objects/CDC.h"
#include "resources/WindowMessages.h"

namespace {

constexpr BondTool kBondTools[] = {
    {TOOL_SINGLE_BOND, 1, PS_SOLID, 1},
    {TOOL_DOUBLE_BOND, 2, PS_SOLID, 1},
    {TOOL_TRIPLE_BOND, 3, PS_SOLID, 1},
    {TOOL_DOTTED_BOND, 1, PS_DOT, 1},
    {TOOL_WEDGE, 4, PS_SOLID, 1},
    {TOOL_ARROW, 6, PS_SOLID, 2},
    {TOOL_DASHED_WEDGE, 7, PS_SOLID, 1},
    {TOOL_DOUBLE_ARROW, 8, PS_SOLID, 1},
    {TOOL_WIDE_DASHED_BOND, 9, PS_SOLID, 1},
    {TOOL_HARMONIC, 10, PS_SOLID, 1},
};

}  // namespace

const BondTool* FindBondTool(int nTool) {
  for (const BondTool& t : kBondTools) {
    if (t.nTool == nTool) return &t;
  }
  return nullptr;
}

bool IsTemplateTool(int nTool) {
  return (nTool >= TOOL_HEXANE && nTool <= TOOL_PENTANE_180) ||
         (nTool >= TOOL_PENTANE_90 && nTool <= TOOL_AROMATIC_POLYGON);
}

bool IsSingleObjectTool(int nTool) {
  return nTool == TOOL_ELLIPSE || nTool == TOOL_PLUS || nTool == TOOL_MINUS;
}
