#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "chemistry/StructureImport.h"
#include "document/WorkProgress.h"
#include "objects/CObList.h"
#include "objects/Geometry.h"

class CKvillDoc;

// Structure files (MOL, SDF, SMILES, RXN, CDXML) opened as drawings.

inline constexpr const char* kNotStructureFile = "Error: Not a chemical structure file.";
// A structure file larger than this is not read: the molecules it could hold would be more
// than reading keeps anyway (kMaxImportMolecules, kMaxImportAtoms).
inline constexpr std::uintmax_t kMaxStructureFileBytes = 64u << 20;
// Where an opened structure's top-left corner goes: just inside the window's first view.
inline constexpr CPoint kStructureTopLeft{600, -600};

// The kind of structure file at the path: by its extension, and for any other extension a
// MOL record or a CDXML document by its content. None for anything else (a drawing) and
// for a file that cannot be read.
CStructureSource StructureFileSource(const std::string& strPath);

// What reading a structure file gave.
struct CStructureFileReading {
  bool bOk = false;
  bool bCancelled = false;
  std::string strReason;  // when not bOk: why, in the reader's words
  std::vector<std::string> warnings;
};

// Reads the structure file and appends its molecules, drawn, to list with their top-left
// corner at ptTopLeft. Nothing is appended unless it succeeds.
CStructureFileReading ReadStructureFile(const std::string& strPath, CStructureSource source,
                                        CObList& list, CPoint ptTopLeft = kStructureTopLeft,
                                        const WorkProgress& progress = {});

// Reads a file as Open does: a structure file into a drawing of its molecules, anything
// else as a drawing (OpenDrawingFile). A structure file that cannot be read gives
// "Error: Not a chemical structure file." and the reason on err, and false.
bool OpenDrawingOrStructure(CKvillDoc& doc, const std::string& strPath, std::ostream& err,
                            const WorkProgress& progress = {});
