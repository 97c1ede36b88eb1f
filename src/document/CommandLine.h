#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "document/WorkProgress.h"

// The command-line tools of the document: they read and write streams without a window.
// Each returns the process exit status and writes only to the streams it is given.

// Writes a whole drawing file, so that a failure leaves the file as it was; false, with
// the reason, when it could not be written. The application hands in its one safe writer.
using DrawingFileWriter = std::function<bool(
    const std::string& strPath, std::span<const std::uint8_t> bytes, std::string* pReason)>;

// Reads IN as the Open command does (scanning loader, replacing) and writes OUT as Save
// does, through write. A stream that is not one gives "Error: Incompatible file." and
// status 1; so does a file that cannot be written, with its reason. The progress runs
// from 0 to 100 over reading and writing.
int RunConvert(const std::string& strIn, const std::string& strOut, const DrawingFileWriter& write,
               std::ostream& out, std::ostream& err, const WorkProgress& progress = {});

// Reads IN as the Open command does and prints its magic family, the selection count, the
// number of objects of each kind (top level and inside groups) and the deepest nesting.
int RunInfo(const std::string& strIn, std::ostream& out, std::ostream& err);

// Writes OUT through write; on failure "Error: cannot write OUT: reason" and status 1.
int WriteOutputFile(const DrawingFileWriter& write, const std::string& strOut,
                    std::span<const std::uint8_t> bytes, std::ostream& err);

class CKvillDoc;
// Writes the whole drawing to OUT as Save does, through write: status 0, or 1 with the
// message of WriteOutputFile.
int WriteDrawingFile(CKvillDoc& doc, const std::string& strOut, const DrawingFileWriter& write,
                     std::ostream& err);
// Reads a file the way the Open command does (scanning loader, replacing). False, with the
// message written to err, when it cannot be opened or holds no complete drawing.
bool OpenDrawingFile(CKvillDoc& doc, const std::string& strIn, std::ostream& err);
// The summary --info prints of a drawing read.
void PrintDrawingSummary(const CKvillDoc& doc, std::ostream& out);

// Runs --convert IN OUT or --info IN when args (the arguments after the program name) start
// with one of them; a wrong number of arguments prints the usage and gives status 2.
// Returns -1 when args name no document tool. The progress is that of --convert.
int RunDocumentTool(const std::vector<std::string>& args, const DrawingFileWriter& write,
                    std::ostream& out, std::ostream& err, const WorkProgress& progress = {});
