#include "document/CBondEndIndex.h"

#include <cstring>
#include <utility>

#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/GroupWalk.h"

bool IsBond(const CKVObject* pObj) { return dynamic_cast<const CCoupling*>(pObj) != nullptr; }

namespace {

std::uint32_t HashOf(const CRect& rc, CPoint pt) {
  const std::int32_t key[6] = {rc.left, rc.top, rc.right, rc.bottom, pt.x, pt.y};
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  for (std::int32_t v : key) {
    h ^= static_cast<std::uint32_t>(v);
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

bool SameKey(const CKVObject* p, const CRect& rc, CPoint pt) {
  return p->m_rcBounds == rc && p->m_ptAnchor == pt;
}

}  // namespace

void CBondEndIndex::Clear() {
  m_table.clear();
  m_objects.clear();
  m_pending.clear();
}

void CBondEndIndex::Grow() {
  std::vector<Slot> old = std::move(m_table);
  m_table.assign(old.empty() ? 1024 : old.size() * 2, Slot{0, 0});
  const std::size_t mask = m_table.size() - 1;
  for (const Slot& s : old) {
    if (s.nObject == 0) continue;
    std::size_t i = s.nHash & mask;
    while (m_table[i].nObject != 0) i = (i + 1) & mask;
    m_table[i] = s;
  }
}

CKVObject* CBondEndIndex::Find(const CRect& rc, CPoint pt) {
  Flush();
  if (m_table.empty()) return nullptr;
  const std::uint32_t h = HashOf(rc, pt);
  const std::size_t mask = m_table.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& s = m_table[i];
    if (s.nObject == 0) return nullptr;
    if (s.nHash == h && SameKey(m_objects[s.nObject - 1], rc, pt)) return m_objects[s.nObject - 1];
  }
}

void CBondEndIndex::Add(CKVObject* pObj) {
  if (!pObj) return;
  const std::uint32_t h = HashOf(pObj->m_rcBounds, pObj->m_ptAnchor);
  if (!m_table.empty()) __builtin_prefetch(&m_table[h & (m_table.size() - 1)], 1);
  m_pending.push_back(Pending{pObj, h});
  if (m_pending.size() >= 32) Flush();
}

void CBondEndIndex::Flush() {
  for (const Pending& p : m_pending) Insert(p);
  m_pending.clear();
}

void CBondEndIndex::Insert(const Pending& p) {
  // Keep the load factor at most one half.
  if ((m_objects.size() + 1) * 2 > m_table.size()) Grow();
  const CRect& rc = p.pObj->m_rcBounds;
  const CPoint pt = p.pObj->m_ptAnchor;
  const std::size_t mask = m_table.size() - 1;
  for (std::size_t i = p.nHash & mask;; i = (i + 1) & mask) {
    Slot& s = m_table[i];
    if (s.nObject == 0) {
      m_objects.push_back(p.pObj);
      s = Slot{p.nHash, static_cast<std::uint32_t>(m_objects.size())};
      return;
    }
    // An earlier object with the same key keeps it.
    if (s.nHash == p.nHash && SameKey(m_objects[s.nObject - 1], rc, pt)) return;
  }
}

void CBondEndIndex::AddTree(CKVObject* pTop) {
  if (IsBond(pTop)) return;
  Add(pTop);
  CGroup* pRoot = pTop->AsGroup();
  if (!pRoot) return;
  // Groups inside are walked through, not added themselves.
  WalkGroup(*pRoot, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
    if (slot->AsGroup() == nullptr && !IsBond(slot.get())) Add(slot.get());
    return WalkStep::Enter;
  });
}
