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
#include "document/CPartialReload.h"
#include "document/CRecordTally.h"
#include "document/IDocClient.h"
#include "document/StreamExtension.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
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

bool ReadWrittenHead(std::span<const std::uint8_t> head, std::int32_t& nSelCount) {
  if (head.size() != kMagicSize + 4 || std::memcmp(head.data(), kWrittenMagic, kMagicSize) != 0)
    return false;
  CArchive ar{head};
  return ar.Skip(kMagicSize) && ar.ReadInt32(nSelCount);
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

CKvillDoc::~CKvillDoc() {
  // The objects go while the document can still pass word of them on.
  m_listObjects.clear();
}

void CKvillDoc::ObjectDestroyed(const CKVObject* pObj) {
  if (m_pClient != nullptr) m_pClient->ObjectDestroyed(pObj);
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
  ar.Write(kWrittenMagic, kMagicSize);
  ar.WriteInt32(GetSelCount());
  m_pHeadRecord = take(m_pHeadRecord);
  records.push_back(m_pHeadRecord.get());
  bool bNotes = false;

  const auto current = [](CKVObject* p) {
    if (!p->m_pStoredRecord || p->m_nChangeStamp > p->m_nStoredAt) return false;
    // A group's record names the ends of its bonds too, some perhaps outside it.
    if (const CGroup* pGroup = p->AsGroup()) {
      for (const CKVObject* pEnd : pGroup->m_outerEnds)
        if (pEnd->m_nChangeStamp > p->m_nStoredAt) return false;
    }
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
      p->KeepStoredRecord(take(p->m_pStoredRecord), CKVObject::LatestChangeStamp());
    }
    bNotes = bNotes || p->m_bStoredNotes;
    records.push_back(p->m_pStoredRecord.get());
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
  records.push_back(s_pEnd.get());
  if (bNotes) AppendExtensionRecord(records);
  return records;
}

void CKvillDoc::AppendExtensionRecord(std::vector<const CStoredRecord*>& records) {
  // Where the records stand in the stream, for the block's places and offset.
  std::uint32_t nPlaces = 0;
  std::uint64_t nAt = 0;
  std::vector<CThicknessNote> notes;
  for (const CStoredRecord* pRecord : records) {
    for (const CThicknessNote& n : pRecord->m_thickness)
      notes.push_back(CThicknessNote{nPlaces + n.nPlace, n.dThickness});
    nPlaces += pRecord->m_nRecords;
    nAt += pRecord->m_bytes.size();
  }
  const std::vector<std::uint8_t> extension = EncodeStreamExtension(notes, nAt);
  if (extension.empty()) {
    m_pExtensionRecord.reset();
  } else if (!m_pExtensionRecord || m_pExtensionRecord->m_bytes != extension) {
    m_pExtensionRecord = CStoredRecord::Make(extension);
  }
  if (m_pExtensionRecord) records.push_back(m_pExtensionRecord.get());
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
    p->KeepStoredRecord(records[p->AsBond() != nullptr ? j++ : i++], nNow);
    p->m_nLoadedStamp = p->m_nChangeStamp;
  }
  m_pHeadRecord = records.front();
  if (bExtension) m_pExtensionRecord = records.back();
}

// ---------------------------------------------------------------------------------------
// Reloading only what differs

bool CKvillDoc::ReloadChanged(std::span<const CStoredRecordRef> snapshot) {
  m_nKeptByLastReload = 0;
  if (m_bSelectionOnly) return false;
  CPartialReload reload(m_listObjects, snapshot);
  if (!reload.Prepare()) return false;
  // Nothing can fail from here on: the drawing is replaced as a history reload replaces it.
  const CModeScope mode(*this, CSerializeOptions::HistoryReload());
  if (m_pClient != nullptr) m_pClient->ReleaseObjects();
  m_nKeptByLastReload = reload.Splice();
  m_nLoadedFamily = StreamFamily::Valendra;
  m_strLoadedMagic = "8Valendra";
  m_bRecordsHaveSelection = 1;
  SetSelCount(ClampSelCount(reload.SelCount()));
  m_pHeadRecord = reload.Head();
  m_pExtensionRecord = reload.Extension();
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
    if (m_pClient != nullptr) m_pClient->ScheduleScrollRefresh();
  }
}

// ---------------------------------------------------------------------------------------
// Reading

void CKvillDoc::ClearForReplace() {
  // The view lets go of the objects before they are deleted, so nothing it holds dangles.
  if (m_pClient != nullptr) m_pClient->ReleaseObjects();
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
  m_deferredEnds.clear();
  bool bOk = false;
  try {
    bOk = ReadRecordList(ar, bSkipUnknown);
    ResolveDeferredEnds();
  } catch (...) {
    // What was read stays, but never a bond without its ends.
    DropBondsStillWaiting();
    throw;
  }
  return bOk;
}

bool CKvillDoc::DeferBondEnd(CKVObject*& rEnd, const CRect& rc, CPoint pt, bool bSelectedOnly) {
  if (!m_bLoading) return false;
  m_deferredEnds.push_back(CDeferredEnd{&rEnd, rc, pt, bSelectedOnly});
  return true;
}

void CKvillDoc::ResolveDeferredEnds() {
  for (const CDeferredEnd& d : m_deferredEnds) *d.ppEnd = FindBondEnd(d.rc, d.pt, d.bSelectedOnly);
  DropBondsStillWaiting();
}

void CKvillDoc::DropBondsStillWaiting() {
  if (m_deferredEnds.empty()) return;
  m_deferredEnds.clear();
  const auto waiting = [](const std::unique_ptr<CKVObject>& p) {
    const CCoupling* pBond = p->AsBond();
    return pBond != nullptr && pBond->m_bEndsDeferred &&
           (pBond->m_pEndA == nullptr || pBond->m_pEndB == nullptr);
  };
  // Only bonds inside groups wait; each list is filtered before the walk enters it, so
  // many of them cost one walk of the drawing.
  for (const auto& p : m_listObjects) {
    CGroup* pTop = p->AsGroup();
    if (pTop == nullptr) continue;
    pTop->m_listChildren.remove_if(waiting);
    WalkGroup(*pTop, [&](std::unique_ptr<CKVObject>& q, CGroup&) {
      if (CGroup* pChild = q->AsGroup()) pChild->m_listChildren.remove_if(waiting);
      return WalkStep::Enter;
    });
  }
}

bool CKvillDoc::ReadRecordList(CArchive& ar, bool bSkipUnknown) {
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
      // A top-level bond follows every object it can end on: it waits for nothing.
      auto* pBond = static_cast<CCoupling*>(pObj);
      while (!m_deferredEnds.empty() && (m_deferredEnds.back().ppEnd == &pBond->m_pEndA ||
                                         m_deferredEnds.back().ppEnd == &pBond->m_pEndB))
        m_deferredEnds.pop_back();
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
  IDocClient* pClient = m_pClient;
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
