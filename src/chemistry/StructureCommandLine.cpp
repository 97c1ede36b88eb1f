#include "chemistry/StructureCommandLine.h"

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <span>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureFile.h"
#include "chemistry/StructureOutput.h"
#include "chemistry/StructureReader.h"
#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"

namespace {

// The file's name without its folder and extension: the title of MOL and SDF records.
std::string TitleOf(const std::string& strPath) {
  const std::size_t nSlash = strPath.find_last_of('/');
  std::string name = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
  const std::size_t nDot = name.find_last_of('.');
  if (nDot != std::string::npos && nDot > 0) name.erase(nDot);
  return name;
}

std::string Fixed(double d, int nDecimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", nDecimals, d);
  return buf;
}

std::string Side(const std::vector<int>& molecules) {
  std::string s;
  for (int m : molecules) s += (s.empty() ? "" : ", ") + std::to_string(m + 1);
  return s.empty() ? "none" : s;
}

}  // namespace

int RunStructureConvert(const std::string& strIn, const std::string& strOut,
                        const DrawingFileWriter& write, std::ostream& err) {
  CKvillDoc doc;
  if (!OpenDrawingOrStructure(doc, strIn, err)) return 1;
  const CDrawingStructure structure = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(structure);
  const CStructureText text = WriteStructureText(StructureFormatOf(strOut), set, TitleOf(strIn));
  if (text.status == CStructureText::Status::NoStructure) {
    err << "valendra: no structure in " << strIn << "\n";
    return 1;
  }
  if (text.status == CStructureText::Status::NoReaction) {
    err << "valendra: no reaction in " << strIn << "\n";
    return 1;
  }
  for (const std::string& w : text.warnings) err << "valendra: warning: " << w << "\n";
  const std::span<const std::uint8_t> bytes(
      reinterpret_cast<const std::uint8_t*>(text.strText.data()), text.strText.size());
  return WriteOutputFile(write, strOut, bytes, err);
}

int RunStructureInfo(const std::string& strIn, std::ostream& out, std::ostream& err) {
  CKvillDoc doc;
  if (!OpenDrawingOrStructure(doc, strIn, err)) return 1;
  if (const char* pszKind = StructureSourceName(StructureFileSource(strIn)))
    out << "structure file: " << pszKind << "\n";
  PrintDrawingSummary(doc, out);
  const CDrawingStructure structure = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(structure);
  out << "molecules: " << structure.molecules.size() << "\n";
  for (std::size_t m = 0; m < structure.molecules.size(); ++m) {
    const CChemMolecule& molecule = structure.molecules[m];
    const CMoleculeFacts f = set.Facts({static_cast<int>(m)});
    out << "molecule " << m + 1 << ": ";
    if (molecule.bFormulaOnly) {
      out << "no SMILES, a formula alone (" << molecule.strText << ")\n";
    } else {
      out << set.Smiles(static_cast<int>(m)) << "\n";
    }
    out << "  formula: " << f.strFormula << "\n";
    out << "  average mass: " << Fixed(f.dAverageMass, 2) << "\n";
    out << "  monoisotopic mass: " << Fixed(f.dMonoisotopicMass, 4) << "\n";
  }
  for (std::size_t k = 0; k < structure.steps.size(); ++k) {
    const CReactionStep& step = structure.steps[k];
    out << "reaction step " << k + 1 << ": " << set.ReactionSmiles(step) << "\n";
    out << "  reactants: " << Side(step.reactants) << "; agents: " << Side(step.agents)
        << "; products: " << Side(step.products) << "\n";
    for (const std::string& c : step.conditions) out << "  condition: " << c << "\n";
  }
  for (const std::string& w : StructureWarnings(set)) out << "warning: " << w << "\n";
  return 0;
}

int RunStructureTool(const std::vector<std::string>& args, const DrawingFileWriter& write,
                     std::ostream& out, std::ostream& err, const WorkProgress& progress) {
  if (args.size() == 3 && args[0] == "--convert" &&
      StructureFormatOf(args[2]) != CStructureFormat::None) {
    if (progress) progress(0, 100);
    const int nStatus = RunStructureConvert(args[1], args[2], write, err);
    if (progress && nStatus == 0) progress(100, 100);
    return nStatus;
  }
  if (args.size() == 3 && args[0] == "--convert" &&
      StructureFileSource(args[1]) != CStructureSource::None) {
    // A structure file becomes a drawing of its molecules.
    CKvillDoc doc;
    if (!OpenDrawingOrStructure(doc, args[1], err, progress)) return 1;
    return WriteDrawingFile(doc, args[2], write, err);
  }
  if (args.size() == 2 && args[0] == "--info") return RunStructureInfo(args[1], out, err);
  return RunDocumentTool(args, write, out, err, progress);
}
