#pragma once

#include <string>

#include "chemistry/StructureImport.h"

namespace RDKit {
class RWMol;
}

// Between the two files that talk to RDKit: one sanitized molecule without explicit
// hydrogens laid out (afresh when bFresh, else keeping usable 2D coordinates it brings),
// wedged, kekulized and copied out in its own atom order. Empty, or why it cannot be laid
// out (too large). May throw what RDKit throws; the callers catch at their boundary.
std::string LayOutMolecule(RDKit::RWMol& mol, bool bFresh, CLaidOutMolecule& out);
