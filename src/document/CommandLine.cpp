#include "document/CommandLine.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CGroup.h"

namespace {

constexpr const char* kIncompatible = "Error: Incompatible file.";

}  // namespace

bool OpenDrawingFile(CKvillDoc& doc, const std::string& strIn, std::ostream& err) {
  CArchive ar(strIn, CArchive::load);
  if (!ar.IsOpen()) {
    err << "Error: cannot open " << strIn << "\n";
    return false;
  }
  if (!doc.Serialize(ar, CSerializeOptions::OpenFile())) {
    err << kIncompatible << "\n";
    return false;
  }
  return true;
}

namespace {

struct KindRow {
  std::int32_t nKind;
  const char* pszName;
};
constexpr std::array<KindRow, 7> kKinds = {{{KIND_FORMULA, "formula"},
                                            {KIND_DOT, "dot"},
                                            {KIND_GROUP, "group"},
                                            {KIND_ELLIPSE, "ellipse"},
                                            {KIND_COUPLING, "bond"},
                                            {KIND_PLUS, "plus charge"},
                                            {KIND_MINUS, "minus charge"}}};

std::size_t RowOf(std::int32_t nKind) {
  for (std::size_t i = 0; i < kKinds.size(); ++i)
    if (kKinds[i].nKind == nKind) return i;
  return kKinds.size();  // "other"
}

}  // namespace

int RunConvert(const std::string& strIn, const std::string& strOut, const DrawingFileWriter& write,
               std::ostream&, std::ostream& err, const WorkProgress& progress) {
  CKvillDoc doc;
  // Reading is the first half of the work, writing the second.
  const auto half = [&progress](int nFrom) -> WorkProgress {
    if (!progress) return {};
    return [&progress, nFrom](std::int64_t nDone, std::int64_t nTotal) {
      return progress(nFrom + (nTotal > 0 ? nDone * 50 / nTotal : 0), 100);
    };
  };
  doc.m_fnProgress = half(0);
  if (!OpenDrawingFile(doc, strIn, err)) return 1;
  doc.m_fnProgress = half(50);
  return WriteDrawingFile(doc, strOut, write, err);
}

int WriteDrawingFile(CKvillDoc& doc, const std::string& strOut, const DrawingFileWriter& write,
                     std::ostream& err) {
  // As Save: the whole drawing, the modified flag left to the file command.
  std::vector<std::uint8_t> bytes;
  {
    CArchive ar(&bytes);
    doc.Serialize(ar, CSerializeOptions::SaveWhole());
    ar.Flush();
  }
  return WriteOutputFile(write, strOut, bytes, err);
}

int WriteOutputFile(const DrawingFileWriter& write, const std::string& strOut,
                    std::span<const std::uint8_t> bytes, std::ostream& err) {
  std::string strReason;
  if (!write || !write(strOut, bytes, &strReason)) {
    err << "Error: cannot write " << strOut;
    if (!strReason.empty()) err << ": " << strReason;
    err << "\n";
    return 1;
  }
  return 0;
}

int RunInfo(const std::string& strIn, std::ostream& out, std::ostream& err) {
  CKvillDoc doc;
  if (!OpenDrawingFile(doc, strIn, err)) return 1;
  PrintDrawingSummary(doc, out);
  return 0;
}

void PrintDrawingSummary(const CKvillDoc& doc, std::ostream& out) {
  std::array<std::pair<long long, long long>, kKinds.size() + 1> counts{};
  int nDeepest = 0;
  // Depth-first without recursion; a top-level group is at depth 1.
  std::vector<std::pair<CGroup*, int>> pending;
  for (const auto& p : doc.m_listObjects) {
    ++counts[RowOf(p->m_nKind)].first;
    if (auto* pGroup = dynamic_cast<CGroup*>(p.get())) pending.emplace_back(pGroup, 1);
  }
  while (!pending.empty()) {
    auto [pGroup, nDepth] = pending.back();
    pending.pop_back();
    if (nDepth > nDeepest) nDeepest = nDepth;
    for (const auto& p : pGroup->m_listChildren) {
      ++counts[RowOf(p->m_nKind)].second;
      if (auto* pChild = dynamic_cast<CGroup*>(p.get())) pending.emplace_back(pChild, nDepth + 1);
    }
  }

  // A drawing made of something else (a structure file) has no stream to describe.
  if (!doc.m_strLoadedMagic.empty()) {
    out << "magic: " << doc.m_strLoadedMagic << " ("
        << (doc.m_nLoadedFamily == StreamFamily::KvillDoc ? "KvillDoc" : "Valendra")
        << " family)\n";
    out << "selection count: " << doc.GetSelCount() << "\n";
  }
  out << "objects by kind: top level, in groups\n";
  for (std::size_t i = 0; i <= kKinds.size(); ++i) {
    if (i == kKinds.size() && counts[i].first == 0 && counts[i].second == 0) break;
    const char* pszName = i < kKinds.size() ? kKinds[i].pszName : "other";
    out << "  " << pszName;
    if (i < kKinds.size()) out << " (" << kKinds[i].nKind << ")";
    out << ": " << counts[i].first << ", " << counts[i].second << "\n";
  }
  out << "deepest group nesting: " << nDeepest << "\n";
}

int RunDocumentTool(const std::vector<std::string>& args, const DrawingFileWriter& write,
                    std::ostream& out, std::ostream& err, const WorkProgress& progress) {
  if (args.empty()) return -1;
  if (args[0] == "--convert") {
    if (args.size() != 3) {
      err << "Usage: valendra --convert IN OUT\n";
      return 2;
    }
    return RunConvert(args[1], args[2], write, out, err, progress);
  }
  if (args[0] == "--info") {
    if (args.size() != 2) {
      err << "Usage: valendra --info IN\n";
      return 2;
    }
    return RunInfo(args[1], out, err);
  }
  return -1;
}
