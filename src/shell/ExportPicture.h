#pragma once

#include <string>

class CKvillDoc;

// The largest picture, in pixels on a side, that an export will allocate.
constexpr int kMaxExportPixels = 16384;

// Renders a drawing as the embedding picture (the drawing with a margin of 100 units, no
// selection marks) into strOut, whose extension chooses the format: .svg, .png (at nDpi
// pixels per inch) or .pdf. The document is drawn by a view of its own that has no window.
// Returns 0, or a non-zero exit status with the reason in *pError. Needs a Qt application.
int ExportDocument(CKvillDoc& doc, const std::string& strOut, int nDpi, std::string* pError);

// Reads strIn as the Open command does and exports it as above.
int ExportFile(const std::string& strIn, const std::string& strOut, int nDpi, std::string* pError);

// The command line `--export IN OUT [--dpi N]` (arguments after "--export"); prints errors
// on stderr and returns the exit status.
int RunExportCommand(int argc, char* argv[]);
