#include "chemistry/StructureOutput.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string Fixed(double d, int nDecimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", nDecimals, d);
  return buf;
}

std::string FormulaOnlyNote(const CChemMolecule& m) {
  return "formula '" + m.strText + "' has no structure and is not written";
}

}  // namespace

CStructureFormat StructureFormatOf(const std::string& strPath) {
  const std::size_t nSlash = strPath.find_last_of('/');
  const std::size_t nDot = strPath.find_last_of('.');
  if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash))
    return CStructureFormat::None;
  std::string ext = strPath.substr(nDot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "mol") return CStructureFormat::Mol;
  if (ext == "sdf") return CStructureFormat::Sdf;
  if (ext == "smi") return CStructureFormat::Smiles;
  if (ext == "inchi") return CStructureFormat::InChI;
  if (ext == "rxn") return CStructureFormat::Rxn;
  return CStructureFormat::None;
}

const char* StructureExtension(CStructureFormat format) {
  switch (format) {
    case CStructureFormat::Mol:
      return "mol";
    case CStructureFormat::Sdf:
      return "sdf";
    case CStructureFormat::Smiles:
      return "smi";
    case CStructureFormat::InChI:
      return "inchi";
    case CStructureFormat::Rxn:
      return "rxn";
    case CStructureFormat::None:
      break;
  }
  return "";
}

std::vector<int> StructureMolecules(const CDrawingStructure& s) {
  std::vector<int> out;
  for (std::size_t m = 0; m < s.molecules.size(); ++m)
    if (!s.molecules[m].bFormulaOnly) out.push_back(static_cast<int>(m));
  return out;
}

std::vector<std::string> StructureWarnings(CMoleculeSet& set) {
  std::vector<std::string> out;
  for (const CChemWarning& w : set.Structure().warnings) out.push_back(w.strText);
  for (const CChemWarning& w : set.Problems()) out.push_back(w.strText);
  return out;
}

CStructureText WriteStructureText(CStructureFormat format, CMoleculeSet& set,
                                  const std::string& strTitle) {
  CStructureText out;
  const CDrawingStructure& s = set.Structure();
  if (!s.HasStructure()) {
    out.status = CStructureText::Status::NoStructure;
    return out;
  }
  if (format == CStructureFormat::Rxn && s.steps.empty()) {
    out.status = CStructureText::Status::NoReaction;
    return out;
  }
  out.warnings = StructureWarnings(set);
  const std::vector<int> molecules = StructureMolecules(s);
  const bool bListsMolecules = format == CStructureFormat::Sdf ||
                               format == CStructureFormat::InChI ||
                               (format == CStructureFormat::Smiles && s.steps.empty());
  if (bListsMolecules) {
    for (const CChemMolecule& m : s.molecules)
      if (m.bFormulaOnly) out.warnings.push_back(FormulaOnlyNote(m));
  }
  switch (format) {
    case CStructureFormat::Mol:
      out.strText = set.MolBlock(molecules, strTitle);
      break;
    case CStructureFormat::Sdf:
      for (int m : molecules) {
        const CMoleculeFacts f = set.Facts({m});
        out.strText += set.MolBlock({m}, strTitle);
        out.strText += "> <formula>\n" + f.strFormula + "\n\n";
        out.strText += "> <mass>\n" + Fixed(f.dAverageMass, 2) + "\n\n$$$$\n";
      }
      break;
    case CStructureFormat::Smiles:
      if (s.steps.empty()) {
        for (int m : molecules) {
          const std::string smiles = set.Smiles(m);
          if (!smiles.empty()) out.strText += smiles + "\n";
        }
      } else {
        for (const CReactionStep& step : s.steps) out.strText += set.ReactionSmiles(step) + "\n";
      }
      break;
    case CStructureFormat::InChI:
      for (std::size_t k = 0; k < molecules.size(); ++k) {
        std::string strInChI;
        std::string strKey;
        std::string strReason;
        if (set.InChI({molecules[k]}, &strInChI, &strKey, &strReason)) {
          out.strText += strInChI + "\t" + strKey + "\n";
        } else {
          out.warnings.push_back("molecule " + std::to_string(k + 1) +
                                 " has no InChI: " + strReason);
        }
      }
      break;
    case CStructureFormat::Rxn:
      out.strText = set.RxnBlock(s.steps.front());
      if (s.steps.size() > 1)
        out.warnings.push_back("only the first of " + std::to_string(s.steps.size()) +
                               " reaction steps is written");
      break;
    case CStructureFormat::None:
      break;
  }
  return out;
}

std::string ReactionSmilesText(CMoleculeSet& set) {
  std::string out;
  for (const CReactionStep& step : set.Structure().steps) {
    if (!out.empty()) out += '\n';
    out += set.ReactionSmiles(step);
  }
  return out;
}

std::string SmilesText(CMoleculeSet& set, const std::vector<int>& molecules) {
  std::string out;
  for (int m : molecules) {
    const std::string smiles = set.Smiles(m);
    if (smiles.empty()) continue;
    if (!out.empty()) out += '.';
    out += smiles;
  }
  return out;
}

std::string FormulaAndMass(CMoleculeSet& set, const std::vector<int>& molecules) {
  if (molecules.empty()) return {};
  const CMoleculeFacts f = set.Facts(molecules);
  if (f.strFormula.empty()) return {};
  return f.strFormula + "  " + Fixed(f.dAverageMass, 2);
}
