#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How a formula's text reads as chemistry: a label at the end of bonds ("OH", "NH2",
// "CO2Me", "CH2CH2OH"), or a formula standing alone ("H2O", "Na+", "H2SO4", "reflux").

// Where a character of formula text sits: on the base line or in an index.
enum class CGlyphPlace { Base, Lower, Upper, LeftUpper, LeftLower };

// One character of decoded formula text. A Greek letter keeps its Symbol-face byte.
struct CLabelGlyph {
  char c = 0;
  CGlyphPlace place = CGlyphPlace::Base;
  bool bGreek = false;
};

// The characters of formula markup with their places: escapes resolved, Greek letters
// marked, index templates taken apart.
std::vector<CLabelGlyph> DecodeFormulaText(std::string_view markup);

// The text as a reader sees it, in UTF-8 (indices inline, Greek letters as Greek letters,
// other bytes as Windows-1252), at most nMaxChars characters and then an ellipsis.
std::string PlainLabelText(const std::vector<CLabelGlyph>& glyphs, std::size_t nMaxChars = 40);

// Where the letters of formula text sit. The chemistry layer measures no text: the widths
// of Arial at the base size (a cell 268 units high) are close enough for positions that only
// order atoms, find neighbours and give coordinates, and a label we write is placed by the
// same estimate that reads it back.
double EstimatedGlyphWidth(const CLabelGlyph& g);
double EstimatedTextWidth(const std::vector<CLabelGlyph>& glyphs);
inline constexpr double kEstimatedHalfCellHeight = 134.0;
// The middle of glyph nGlyph (the end of the text when there is none) as an offset from the
// formula's anchor, the top-left corner of its first cell, at scale 1; y up.
std::pair<double, double> EstimatedGlyphOffset(const std::vector<CLabelGlyph>& glyphs, int nGlyph);

struct CLabelReading {
  enum class Kind {
    None,        // no chemistry at all: an empty text, a lone "+" or "-"
    Atom,        // one heavy atom with its hydrogens, charge and isotope
    Fragment,    // a group of atoms: an abbreviation or a condensed formula
    Unknown,     // a label nobody understood: a dummy atom
    Formula,     // alone: a molecular formula of several heavy atoms, formula and mass only
    Annotation,  // alone: any other text ("reflux", "THF")
  };
  Kind kind = Kind::None;
  // Atom.
  std::string strSymbol;
  int nHydrogens = -1;  // -1: none written, as many as the valence leaves
  int nCharge = 0;
  int nIsotope = 0;
  // Fragment: SMILES whose first atom, '*', is the rest of the molecule.
  std::string strFragment;
  // Formula: its heavy atoms, each with the hydrogens written for it (all on the first),
  // and the charge.
  std::vector<std::pair<std::string, int>> formulaAtoms;
  // Which glyph the bonds meet: the label's first heavy atom, or its last for a reversed
  // label ("HOOC", "H3C").
  int nAttachGlyph = 0;
  std::string strText;  // PlainLabelText of the formula
};

// A formula at which bonds end.
CLabelReading ReadBondedLabel(std::string_view markup);
// A formula at which no bond ends.
CLabelReading ReadFreeFormula(std::string_view markup);
