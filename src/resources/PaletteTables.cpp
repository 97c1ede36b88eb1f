#include "resources/PaletteTables.h"

#include <cmath>

#include "resources/WindowMessages.h"

namespace res {
namespace {

// Index palette: each message inserts its index template into the edited formula.
constexpr PaletteButton kIndexes[] = {
    {1002, "IUP", 0, 0, 12, 12, "Upper index", "Horní index", msg::kInsertUpperIndex, TOOL_NONE,
     nullptr},
    {1003, "IUDR", 14, 0, 12, 12, "Right uppper and lower index", "Pravý horní a dolní index",
     msg::kInsertRightIndices, TOOL_NONE, nullptr},
    {1004, "IDOWN", 28, 0, 12, 12, "Lower index", "Dolní index", msg::kInsertLowerIndex, TOOL_NONE,
     nullptr},
    {1005, "IUDL", 42, 0, 12, 12, "Left upper and lower index", "Levý horní a dolní index",
     msg::kInsertLeftIndices, TOOL_NONE, nullptr},
};

constexpr PaletteButton kCouple[] = {
    {1054, "1C", 0, 0, 12, 12, "Single bond", "Jednoduchá vazba", msg::kToolSingleBond,
     TOOL_SINGLE_BOND, nullptr},
    {1055, "2C", 14, 0, 12, 12, "Double bond", "Dvojná vazba", msg::kToolDoubleBond,
     TOOL_DOUBLE_BOND, nullptr},
    {1056, "3C", 28, 0, 12, 12, "Triple bond", "Trojná vazba", msg::kToolTripleBond,
     TOOL_TRIPLE_BOND, nullptr},
    {1057, "DC", 42, 0, 12, 12, "Dotted bond", "Tečkovaná vazba", msg::kToolDottedBond,
     TOOL_DOTTED_BOND, nullptr},
    {1081, "TC3", 55, 0, 12, 12, "Wide dashed bond", "Široká čerchovaná vazba",
     msg::kToolWideDashedBond, TOOL_WIDE_DASHED_BOND, nullptr},
    {1058, "TC", 69, 0, 12, 12, "Full 3D bond", "Plná 3D vazba", msg::kToolWedge, TOOL_WEDGE,
     nullptr},
    {1080, "TC2", 83, 0, 12, 12, "Dashed 3D bond", "Čerchovaná 3D vazba", msg::kToolDashedWedge,
     TOOL_DASHED_WEDGE, nullptr},
    {1082, "TC4", 97, 0, 12, 12, "Harmonic curve", "Vlnovka", msg::kToolHarmonic, TOOL_HARMONIC,
     nullptr},
    {1071, "ARROW1", 111, 0, 12, 12, "One side arrow", "Šipka jednostranná", msg::kToolArrow,
     TOOL_ARROW, nullptr},
    {1072, "ARROW2", 125, 0, 12, 12, "Both side arrow", "Šipka oboustranná", msg::kToolDoubleArrow,
     TOOL_DOUBLE_ARROW, nullptr},
};

// The aromatic palette. The tetracene and chrysene pictures are narrower than their
// template slots so that they end before the buttons to their right begin.
constexpr PaletteButton kAromatic[] = {
    {3057, "HEXAN", 0, 0, 12, 12, "Cylic hexane 0°", "Cyklohexan 0°", msg::kToolHexane, TOOL_HEXANE,
     nullptr},
    {3058, "BENZEN1", 14, 0, 12, 12, "Benzene 0°", "Benzen 0°", msg::kToolBenzene, TOOL_BENZENE,
     nullptr},
    {3059, "BENZEN2", 28, 0, 12, 12, "Aromatic benzene 0°", "Aromatický benzen 0°",
     msg::kToolAromaticBenzene, TOOL_AROMATIC_BENZENE, nullptr},
    {3068, "PENTAN", 42, 0, 7, 7, "Cylic pentane 0°", "Cyklopentan 0°", msg::kToolPentane,
     TOOL_PENTANE, nullptr},
    {3072, "PENTAN2", 56, 0, 6, 8, "Cylic pentane 90°", "Cyklopentan 90°", msg::kToolPentane90,
     TOOL_PENTANE_90, nullptr},
    // The hexagon turned by 90 degrees: named as a hexane, as its Czech text has it.
    {3060, "HEXANR", 0, 13, 12, 12, "Cylic hexane 90°", "Cyklohexan 90°", msg::kToolHexane90,
     TOOL_HEXANE_90, nullptr},
    {3061, "BENZEN1R", 14, 13, 12, 12, "Benzene 90°", "Benzen 90°", msg::kToolBenzene90,
     TOOL_BENZENE_90, nullptr},
    {3062, "BENZEN2R", 28, 13, 12, 12, "Aromatic benzene 90°", "Aromatický benzen 90°",
     msg::kToolAromaticBenzene90, TOOL_AROMATIC_BENZENE_90, nullptr},
    {3069, "PENTANR", 42, 13, 8, 6, "Cylic pentane 180°", "Cyklopentan 180°", msg::kToolPentane180,
     TOOL_PENTANE_180, nullptr},
    {3073, "PENTAN2R", 56, 13, 10, 10, "Cylic pentane 270°", "Cyklopentan 270°",
     msg::kToolPentane270, TOOL_PENTANE_270, nullptr},
    {3063, "NAFTALEN", 0, 26, 12, 12, "Nafthalene", "Naftalen", msg::kToolNaphthalene,
     TOOL_NAPHTHALENE, nullptr},
    {3064, "ANTHRACEN", 14, 26, 19, 12, "Anthracene", "Antracen", msg::kToolAnthracene,
     TOOL_ANTHRACENE, nullptr},
    {4065, "TETRACEN", 36, 26, 22, 12, "Tetracene", "Tetracen", msg::kToolTetracene, TOOL_TETRACENE,
     nullptr},
    {3078, "ELLIPSE", 59, 26, 12, 11, "Ellipse", "Elipsa", msg::kToolEllipse, TOOL_ELLIPSE,
     nullptr},
    {3066, "FENANTHREN", 0, 39, 18, 17, "Fenanthrene", "Fenantren", msg::kToolPhenanthrene,
     TOOL_PHENANTHRENE, nullptr},
    {3067, "CHRYSEN", 20, 39, 24, 17, "Chrysene", "Chryzen", msg::kToolChrysene, TOOL_CHRYSENE,
     nullptr},
    {3071, "PENTANA1", 45, 39, 12, 12, "Aromatic cylic pentane 0°", "Aromatický cyklopentan 0°",
     msg::kToolAromaticPentane, TOOL_AROMATIC_PENTANE, nullptr},
    {3074, "PENTANA2", 60, 39, 6, 8, "Aromatic cylic pentane 90°", "Aromatický cyklopentan 90°",
     msg::kToolAromaticPentane90, TOOL_AROMATIC_PENTANE_90, nullptr},
    {3070, "PENTANA3", 45, 51, 8, 6, "Aromatic cylic pentane 180°", "Aromatický cyklopentan 180°",
     msg::kToolAromaticPentane180, TOOL_AROMATIC_PENTANE_180, nullptr},
    {3075, "PENTANA4", 60, 51, 10, 10, "Aromatic cylic pentane 270°", "Aromatický cyklopentan 270°",
     msg::kToolAromaticPentane270, TOOL_AROMATIC_PENTANE_270, nullptr},
    {3076, "NPOLYGON", 0, 59, 18, 16, "Polygon", "Mnohoúhelník", msg::kAskPolygon, TOOL_POLYGON,
     nullptr},
    {3077, "NPOLYGONB", 20, 59, 18, 16, "Aromatic polygon", "Aromatický mnohoúhelník",
     msg::kAskAromaticPolygon, TOOL_AROMATIC_POLYGON, nullptr},
    {3079, "PLUSC", 40, 64, 12, 11, "Plus charge", "Kladný náboj", msg::kToolPlus, TOOL_PLUS,
     nullptr},
    {3080, "MINUSC", 54, 64, 12, 11, "Minus charge", "Záporný náboj", msg::kToolMinus, TOOL_MINUS,
     nullptr},
};

constexpr PaletteButton kSymbol1[] = {
    {5006, "ALPHA", 0, 0, 12, 12, "Alpha", "Alfa", msg::Greek('a'), TOOL_NONE, "a"},
    {5007, "BETA", 14, 0, 12, 12, "Beta", "Beta", msg::Greek('b'), TOOL_NONE, "b"},
    {1008, "CH", 28, 0, 12, 12, "Chi", "Chí", msg::Greek('c'), TOOL_NONE, "c"},
    {1009, "DELTA", 42, 0, 12, 12, "Delta", "Delta", msg::Greek('d'), TOOL_NONE, "d"},
    {1010, "EPSILON", 0, 13, 12, 12, "Epsilon", "Epsilon", msg::Greek('e'), TOOL_NONE, "e"},
    {1011, "FI1", 14, 13, 12, 12, "Phi", "Fí", msg::Greek('f'), TOOL_NONE, "f"},
    {1012, "FI2", 28, 13, 12, 12, "Phi", "Fí", msg::Greek('j'), TOOL_NONE, "j"},
    {1013, "GAMA", 42, 13, 12, 12, "Gamma", "Gama", msg::Greek('g'), TOOL_NONE, "g"},
    {1014, "ETA", 0, 26, 12, 12, "Etha", "Éta", msg::Greek('h'), TOOL_NONE, "h"},
    {1015, "IO", 14, 26, 12, 12, "Iota", "Ióta", msg::Greek('i'), TOOL_NONE, "i"},
    {1016, "KAPA", 28, 26, 12, 12, "Kappa", "Kapa", msg::Greek('k'), TOOL_NONE, "k"},
    {1017, "LAMBDA", 42, 26, 12, 12, "Lambda", "Lambda", msg::Greek('l'), TOOL_NONE, "l"},
    {1018, "MI", 0, 39, 12, 12, "Mu", "Mí", msg::Greek('m'), TOOL_NONE, "m"},
    {1019, "NI", 14, 39, 12, 12, "Nu", "Ní", msg::Greek('n'), TOOL_NONE, "n"},
    {1020, "OMIKRON", 28, 39, 12, 12, "Omikron", "Omikron", msg::Greek('o'), TOOL_NONE, "o"},
    {1021, "PI", 42, 39, 12, 12, "Pi", "Pí", msg::Greek('p'), TOOL_NONE, "p"},
    {1022, "OMEGA1", 0, 51, 12, 12, "Omega", "Omega", msg::Greek('v'), TOOL_NONE, "v"},
    {1023, "THETA1", 14, 51, 12, 12, "Theta", "Téta", msg::Greek('q'), TOOL_NONE, "q"},
    {1024, "THETA2", 28, 51, 12, 12, "Theta", "Téta", msg::Greek('J'), TOOL_NONE, "J"},
    {1025, "RO", 42, 51, 12, 12, "Rho", "Ró", msg::Greek('r'), TOOL_NONE, "r"},
    {1026, "SIGMA1", 0, 64, 12, 12, "Sigma", "Sigma", msg::Greek('s'), TOOL_NONE, "s"},
    {1027, "SIGMA2", 14, 64, 12, 12, "Sigma", "Sigma", msg::Greek('V'), TOOL_NONE, "V"},
    {1028, "TAU", 28, 64, 12, 12, "Tau", "Tau", msg::Greek('t'), TOOL_NONE, "t"},
    {1029, "YPSILON", 42, 64, 12, 12, "Ypsilon", "Ypsilon", msg::Greek('u'), TOOL_NONE, "u"},
    {1030, "OMEGA2", 0, 77, 12, 12, "Omega", "Omega", msg::Greek('w'), TOOL_NONE, "w"},
    {1031, "PSI", 14, 77, 12, 12, "Psi", "Psí", msg::Greek('y'), TOOL_NONE, "y"},
    {1032, "XI", 28, 77, 12, 12, "Xi", "Xí", msg::Greek('x'), TOOL_NONE, "x"},
    {1033, "ZETA", 42, 77, 12, 12, "Zeta", "Zéta", msg::Greek('z'), TOOL_NONE, "z"},
};

constexpr PaletteButton kSymbol2[] = {
    {6030, "GALPHA", 0, 0, 12, 12, "Alpha", "Alfa", msg::Greek('A'), TOOL_NONE, "A"},
    {6031, "GBETA", 14, 0, 12, 12, "Beta", "Beta", msg::Greek('B'), TOOL_NONE, "B"},
    {6032, "GCH", 28, 0, 12, 12, "Chi", "Chí", msg::Greek('C'), TOOL_NONE, "C"},
    {6033, "GDELTA", 42, 0, 12, 12, "Delta", "Delta", msg::Greek('D'), TOOL_NONE, "D"},
    {1034, "GEPSILON", 0, 13, 12, 12, "Epsilon", "Epsilon", msg::Greek('E'), TOOL_NONE, "E"},
    {1035, "GFI", 14, 13, 12, 12, "Phi", "Fí", msg::Greek('F'), TOOL_NONE, "F"},
    {1036, "GGAMA", 28, 13, 12, 12, "Gamma", "Gama", msg::Greek('G'), TOOL_NONE, "G"},
    {1037, "GETA", 42, 13, 12, 12, "Etha", "Éta", msg::Greek('H'), TOOL_NONE, "H"},
    {1038, "GIOTA", 0, 26, 12, 12, "Iota", "Ióta", msg::Greek('I'), TOOL_NONE, "I"},
    {1039, "GKAPA", 14, 26, 12, 12, "Kappa", "Kapa", msg::Greek('K'), TOOL_NONE, "K"},
    {6040, "GLAMBDA", 28, 26, 12, 12, "Lambda", "Lambda", msg::Greek('L'), TOOL_NONE, "L"},
    {6041, "GMI", 42, 26, 12, 12, "Mu", "Mí", msg::Greek('M'), TOOL_NONE, "M"},
    {6042, "GNI", 0, 39, 12, 12, "Nu", "Ní", msg::Greek('N'), TOOL_NONE, "N"},
    {6043, "GOMIKRON", 14, 39, 12, 12, "Omikron", "Omikron", msg::Greek('O'), TOOL_NONE, "O"},
    {6044, "GPI", 28, 39, 12, 12, "Pi", "Pí", msg::Greek('P'), TOOL_NONE, "P"},
    {6045, "GTHETA", 42, 39, 12, 12, "Theta", "Téta", msg::Greek('Q'), TOOL_NONE, "Q"},
    {6046, "GRO", 0, 51, 12, 12, "Rho", "Ró", msg::Greek('R'), TOOL_NONE, "R"},
    {6047, "GSIGMA", 14, 51, 12, 12, "Sigma", "Sigma", msg::Greek('S'), TOOL_NONE, "S"},
    {6048, "GTAU", 28, 51, 12, 12, "Tau", "Tau", msg::Greek('T'), TOOL_NONE, "T"},
    {6049, "GYPSILON", 42, 51, 12, 12, "Ypsilon", "Ypsilon", msg::Greek('U'), TOOL_NONE, "U"},
    {6050, "GOMEGA", 0, 64, 12, 12, "Omega", "Omega", msg::Greek('W'), TOOL_NONE, "W"},
    {6051, "GXI", 14, 64, 12, 12, "Xi", "Xí", msg::Greek('X'), TOOL_NONE, "X"},
    {6052, "GPSI", 28, 64, 12, 12, "Psi", "Psí", msg::Greek('Y'), TOOL_NONE, "Y"},
    {6053, "GZETA", 42, 64, 12, 12, "Zeta", "Zéta", msg::Greek('Z'), TOOL_NONE, "Z"},
};

constexpr PaletteTemplate kPalettes[kPaletteCount] = {
    {PaletteKind::Indexes, 103, 55, 12, 327, kIndexes},
    {PaletteKind::Symbol1, 167, 55, 89, 327, kSymbol1},
    {PaletteKind::Symbol2, 225, 55, 76, 327, kSymbol2},
    {PaletteKind::Couple, 276, 137, 12, 327, kCouple},
    {PaletteKind::Aromatic, 277, 72, 76, 349, kAromatic},
};

constexpr DrawBarButton kDrawBar[] = {
    {2003, "FORMULA", 0, "Formula", "Vzorec", false, PaletteKind::Indexes, 0, msg::kToolFormula},
    {2004, "INDEXES", 32, "Indexes", "Index", true, PaletteKind::Indexes, 51, 0},
    {2005, "COUPLE", 64, "Bonds", "Vazba", true, PaletteKind::Couple, 99, msg::kBondsPalette},
    {2006, "AROMATIC", 96, "Aromatic && cyclic compounds", "Aromatické a cyklické sloučeniny", true,
     PaletteKind::Aromatic, 147, msg::kEndEdit},
    {2007, "SYMBOLS1", 128, "Greek small letters", "Malá řecká písmena", true, PaletteKind::Symbol1,
     195, msg::kToolSelect},
    {2008, "SYMBOLS2", 160, "Greek capital letters", "Velká řecká písmena", true,
     PaletteKind::Symbol2, 243, msg::kToolSelect},
};

int MulDivRound(int n, int nNumerator, int nDenominator) {
  return static_cast<int>(std::floor(static_cast<double>(n) * nNumerator / nDenominator + 0.5));
}

}  // namespace

std::span<const DrawBarButton> DrawBarButtons() { return kDrawBar; }

const PaletteTemplate& Palette(PaletteKind kind) { return kPalettes[static_cast<int>(kind)]; }

const DrawBarButton& DrawBarButtonOf(PaletteKind kind) {
  for (const DrawBarButton& button : kDrawBar) {
    if (button.hasPalette && button.palette == kind) return button;
  }
  return kDrawBar[0];
}

const char* DrawBarCaption(Language lang) {
  return lang == Language::Czech ? "Kreslení" : "Draw bar";
}

int DialogUnitsToPixelsX(int x) { return MulDivRound(x, 6, 4); }
int DialogUnitsToPixelsY(int y) { return MulDivRound(y, 13, 8); }

std::string TooltipText(const char* english, const char* czech, Language lang) {
  const std::string text = lang == Language::Czech ? czech : english;
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') ++i;
  }
  return shown;
}

}  // namespace res
