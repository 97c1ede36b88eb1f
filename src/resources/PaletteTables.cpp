#include "resources/PaletteTables.h"

#include <cmath>

namespace res {
namespace {

// Index palette: each message inserts its index template into the edited formula.
constexpr PaletteButton kIndexes[] = {
    {1002, "IUP", 0, 0, 12, 12, "Upper index", "Horní index", 1030, -1, nullptr},
    {1003, "IUDR", 14, 0, 12, 12, "Right uppper and lower index", "Pravý horní a dolní index", 1031,
     -1, nullptr},
    {1004, "IDOWN", 28, 0, 12, 12, "Lower index", "Dolní index", 1032, -1, nullptr},
    {1005, "IUDL", 42, 0, 12, 12, "Left upper and lower index", "Levý horní a dolní index", 1033,
     -1, nullptr},
};

constexpr PaletteButton kCouple[] = {
    {1054, "1C", 0, 0, 12, 12, "Single bond", "Jednoduchá vazba", 1086, 2, nullptr},
    {1055, "2C", 14, 0, 12, 12, "Double bond", "Dvojná vazba", 1087, 4, nullptr},
    {1056, "3C", 28, 0, 12, 12, "Triple bond", "Trojná vazba", 1088, 5, nullptr},
    {1057, "DC", 42, 0, 12, 12, "Dotted bond", "Tečkovaná vazba", 1089, 6, nullptr},
    {1081, "TC3", 55, 0, 12, 12, "Wide dashed bond", "Široká čerchovaná vazba", 1128, 33, nullptr},
    {1058, "TC", 69, 0, 12, 12, "Full 3D bond", "Plná 3D vazba", 1090, 7, nullptr},
    {1080, "TC2", 83, 0, 12, 12, "Dashed 3D bond", "Čerchovaná 3D vazba", 1124, 30, nullptr},
    {1082, "TC4", 97, 0, 12, 12, "Harmonic curve", "Vlnovka", 1134, 36, nullptr},
    {1071, "ARROW1", 111, 0, 12, 12, "One side arrow", "Šipka jednostranná", 1107, 21, nullptr},
    {1072, "ARROW2", 125, 0, 12, 12, "Both side arrow", "Šipka oboustranná", 1126, 32, nullptr},
};

// The aromatic palette. The tetracene and chrysene pictures are narrower than their
// template slots so that they end before the buttons to their right begin.
constexpr PaletteButton kAromatic[] = {
    {3057, "HEXAN", 0, 0, 12, 12, "Cylic hexane 0°", "Cyklohexan 0°", 1091, 8, nullptr},
    {3058, "BENZEN1", 14, 0, 12, 12, "Benzene 0°", "Benzen 0°", 1092, 9, nullptr},
    {3059, "BENZEN2", 28, 0, 12, 12, "Aromatic benzene 0°", "Aromatický benzen 0°", 1093, 10,
     nullptr},
    {3068, "PENTAN", 42, 0, 7, 7, "Cylic pentane 0°", "Cyklopentan 0°", 1105, 19, nullptr},
    {3072, "PENTAN2", 56, 0, 6, 8, "Cylic pentane 90°", "Cyklopentan 90°", 1108, 22, nullptr},
    // The hexagon turned by 90 degrees: named as a hexane, as its Czech text has it.
    {3060, "HEXANR", 0, 13, 12, 12, "Cylic hexane 90°", "Cyklohexan 90°", 1097, 11, nullptr},
    {3061, "BENZEN1R", 14, 13, 12, 12, "Benzene 90°", "Benzen 90°", 1098, 12, nullptr},
    {3062, "BENZEN2R", 28, 13, 12, 12, "Aromatic benzene 90°", "Aromatický benzen 90°", 1099, 13,
     nullptr},
    {3069, "PENTANR", 42, 13, 8, 6, "Cylic pentane 180°", "Cyklopentan 180°", 1106, 20, nullptr},
    {3073, "PENTAN2R", 56, 13, 10, 10, "Cylic pentane 270°", "Cyklopentan 270°", 1109, 23, nullptr},
    {3063, "NAFTALEN", 0, 26, 12, 12, "Nafthalene", "Naftalen", 1100, 14, nullptr},
    {3064, "ANTHRACEN", 14, 26, 19, 12, "Anthracene", "Antracen", 1101, 15, nullptr},
    {4065, "TETRACEN", 36, 26, 22, 12, "Tetracene", "Tetracen", 1102, 16, nullptr},
    {3078, "ELLIPSE", 59, 26, 12, 11, "Ellipse", "Elipsa", 1125, 31, nullptr},
    {3066, "FENANTHREN", 0, 39, 18, 17, "Fenanthrene", "Fenantren", 1103, 17, nullptr},
    {3067, "CHRYSEN", 20, 39, 24, 17, "Chrysene", "Chryzen", 1104, 18, nullptr},
    {3071, "PENTANA1", 45, 39, 12, 12, "Aromatic cylic pentane 0°", "Aromatický cyklopentan 0°",
     1111, 24, nullptr},
    {3074, "PENTANA2", 60, 39, 6, 8, "Aromatic cylic pentane 90°", "Aromatický cyklopentan 90°",
     1112, 25, nullptr},
    {3070, "PENTANA3", 45, 51, 8, 6, "Aromatic cylic pentane 180°", "Aromatický cyklopentan 180°",
     1113, 26, nullptr},
    {3075, "PENTANA4", 60, 51, 10, 10, "Aromatic cylic pentane 270°", "Aromatický cyklopentan 270°",
     1114, 27, nullptr},
    {3076, "NPOLYGON", 0, 59, 18, 16, "Polygon", "Mnohoúhelník", 1115, 28, nullptr},
    {3077, "NPOLYGONB", 20, 59, 18, 16, "Aromatic polygon", "Aromatický mnohoúhelník", 1116, 29,
     nullptr},
    {3079, "PLUSC", 40, 64, 12, 11, "Plus charge", "Kladný náboj", 1132, 34, nullptr},
    {3080, "MINUSC", 54, 64, 12, 11, "Minus charge", "Záporný náboj", 1133, 35, nullptr},
};

constexpr PaletteButton kSymbol1[] = {
    {5006, "ALPHA", 0, 0, 12, 12, "Alpha", "Alfa", 1034, -1, "a"},
    {5007, "BETA", 14, 0, 12, 12, "Beta", "Beta", 1035, -1, "b"},
    {1008, "CH", 28, 0, 12, 12, "Chi", "Chí", 1036, -1, "c"},
    {1009, "DELTA", 42, 0, 12, 12, "Delta", "Delta", 1037, -1, "d"},
    {1010, "EPSILON", 0, 13, 12, 12, "Epsilon", "Epsilon", 1038, -1, "e"},
    {1011, "FI1", 14, 13, 12, 12, "Phi", "Fí", 1039, -1, "f"},
    {1012, "FI2", 28, 13, 12, 12, "Phi", "Fí", 1040, -1, "j"},
    {1013, "GAMA", 42, 13, 12, 12, "Gamma", "Gama", 1041, -1, "g"},
    {1014, "ETA", 0, 26, 12, 12, "Etha", "Éta", 1042, -1, "h"},
    {1015, "IO", 14, 26, 12, 12, "Iota", "Ióta", 1043, -1, "i"},
    {1016, "KAPA", 28, 26, 12, 12, "Kappa", "Kapa", 1044, -1, "k"},
    {1017, "LAMBDA", 42, 26, 12, 12, "Lambda", "Lambda", 1045, -1, "l"},
    {1018, "MI", 0, 39, 12, 12, "Mu", "Mí", 1046, -1, "m"},
    {1019, "NI", 14, 39, 12, 12, "Nu", "Ní", 1047, -1, "n"},
    {1020, "OMIKRON", 28, 39, 12, 12, "Omikron", "Omikron", 1048, -1, "o"},
    {1021, "PI", 42, 39, 12, 12, "Pi", "Pí", 1049, -1, "p"},
    {1022, "OMEGA1", 0, 51, 12, 12, "Omega", "Omega", 1050, -1, "v"},
    {1023, "THETA1", 14, 51, 12, 12, "Theta", "Téta", 1051, -1, "q"},
    {1024, "THETA2", 28, 51, 12, 12, "Theta", "Téta", 1052, -1, "J"},
    {1025, "RO", 42, 51, 12, 12, "Rho", "Ró", 1053, -1, "r"},
    {1026, "SIGMA1", 0, 64, 12, 12, "Sigma", "Sigma", 1054, -1, "s"},
    {1027, "SIGMA2", 14, 64, 12, 12, "Sigma", "Sigma", 1055, -1, "V"},
    {1028, "TAU", 28, 64, 12, 12, "Tau", "Tau", 1056, -1, "t"},
    {1029, "YPSILON", 42, 64, 12, 12, "Ypsilon", "Ypsilon", 1057, -1, "u"},
    {1030, "OMEGA2", 0, 77, 12, 12, "Omega", "Omega", 1058, -1, "w"},
    {1031, "PSI", 14, 77, 12, 12, "Psi", "Psí", 1060, -1, "y"},
    {1032, "XI", 28, 77, 12, 12, "Xi", "Xí", 1059, -1, "x"},
    {1033, "ZETA", 42, 77, 12, 12, "Zeta", "Zéta", 1061, -1, "z"},
};

constexpr PaletteButton kSymbol2[] = {
    {6030, "GALPHA", 0, 0, 12, 12, "Alpha", "Alfa", 1062, -1, "A"},
    {6031, "GBETA", 14, 0, 12, 12, "Beta", "Beta", 1063, -1, "B"},
    {6032, "GCH", 28, 0, 12, 12, "Chi", "Chí", 1064, -1, "C"},
    {6033, "GDELTA", 42, 0, 12, 12, "Delta", "Delta", 1065, -1, "D"},
    {1034, "GEPSILON", 0, 13, 12, 12, "Epsilon", "Epsilon", 1066, -1, "E"},
    {1035, "GFI", 14, 13, 12, 12, "Phi", "Fí", 1067, -1, "F"},
    {1036, "GGAMA", 28, 13, 12, 12, "Gamma", "Gama", 1068, -1, "G"},
    {1037, "GETA", 42, 13, 12, 12, "Etha", "Éta", 1069, -1, "H"},
    {1038, "GIOTA", 0, 26, 12, 12, "Iota", "Ióta", 1070, -1, "I"},
    {1039, "GKAPA", 14, 26, 12, 12, "Kappa", "Kapa", 1071, -1, "K"},
    {6040, "GLAMBDA", 28, 26, 12, 12, "Lambda", "Lambda", 1072, -1, "L"},
    {6041, "GMI", 42, 26, 12, 12, "Mu", "Mí", 1073, -1, "M"},
    {6042, "GNI", 0, 39, 12, 12, "Nu", "Ní", 1074, -1, "N"},
    {6043, "GOMIKRON", 14, 39, 12, 12, "Omikron", "Omikron", 1075, -1, "O"},
    {6044, "GPI", 28, 39, 12, 12, "Pi", "Pí", 1076, -1, "P"},
    {6045, "GTHETA", 42, 39, 12, 12, "Theta", "Téta", 1077, -1, "Q"},
    {6046, "GRO", 0, 51, 12, 12, "Rho", "Ró", 1078, -1, "R"},
    {6047, "GSIGMA", 14, 51, 12, 12, "Sigma", "Sigma", 1079, -1, "S"},
    {6048, "GTAU", 28, 51, 12, 12, "Tau", "Tau", 1080, -1, "T"},
    {6049, "GYPSILON", 42, 51, 12, 12, "Ypsilon", "Ypsilon", 1081, -1, "U"},
    {6050, "GOMEGA", 0, 64, 12, 12, "Omega", "Omega", 1082, -1, "W"},
    {6051, "GXI", 14, 64, 12, 12, "Xi", "Xí", 1083, -1, "X"},
    {6052, "GPSI", 28, 64, 12, 12, "Psi", "Psí", 1084, -1, "Y"},
    {6053, "GZETA", 42, 64, 12, 12, "Zeta", "Zéta", 1085, -1, "Z"},
};

constexpr PaletteTemplate kPalettes[kPaletteCount] = {
    {PaletteKind::Indexes, 103, 55, 12, 327, kIndexes},
    {PaletteKind::Symbol1, 167, 55, 89, 327, kSymbol1},
    {PaletteKind::Symbol2, 225, 55, 76, 327, kSymbol2},
    {PaletteKind::Couple, 276, 137, 12, 327, kCouple},
    {PaletteKind::Aromatic, 277, 72, 76, 349, kAromatic},
};

constexpr DrawBarButton kDrawBar[] = {
    {2003, "FORMULA", 0, "Formula", "Vzorec", false, PaletteKind::Indexes, 0, 1029},
    {2004, "INDEXES", 32, "Indexes", "Index", true, PaletteKind::Indexes, 51, 0},
    {2005, "COUPLE", 64, "Bonds", "Vazba", true, PaletteKind::Couple, 99, 1096},
    {2006, "AROMATIC", 96, "Aromatic && cyclic compounds", "Aromatické a cyklické sloučeniny", true,
     PaletteKind::Aromatic, 147, 1095},
    {2007, "SYMBOLS1", 128, "Greek small letters", "Malá řecká písmena", true, PaletteKind::Symbol1,
     195, 1094},
    {2008, "SYMBOLS2", 160, "Greek capital letters", "Velká řecká písmena", true,
     PaletteKind::Symbol2, 243, 1094},
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
