#include "document/CBondEndIndex.h"

#include <cstring>
#include <utility>

#include "objects/CCoupling.h"
#include "objects/CGroup.h"

bool IsBond(const CKVObject* pObj) { return dynamic_cast<const CCoupling*>(pObj) != nullptr; }

namespace {

void MakeKey(const CRect& rc, CPoint pt, std::int32_t key[6]) {
  key[0] = rc.left;
  key[1] = rc.top;
  key[2] = rc.right;
  key[3] = rc.bottom;
  key[4] = pt.x;
  key[5] = pt.y;
}

}  // namespace

void CBondEndIndex::Clear() {
  m_table.clear();
  m_nUsed = 0;
}

std::uint64_t CBondEndIndex::Hash(const std::int32_t key[6]) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 6; ++i) {
    h ^= static_cast<std::uint32_t>(key[i]);
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  return h;
}

void CBondEndIndex::Grow() {
  std::vector<Entry> old = std::move(m_table);
  m_table.assign(old.empty() ? 1024 : old.size() * 2, Entry{{0, 0, 0, 0, 0, 0}, nullptr});
  m_nUsed = 0;
  for (const Entry& e : old)
    if (e.pObj) Insert(e.key, e.pObj);
}

void CBondEndIndex::Insert(const std::int32_t key[6], CKVObject* pObj) {
  // Keep the load factor at most one half.
  if ((m_nUsed + 1) * 2 > m_table.size()) Grow();
  const std::size_t mask = m_table.size() - 1;
  for (std::size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
    Entry& e = m_table[i];
    if (!e.pObj) {
      std::memcpy(e.key, key, sizeof e.key);
      e.pObj = pObj;
      ++m_nUsed;
      return;
    }
    if (std::memcmp(e.key, key, sizeof e.key) == 0) return;  // the earlier object wins
  }
}

CKVObject* CBondEndIndex::Find(const CRect& rc, CPoint pt) const {
  if (m_table.empty()) return nullptr;
  std::int32_t key[6];
  MakeKey(rc, pt, key);
  const std::size_t mask = m_table.size() - 1;
  for (std::size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
    const Entry& e = m_table[i];
    if (!e.pObj) return nullptr;
    if (std::memcmp(e.key, key, sizeof e.key) == 0) return e.pObj;
  }
}

void CBondEndIndex::Add(CKVObject* pObj) {
  if (!pObj || IsBond(pObj)) return;
  std::int32_t key[6];
  MakeKey(pObj->m_rcBounds, pObj->m_ptAnchor, key);
  Insert(key, pObj);
}

void CBondEndIndex::AddTree(CKVObject* pTop) {
  Add(pTop);
  auto* pRoot = dynamic_cast<CGroup*>(pTop);
  if (!pRoot) return;
  std::vector<std::pair<CGroup*, CObList::iterator>> stack;
  CGroup* pCur = pRoot;
  CObList::iterator it = pCur->m_listChildren.begin();
  for (;;) {
    if (it == pCur->m_listChildren.end()) {
      if (stack.empty()) return;
      pCur = stack.back().first;
      it = stack.back().second;
      stack.pop_back();
      continue;
    }
    CKVObject* p = (it++)->get();
    if (auto* pGroup = dynamic_cast<CGroup*>(p)) {
      stack.emplace_back(pCur, it);
      pCur = pGroup;
      it = pGroup->m_listChildren.begin();
    } else {
      Add(p);
    }
  }
}
