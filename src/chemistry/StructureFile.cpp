#include "chemistry/StructureFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "chemistry/StructureDrawing.h"
#include "document/CKvillDoc.h"
#include "document/CommandLine.h"

namespace {

// At most nMax bytes of the file; false when it cannot be read.
bool ReadBytes(const std::string& strPath, std::size_t nMax, std::string* pText) {
  std::ifstream in(strPath, std::ios::binary);
  if (!in) return false;
  pText->assign(nMax, '\0');
  in.read(pText->data(), static_cast<std::streamsize>(nMax));
  pText->resize(static_cast<std::size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

CStructureSource StructureFileSource(const std::string& strPath) {
  const CStructureSource byName = StructureSourceOfPath(strPath);
  if (byName != CStructureSource::None) return byName;
  std::string head;
  if (!ReadBytes(strPath, 4096, &head)) return CStructureSource::None;
  return StructureSourceOfContent(head);
}

CStructureFileReading ReadStructureFile(const std::string& strPath, CStructureSource source,
                                        CObList& list, CPoint ptTopLeft,
                                        const WorkProgress& progress) {
  CStructureFileReading out;
  std::error_code ec;
  const std::uintmax_t nSize = std::filesystem::file_size(strPath, ec);
  if (ec) {
    out.strReason = "cannot read " + strPath + ": " + ec.message();
    return out;
  }
  if (nSize > kMaxStructureFileBytes) {
    out.strReason = "the file has " + std::to_string(nSize >> 20) + " MB, more than the " +
                    std::to_string(kMaxStructureFileBytes >> 20) + " MB read";
    return out;
  }
  std::string text;
  if (!ReadBytes(strPath, static_cast<std::size_t>(nSize), &text)) {
    out.strReason = "cannot read " + strPath;
    return out;
  }
  const CImportedStructure s = ImportStructure(text, source, progress);
  if (s.bCancelled) {
    out.bCancelled = true;
    return out;
  }
  if (!s.strError.empty()) {
    out.strReason = s.strError;
    return out;
  }
  list.splice(list.end(), DrawImportedStructure(s, ptTopLeft, CArrangeAt::TopLeft));
  out.bOk = true;
  out.warnings = s.warnings;
  return out;
}

bool OpenDrawingOrStructure(CKvillDoc& doc, const std::string& strPath, std::ostream& err,
                            const WorkProgress& progress) {
  const CStructureSource source = StructureFileSource(strPath);
  std::error_code ec;
  if (source == CStructureSource::None || !std::filesystem::is_regular_file(strPath, ec))
    return OpenDrawingFile(doc, strPath, err);
  const CStructureFileReading r =
      ReadStructureFile(strPath, source, doc.m_listObjects, kStructureTopLeft, progress);
  if (r.bCancelled) {
    err << "Error: reading " << strPath << " was cancelled\n";
    return false;
  }
  if (!r.bOk) {
    err << kNotStructureFile << "\n" << r.strReason << "\n";
    return false;
  }
  for (const std::string& w : r.warnings) err << "valendra: warning: " << w << "\n";
  return true;
}
