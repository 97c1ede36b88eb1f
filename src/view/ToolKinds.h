#pragma once

// The kinds of the drawing tools, as the mouse and the cursor treat them.

// A bond-type tool and the style, pen style and side of the bonds it starts.
struct BondTool {
  int nTool;
  int nStyle;
  int nPenStyle;
  int nSide;
};

// The bond-type tool nTool, or null when it is none.
const BondTool* FindBondTool(int nTool);
inline bool IsBondTool(int nTool) { return FindBondTool(nTool) != nullptr; }
// The ring and fused-ring templates.
bool IsTemplateTool(int nTool);
// The tools that place one ellipse or charge.
bool IsSingleObjectTool(int nTool);
