#pragma once

#include <span>
#include <string_view>

// The labels a drawing's formulas may carry for a group of atoms, and the element symbols.
// Reading a drawing looks labels up here; turning a molecule back into a drawing can use
// the same table to write them.

// One abbreviation. The fragment is SMILES whose first atom, '*', stands for the rest of
// the molecule: the atom bonded to it is where the label's bonds attach. A reversed label
// ("MeO", "HOOC") is written with its attachment at its right end.
struct CLabelAbbreviation {
  const char* pszLabel;
  const char* pszFragment;
  bool bReversed;
};

// Every abbreviation, in table order.
std::span<const CLabelAbbreviation> LabelAbbreviations();

// The abbreviation written exactly as text (case matters), or null.
const CLabelAbbreviation* FindAbbreviation(std::string_view text);

// The atomic number of an element symbol (case matters: "Co" is cobalt, "CO" is not a
// symbol), or 0.
int ElementNumber(std::string_view symbol);
