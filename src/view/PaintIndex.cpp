#include "view/PaintIndex.h"

#include <algorithm>
#include <cmath>

#include "objects/CKVObject.h"
#include "view/PaintReach.h"

namespace {

// An object in more cells than this lies across much of the drawing; testing it at every
// query is cheaper than filling the cells with it.
constexpr std::int64_t kMaxCellsPerObject = 16;
constexpr int kMaxSide = 1024;

}  // namespace

CPaintIndex::Box CPaintIndex::Normal(const CRect& rc) {
  return Box{std::min<std::int64_t>(rc.left, rc.right), std::min<std::int64_t>(rc.bottom, rc.top),
             std::max<std::int64_t>(rc.left, rc.right), std::max<std::int64_t>(rc.bottom, rc.top)};
}

void CPaintIndex::Clear() {
  m_objects.clear();
  m_reach.clear();
  m_wide.clear();
  m_isWide.clear();
  m_nMoved = 0;
  m_cellStart.clear();
  m_cellItems.clear();
  m_seen.clear();
  m_nCols = m_nRows = 0;
}

void CPaintIndex::CellRange(const Box& b, int& c0, int& r0, int& c1, int& r1) const {
  const auto cell = [](std::int64_t v, std::int64_t origin, std::int64_t size, int n) {
    const std::int64_t k = (v - origin) / size;
    return static_cast<int>(std::clamp<std::int64_t>(k, 0, n - 1));
  };
  c0 = cell(b.x0, m_extent.x0, m_nCellW, m_nCols);
  c1 = cell(b.x1, m_extent.x0, m_nCellW, m_nCols);
  r0 = cell(b.y0, m_extent.y0, m_nCellH, m_nRows);
  r1 = cell(b.y1, m_extent.y0, m_nCellH, m_nRows);
}

void CPaintIndex::Build(const CObList& list, CRect (*fnReach)(CKVObject*)) {
  if (fnReach == nullptr) fnReach = &PaintReach;
  Clear();
  m_objects.reserve(list.size());
  m_reach.reserve(list.size());
  for (const auto& p : list) {
    m_objects.push_back(p.get());
    m_reach.push_back(Normal(fnReach(p.get())));
  }
  m_seen.assign(m_objects.size(), 0);
  m_nQuery = 0;
  if (m_objects.empty()) return;

  // Cells of equal size over the extent of all reaches, about one per object, so that a
  // window's share of the drawing costs about its share of the objects.
  Box e = m_reach[0];
  for (const Box& b : m_reach) {
    e.x0 = std::min(e.x0, b.x0), e.y0 = std::min(e.y0, b.y0);
    e.x1 = std::max(e.x1, b.x1), e.y1 = std::max(e.y1, b.y1);
  }
  m_extent = e;
  const double w = static_cast<double>(e.x1 - e.x0) + 1.0;
  const double h = static_cast<double>(e.y1 - e.y0) + 1.0;
  const double n = static_cast<double>(m_objects.size());
  const double side = std::sqrt(w * h / n);
  m_nCols = static_cast<int>(std::clamp(std::ceil(w / side), 1.0, static_cast<double>(kMaxSide)));
  m_nRows = static_cast<int>(std::clamp(std::ceil(h / side), 1.0, static_cast<double>(kMaxSide)));
  m_nCellW = static_cast<std::int64_t>(std::ceil(w / m_nCols));
  m_nCellH = static_cast<std::int64_t>(std::ceil(h / m_nRows));
  m_nCellW = std::max<std::int64_t>(m_nCellW, 1);
  m_nCellH = std::max<std::int64_t>(m_nCellH, 1);

  // Two passes: count the entries of each cell, then place them.
  const std::size_t nCells = static_cast<std::size_t>(m_nCols) * static_cast<std::size_t>(m_nRows);
  m_cellStart.assign(nCells + 1, 0);
  std::vector<bool>& wide = m_isWide;
  wide.assign(m_objects.size(), false);
  for (std::size_t i = 0; i < m_reach.size(); ++i) {
    int c0, r0, c1, r1;
    CellRange(m_reach[i], c0, r0, c1, r1);
    if (static_cast<std::int64_t>(c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCellsPerObject) {
      wide[i] = true;
      m_wide.push_back(static_cast<std::uint32_t>(i));
      continue;
    }
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) ++m_cellStart[static_cast<std::size_t>(r) * m_nCols + c + 1];
    }
  }
  for (std::size_t k = 0; k < nCells; ++k) m_cellStart[k + 1] += m_cellStart[k];
  m_cellItems.resize(m_cellStart[nCells]);
  std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
  for (std::size_t i = 0; i < m_reach.size(); ++i) {
    if (wide[i]) continue;
    int c0, r0, c1, r1;
    CellRange(m_reach[i], c0, r0, c1, r1);
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        m_cellItems[fill[static_cast<std::size_t>(r) * m_nCols + c]++] =
            static_cast<std::uint32_t>(i);
      }
    }
  }
}

bool CPaintIndex::HasReach(std::size_t i, const CRect& rc) const {
  const Box a = m_reach[i], b = Normal(rc);
  return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

CRect CPaintIndex::ReachAt(std::size_t i) const {
  const Box& a = m_reach[i];
  return CRect{Clamp32(a.x0), Clamp32(a.y1), Clamp32(a.x1), Clamp32(a.y0)};
}

bool CPaintIndex::Update(std::size_t i, const CRect& rc) {
  const Box b = Normal(rc);
  if (!m_isWide[i]) {
    // Still filed correctly when the new reach lies within the grid and within the cells
    // the old one covered.
    int c0, r0, c1, r1, n0, s0, n1, s1;
    CellRange(m_reach[i], c0, r0, c1, r1);
    CellRange(b, n0, s0, n1, s1);
    const bool bInside =
        m_extent.x0 <= b.x0 && b.x1 <= m_extent.x1 && m_extent.y0 <= b.y0 && b.y1 <= m_extent.y1;
    if (!bInside || n0 < c0 || s0 < r0 || n1 > c1 || s1 > r1) {
      m_isWide[i] = true;
      m_wide.push_back(static_cast<std::uint32_t>(i));
      ++m_nMoved;
    }
  }
  m_reach[i] = b;
  return m_nMoved <= 256 + m_objects.size() / 16;
}

bool CPaintIndex::Remap(const std::vector<CKVObject*>& objects,
                        const std::vector<std::uint32_t>& from) {
  constexpr std::uint32_t kGone = kNew;
  std::vector<std::uint32_t> newOf(m_objects.size(), kGone);
  std::vector<Box> reach(objects.size());
  std::vector<bool> isWide(objects.size(), true);
  std::vector<std::uint32_t> fresh;
  for (std::size_t j = 0; j < objects.size(); ++j) {
    if (from[j] == kNew) {
      // Filed nowhere in the grid: tested at every query, as an object that left its cells.
      reach[j] = Normal(PaintReach(objects[j]));
      fresh.push_back(static_cast<std::uint32_t>(j));
      ++m_nMoved;
      continue;
    }
    newOf[from[j]] = static_cast<std::uint32_t>(j);
    reach[j] = m_reach[from[j]];
    isWide[j] = m_isWide[from[j]];
  }
  std::vector<std::uint32_t> wide;
  for (std::uint32_t i : m_wide)
    if (newOf[i] != kGone) wide.push_back(newOf[i]);
  wide.insert(wide.end(), fresh.begin(), fresh.end());
  // The cells keep their entries in place, those of objects gone dropped.
  std::size_t nOut = 0;
  for (std::size_t k = 0; k + 1 < m_cellStart.size(); ++k) {
    const std::uint32_t nBegin = m_cellStart[k], nEnd = m_cellStart[k + 1];
    m_cellStart[k] = static_cast<std::uint32_t>(nOut);
    for (std::uint32_t e = nBegin; e < nEnd; ++e)
      if (newOf[m_cellItems[e]] != kGone) m_cellItems[nOut++] = newOf[m_cellItems[e]];
  }
  if (!m_cellStart.empty()) m_cellStart.back() = static_cast<std::uint32_t>(nOut);
  m_cellItems.resize(nOut);
  m_objects = objects;
  m_reach = std::move(reach);
  m_isWide = std::move(isWide);
  m_wide = std::move(wide);
  m_seen.assign(m_objects.size(), 0);
  m_nQuery = 0;
  return m_nCols > 0 && m_nMoved <= 256 + m_objects.size() / 16;
}

const std::vector<CKVObject*>& CPaintIndex::Meeting(const CRect& rc) {
  m_result.clear();
  for (std::uint32_t i : MeetingAt(rc)) m_result.push_back(m_objects[i]);
  return m_result;
}

const std::vector<std::uint32_t>& CPaintIndex::MeetingAt(const CRect& rc) {
  m_hits.clear();
  if (m_objects.empty()) return m_hits;
  if (++m_nQuery == 0) {
    // The stamps wrapped around: start them again.
    std::fill(m_seen.begin(), m_seen.end(), 0);
    m_nQuery = 1;
  }
  const Box q = Normal(rc);
  const auto take = [&](std::uint32_t i) {
    if (m_seen[i] == m_nQuery) return;
    m_seen[i] = m_nQuery;
    if (Meet(m_reach[i], q)) m_hits.push_back(i);
  };
  for (std::uint32_t i : m_wide) take(i);
  if (Meet(m_extent, q)) {
    int c0, r0, c1, r1;
    CellRange(q, c0, r0, c1, r1);
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        const std::size_t k = static_cast<std::size_t>(r) * m_nCols + c;
        for (std::uint32_t j = m_cellStart[k]; j < m_cellStart[k + 1]; ++j) take(m_cellItems[j]);
      }
    }
  }
  std::sort(m_hits.begin(), m_hits.end());
  return m_hits;
}
