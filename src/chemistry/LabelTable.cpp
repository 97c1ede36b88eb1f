#include "chemistry/LabelTable.h"

#include <array>

namespace {

// Checked one by one against what the label means in the literature: the fragment's atom
// after '*' is the atom the bond meets. "NC" is the cyano group written from the right
// (N#C-R), as it appears left of a ring; "Ac", "Pr" and "Ts" mean acetyl, propyl and tosyl,
// not the elements with those symbols.
constexpr CLabelAbbreviation kAbbreviations[] = {
    // Alkyl groups.
    {"Me", "*C", false},
    {"Et", "*CC", false},
    {"Pr", "*CCC", false},
    {"nPr", "*CCC", false},
    {"n-Pr", "*CCC", false},
    {"iPr", "*C(C)C", false},
    {"i-Pr", "*C(C)C", false},
    {"Bu", "*CCCC", false},
    {"nBu", "*CCCC", false},
    {"n-Bu", "*CCCC", false},
    {"iBu", "*CC(C)C", false},
    {"i-Bu", "*CC(C)C", false},
    {"sBu", "*C(C)CC", false},
    {"s-Bu", "*C(C)CC", false},
    {"tBu", "*C(C)(C)C", false},
    {"t-Bu", "*C(C)(C)C", false},
    {"C2H5", "*CC", false},
    {"C3H7", "*CCC", false},
    {"C4H9", "*CCCC", false},
    {"Cy", "*C1CCCCC1", false},
    {"CF3", "*C(F)(F)F", false},
    {"F3C", "*C(F)(F)F", true},
    {"CCl3", "*C(Cl)(Cl)Cl", false},
    {"Cl3C", "*C(Cl)(Cl)Cl", true},
    // Aryl and benzyl groups.
    {"Ph", "*c1ccccc1", false},
    {"C6H5", "*c1ccccc1", false},
    {"Bn", "*Cc1ccccc1", false},
    {"PMB", "*Cc1ccc(OC)cc1", false},
    {"Tr", "*C(c1ccccc1)(c1ccccc1)c1ccccc1", false},
    {"Trt", "*C(c1ccccc1)(c1ccccc1)c1ccccc1", false},
    // Acyl groups, acids and esters.
    {"Ac", "*C(C)=O", false},
    {"Bz", "*C(=O)c1ccccc1", false},
    {"Piv", "*C(=O)C(C)(C)C", false},
    {"CHO", "*C=O", false},
    {"OHC", "*C=O", true},
    {"CO2H", "*C(=O)O", false},
    {"COOH", "*C(=O)O", false},
    {"HOOC", "*C(=O)O", true},
    {"HO2C", "*C(=O)O", true},
    {"CO2Me", "*C(=O)OC", false},
    {"COOMe", "*C(=O)OC", false},
    {"MeO2C", "*C(=O)OC", true},
    {"MeOOC", "*C(=O)OC", true},
    {"CO2Et", "*C(=O)OCC", false},
    {"COOEt", "*C(=O)OCC", false},
    {"EtO2C", "*C(=O)OCC", true},
    {"EtOOC", "*C(=O)OCC", true},
    // Oxygen groups.
    {"OMe", "*OC", false},
    {"MeO", "*OC", true},
    {"OEt", "*OCC", false},
    {"EtO", "*OCC", true},
    {"OAc", "*OC(C)=O", false},
    {"AcO", "*OC(C)=O", true},
    {"OPh", "*Oc1ccccc1", false},
    {"PhO", "*Oc1ccccc1", true},
    {"OBn", "*OCc1ccccc1", false},
    {"BnO", "*OCc1ccccc1", true},
    {"OCF3", "*OC(F)(F)F", false},
    {"F3CO", "*OC(F)(F)F", true},
    {"OTs", "*OS(=O)(=O)c1ccc(C)cc1", false},
    {"TsO", "*OS(=O)(=O)c1ccc(C)cc1", true},
    {"OMs", "*OS(C)(=O)=O", false},
    {"MsO", "*OS(C)(=O)=O", true},
    {"OTf", "*OS(=O)(=O)C(F)(F)F", false},
    {"TfO", "*OS(=O)(=O)C(F)(F)F", true},
    // Nitrogen groups.
    {"CN", "*C#N", false},
    {"NC", "*C#N", true},
    {"NO2", "*[N+](=O)[O-]", false},
    {"O2N", "*[N+](=O)[O-]", true},
    {"NH2", "*N", false},
    {"H2N", "*N", true},
    {"NHMe", "*NC", false},
    {"MeHN", "*NC", true},
    {"NMe2", "*N(C)C", false},
    {"Me2N", "*N(C)C", true},
    {"NEt2", "*N(CC)CC", false},
    {"Et2N", "*N(CC)CC", true},
    {"NHAc", "*NC(C)=O", false},
    {"AcHN", "*NC(C)=O", true},
    {"AcNH", "*NC(C)=O", true},
    // Sulfur groups.
    {"SMe", "*SC", false},
    {"MeS", "*SC", true},
    {"SO3H", "*S(=O)(=O)O", false},
    {"HO3S", "*S(=O)(=O)O", true},
    {"Ts", "*S(=O)(=O)c1ccc(C)cc1", false},
    {"Tos", "*S(=O)(=O)c1ccc(C)cc1", false},
    {"Ms", "*S(C)(=O)=O", false},
    {"Tf", "*S(=O)(=O)C(F)(F)F", false},
    // Protecting groups on silicon and carbamates.
    {"TMS", "*[Si](C)(C)C", false},
    {"SiMe3", "*[Si](C)(C)C", false},
    {"Me3Si", "*[Si](C)(C)C", true},
    {"TBS", "*[Si](C)(C)C(C)(C)C", false},
    {"TBDMS", "*[Si](C)(C)C(C)(C)C", false},
    {"TIPS", "*[Si](C(C)C)(C(C)C)C(C)C", false},
    {"Boc", "*C(=O)OC(C)(C)C", false},
    {"Cbz", "*C(=O)OCc1ccccc1", false},
    {"Fmoc", "*C(=O)OCC1c2ccccc2-c2ccccc21", false},
};

constexpr std::array<const char*, 118> kElements = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
    "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
    "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};

}  // namespace

std::span<const CLabelAbbreviation> LabelAbbreviations() { return kAbbreviations; }

const CLabelAbbreviation* FindAbbreviation(std::string_view text) {
  for (const CLabelAbbreviation& a : kAbbreviations)
    if (text == a.pszLabel) return &a;
  return nullptr;
}

int ElementNumber(std::string_view symbol) {
  if (symbol.empty() || symbol.size() > 2) return 0;
  for (std::size_t i = 0; i < kElements.size(); ++i)
    if (symbol == kElements[i]) return static_cast<int>(i) + 1;
  return 0;
}
