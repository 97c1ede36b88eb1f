// What the end-to-end scripts ask of a structure another program received: the canonical
// SMILES of a SMILES or of a MOL record on standard input, as RDKit reads it, or status 1
// when it does not parse.
//
//   structure_probe smiles < TEXT
//   structure_probe mol < MOLFILE
#include <iostream>
#include <iterator>
#include <string>

#include "chemistry/CMoleculeSet.h"

int main(int argc, char* argv[]) {
  const std::string mode = argc == 2 ? argv[1] : "";
  if (mode != "smiles" && mode != "mol") {
    std::cerr << "usage: structure_probe smiles|mol < TEXT\n";
    return 2;
  }
  std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  if (mode == "smiles") {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  }
  const auto smiles = mode == "smiles" ? CanonicalSmiles(text) : MolBlockSmiles(text);
  if (!smiles) return 1;
  std::cout << *smiles << "\n";
  return 0;
}
