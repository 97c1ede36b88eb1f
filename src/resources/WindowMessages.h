#pragma once

#include <cstdint>

// The window messages that the Draw bar and its palettes post to the view, and the tool
// codes the view's tools are known by. The numbers are the ones the program has always
// used: tool codes are kept as the mouse tracker's tool, and the palettes, the formula engine,
// the view and the shell must agree on both. Like CommandIds.h this header needs nothing
// else, so that every layer may use it.
namespace msg {

// The formula tool.
inline constexpr int kToolFormula = 1029;
// Index templates inserted into the formula being edited.
inline constexpr int kInsertUpperIndex = 1030;    // "#iup # "
inline constexpr int kInsertRightIndices = 1031;  // "#iudr # # "
inline constexpr int kInsertLowerIndex = 1032;    // "#idown # "
inline constexpr int kInsertLeftIndices = 1033;   // "#iudl # # "
// Greek letters inserted into the formula being edited: one message for each letter of
// the Symbol font, the small ones first, in the order of these strings.
inline constexpr char kGreekSmall[] = "abcdefjghiklmnopvqJrsVtuwxyz";
inline constexpr char kGreekCapital[] = "ABCDEFGHIKLMNOPQRSTUWXYZ";
inline constexpr int kGreekFirst = 1034;
inline constexpr int kGreekCapitalFirst = kGreekFirst + sizeof kGreekSmall - 1;
inline constexpr int kGreekLast = kGreekCapitalFirst + sizeof kGreekCapital - 2;
// The message that inserts the Greek letter of Symbol-font character c; 0 for none.
constexpr int Greek(char c) {
  for (int i = 0; kGreekSmall[i] != 0; ++i) {
    if (kGreekSmall[i] == c) return kGreekFirst + i;
  }
  for (int i = 0; kGreekCapital[i] != 0; ++i) {
    if (kGreekCapital[i] == c) return kGreekCapitalFirst + i;
  }
  return 0;
}
// Bonds and arrows.
inline constexpr int kToolSingleBond = 1086;
inline constexpr int kToolDoubleBond = 1087;
inline constexpr int kToolTripleBond = 1088;
inline constexpr int kToolDottedBond = 1089;
inline constexpr int kToolWedge = 1090;  // the full 3D bond
// Rings.
inline constexpr int kToolHexane = 1091;
inline constexpr int kToolBenzene = 1092;
inline constexpr int kToolAromaticBenzene = 1093;
// The select tool, the end of an edit, and the bonds palette opening.
inline constexpr int kToolSelect = 1094;
inline constexpr int kEndEdit = 1095;
inline constexpr int kBondsPalette = 1096;
inline constexpr int kToolHexane90 = 1097;
inline constexpr int kToolBenzene90 = 1098;
inline constexpr int kToolAromaticBenzene90 = 1099;
inline constexpr int kToolNaphthalene = 1100;
inline constexpr int kToolAnthracene = 1101;
inline constexpr int kToolTetracene = 1102;
inline constexpr int kToolPhenanthrene = 1103;
inline constexpr int kToolChrysene = 1104;
inline constexpr int kToolPentane = 1105;
inline constexpr int kToolPentane180 = 1106;
inline constexpr int kToolArrow = 1107;  // one-sided
inline constexpr int kToolPentane90 = 1108;
inline constexpr int kToolPentane270 = 1109;
inline constexpr int kToolAromaticPentane = 1111;
inline constexpr int kToolAromaticPentane90 = 1112;
inline constexpr int kToolAromaticPentane180 = 1113;
inline constexpr int kToolAromaticPentane270 = 1114;
// The polygon tools ask for their vertex count first.
inline constexpr int kAskPolygon = 1115;
inline constexpr int kAskAromaticPolygon = 1116;
inline constexpr int kToolDashedWedge = 1124;  // the dashed 3D bond
inline constexpr int kToolEllipse = 1125;
inline constexpr int kToolDoubleArrow = 1126;  // both sides
inline constexpr int kToolWideDashedBond = 1128;
inline constexpr int kToolPlus = 1132;
inline constexpr int kToolMinus = 1133;
inline constexpr int kToolHarmonic = 1134;

}  // namespace msg

// The view's tools, by the code the mouse tracker's Tool() holds.
enum ToolCode : std::int32_t {
  TOOL_SELECT = 0,
  TOOL_FORMULA = 1,
  TOOL_SINGLE_BOND = 2,
  TOOL_BOND_END = 3,  // a bond is being placed: the press places its second end
  TOOL_DOUBLE_BOND = 4,
  TOOL_TRIPLE_BOND = 5,
  TOOL_DOTTED_BOND = 6,
  TOOL_WEDGE = 7,
  TOOL_HEXANE = 8,
  TOOL_BENZENE = 9,
  TOOL_AROMATIC_BENZENE = 10,
  TOOL_HEXANE_90 = 11,
  TOOL_BENZENE_90 = 12,
  TOOL_AROMATIC_BENZENE_90 = 13,
  TOOL_NAPHTHALENE = 14,
  TOOL_ANTHRACENE = 15,
  TOOL_TETRACENE = 16,
  TOOL_PHENANTHRENE = 17,
  TOOL_CHRYSENE = 18,
  TOOL_PENTANE = 19,
  TOOL_PENTANE_180 = 20,
  TOOL_ARROW = 21,
  TOOL_PENTANE_90 = 22,
  TOOL_PENTANE_270 = 23,
  TOOL_AROMATIC_PENTANE = 24,
  TOOL_AROMATIC_PENTANE_90 = 25,
  TOOL_AROMATIC_PENTANE_180 = 26,
  TOOL_AROMATIC_PENTANE_270 = 27,
  TOOL_POLYGON = 28,
  TOOL_AROMATIC_POLYGON = 29,
  TOOL_DASHED_WEDGE = 30,
  TOOL_ELLIPSE = 31,
  TOOL_DOUBLE_ARROW = 32,
  TOOL_WIDE_DASHED_BOND = 33,
  TOOL_PLUS = 34,
  TOOL_MINUS = 35,
  TOOL_HARMONIC = 36,
  // Not a tool: what a palette button that inserts text reports as its tool.
  TOOL_NONE = -1,
};
