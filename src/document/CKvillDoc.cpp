#include "document/CKvillDoc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "document/CBondEndIndex.h"
#include "document/IDocClient.h"
#include "document/StreamExtension.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CFormula.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/GroupWalk.h"

namespace {

constexpr std::size_t kMagicSize = 10;
constexpr std::uint64_t kBlockSize = 256;
constexpr char kWrittenMagic[kMagicSize] = {'8', 'V', 'a', 'l', 'e', 'n', 'd', 'r', 'a', 0};

// Each mode flag of the document and the option that sets it.
struct ModeFlag {
  std::int32_t CKvillDoc::*pFlag;
  std::optional<bool> CSerializeOptions::*pOption;
};
constexpr ModeFlag kModeFlags[] = {
    {&CKvillDoc::m_bSelectionOnly, &CSerializeOptions::bSelectionOnly},
    {&CKvillDoc::m_bStoringToFile, &CSerializeOptions::bStoringToFile},
    {&CKvillDoc::m_bClearModifiedOnStore, &CSerializeOptions::bClearModifiedOnStore},
    {&CKvillDoc::m_bReplaceOnLoad, &CSerializeOptions::bReplaceOnLoad},
    {&CKvillDoc::m_bKeepViewOnLoad, &CSerializeOptions::bKeepViewOnLoad},
    {&CKvillDoc::m_bQuietLoad, &CSerializeOptions::bQuietLoad},
    {&CKvillDoc::m_bScanForHeader, &CSerializeOptions::bScanForHeader},
};

// Sets the flags an options value gives and puts all of them back when it goes.
class CModeScope {
 public:
  CModeScope(CKvillDoc& doc, const CSerializeOptions& options) : m_doc(doc) {
    for (std::size_t i = 0; i < std::size(kModeFlags); ++i) {
      std::int32_t& flag = m_doc.*kModeFlags[i].pFlag;
      m_saved[i] = flag;
      if (const std::optional<bool>& value = options.*kModeFlags[i].pOption) flag = *value ? 1 : 0;
    }
    m_savedProgress = m_doc.m_fnProgress;
    if (options.fnProgress) m_doc.m_fnProgress = options.fnProgress;
  }
  CModeScope(const CModeScope&) = delete;
  CModeScope& operator=(const CModeScope&) = delete;
  ~CModeScope() {
    for (std::size_t i = 0; i < std::size(kModeFlags); ++i) m_doc.*kModeFlags[i].pFlag = m_saved[i];
    m_doc.m_fnProgress = std::move(m_savedProgress);
  }

 private:
  CKvillDoc& m_doc;
  std::int32_t m_saved[std::size(kModeFlags)] = {};
  WorkProgress m_savedProgress;
};

// The stored selection count is not checked against the records; kept within a range that
// no real drawing leaves, it cannot overflow as pasted objects and later clicks add to it.
std::int32_t ClampSelCount(std::int32_t n) {
  constexpr std::int32_t kCountLimit = std::int32_t(1) << 30;
  return std::clamp(n, -kCountLimit, kCountLimit);
}

}  // namespace

// The records of one store or load, counted in stream order: the ellipses whose thickness
// the block after the end marker carries (storing) or may set (loading).
struct CRecordTally {
  std::uint32_t nRecords = 0;
  std::vector<CThicknessNote> stored;
  std::vector<std::pair<std::uint32_t, CEllipse*>> read;

  void Stored(const CKVObject& obj) {
    const auto* pEllipse = dynamic_cast<const CEllipse*>(&obj);
    // An ellipse with a code no class answers to is no real ellipse, and a thickness that
    // is not a number has nothing to keep.
    if (pEllipse != nullptr && obj.m_nKind == KIND_ELLIPSE && pEllipse->m_dThickness != 1.0 &&
        std::isfinite(pEllipse->m_dThickness))
      stored.push_back(CThicknessNote{nRecords, pEllipse->m_dThickness});
    ++nRecords;
  }
  void Read(CKVObject& obj) {
    if (auto* pEllipse = dynamic_cast<CEllipse*>(&obj);
        pEllipse != nullptr && (obj.m_nKind == 5 || obj.m_nKind == KIND_ELLIPSE))
      read.emplace_back(nRecords, pEllipse);
    ++nRecords;
  }
  // Sets the thickness the notes give, all or none: a note that finds no ellipse at its
  // place says the block is not of this stream.
  static bool Apply(std::span<const CThicknessNote> notes,
                    std::span<const std::pair<std::uint32_t, CEllipse*>> ellipses) {
    std::vector<CEllipse*> targets;
    targets.reserve(notes.size());
    auto it = ellipses.begin();
    for (const CThicknessNote& n : notes) {
      while (it != ellipses.end() && it->first < n.nPlace) ++it;
      if (it == ellipses.end() || it->first != n.nPlace) return false;
      targets.push_back(it->second);
    }
    for (std::size_t i = 0; i < notes.size(); ++i) targets[i]->m_dThickness = notes[i].dThickness;
    return true;
  }
};

namespace {

// Puts a tally in place for one store or load and takes it away again.
class CTallyScope {
 public:
  CTallyScope(CRecordTally*& slot, CRecordTally& tally) : m_slot(slot), m_saved(slot) {
    slot = &tally;
  }
  CTallyScope(const CTallyScope&) = delete;
  CTallyScope& operator=(const CTallyScope&) = delete;
  ~CTallyScope() { m_slot = m_saved; }

 private:
  CRecordTally*& m_slot;
  CRecordTally* m_saved;
};

}  // namespace

void CKvillDoc::NoteStoredRecord(const CKVObject& obj) {
  if (m_pTally != nullptr) m_pTally->Stored(obj);
}

void CKvillDoc::NoteReadRecord(CKVObject& obj) {
  if (m_pTally != nullptr) m_pTally->Read(obj);
}

StreamFamily MatchMagic(const std::uint8_t magic[10], std::string* pText) {
  // The order of the comparisons matters only for the plain "Valendra", which ignores
  // its tenth byte.
  struct Known {
    const char* text;
    std::size_t compared;
    StreamFamily family;
  };
  static constexpr Known kKnown[] = {
      {"Valendra", 9, StreamFamily::Valendra},   {"8Valendra", 10, StreamFamily::Valendra},
      {"7Valendra", 10, StreamFamily::Valendra}, {"6Valendra", 10, StreamFamily::Valendra},
      {"5Valendra", 10, StreamFamily::Valendra}, {"4Valendra", 10, StreamFamily::Valendra},
      {"Valendra2", 10, StreamFamily::Valendra}, {"Valendra3", 10, StreamFamily::Valendra},
      {"KvillDoc", 9, StreamFamily::KvillDoc},
  };
  for (const Known& k : kKnown) {
    // The compared bytes are the text and its terminating zero.
    if (std::memcmp(magic, k.text, k.compared) == 0) {
      if (pText) *pText = k.text;
      return k.family;
    }
  }
  return StreamFamily::None;
}

std::array<CKVObject*, 2> EndsCopiedWithBond(const CCoupling& bond) {
  std::array<CKVObject*, 2> tops{};
  std::size_t i = 0;
  for (CKVObject* pEnd : {bond.m_pEndA, bond.m_pEndB}) {
    if (pEnd != nullptr && !pEnd->IsSelected()) tops[i] = pEnd->GetTop();
    ++i;
  }
  return tops;
}

std::unique_ptr<CKVObject> CreateObjectForKind(std::int32_t nKind) {
  switch (nKind) {
    case 1:
    case KIND_FORMULA:
      return std::make_unique<CFormula>();
    case 2:
    case 7:
    case KIND_COUPLING:
      return std::make_unique<CCoupling>();
    case 3:
    case KIND_DOT:
      return std::make_unique<CDot>();
    case 4:
    case KIND_GROUP:
      return std::make_unique<CGroup>();
    case 5:
    case KIND_ELLIPSE:
      return std::make_unique<CEllipse>();
    case KIND_PLUS:
      return std::make_unique<CPlusC>();
    case KIND_MINUS:
      return std::make_unique<CMinusC>();
    default:
      return nullptr;
  }
}

CKvillDoc::CKvillDoc() = default;

std::unique_ptr<CKVObject> CKvillDoc::CreateRecordObject(std::int32_t nKind) {
  return CreateObjectForKind(nKind);
}

CKvillDoc::~CKvillDoc() = default;

std::int32_t CKvillDoc::GetSelCount() const {
  if (const IDocClient* pClient = GetDocClient()) return pClient->GetSelCount();
  return m_nSelCountNoView;
}

void CKvillDoc::SetSelCount(std::int32_t n) {
  if (IDocClient* pClient = GetDocClient())
    pClient->SetSelCount(n);
  else
    m_nSelCountNoView = n;
}

std::int64_t CKvillDoc::EstimateNativeSize() {
  std::int64_t nSum = 16402;
  for (const auto& p : m_listObjects) nSum += p->GetStoredSize();
  return static_cast<std::int64_t>(static_cast<double>(nSum) * 1.2);
}

bool CKvillDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    const bool bOk = StoreStream(ar);
    AfterStore();
    return bOk;
  }
  m_bLoading = true;
  m_pEndIndex.reset();
  const bool bOk = m_bScanForHeader ? LoadScanning(ar) : LoadPlain(ar);
  m_bLoading = false;
  m_pEndIndex.reset();
  AfterLoad(bOk);
  return bOk;
}

bool CKvillDoc::Serialize(CArchive& ar, const CSerializeOptions& options) {
  const CModeScope mode(*this, options);
  return Serialize(ar);
}

// ---------------------------------------------------------------------------------------
// Writing

bool CKvillDoc::StoreStream(CArchive& ar) {
  CRecordTally tally;
  const CTallyScope counting(m_pTally, tally);
  const std::uint64_t nStart = ar.GetWrittenSize();
  ar.Write(kWrittenMagic, kMagicSize);
  ar.WriteInt32(GetSelCount());
  const bool bSelOnly = m_bSelectionOnly != 0;
  // Both passes count: the records of the first, the bonds of the second.
  const std::int64_t nTotal = 2 * static_cast<std::int64_t>(m_listObjects.size());
  std::int64_t nDone = 0;
  const auto step = [&] {
    if (m_fnProgress) m_fnProgress(++nDone, nTotal);
  };
  for (const auto& p : m_listObjects) {
    step();
    if (bSelOnly) {
      if (!IsCopiedWithSelection(*p)) continue;
      if (const CCoupling* pBond = p->AsBond()) {
        // A pasted bond must find its ends, so the unselected ones travel with it: their
        // topmost ancestors, once for every bond that needs them.
        for (CKVObject* pTop : EndsCopiedWithBond(*pBond))
          if (pTop != nullptr) pTop->Store(ar, 0, this);
        continue;
      }
    }
    p->Store(ar, 0, this);
  }
  for (const auto& p : m_listObjects) {
    step();
    if (bSelOnly && !IsCopiedWithSelection(*p)) continue;
    p->Store(ar, 1, this);
  }
  ar.WriteInt32(KIND_END);
  const std::vector<std::uint8_t> extension =
      EncodeStreamExtension(tally.stored, ar.GetWrittenSize() - nStart);
  if (!extension.empty()) ar.Write(extension.data(), extension.size());
  return ar.Flush();
}

std::vector<const CStoredRecord*> CKvillDoc::StoreRecords() {
  std::vector<const CStoredRecord*> records;
  records.reserve(m_listObjects.size() + 2);
  std::vector<std::uint8_t> scratch;
  CArchive ar(&scratch);
  // Each record counts its own records; the block after the end marker places them.
  CRecordTally tally;
  const CTallyScope counting(m_pTally, tally);
  const auto take = [&](const CStoredRecordRef& pOld) -> CStoredRecordRef {
    ar.Flush();
    auto pNew = std::const_pointer_cast<CStoredRecord>(CStoredRecord::Make(scratch));
    pNew->m_nRecords = tally.nRecords;
    pNew->m_thickness = std::move(tally.stored);
    scratch.clear();
    tally = CRecordTally{};
    // A record written again with the same bytes stays the one shared already.
    return pOld && pOld->SameContent(*pNew) ? pOld : pNew;
  };
  // Where the records stand in the stream, for the block's places and offset.
  std::uint32_t nPlaces = 0;
  std::uint64_t nBytes = 0;
  std::vector<CThicknessNote> notes;
  const auto push = [&](const CStoredRecord* pRecord) {
    for (const CThicknessNote& n : pRecord->m_thickness)
      notes.push_back(CThicknessNote{nPlaces + n.nPlace, n.dThickness});
    nPlaces += pRecord->m_nRecords;
    nBytes += pRecord->m_bytes.size();
    records.push_back(pRecord);
  };

  ar.Write(kWrittenMagic, kMagicSize);
  ar.WriteInt32(GetSelCount());
  m_pHeadRecord = take(m_pHeadRecord);
  push(m_pHeadRecord.get());

  const auto current = [](CKVObject* p) {
    if (!p->m_pStoredRecord || p->m_nChangeStamp > p->m_nStoredAt) return false;
    // A bond's record names its ends by their boxes and anchors.
    if (const CCoupling* pBond = p->AsBond()) {
      for (const CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB})
        if (pEnd != nullptr && pEnd->m_nChangeStamp > p->m_nStoredAt) return false;
    }
    return true;
  };
  const auto store = [&](CKVObject* p, int nPass) {
    if (!current(p)) {
      p->Store(ar, nPass, this);
      p->m_pStoredRecord = take(p->m_pStoredRecord);
      p->m_nStoredAt = CKVObject::LatestChangeStamp();
    }
    push(p->m_pStoredRecord.get());
  };
  // Shapes first, then bonds, each in list order: one walk of the list, the bonds kept
  // aside for the second pass.
  std::vector<CKVObject*> bonds;
  for (const auto& p : m_listObjects) {
    if (p->AsBond() != nullptr) {
      bonds.push_back(p.get());
    } else {
      store(p.get(), 0);
    }
  }
  for (CKVObject* p : bonds) store(p, 1);
  static const CStoredRecordRef s_pEnd = [] {
    std::vector<std::uint8_t> bytes;
    CArchive end(&bytes);
    end.WriteInt32(KIND_END);
    end.Flush();
    return CStoredRecord::Make(bytes);
  }();
  push(s_pEnd.get());
  if (!notes.empty()) {
    const std::vector<std::uint8_t> extension = EncodeStreamExtension(notes, nBytes);
    if (extension.empty()) {
      m_pExtensionRecord.reset();
    } else if (!m_pExtensionRecord || m_pExtensionRecord->m_bytes != extension) {
      m_pExtensionRecord = CStoredRecord::Make(extension);
    }
    if (m_pExtensionRecord) records.push_back(m_pExtensionRecord.get());
  }
  return records;
}

void CKvillDoc::AdoptRecords(std::span<const CStoredRecordRef> records) {
  const bool bExtension = !records.empty() && IsStreamExtension(records.back()->m_bytes);
  if (records.size() != m_listObjects.size() + (bExtension ? 3 : 2)) return;
  // The thickness a record notes came back with the load only when the block carried it.
  if (!bExtension && std::any_of(records.begin(), records.end(),
                                 [](const CStoredRecordRef& r) { return !r->m_thickness.empty(); }))
    return;
  std::size_t nBonds = 0;
  for (const auto& p : m_listObjects) nBonds += p->AsBond() != nullptr ? 1 : 0;
  std::size_t i = 1;
  std::size_t j = 1 + m_listObjects.size() - nBonds;
  const std::uint64_t nNow = CKVObject::LatestChangeStamp();
  for (const auto& p : m_listObjects) {
    p->m_pStoredRecord = records[p->AsBond() != nullptr ? j++ : i++];
    p->m_nStoredAt = nNow;
    p->m_nLoadedStamp = p->m_nChangeStamp;
  }
  m_pHeadRecord = records.front();
  if (bExtension) m_pExtensionRecord = records.back();
}

// ---------------------------------------------------------------------------------------
// Reloading only what differs

namespace {

// What a bond end reference names: a box and an anchor.
struct CEndKey {
  CRect rc;
  CPoint pt;
  bool operator==(const CEndKey& o) const { return rc == o.rc && pt == o.pt; }
};
struct CEndKeyHash {
  std::size_t operator()(const CEndKey& k) const {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (const std::int32_t v : {k.rc.left, k.rc.top, k.rc.right, k.rc.bottom, k.pt.x, k.pt.y}) {
      h ^= static_cast<std::uint32_t>(v);
      h *= 0xBF58476D1CE4E5B9ull;
      h ^= h >> 31;
    }
    return static_cast<std::size_t>(h);
  }
};
CEndKey KeyOf(const CKVObject* p) { return CEndKey{p->m_rcBounds, p->m_ptAnchor}; }

// Reads one record by itself. A group's bonds find their ends among the group's own
// objects read before them, as in a whole read when nothing earlier has the same box and
// anchor (the caller checks that); every reference asked for is noted, and a top-level
// bond finds nothing here: the caller resolves its ends in the whole new list.
class CRecordReader final : public IRecordDocument {
 public:
  bool RecordsHaveSelection() const override { return true; }
  bool IsPastingRecords() const override { return false; }
  std::unique_ptr<CKVObject> CreateRecordObject(std::int32_t nKind) override {
    return CreateObjectForKind(nKind);
  }
  CKVObject* FindBondEnd(const CRect& rc, CPoint pt, bool) override {
    m_asked.push_back(CEndKey{rc, pt});
    return m_index.Find(rc, pt);
  }
  void NoteLoadedObject(CKVObject* pObj) override { m_index.Add(pObj); }
  void NoteReadRecord(CKVObject& obj) override { m_tally.Read(obj); }

  // Reads the record with the thickness its notes give; null when it does not read back
  // whole, or its notes find no ellipses to go to.
  std::unique_ptr<CKVObject> Read(const CStoredRecord& record) {
    m_index.Clear();
    m_asked.clear();
    m_tally = CRecordTally{};
    CArchive ar{std::span<const std::uint8_t>(record.m_bytes)};
    std::int32_t nKind = 0;
    if (!ar.ReadInt32(nKind)) return nullptr;
    std::unique_ptr<CKVObject> p = CreateObjectForKind(nKind);
    if (!p) return nullptr;
    p->m_nKind = nKind;
    p->m_pParent = nullptr;
    p->Load(ar, this);
    // A record that does not read back exactly is left to the whole reload.
    if (ar.IsCutShort() || ar.GetRemaining() != 0) return nullptr;
    if (!record.m_thickness.empty() && !CRecordTally::Apply(record.m_thickness, m_tally.read))
      return nullptr;
    return p;
  }

  std::vector<CEndKey> m_asked;

 private:
  CBondEndIndex m_index;
  CRecordTally m_tally;
};

std::int32_t KindOfRecord(const CStoredRecord& record) {
  if (record.m_bytes.size() < 4) return -1;
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | record.m_bytes[static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(u);
}

// Calls f on every object a bond end can name inside a top-level object, in the order a
// whole read offers them: the object itself, then its descendants depth first, groups
// inside and bonds never. onBond sees the bonds inside a group.
template <typename F, typename B>
void ForEachEndCandidate(CKVObject* pTop, F&& f, B&& onBond) {
  if (pTop->AsBond() != nullptr) return;
  f(pTop);
  CGroup* pGroup = pTop->AsGroup();
  if (pGroup == nullptr) return;
  WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
    CKVObject* p = slot.get();
    if (CCoupling* pBond = p->AsBond()) {
      onBond(pBond);
    } else if (p->AsGroup() == nullptr) {
      f(p);
    }
    return WalkStep::Enter;
  });
}

void Widen(CGroup& g, const CRect& rc) {
  const std::int32_t v[4] = {rc.left, rc.top, rc.right, rc.bottom};
  for (int i = 0; i < 4; ++i) {
    g.m_nKeyLo[i] = std::min(g.m_nKeyLo[i], v[i]);
    g.m_nKeyHi[i] = std::max(g.m_nKeyHi[i], v[i]);
  }
}

// Whether a box could be that of an object inside the group, or of an end of its bonds.
bool RangeMayHold(const CGroup& g, const CRect& rc) {
  if (!g.m_bKeyRange) return true;
  const std::int32_t v[4] = {rc.left, rc.top, rc.right, rc.bottom};
  for (int i = 0; i < 4; ++i)
    if (v[i] < g.m_nKeyLo[i] || v[i] > g.m_nKeyHi[i]) return false;
  return true;
}

// Notes the group's key range (CGroup::m_bKeyRange) as its objects stand now.
void NoteKeyRange(CGroup& group) {
  group.m_bKeyRange = false;
  for (int i = 0; i < 4; ++i) {
    group.m_nKeyLo[i] = std::numeric_limits<std::int32_t>::max();
    group.m_nKeyHi[i] = std::numeric_limits<std::int32_t>::min();
  }
  bool bOutside = false;
  ForEachEndCandidate(
      &group, [&](CKVObject* p) { Widen(group, p->m_rcBounds); },
      [&](CCoupling* pBond) {
        for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
          if (pEnd == nullptr || pEnd->GetTop() != &group)
            bOutside = true;
          else
            Widen(group, pEnd->m_rcBounds);
        }
      });
  group.m_bKeyRange = !bOutside;
}

}  // namespace

bool CKvillDoc::ReloadChanged(std::span<const CStoredRecordRef> snapshot) {
  m_nKeptByLastReload = 0;
  if (snapshot.size() < 2 || m_bSelectionOnly) return false;
  // The block after the end marker gives the objects read anew what their records note; the
  // objects that stay hold the same records, notes and all.
  const bool bExtension = IsStreamExtension(snapshot.back()->m_bytes);
  const std::span<const CStoredRecordRef> records =
      bExtension ? snapshot.first(snapshot.size() - 1) : snapshot;
  if (records.size() < 2) return false;
  // The head this program writes (magic and selection count) and the end marker.
  const std::vector<std::uint8_t>& head = records.front()->m_bytes;
  if (head.size() != kMagicSize + 4 || std::memcmp(head.data(), kWrittenMagic, kMagicSize) != 0)
    return false;
  std::int32_t nSelCount = 0;
  {
    CArchive ar{std::span<const std::uint8_t>(head)};
    if (!ar.Skip(kMagicSize) || !ar.ReadInt32(nSelCount)) return false;
  }
  if (records.back()->m_bytes.size() != 4 || KindOfRecord(*records.back()) != KIND_END)
    return false;
  const std::span<const CStoredRecordRef> body = records.subspan(1, records.size() - 2);
  // Shapes come first, then bonds. Only where they meet is looked for here: a record read
  // anew is checked to be of its side when it is read, and one that stays is the record of
  // an object of that side.
  const std::size_t nShapes =
      static_cast<std::size_t>(std::partition_point(body.begin(), body.end(),
                                                    [](const CStoredRecordRef& p) {
                                                      return !IsBondCode(KindOfRecord(*p));
                                                    }) -
                               body.begin());
  const std::span<const CStoredRecordRef> shapeRecords = body.first(nShapes);
  const std::span<const CStoredRecordRef> bondRecords = body.subspan(nShapes);

  using It = CObList::iterator;
  const It kNone = m_listObjects.end();
  std::vector<It> oldShapes, oldBonds;
  for (It it = m_listObjects.begin(); it != m_listObjects.end(); ++it)
    ((*it)->AsBond() != nullptr ? oldBonds : oldShapes).push_back(it);

  // An object stays only where the record in its place is the one it holds, in the
  // unchanged run at either end of the list (so the objects that stay keep their order), and
  // only while it is still exactly what a load made of that record.
  // Which old object each record keeps (kNone: read anew), and whether each old one stays.
  std::vector<char> oldStays;
  const auto keep = [&](std::span<const CStoredRecordRef> target, const std::vector<It>& old) {
    std::vector<It> kept(target.size(), kNone);
    oldStays.assign(old.size(), 0);
    const std::size_t nMax = std::min(target.size(), old.size());
    std::size_t nHead = 0;
    while (nHead < nMax && (*old[nHead])->m_pStoredRecord == target[nHead]) ++nHead;
    std::size_t nTail = 0;
    while (nTail < nMax - nHead &&
           (*old[old.size() - 1 - nTail])->m_pStoredRecord == target[target.size() - 1 - nTail])
      ++nTail;
    const auto untouched = [](const CKVObject* p) {
      return p->m_nLoadedStamp != 0 && p->m_nChangeStamp == p->m_nLoadedStamp;
    };
    for (std::size_t i = 0; i < nHead; ++i) {
      if (!untouched(old[i]->get())) continue;
      kept[i] = old[i];
      oldStays[i] = 1;
    }
    for (std::size_t i = 0; i < nTail; ++i) {
      const std::size_t j = old.size() - 1 - i;
      if (!untouched(old[j]->get())) continue;
      kept[target.size() - 1 - i] = old[j];
      oldStays[j] = 1;
    }
    return kept;
  };
  std::vector<It> keptBonds = keep(bondRecords, oldBonds);
  std::vector<It> keptShapes = keep(shapeRecords, oldShapes);  // oldStays: of the shapes

  // Beyond a small part of the drawing a whole reload costs no more.
  const std::size_t nLimit = 64 + (m_listObjects.size() + body.size()) / 8;
  const auto nKeptShapes =
      static_cast<std::size_t>(std::count(oldStays.begin(), oldStays.end(), 1));
  if ((nShapes - nKeptShapes) + (oldShapes.size() - nKeptShapes) > nLimit) return false;

  // The boxes and anchors an end reference might now find on another object (contested):
  // those of the objects that go or come; and those the bonds read anew ask for. Each is
  // mapped to the first object of the new list's walk that has it.
  struct COwner {
    CKVObject* pFirst = nullptr;
    bool bContested = false;
  };
  std::unordered_map<CEndKey, COwner, CEndKeyHash> moved;
  const auto noteKeys = [&](CKVObject* pTop) {
    ForEachEndCandidate(
        pTop, [&](CKVObject* p) { moved[KeyOf(p)].bContested = true; }, [](CCoupling*) {});
  };
  // The left edges of the keys, sorted: most objects of a walk are told apart by that alone,
  // without hashing. Brought up to date before each pass that looks keys up.
  std::vector<std::int32_t> lefts;
  const auto sortLefts = [&] {
    lefts.clear();
    for (const auto& [k, owner] : moved) lefts.push_back(k.rc.left);
    std::sort(lefts.begin(), lefts.end());
  };
  const auto lookUp = [&](const CKVObject* p) -> COwner* {
    if (!std::binary_search(lefts.begin(), lefts.end(), p->m_rcBounds.left)) return nullptr;
    const auto it = moved.find(KeyOf(p));
    return it == moved.end() ? nullptr : &it->second;
  };
  const auto contested = [&](const CKVObject* pEnd) {
    const COwner* pOwner = lookUp(pEnd);
    return pOwner != nullptr && pOwner->bContested;
  };
  std::unordered_set<const CKVObject*> gone;
  for (std::size_t i = 0; i < oldShapes.size(); ++i) {
    if (oldStays[i] != 0) continue;
    gone.insert(oldShapes[i]->get());
    noteKeys(oldShapes[i]->get());
  }
  // Objects read anew wait in a list of their own, so that putting the new list together
  // only moves list nodes and cannot fail half-way.
  CObList fresh;
  const It kNotRead = fresh.end();
  CRecordReader reader;
  const auto readFresh = [&](const CStoredRecord& record) {
    // Notes without the block: the whole reload would not have set that thickness.
    if (!bExtension && !record.m_thickness.empty()) return kNotRead;
    std::unique_ptr<CKVObject> p = reader.Read(record);
    if (!p) return kNotRead;
    fresh.push_back(std::move(p));
    return std::prev(fresh.end());
  };
  std::vector<It> freshShapes(nShapes, kNotRead);
  // A group read anew whose bonds asked for these references.
  std::vector<std::pair<CKVObject*, std::vector<CEndKey>>> groupAsks;
  for (std::size_t i = 0; i < nShapes; ++i) {
    if (keptShapes[i] != kNone) continue;
    freshShapes[i] = readFresh(*shapeRecords[i]);
    if (freshShapes[i] == kNotRead || (*freshShapes[i])->AsBond() != nullptr) return false;
    CKVObject* pNew = freshShapes[i]->get();
    noteKeys(pNew);
    for (const CEndKey& k : reader.m_asked) moved.try_emplace(k);
    if (!reader.m_asked.empty()) groupAsks.emplace_back(pNew, reader.m_asked);
  }

  // A bond stays only when both its ends stay and no reference to them can find another.
  sortLefts();
  std::size_t nFreshBonds = 0;
  for (std::size_t i = 0; i < bondRecords.size(); ++i) {
    if (keptBonds[i] == kNone) continue;
    const CCoupling* pBond = (*keptBonds[i])->AsBond();
    for (const CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
      if (pEnd == nullptr || gone.count(const_cast<CKVObject*>(pEnd)->GetTop()) != 0 ||
          contested(pEnd)) {
        keptBonds[i] = kNone;
        break;
      }
    }
  }
  std::vector<It> freshBonds(bondRecords.size(), kNotRead);
  std::vector<std::array<CEndKey, 2>> freshBondKeys(bondRecords.size());
  for (std::size_t i = 0; i < bondRecords.size(); ++i) {
    if (keptBonds[i] != kNone) continue;
    if (++nFreshBonds > nLimit) return false;
    freshBonds[i] = readFresh(*bondRecords[i]);
    if (freshBonds[i] == kNotRead || (*freshBonds[i])->AsBond() == nullptr ||
        reader.m_asked.size() != 2)
      return false;
    freshBondKeys[i] = {reader.m_asked[0], reader.m_asked[1]};
    for (const CEndKey& k : reader.m_asked) moved.try_emplace(k);
  }

  sortLefts();
  // The new list's walk: first owners of the moved keys. A group that stays must not have
  // a bond inside whose reference could now find another object.
  for (std::size_t i = 0; i < nShapes; ++i) {
    const bool bKept = keptShapes[i] != kNone;
    CKVObject* pTop = bKept ? keptShapes[i]->get() : freshShapes[i]->get();
    bool bClash = false;
    if (bKept && pTop->AsGroup() != nullptr) {
      // A group whose boxes none of the keys can be is passed over, but for itself.
      const CGroup& g = *pTop->AsGroup();
      bool bMayHold = false;
      for (const auto& [k, owner] : moved) bMayHold = bMayHold || RangeMayHold(g, k.rc);
      if (!bMayHold) {
        COwner* pOwner = lookUp(pTop);
        if (pOwner != nullptr && pOwner->pFirst == nullptr) pOwner->pFirst = pTop;
        continue;
      }
    }
    ForEachEndCandidate(
        pTop,
        [&](CKVObject* p) {
          COwner* pOwner = lookUp(p);
          if (pOwner != nullptr && pOwner->pFirst == nullptr) pOwner->pFirst = p;
        },
        [&](CCoupling* pBond) {
          if (!bKept) return;
          for (const CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB})
            if (pEnd == nullptr || contested(pEnd)) bClash = true;
        });
    if (bClash) return false;
  }
  // A group read anew found its bonds' ends among its own objects; a whole read would have
  // found an earlier object with the same box and anchor first.
  for (const auto& [pGroup, asked] : groupAsks) {
    for (const CEndKey& k : asked) {
      const CKVObject* pFirst = moved.at(k).pFirst;
      if (pFirst != nullptr && const_cast<CKVObject*>(pFirst)->GetTop() != pGroup) return false;
    }
  }

  // Nothing can fail from here on: the drawing is replaced as a history reload replaces it.
  const CModeScope mode(*this, CSerializeOptions::HistoryReload());
  if (IDocClient* pClient = GetDocClient()) pClient->ReleaseObjects();
  const std::uint64_t nNow = CKVObject::LatestChangeStamp();
  const auto adopt = [&](CKVObject* p, const CStoredRecordRef& pRecord) {
    p->m_pStoredRecord = pRecord;
    p->m_nStoredAt = nNow;
    p->m_nLoadedStamp = p->m_nChangeStamp;
  };
  CObList list;
  for (std::size_t i = 0; i < nShapes; ++i) {
    if (keptShapes[i] != kNone) {
      ++m_nKeptByLastReload;
      list.splice(list.end(), m_listObjects, keptShapes[i]);
    } else {
      adopt(freshShapes[i]->get(), shapeRecords[i]);
      list.splice(list.end(), fresh, freshShapes[i]);
    }
  }
  for (std::size_t i = 0; i < bondRecords.size(); ++i) {
    if (keptBonds[i] != kNone) {
      ++m_nKeptByLastReload;
      list.splice(list.end(), m_listObjects, keptBonds[i]);
      continue;
    }
    CCoupling* pBond = (*freshBonds[i])->AsBond();
    pBond->m_pEndA = moved.find(freshBondKeys[i][0])->second.pFirst;
    pBond->m_pEndB = moved.find(freshBondKeys[i][1])->second.pFirst;
    // A bond whose ends are not both found is dropped, as a whole read drops it.
    if (pBond->m_pEndA == nullptr || pBond->m_pEndB == nullptr) continue;
    adopt(pBond, bondRecords[i]);
    list.splice(list.end(), fresh, freshBonds[i]);
  }
  m_listObjects.swap(list);
  list.clear();  // what did not stay
  fresh.clear();
  m_nLoadedFamily = StreamFamily::Valendra;
  m_strLoadedMagic = "8Valendra";
  m_bRecordsHaveSelection = 1;
  SetSelCount(ClampSelCount(nSelCount));
  m_pHeadRecord = records.front();
  m_pExtensionRecord = bExtension ? snapshot.back() : nullptr;
  AfterLoad(true);
  return true;
}

void CKvillDoc::SettleLoadedStamps(std::uint64_t nSince) {
  // The loaded stamps taken here are compared later: the clock counts as read.
  CKVObject::LatestChangeStamp();
  for (const auto& p : m_listObjects) {
    if (p->m_nLoadedStamp <= nSince) continue;
    p->m_nLoadedStamp = p->m_nChangeStamp;
    if (CGroup* pGroup = p->AsGroup()) NoteKeyRange(*pGroup);
  }
}

void CKvillDoc::AfterStore() {
  if (m_bClearModifiedOnStore && !m_bSelectionOnly && m_bStoringToFile) {
    SetModifiedFlag(false);
    m_bJustSaved = 1;
    if (IDocClient* pClient = GetDocClient()) pClient->ScheduleScrollRefresh();
  }
}

// ---------------------------------------------------------------------------------------
// Reading

void CKvillDoc::ClearForReplace() {
  // The view lets go of the objects before they are deleted, so nothing it holds dangles.
  if (IDocClient* pClient = GetDocClient()) pClient->ReleaseObjects();
  DeleteContents();
  SetSelCount(0);
}

void CKvillDoc::BeginRecords(CArchive& ar, StreamFamily family) {
  m_nLoadedFamily = family;
  if (family == StreamFamily::KvillDoc) {
    m_bRecordsHaveSelection = 0;
    return;
  }
  m_bRecordsHaveSelection = 1;
  std::int32_t nCount = 0;
  if (ar.ReadInt32(nCount)) SetSelCount(ClampSelCount(nCount));
}

bool CKvillDoc::LoadPlain(CArchive& ar) {
  if (m_bReplaceOnLoad) ClearForReplace();
  m_nLoadedFamily = StreamFamily::None;
  m_strLoadedMagic.clear();
  std::uint8_t magic[kMagicSize];
  if (!ar.Read(magic, kMagicSize)) return false;
  const StreamFamily family = MatchMagic(magic, &m_strLoadedMagic);
  if (family == StreamFamily::None) return false;
  BeginRecords(ar, family);
  return ReadRecords(ar, false);
}

bool CKvillDoc::LoadScanning(CArchive& ar) {
  // Find the last 256-byte block that begins with a magic. A block counts when its first
  // ten bytes are there; the scan ends at the first block that is not complete.
  m_nLoadedFamily = StreamFamily::None;
  m_strLoadedMagic.clear();
  std::int64_t nFound = -1;
  StreamFamily found = StreamFamily::None;
  std::string strFound;
  if (ar.Seek(0)) {
    for (std::int64_t nBlock = 0;; ++nBlock) {
      std::uint8_t magic[kMagicSize];
      if (!ar.Read(magic, kMagicSize)) break;
      std::string strText;
      const StreamFamily family = MatchMagic(magic, &strText);
      if (family != StreamFamily::None) {
        nFound = nBlock;
        found = family;
        strFound = strText;
      }
      if (!ar.Skip(kBlockSize - kMagicSize)) break;
    }
  }
  if (m_bReplaceOnLoad) ClearForReplace();
  if (nFound < 0) return false;
  if (!ar.Seek(static_cast<std::uint64_t>(nFound) * kBlockSize + kMagicSize)) return false;
  m_strLoadedMagic = strFound;
  BeginRecords(ar, found);
  return ReadRecords(ar, true);
}

bool CKvillDoc::ReadRecords(CArchive& ar, bool bSkipUnknown) {
  CRecordTally tally;
  const CTallyScope counting(m_pTally, tally);
  const bool bPaste = !m_bReplaceOnLoad;
  const std::int64_t nTotal = static_cast<std::int64_t>(ar.GetPosition() + ar.GetRemaining());
  for (;;) {
    if (m_fnProgress) m_fnProgress(static_cast<std::int64_t>(ar.GetPosition()), nTotal);
    std::int32_t nKind = 0;
    if (!ar.ReadInt32(nKind)) return false;
    if (nKind == KIND_END) {
      if (!tally.read.empty()) {
        if (const auto notes = ReadStreamExtension(ar, tally.nRecords))
          CRecordTally::Apply(*notes, tally.read);
      }
      return true;
    }
    std::unique_ptr<CKVObject> pNew = CreateObjectForKind(nKind);
    if (!pNew) {
      // A code no class answers to: the scanning loader steps over it, the plain loader
      // reads an ellipse record that keeps the code.
      if (bSkipUnknown) continue;
      pNew = std::make_unique<CEllipse>();
    }
    CKVObject* pObj = pNew.get();
    pObj->m_nKind = nKind;
    pObj->m_pParent = nullptr;
    m_listObjects.push_back(std::move(pNew));
    pObj->Load(ar, this);
    // The code read tells the class (an unknown code made an ellipse).
    if (IsBondCode(nKind)) {
      const auto* pBond = static_cast<CCoupling*>(pObj);
      if (!pBond->m_pEndA || !pBond->m_pEndB) {
        m_listObjects.pop_back();
        continue;
      }
    } else if (!IsGroupCode(nKind)) {
      // A group has announced itself and its descendants while they were read.
      NoteLoadedObject(pObj);
    }
    if (bPaste && !pObj->m_bSelected) {
      SetSelCount(GetSelCount() + 1);
      pObj->m_bSelected = 1;
    }
  }
}

void CKvillDoc::NoteLoadedObject(CKVObject* pObj) {
  // Before the first bond asks, the index does not exist and will be built from the list.
  if (m_pEndIndex) m_pEndIndex->Add(pObj);
}

CKVObject* CKvillDoc::FindBondEnd(const CRect& rc, CPoint pt, bool bSelectedOnly) {
  if (!m_pEndIndex || m_bEndIndexSelectedOnly != bSelectedOnly) {
    // Objects read from now on are added as they arrive (NoteLoadedObject), in walk
    // order, so one pass over the list suffices for the whole load.
    m_pEndIndex = std::make_unique<CBondEndIndex>();
    m_bEndIndexSelectedOnly = bSelectedOnly;
    for (const auto& p : m_listObjects)
      if (!bSelectedOnly || p->m_bSelected) m_pEndIndex->AddTree(p.get());
  }
  CKVObject* pEnd = m_pEndIndex->Find(rc, pt);
  if (!m_bLoading) m_pEndIndex.reset();  // outside a load the list may change at any time
  return pEnd;
}

void CKvillDoc::AfterLoad(bool bOk) {
  IDocClient* pClient = GetDocClient();
  if (!pClient) return;
  const bool bReplace = m_bReplaceOnLoad != 0;
  if (!m_bQuietLoad) {
    if (!bReplace) {
      pClient->RedrawView();
      if (!bOk) pClient->ScheduleIncompatibleFileMessage();
      return;
    }
    pClient->ScheduleHistoryReset();
  }
  if (bReplace && !m_bKeepViewOnLoad) pClient->ResetZoomAndScroll();
  pClient->RedrawView();
  if (!bOk) pClient->ScheduleIncompatibleFileMessage();
}
