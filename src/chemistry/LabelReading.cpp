#include "chemistry/LabelReading.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "chemistry/LabelTable.h"
#include "formula/FormulaMarkup.h"

namespace {

// ---------------------------------------------------------------------------------------
// Decoding

void DecodeRun(std::string_view s, CGlyphPlace place, std::vector<CLabelGlyph>& out) {
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    const bool bPair = i + 1 < s.size() && s[i + 1] == c && (c == '#' || c == '<' || c == '>');
    if (bPair) {
      out.push_back({c, place, false});
      i += 2;
    } else if (c == '<' && i + 2 < s.size() && s[i + 2] == '>') {
      out.push_back({s[i + 1], place, true});
      i += 3;
    } else {
      out.push_back({c, place, false});
      ++i;
    }
  }
}

// The Greek letters of the Symbol face, as UTF-8.
const char* GreekUtf8(char c) {
  static constexpr struct {
    char c;
    const char* psz;
  } kGreek[] = {
      {'a', "α"}, {'b', "β"}, {'c', "χ"}, {'d', "δ"}, {'e', "ε"}, {'f', "φ"}, {'j', "ϕ"},
      {'g', "γ"}, {'h', "η"}, {'i', "ι"}, {'k', "κ"}, {'l', "λ"}, {'m', "μ"}, {'n', "ν"},
      {'o', "ο"}, {'p', "π"}, {'v', "ϖ"}, {'q', "θ"}, {'J', "ϑ"}, {'r', "ρ"}, {'s', "σ"},
      {'V', "ς"}, {'t', "τ"}, {'u', "υ"}, {'w', "ω"}, {'x', "ξ"}, {'y', "ψ"}, {'z', "ζ"},
      {'A', "Α"}, {'B', "Β"}, {'C', "Χ"}, {'D', "Δ"}, {'E', "Ε"}, {'F', "Φ"}, {'G', "Γ"},
      {'H', "Η"}, {'I', "Ι"}, {'K', "Κ"}, {'L', "Λ"}, {'M', "Μ"}, {'N', "Ν"}, {'O', "Ο"},
      {'P', "Π"}, {'Q', "Θ"}, {'R', "Ρ"}, {'S', "Σ"}, {'T', "Τ"}, {'U', "Υ"}, {'W', "Ω"},
      {'X', "Ξ"}, {'Y', "Ψ"}, {'Z', "Ζ"},
  };
  for (const auto& g : kGreek)
    if (g.c == c) return g.psz;
  return nullptr;
}

void AppendUtf8(std::string& out, unsigned char c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c >= 0xA0) {  // Latin-1 and Windows-1252 agree from here
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c == 0x96 || c == 0x97) {
    out += "\u2013";
  } else {
    out += '?';
  }
}

// ---------------------------------------------------------------------------------------
// Tokens

struct Token {
  enum class Type { Element, Count, Charge, Isotope, Open, Close, Double, Bad };
  Type type = Type::Bad;
  std::string strSymbol;  // Element
  int n = 0;              // Count, Charge, Isotope
  int nGlyph = 0;         // the first glyph it came from
};

// Counts are written with at most four digits; anything longer is not a formula.
std::optional<int> ParseCount(std::string_view digits) {
  if (digits.empty() || digits.size() > 4) return std::nullopt;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

bool IsMinus(char c) {
  return c == '-' || c == static_cast<char>(0x96) || c == static_cast<char>(0x97);
}

// An upper index as a charge: "+", "-", "2+", "3-", "+2", "++".
std::optional<int> ParseCharge(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  int nSign = 0;
  int nSigns = 0;
  std::string digits;
  for (char c : s) {
    if (c == '+' || IsMinus(c)) {
      const int sign = c == '+' ? 1 : -1;
      if (nSign != 0 && sign != nSign) return std::nullopt;
      nSign = sign;
      ++nSigns;
    } else if (c >= '0' && c <= '9') {
      digits += c;
    } else {
      return std::nullopt;
    }
  }
  if (nSign == 0) return std::nullopt;
  if (digits.empty()) return nSign * nSigns;
  if (nSigns != 1) return std::nullopt;
  const auto n = ParseCount(digits);
  if (!n || *n == 0 || *n > 8) return std::nullopt;
  return nSign * *n;
}

std::vector<Token> Tokenize(const std::vector<CLabelGlyph>& g) {
  std::vector<Token> out;
  // Spaces around the text mean nothing.
  std::size_t begin = 0;
  std::size_t end = g.size();
  while (begin < end && g[begin].c == ' ' && !g[begin].bGreek) ++begin;
  while (end > begin && g[end - 1].c == ' ' && !g[end - 1].bGreek) --end;
  for (std::size_t i = begin; i < end;) {
    const CLabelGlyph& x = g[i];
    const int nAt = static_cast<int>(i);
    if (x.bGreek) {
      out.push_back({Token::Type::Bad, {}, 0, nAt});
      ++i;
      continue;
    }
    if (x.place != CGlyphPlace::Base) {
      // A whole index slot is one token.
      std::string s;
      std::size_t j = i;
      while (j < end && g[j].place == x.place && !g[j].bGreek) s += g[j++].c;
      i = j;
      Token t{Token::Type::Bad, {}, 0, nAt};
      if (x.place == CGlyphPlace::Lower) {
        if (auto n = ParseCount(s)) t = {Token::Type::Count, {}, *n, nAt};
      } else if (x.place == CGlyphPlace::Upper) {
        if (auto n = ParseCharge(s)) t = {Token::Type::Charge, {}, *n, nAt};
      } else if (x.place == CGlyphPlace::LeftUpper) {
        if (auto n = ParseCount(s); n && *n > 0) t = {Token::Type::Isotope, {}, *n, nAt};
      } else {
        // The atomic number under an isotope says nothing the symbol does not.
        if (ParseCount(s)) continue;
      }
      out.push_back(t);
      continue;
    }
    const char c = x.c;
    if (c >= 'A' && c <= 'Z') {
      std::string sym(1, c);
      if (i + 1 < end && g[i + 1].place == CGlyphPlace::Base && !g[i + 1].bGreek &&
          g[i + 1].c >= 'a' && g[i + 1].c <= 'z' && ElementNumber(sym + g[i + 1].c) != 0) {
        sym += g[i + 1].c;
      }
      i += sym.size();
      out.push_back(
          {ElementNumber(sym) != 0 ? Token::Type::Element : Token::Type::Bad, sym, 0, nAt});
    } else if (c >= '0' && c <= '9') {
      std::string s;
      std::size_t j = i;
      while (j < end && g[j].place == CGlyphPlace::Base && !g[j].bGreek && g[j].c >= '0' &&
             g[j].c <= '9')
        s += g[j++].c;
      i = j;
      const auto n = ParseCount(s);
      out.push_back(n ? Token{Token::Type::Count, {}, *n, nAt}
                      : Token{Token::Type::Bad, {}, 0, nAt});
    } else if (c == '(' || c == ')' || c == '=') {
      out.push_back(
          {c == '(' ? Token::Type::Open : (c == ')' ? Token::Type::Close : Token::Type::Double),
           {},
           0,
           nAt});
      ++i;
    } else if ((c == '+' || IsMinus(c)) && i + 1 == end) {
      // "Na+", typed without an upper index.
      out.push_back({Token::Type::Charge, {}, c == '+' ? 1 : -1, nAt});
      ++i;
    } else {
      out.push_back({Token::Type::Bad, {}, 0, nAt});
      ++i;
    }
  }
  return out;
}

bool IsType(const std::vector<Token>& t, std::size_t i, Token::Type type) {
  return i < t.size() && t[i].type == type;
}

bool IsHydrogen(const std::vector<Token>& t, std::size_t i) {
  return IsType(t, i, Token::Type::Element) && t[i].strSymbol == "H";
}

// ---------------------------------------------------------------------------------------
// One heavy atom with its hydrogens ("OH", "H2N", "NH4+", "13CH3")

bool ReadSingleAtom(const std::vector<Token>& t, CLabelReading& r) {
  std::size_t i = 0;
  int nIsotope = 0;
  if (IsType(t, i, Token::Type::Isotope)) nIsotope = t[i++].n;
  int nH = -1;
  const auto readHydrogens = [&](std::size_t& k) {
    if (!IsHydrogen(t, k)) return;
    int n = 1;
    ++k;
    if (IsType(t, k, Token::Type::Count)) n = t[k++].n;
    nH = (nH < 0 ? 0 : nH) + n;
  };
  readHydrogens(i);
  const bool bHBefore = nH >= 0;
  std::string strSymbol;
  int nGlyph = 0;
  bool bHAfter = false;
  if (IsType(t, i, Token::Type::Element) && !IsHydrogen(t, i)) {
    strSymbol = t[i].strSymbol;
    nGlyph = t[i].nGlyph;
    ++i;
  } else if (bHBefore) {
    // Hydrogen itself: "H" is one atom, "H2" a molecule of two.
    strSymbol = "H";
    nGlyph = t.empty() ? 0 : t[nIsotope > 0 ? 1 : 0].nGlyph;
    nH -= 1;
    bHAfter = true;
  } else {
    return false;
  }
  // The charge may stand before the hydrogens ("N+H3") or after them ("NH3+").
  int nCharge = 0;
  while (i < t.size()) {
    if (IsType(t, i, Token::Type::Charge)) {
      nCharge += t[i++].n;
    } else if (!bHBefore && !bHAfter && IsHydrogen(t, i)) {
      readHydrogens(i);
      bHAfter = true;
    } else {
      return false;
    }
  }
  r.kind = CLabelReading::Kind::Atom;
  r.strSymbol = strSymbol;
  r.nHydrogens = nH;
  r.nCharge = nCharge;
  r.nIsotope = nIsotope;
  r.nAttachGlyph = nGlyph;
  return true;
}

// ---------------------------------------------------------------------------------------
// Condensed formulas ("CH2CH2OH", "C(CH3)3", "COOCH3", "HOCH2")

struct ChainAtom {
  std::string strSymbol;
  int nH = 0;
  int nIsotope = 0;
  int nParent = -1;
  int nOrder = 1;  // of the bond to the parent
  std::vector<int> children;
};

class CondensedReader {
 public:
  explicit CondensedReader(const std::vector<Token>& t) : m_t(t) {}

  // Forward: the chain hangs from its first heavy atom.
  bool ReadForward() {
    std::size_t i = 0;
    if (IsType(m_t, i, Token::Type::Isotope)) m_nIsotope = m_t[i++].n;
    if (!ReadChain(i, -1, 0) || i != m_t.size()) return false;
    return m_atoms.size() >= 2;
  }

  // Reversed: the hydrogens before a heavy atom are its own, the chain hangs from its last
  // heavy atom. No branches.
  bool ReadReversed() {
    std::size_t i = 0;
    int nPendingH = 0;
    int nOrder = 1;
    while (i < m_t.size()) {
      const Token& tok = m_t[i];
      if (tok.type == Token::Type::Element && tok.strSymbol == "H") {
        ++i;
        int n = 1;
        if (IsType(m_t, i, Token::Type::Count)) n = m_t[i++].n;
        nPendingH += n;
      } else if (tok.type == Token::Type::Element) {
        ++i;
        int nCopies = 1;
        if (IsType(m_t, i, Token::Type::Count)) nCopies = m_t[i++].n;
        for (int k = 0; k < nCopies; ++k) {
          if (!Add(tok.strSymbol, k == 0 ? nPendingH : 0, static_cast<int>(m_atoms.size()) - 1,
                   k == 0 ? nOrder : 1))
            return false;
        }
        m_nLastGlyph = tok.nGlyph;
        nPendingH = 0;
        nOrder = 1;
      } else if (tok.type == Token::Type::Double && !m_atoms.empty()) {
        nOrder = 2;
        ++i;
      } else {
        return false;
      }
    }
    if (m_atoms.size() < 2) return false;
    m_atoms.back().nH += nPendingH;
    m_bReversed = true;
    return true;
  }

  // SMILES of the fragment, '*' first, written from the attachment atom.
  std::string Fragment() const {
    std::string s = "*";
    if (m_bReversed) {
      // A plain chain, from its last atom back to its first.
      for (int k = static_cast<int>(m_atoms.size()) - 1; k >= 0; --k) {
        if (k + 1 < static_cast<int>(m_atoms.size()) && m_atoms[k + 1].nOrder == 2) s += '=';
        s += AtomText(m_atoms[k]);
      }
      return s;
    }
    // Depth first from the root without recursion: the last child continues the line,
    // the others are branches.
    struct Frame {
      int nAtom;
      std::size_t nNext;
    };
    std::vector<Frame> stack{{0, 0}};
    s += AtomText(m_atoms[0]);
    while (!stack.empty()) {
      Frame& f = stack.back();
      const ChainAtom& a = m_atoms[f.nAtom];
      if (f.nNext == a.children.size()) {
        const int nDone = f.nAtom;
        stack.pop_back();
        if (!stack.empty() && !IsLastChild(stack.back().nAtom, nDone)) s += ')';
        continue;
      }
      const int nChild = a.children[f.nNext++];
      if (f.nNext != a.children.size()) s += '(';
      if (m_atoms[nChild].nOrder == 2) s += '=';
      s += AtomText(m_atoms[nChild]);
      stack.push_back({nChild, 0});
    }
    return s;
  }

  int AttachGlyph() const { return m_bReversed ? m_nLastGlyph : m_nFirstGlyph; }

 private:
  static std::string AtomText(const ChainAtom& a) {
    std::string s = "[";
    if (a.nIsotope > 0) s += std::to_string(a.nIsotope);
    s += a.strSymbol;
    if (a.nH > 0) s += "H";
    if (a.nH > 1) s += std::to_string(a.nH);
    return s + "]";
  }

  bool IsLastChild(int nParent, int nChild) const {
    const std::vector<int>& c = m_atoms[nParent].children;
    return !c.empty() && c.back() == nChild;
  }

  // Valence used so far: hydrogens, the bond to the parent and the bonds to children.
  int Used(int n) const {
    const ChainAtom& a = m_atoms[n];
    int used = a.nH + (a.nParent >= 0 ? a.nOrder : 0);
    for (int c : a.children) used += m_atoms[c].nOrder;
    // The attachment: the bond to the rest of the molecule.
    if (n == 0) used += 1;
    return used;
  }

  bool Add(const std::string& sym, int nH, int nParent, int nOrder) {
    // A label of ten thousand characters stays a label, not ten thousand atoms.
    if (m_atoms.size() >= 2000) return false;
    ChainAtom a;
    a.strSymbol = sym;
    a.nH = nH;
    a.nParent = nParent;
    a.nOrder = nParent >= 0 ? nOrder : 1;
    if (m_atoms.empty()) a.nIsotope = m_nIsotope;
    m_atoms.push_back(a);
    if (nParent >= 0) m_atoms[nParent].children.push_back(static_cast<int>(m_atoms.size()) - 1);
    return true;
  }

  // Whether the tokens at i are "(CH2)".
  bool IsMethyleneGroup(std::size_t i) const {
    return IsType(m_t, i, Token::Type::Open) && IsType(m_t, i + 1, Token::Type::Element) &&
           m_t[i + 1].strSymbol == "C" && IsHydrogen(m_t, i + 2) &&
           IsType(m_t, i + 3, Token::Type::Count) && m_t[i + 3].n == 2 &&
           IsType(m_t, i + 4, Token::Type::Close);
  }

  // Units up to the end or a ')' (not read), hanging from nFrom (-1: the chain's root).
  bool ReadChain(std::size_t& i, int nFrom, int nDepth) {
    if (nDepth > 8) return false;
    int nCurrent = nFrom;
    int nOrder = 1;
    bool bAny = false;
    while (i < m_t.size()) {
      const Token& tok = m_t[i];
      if (tok.type == Token::Type::Close) break;
      if (tok.type == Token::Type::Double) {
        if (nCurrent < 0) return false;
        nOrder = 2;
        ++i;
        continue;
      }
      if (tok.type == Token::Type::Open && IsMethyleneGroup(i)) {
        if (!ReadMethylenes(i, nCurrent, nOrder)) return false;
        continue;
      }
      if (tok.type == Token::Type::Open) {
        if (!ReadBranch(i, nCurrent, nDepth)) return false;
        continue;
      }
      if (!ReadElement(i, nCurrent, nOrder)) return false;
      bAny = true;
    }
    return bAny && nOrder == 1;
  }

  // "(CH2)3" at i: the unit three times along the chain.
  bool ReadMethylenes(std::size_t& i, int& nCurrent, int& nOrder) {
    if (nCurrent < 0) return false;
    i += 5;
    int nCopies = 1;
    if (IsType(m_t, i, Token::Type::Count)) nCopies = m_t[i++].n;
    for (int k = 0; k < nCopies; ++k) {
      if (!Add("C", 2, nCurrent, nOrder)) return false;
      nCurrent = static_cast<int>(m_atoms.size()) - 1;
      nOrder = 1;
    }
    return true;
  }

  // A branch in brackets at i hanging from nCurrent; "C(CH3)3": the branch again, twice
  // more.
  bool ReadBranch(std::size_t& i, int nCurrent, int nDepth) {
    if (nCurrent < 0) return false;
    const std::size_t nStart = ++i;
    std::size_t nEnd = nStart;
    if (!ReadChain(nEnd, nCurrent, nDepth + 1) || !IsType(m_t, nEnd, Token::Type::Close))
      return false;
    i = nEnd + 1;
    if (IsType(m_t, i, Token::Type::Count)) {
      const int nCopies = m_t[i++].n;
      for (int k = 1; k < nCopies; ++k) {
        std::size_t j = nStart;
        if (!ReadChain(j, nCurrent, nDepth + 1)) return false;
      }
    }
    return true;
  }

  // An element at i with its hydrogens or its count ("CH3", "C2", "O2").
  bool ReadElement(std::size_t& i, int& nCurrent, int& nOrder) {
    const Token& tok = m_t[i];
    if (tok.type != Token::Type::Element || tok.strSymbol == "H") return false;
    ++i;
    int nH = 0;
    if (IsHydrogen(m_t, i)) {
      ++i;
      nH = 1;
      if (IsType(m_t, i, Token::Type::Count)) nH = m_t[i++].n;
    }
    int nCopies = 1;
    if (nH == 0 && IsType(m_t, i, Token::Type::Count)) nCopies = m_t[i++].n;
    if (nCopies == 0) return false;
    if (m_atoms.empty()) m_nFirstGlyph = tok.nGlyph;
    if (tok.strSymbol == "O" && nH == 0 && nCurrent >= 0 && nOrder == 1) {
      return ReadOxygens(i, nCopies, nCurrent);
    }
    for (int k = 0; k < nCopies; ++k) {
      if (!Add(tok.strSymbol, nH, nCurrent, nOrder)) return false;
      nCurrent = static_cast<int>(m_atoms.size()) - 1;
      nOrder = 1;
    }
    return true;
  }

  // nCopies oxygens without hydrogens after the atom nCurrent, the tokens going on at i. An
  // oxygen after a carbon, sulfur or phosphorus that has valence to spare is a
  // double-bonded oxygen ("COCH3", "CO2H", "SO2Me"); the chain goes on from that atom.
  bool ReadOxygens(std::size_t i, int nCopies, int& nCurrent) {
    const std::string& x = m_atoms[nCurrent].strSymbol;
    const int nValence = x == "C" ? 4 : (x == "S" ? 6 : (x == "P" ? 5 : 0));
    const bool bMore = i < m_t.size() && !IsType(m_t, i, Token::Type::Close);
    int nSpare = (nValence - Used(nCurrent) - (bMore ? 1 : 0)) / 2;
    int nLeft = nCopies;
    while (nSpare > 0 && nLeft > 0) {
      if (!Add("O", 0, nCurrent, 2)) return false;
      --nSpare;
      --nLeft;
    }
    for (; nLeft > 0; --nLeft) {
      if (!Add("O", 0, nCurrent, 1)) return false;
      nCurrent = static_cast<int>(m_atoms.size()) - 1;
    }
    return true;
  }

  const std::vector<Token>& m_t;
  std::vector<ChainAtom> m_atoms;
  int m_nIsotope = 0;
  int m_nFirstGlyph = 0;
  int m_nLastGlyph = 0;
  bool m_bReversed = false;
};

// ---------------------------------------------------------------------------------------
// Molecular formulas of several heavy atoms ("H2SO4", "Ca(OH)2")

bool ReadMolecularFormula(const std::vector<Token>& t, CLabelReading& r) {
  // Counts of each element, with the multipliers of the open parentheses on a stack.
  struct Level {
    std::vector<std::pair<std::string, long long>> counts;
  };
  std::vector<Level> stack(1);
  int nCharge = 0;
  constexpr long long kMaxAtoms = 10000;
  const auto add = [](Level& l, const std::string& sym, long long n) {
    for (auto& [s, c] : l.counts) {
      if (s == sym) {
        c += n;
        return;
      }
    }
    l.counts.emplace_back(sym, n);
  };
  for (std::size_t i = 0; i < t.size();) {
    const Token& tok = t[i];
    if (tok.type == Token::Type::Element) {
      ++i;
      long long n = 1;
      if (IsType(t, i, Token::Type::Count)) n = t[i++].n;
      add(stack.back(), tok.strSymbol, n);
    } else if (tok.type == Token::Type::Open) {
      if (stack.size() > 8) return false;
      stack.emplace_back();
      ++i;
    } else if (tok.type == Token::Type::Close && stack.size() > 1) {
      ++i;
      long long n = 1;
      if (IsType(t, i, Token::Type::Count)) n = t[i++].n;
      Level inner = std::move(stack.back());
      stack.pop_back();
      for (const auto& [s, c] : inner.counts) add(stack.back(), s, std::min(c * n, kMaxAtoms));
    } else if (tok.type == Token::Type::Charge && i + 1 == t.size()) {
      nCharge = tok.n;
      ++i;
    } else {
      return false;
    }
  }
  if (stack.size() != 1) return false;
  long long nHeavy = 0;
  long long nH = 0;
  for (const auto& [s, c] : stack[0].counts) {
    if (s == "H") {
      nH += c;
    } else {
      nHeavy += c;
    }
  }
  if (nHeavy < 2 || nHeavy + nH > kMaxAtoms) return false;
  r.kind = CLabelReading::Kind::Formula;
  r.nCharge = nCharge;
  for (const auto& [s, c] : stack[0].counts) {
    if (s == "H") continue;
    for (long long k = 0; k < c; ++k)
      r.formulaAtoms.emplace_back(s, r.formulaAtoms.empty() ? static_cast<int>(nH) : 0);
  }
  return true;
}

// The text an abbreviation would be written as: the base line and lower indices only.
std::optional<std::string> AbbreviationKey(const std::vector<CLabelGlyph>& g) {
  std::string key;
  for (const CLabelGlyph& x : g) {
    if (x.bGreek || (x.place != CGlyphPlace::Base && x.place != CGlyphPlace::Lower))
      return std::nullopt;
    key += x.c;
  }
  while (!key.empty() && key.back() == ' ') key.pop_back();
  while (!key.empty() && key.front() == ' ') key.erase(key.begin());
  return key;
}

// The last capital letter on the base line: where a reversed label meets its bond.
int LastCapital(const std::vector<CLabelGlyph>& g) {
  for (int i = static_cast<int>(g.size()) - 1; i >= 0; --i)
    if (!g[i].bGreek && g[i].place == CGlyphPlace::Base && g[i].c >= 'A' && g[i].c <= 'Z') return i;
  return 0;
}

bool IsNoChemistry(const std::vector<Token>& t, const std::vector<CLabelGlyph>& g) {
  if (t.empty()) return true;
  // A lone plus or minus sign between the molecules of a scheme.
  std::string s;
  for (const CLabelGlyph& x : g)
    if (x.c != ' ') s += x.c;
  return s == "+" || (s.size() == 1 && IsMinus(s[0]));
}

}  // namespace

std::vector<CLabelGlyph> DecodeFormulaText(std::string_view markup) {
  std::vector<CLabelGlyph> out;
  const std::vector<FormulaPiece> pieces = WalkFormula(markup);
  const auto slot = [&](const FormulaPiece& p, int k, CGlyphPlace place) {
    if (k >= p.nSlots) return;
    const int a = std::clamp(p.slot[k].nStart, 0, static_cast<int>(markup.size()));
    const int b = std::clamp(p.slot[k].nEnd, a, static_cast<int>(markup.size()));
    DecodeRun(markup.substr(a, b - a), place, out);
  };
  for (const FormulaPiece& p : pieces) {
    if (p.type == FormulaPiece::Type::Run) {
      const int a = std::clamp(p.nStart, 0, static_cast<int>(markup.size()));
      const int b = std::clamp(p.nEnd, a, static_cast<int>(markup.size()));
      DecodeRun(markup.substr(a, b - a), CGlyphPlace::Base, out);
      continue;
    }
    switch (p.tmpl) {
      case FormulaTemplate::Up:
        slot(p, 0, CGlyphPlace::Upper);
        break;
      case FormulaTemplate::Down:
        slot(p, 0, CGlyphPlace::Lower);
        break;
      case FormulaTemplate::UpDownRight:
        slot(p, 0, CGlyphPlace::Upper);
        slot(p, 1, CGlyphPlace::Lower);
        break;
      case FormulaTemplate::UpDownLeft:
        slot(p, 0, CGlyphPlace::LeftUpper);
        slot(p, 1, CGlyphPlace::LeftLower);
        break;
      case FormulaTemplate::None:
        break;
    }
  }
  return out;
}

std::string PlainLabelText(const std::vector<CLabelGlyph>& glyphs, std::size_t nMaxChars) {
  std::string out;
  std::size_t n = 0;
  for (const CLabelGlyph& g : glyphs) {
    if (n == nMaxChars) {
      out += "\u2026";
      break;
    }
    const char* pszGreek = g.bGreek ? GreekUtf8(g.c) : nullptr;
    if (pszGreek != nullptr) {
      out += pszGreek;
    } else {
      AppendUtf8(out, static_cast<unsigned char>(g.c));
    }
    ++n;
  }
  return out;
}

double EstimatedGlyphWidth(const CLabelGlyph& g) {
  if (g.place == CGlyphPlace::LeftLower) return 0.0;  // under the left upper index
  if (g.place != CGlyphPlace::Base) return 100.0;
  if (g.c >= 'A' && g.c <= 'Z') return 173.0;
  return 125.0;
}

double EstimatedTextWidth(const std::vector<CLabelGlyph>& glyphs) {
  double w = 0.0;
  for (const CLabelGlyph& g : glyphs) w += EstimatedGlyphWidth(g);
  return w;
}

std::pair<double, double> EstimatedGlyphOffset(const std::vector<CLabelGlyph>& glyphs, int nGlyph) {
  double x = 0.0;
  const int n = std::clamp(nGlyph, 0, static_cast<int>(glyphs.size()));
  for (int i = 0; i < n; ++i) x += EstimatedGlyphWidth(glyphs[i]);
  const double w = n < static_cast<int>(glyphs.size()) ? EstimatedGlyphWidth(glyphs[n]) : 0.0;
  return {x + w / 2.0, -kEstimatedHalfCellHeight};
}

CLabelReading ReadBondedLabel(std::string_view markup) {
  const std::vector<CLabelGlyph> g = DecodeFormulaText(markup);
  const std::vector<Token> t = Tokenize(g);
  CLabelReading r;
  r.strText = PlainLabelText(g);
  if (IsNoChemistry(t, g)) return r;
  const auto key = AbbreviationKey(g);
  const CLabelAbbreviation* pAbbreviation = key ? FindAbbreviation(*key) : nullptr;
  const auto readAbbreviation = [&] {
    r.kind = CLabelReading::Kind::Fragment;
    r.strFragment = pAbbreviation->pszFragment;
    r.nAttachGlyph = pAbbreviation->bReversed ? LastCapital(g) : 0;
  };
  // An element with its hydrogens first, so that "NH2" keeps the two hydrogens it shows
  // (and a third bond to it is a fault); but "Ac", "Pr" and "Ts" are groups, not elements.
  if (pAbbreviation != nullptr && ElementNumber(*key) != 0) {
    readAbbreviation();
    return r;
  }
  if (ReadSingleAtom(t, r)) return r;
  if (pAbbreviation != nullptr) {
    readAbbreviation();
    return r;
  }
  // A condensed formula that starts with hydrogens is written from the right ("HOCH2").
  CondensedReader condensed(t);
  if (IsHydrogen(t, 0) ? condensed.ReadReversed() : condensed.ReadForward()) {
    r.kind = CLabelReading::Kind::Fragment;
    r.strFragment = condensed.Fragment();
    r.nAttachGlyph = condensed.AttachGlyph();
    return r;
  }
  r.kind = CLabelReading::Kind::Unknown;
  return r;
}

CLabelReading ReadFreeFormula(std::string_view markup) {
  const std::vector<CLabelGlyph> g = DecodeFormulaText(markup);
  const std::vector<Token> t = Tokenize(g);
  CLabelReading r;
  r.strText = PlainLabelText(g, 200);
  if (IsNoChemistry(t, g)) return r;
  if (ReadSingleAtom(t, r)) return r;
  if (ReadMolecularFormula(t, r)) return r;
  r = CLabelReading{};
  r.kind = CLabelReading::Kind::Annotation;
  r.strText = PlainLabelText(g, 200);
  return r;
}
