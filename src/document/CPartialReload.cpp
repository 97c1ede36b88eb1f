#include "document/CPartialReload.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "document/CBondEndIndex.h"
#include "document/CKvillDoc.h"
#include "document/CRecordTally.h"
#include "document/StreamExtension.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/GroupWalk.h"
#include "objects/ObjectRecords.h"

namespace {

using CEndKey = CPartialReload::CEndKey;

CEndKey KeyOf(const CKVObject* p) { return CEndKey{p->m_rcBounds, p->m_ptAnchor}; }

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

// Whether nothing has touched an object since a load made it.
bool Untouched(const CKVObject* p) {
  return p->m_nLoadedStamp != 0 && p->m_nChangeStamp == p->m_nLoadedStamp;
}

}  // namespace

// Reads one record by itself. A group's bonds find their ends among the group's own
// objects read before them, as in a whole read when nothing earlier has the same box and
// anchor (the caller checks that); every reference asked for is noted, and a top-level
// bond finds nothing here: the caller resolves its ends in the whole new list.
class CPartialReload::CReader final : public IRecordDocument {
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

std::size_t CPartialReload::CEndKeyHash::operator()(const CEndKey& k) const {
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  for (const std::int32_t v : {k.rc.left, k.rc.top, k.rc.right, k.rc.bottom, k.pt.x, k.pt.y}) {
    h ^= static_cast<std::uint32_t>(v);
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  return static_cast<std::size_t>(h);
}

CPartialReload::CPartialReload(CObList& list, std::span<const CStoredRecordRef> snapshot)
    : m_list(list), m_snapshot(snapshot), m_pReader(std::make_unique<CReader>()) {}

CPartialReload::~CPartialReload() = default;

CStoredRecordRef CPartialReload::Extension() const {
  return m_bExtension ? m_snapshot.back() : nullptr;
}

bool CPartialReload::Prepare() {
  return ParseSnapshot() && MatchKept() && ReadShapes() && ReadBonds() && FindFirstOwners();
}

bool CPartialReload::ParseSnapshot() {
  if (m_snapshot.size() < 2) return false;
  // The block after the end marker gives the objects read anew what their records note; the
  // objects that stay hold the same records, notes and all.
  m_bExtension = IsStreamExtension(m_snapshot.back()->m_bytes);
  m_records = m_bExtension ? m_snapshot.first(m_snapshot.size() - 1) : m_snapshot;
  if (m_records.size() < 2) return false;
  // The head this program writes (magic and selection count) and the end marker.
  if (!ReadWrittenHead(m_records.front()->m_bytes, m_nSelCount)) return false;
  if (m_records.back()->m_bytes.size() != 4 || KindOfRecord(*m_records.back()) != KIND_END)
    return false;
  const std::span<const CStoredRecordRef> body = m_records.subspan(1, m_records.size() - 2);
  // Shapes come first, then bonds. Only where they meet is looked for here: a record read
  // anew is checked to be of its side when it is read, and one that stays is the record of
  // an object of that side.
  const auto nShapes =
      static_cast<std::size_t>(std::partition_point(body.begin(), body.end(),
                                                    [](const CStoredRecordRef& p) {
                                                      return !IsBondCode(KindOfRecord(*p));
                                                    }) -
                               body.begin());
  m_shapeRecords = body.first(nShapes);
  m_bondRecords = body.subspan(nShapes);
  // Beyond a small part of the drawing a whole reload costs no more.
  m_nLimit = 64 + (m_list.size() + body.size()) / 8;
  return true;
}

std::vector<CPartialReload::It> CPartialReload::Keep(std::span<const CStoredRecordRef> target,
                                                     const std::vector<It>& old) {
  // An object stays only where the record in its place is the one it holds, in the
  // unchanged run at either end of the list (so the objects that stay keep their order),
  // and only while it is still exactly what a load made of that record.
  const It kNone = m_list.end();
  std::vector<It> kept(target.size(), kNone);
  m_oldStays.assign(old.size(), 0);
  const std::size_t nMax = std::min(target.size(), old.size());
  std::size_t nHead = 0;
  while (nHead < nMax && (*old[nHead])->m_pStoredRecord == target[nHead]) ++nHead;
  std::size_t nTail = 0;
  while (nTail < nMax - nHead &&
         (*old[old.size() - 1 - nTail])->m_pStoredRecord == target[target.size() - 1 - nTail])
    ++nTail;
  for (std::size_t i = 0; i < nHead; ++i) {
    if (!Untouched(old[i]->get())) continue;
    kept[i] = old[i];
    m_oldStays[i] = 1;
  }
  for (std::size_t i = 0; i < nTail; ++i) {
    const std::size_t j = old.size() - 1 - i;
    if (!Untouched(old[j]->get())) continue;
    kept[target.size() - 1 - i] = old[j];
    m_oldStays[j] = 1;
  }
  return kept;
}

bool CPartialReload::MatchKept() {
  for (It it = m_list.begin(); it != m_list.end(); ++it)
    ((*it)->AsBond() != nullptr ? m_oldBonds : m_oldShapes).push_back(it);
  m_keptBonds = Keep(m_bondRecords, m_oldBonds);
  m_keptShapes = Keep(m_shapeRecords, m_oldShapes);  // m_oldStays: of the shapes
  const auto nKeptShapes =
      static_cast<std::size_t>(std::count(m_oldStays.begin(), m_oldStays.end(), 1));
  if ((m_shapeRecords.size() - nKeptShapes) + (m_oldShapes.size() - nKeptShapes) > m_nLimit)
    return false;
  // The boxes and anchors an end reference might now find on another object (contested):
  // those of the objects that go or come, and those the bonds read anew ask for. Each is
  // mapped to the first object of the new list's walk that has it.
  for (std::size_t i = 0; i < m_oldShapes.size(); ++i) {
    if (m_oldStays[i] != 0) continue;
    m_gone.insert(m_oldShapes[i]->get());
    NoteKeys(m_oldShapes[i]->get());
  }
  return true;
}

void CPartialReload::NoteKeys(CKVObject* pTop) {
  ForEachEndCandidate(
      pTop, [&](CKVObject* p) { m_moved[KeyOf(p)].bContested = true; }, [](CCoupling*) {});
}

void CPartialReload::SortLefts() {
  m_lefts.clear();
  for (const auto& [k, owner] : m_moved) m_lefts.push_back(k.rc.left);
  std::sort(m_lefts.begin(), m_lefts.end());
}

CPartialReload::COwner* CPartialReload::LookUp(const CKVObject* p) {
  if (!std::binary_search(m_lefts.begin(), m_lefts.end(), p->m_rcBounds.left)) return nullptr;
  const auto it = m_moved.find(KeyOf(p));
  return it == m_moved.end() ? nullptr : &it->second;
}

bool CPartialReload::Contested(const CKVObject* pEnd) {
  const COwner* pOwner = LookUp(pEnd);
  return pOwner != nullptr && pOwner->bContested;
}

CPartialReload::It CPartialReload::ReadFresh(const CStoredRecord& record) {
  // Notes without the block: the whole reload would not have set that thickness.
  if (!m_bExtension && !record.m_thickness.empty()) return m_fresh.end();
  std::unique_ptr<CKVObject> p = m_pReader->Read(record);
  if (!p) return m_fresh.end();
  m_fresh.push_back(std::move(p));
  return std::prev(m_fresh.end());
}

bool CPartialReload::ReadShapes() {
  const It kNone = m_list.end();
  m_freshShapes.assign(m_shapeRecords.size(), m_fresh.end());
  for (std::size_t i = 0; i < m_shapeRecords.size(); ++i) {
    if (m_keptShapes[i] != kNone) continue;
    m_freshShapes[i] = ReadFresh(*m_shapeRecords[i]);
    if (m_freshShapes[i] == m_fresh.end() || (*m_freshShapes[i])->AsBond() != nullptr) return false;
    CKVObject* pNew = m_freshShapes[i]->get();
    NoteKeys(pNew);
    for (const CEndKey& k : m_pReader->m_asked) m_moved.try_emplace(k);
    if (!m_pReader->m_asked.empty()) m_groupAsks.emplace_back(pNew, m_pReader->m_asked);
  }
  return true;
}

bool CPartialReload::ReadBonds() {
  const It kNone = m_list.end();
  // A bond stays only when both its ends stay and no reference to them can find another.
  SortLefts();
  for (std::size_t i = 0; i < m_bondRecords.size(); ++i) {
    if (m_keptBonds[i] == kNone) continue;
    const CCoupling* pBond = (*m_keptBonds[i])->AsBond();
    for (const CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
      if (pEnd == nullptr || m_gone.count(const_cast<CKVObject*>(pEnd)->GetTop()) != 0 ||
          Contested(pEnd)) {
        m_keptBonds[i] = kNone;
        break;
      }
    }
  }
  m_freshBonds.assign(m_bondRecords.size(), m_fresh.end());
  m_freshBondKeys.resize(m_bondRecords.size());
  std::size_t nFreshBonds = 0;
  for (std::size_t i = 0; i < m_bondRecords.size(); ++i) {
    if (m_keptBonds[i] != kNone) continue;
    if (++nFreshBonds > m_nLimit) return false;
    m_freshBonds[i] = ReadFresh(*m_bondRecords[i]);
    const std::vector<CEndKey>& asked = m_pReader->m_asked;
    if (m_freshBonds[i] == m_fresh.end() || (*m_freshBonds[i])->AsBond() == nullptr ||
        asked.size() != 2)
      return false;
    m_freshBondKeys[i] = {asked[0], asked[1]};
    for (const CEndKey& k : asked) m_moved.try_emplace(k);
  }
  return true;
}

bool CPartialReload::FindFirstOwners() {
  const It kNone = m_list.end();
  SortLefts();
  // The new list's walk: first owners of the moved keys. A group that stays must not have
  // a bond inside whose reference could now find another object.
  for (std::size_t i = 0; i < m_shapeRecords.size(); ++i) {
    const bool bKept = m_keptShapes[i] != kNone;
    CKVObject* pTop = bKept ? m_keptShapes[i]->get() : m_freshShapes[i]->get();
    if (bKept && pTop->AsGroup() != nullptr) {
      // A group whose boxes none of the keys can be is passed over, but for itself.
      const CGroup& g = *pTop->AsGroup();
      bool bMayHold = false;
      for (const auto& [k, owner] : m_moved) bMayHold = bMayHold || RangeMayHold(g, k.rc);
      if (!bMayHold) {
        COwner* pOwner = LookUp(pTop);
        if (pOwner != nullptr && pOwner->pFirst == nullptr) pOwner->pFirst = pTop;
        continue;
      }
    }
    bool bClash = false;
    ForEachEndCandidate(
        pTop,
        [&](CKVObject* p) {
          COwner* pOwner = LookUp(p);
          if (pOwner != nullptr && pOwner->pFirst == nullptr) pOwner->pFirst = p;
        },
        [&](CCoupling* pBond) {
          if (!bKept) return;
          for (const CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB})
            if (pEnd == nullptr || Contested(pEnd)) bClash = true;
        });
    if (bClash) return false;
  }
  // A group read anew found its bonds' ends among its own objects; a whole read would have
  // found an earlier object with the same box and anchor first.
  for (const auto& [pGroup, asked] : m_groupAsks) {
    for (const CEndKey& k : asked) {
      const CKVObject* pFirst = m_moved.at(k).pFirst;
      if (pFirst != nullptr && const_cast<CKVObject*>(pFirst)->GetTop() != pGroup) return false;
    }
  }
  return true;
}

std::size_t CPartialReload::Splice() {
  const It kNone = m_list.end();
  const std::uint64_t nNow = CKVObject::LatestChangeStamp();
  const auto adopt = [&](CKVObject* p, const CStoredRecordRef& pRecord) {
    p->KeepStoredRecord(pRecord, nNow);
    p->m_nLoadedStamp = p->m_nChangeStamp;
  };
  std::size_t nKept = 0;
  CObList list;
  for (std::size_t i = 0; i < m_shapeRecords.size(); ++i) {
    if (m_keptShapes[i] != kNone) {
      ++nKept;
      list.splice(list.end(), m_list, m_keptShapes[i]);
    } else {
      adopt(m_freshShapes[i]->get(), m_shapeRecords[i]);
      list.splice(list.end(), m_fresh, m_freshShapes[i]);
    }
  }
  for (std::size_t i = 0; i < m_bondRecords.size(); ++i) {
    if (m_keptBonds[i] != kNone) {
      ++nKept;
      list.splice(list.end(), m_list, m_keptBonds[i]);
      continue;
    }
    CCoupling* pBond = (*m_freshBonds[i])->AsBond();
    pBond->m_pEndA = m_moved.find(m_freshBondKeys[i][0])->second.pFirst;
    pBond->m_pEndB = m_moved.find(m_freshBondKeys[i][1])->second.pFirst;
    // A bond whose ends are not both found is dropped, as a whole read drops it.
    if (pBond->m_pEndA == nullptr || pBond->m_pEndB == nullptr) continue;
    adopt(pBond, m_bondRecords[i]);
    list.splice(list.end(), m_fresh, m_freshBonds[i]);
  }
  m_list.swap(list);
  list.clear();  // what did not stay
  m_fresh.clear();
  return nKept;
}

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
