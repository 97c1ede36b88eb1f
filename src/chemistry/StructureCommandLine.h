#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "document/CommandLine.h"

// The command-line tools with chemistry: --convert to a structure file chosen by OUT's
// extension (.mol, .sdf, .smi, .inchi, .rxn), and --info with the molecules of the drawing.
// A structure file as IN (MOL, SDF, SMILES, RXN, CDXML) is read as Open reads it: its
// molecules drawn; --convert of one to any other OUT writes that drawing.
// Every other use of --convert and --info, and everything else, is the document's own
// (RunDocumentTool): a drawing written as a drawing. Same statuses and streams.
int RunStructureTool(const std::vector<std::string>& args, const DrawingFileWriter& write,
                     std::ostream& out, std::ostream& err, const WorkProgress& progress = {});

// --convert IN OUT for a structure file: IN read as Open reads it; its molecules written to
// OUT through write. "no structure in IN" (status 1, nothing written) when no molecule has a
// structure; each warning as a "valendra: warning: ..." line on err, the file written still.
int RunStructureConvert(const std::string& strIn, const std::string& strOut,
                        const DrawingFileWriter& write, std::ostream& err);

// --info IN: the drawing's summary, then each molecule's SMILES, formula, average and
// monoisotopic mass, each reaction step, and the warnings.
int RunStructureInfo(const std::string& strIn, std::ostream& out, std::ostream& err);
