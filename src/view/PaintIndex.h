#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objects/CObList.h"
#include "objects/Geometry.h"

class CKVObject;

// Where the top-level objects of a drawing paint, kept in a grid so that a window showing a
// small part of a large drawing finds its objects without looking at all of them. It holds
// each object's paint reach as it was when the index was built; it knows nothing of later
// changes, so it is only asked while the drawing is known to be unchanged.
class CPaintIndex {
 public:
  // Indexes the objects of the list, in its order, with their reach now: where they paint,
  // or the box fnReach gives each of them.
  void Build(const CObList& list, CRect (*fnReach)(CKVObject*) = nullptr);
  void Clear();
  std::size_t Size() const { return m_objects.size(); }

  // The objects whose reach meets the box (drawing units, either orientation), in the
  // order of the list. The result stays valid until the next call.
  const std::vector<CKVObject*>& Meeting(const CRect& rc);
  // The same, as places in the list, ascending; valid until the next query.
  const std::vector<std::uint32_t>& MeetingAt(const CRect& rc);

  CKVObject* ObjectAt(std::size_t i) const { return m_objects[i]; }
  // Whether the reach kept for the object at place i is rc.
  bool HasReach(std::size_t i, const CRect& rc) const;
  // The reach kept for the object at place i (top above bottom, as drawing units go).
  CRect ReachAt(std::size_t i) const;
  // The object at place i now paints within rc. An object whose new reach leaves the
  // cells it was filed under is tested at every query from then on; false when so many
  // are that building the index again is due.
  bool Update(std::size_t i, const CRect& rc);
  // Another object takes place i, painting within rc; false as Update.
  bool Replace(std::size_t i, CKVObject* pObj, const CRect& rc) {
    m_objects[i] = pObj;
    return Update(i, rc);
  }
  static constexpr std::uint32_t kNew = 0xFFFFFFFFu;
  // The list changed order or length: place j now holds objects[j], which was at place
  // from[j], or kNew for an object not indexed, filed with its reach now. Objects at places
  // that no from names are forgotten. False as Update (building anew is due).
  bool Remap(const std::vector<CKVObject*>& objects, const std::vector<std::uint32_t>& from);

 private:
  struct Box {
    std::int64_t x0, y0, x1, y1;  // x0 <= x1, y0 <= y1
  };
  static Box Normal(const CRect& rc);
  static bool Meet(const Box& a, const Box& b) {
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
  }
  // The cells a box covers, clamped to the grid.
  void CellRange(const Box& b, int& c0, int& r0, int& c1, int& r1) const;

  std::vector<CKVObject*> m_objects;
  std::vector<Box> m_reach;
  // Objects covering many cells are kept out of the grid and tested at every query.
  std::vector<std::uint32_t> m_wide;
  std::vector<bool> m_isWide;
  // Objects filed under cells their reach no longer keeps to, since the last build.
  std::size_t m_nMoved = 0;
  // The grid: the indices in cell k are m_cellItems[m_cellStart[k] .. m_cellStart[k + 1]).
  Box m_extent{0, 0, 0, 0};
  std::int64_t m_nCellW = 1, m_nCellH = 1;
  int m_nCols = 0, m_nRows = 0;
  std::vector<std::uint32_t> m_cellStart;
  std::vector<std::uint32_t> m_cellItems;
  // Query scratch: the last query that took each object, so an object in several cells is
  // taken once.
  std::vector<std::uint32_t> m_seen;
  std::uint32_t m_nQuery = 0;
  std::vector<std::uint32_t> m_hits;
  std::vector<CKVObject*> m_result;
};
