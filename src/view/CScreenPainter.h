#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "objects/CObList.h"
#include "objects/Geometry.h"
#include "view/PaintIndex.h"

class CDC;
class CFormula;
class CKVObject;
class CKvillDoc;
class CKvillView;
class CMeasuringDC;

// The view's paint of the drawing on the screen (and, for the view's own printing, on
// paper): the window's back buffer kept between paints, the paint after a change that
// brings up to date only what changed and repaints only the damaged area, the repaint of
// a drawing at rest that visits only what the window shows, and the index of where each
// object paints that both go by. It reads the zoom, the scroll position, the tool and the
// shown document from the view that owns it.
class CScreenPainter {
 public:
  explicit CScreenPainter(CKvillView& view) : m_view(view) {}
  CScreenPainter(const CScreenPainter&) = delete;
  CScreenPainter& operator=(const CScreenPainter&) = delete;

  // Paints pDoc on pDC: through the window's back buffer, or with the view's direct
  // rendering straight on pDC for paper.
  void RenderDrawing(CDC* pDC, CKvillDoc* pDoc);
  // The selection goes over (or, with the view's send-to-back, once under) everything
  // else; the paint index follows the new order, and while the list is in the index's
  // order what changed since the index is gathered for this update's paint.
  void KeepSelectionInFront(CObList& list);
  // What KeepSelectionInFront gathered is for one update's paint alone.
  void ForgetGathered() { m_bPrecollected = false; }

  // Marks a repaint that changes nothing but the window's place, zoom or exposure.
  class CRedisplayScope {
   public:
    explicit CRedisplayScope(CScreenPainter& painter) : m_painter(painter) {
      ++m_painter.m_nRedisplay;
    }
    ~CRedisplayScope() { --m_painter.m_nRedisplay; }
    CRedisplayScope(const CRedisplayScope&) = delete;
    CRedisplayScope& operator=(const CRedisplayScope&) = delete;

   private:
    CScreenPainter& m_painter;
  };

  // The drawing is no longer at rest: the next repaint looks for changed objects.
  void EndPaintRest() { m_nRestingPaints = 0; }
  // Ends the rest and forgets the index: the next repaint visits every object again.
  void DropPaintIndex();
  // An object of the shown drawing is destroyed: the index goes, unless a partial reload
  // is replacing objects (ReindexReplaced follows it then); what was remembered of the
  // object goes either way.
  void ObjectDestroyed(const CKVObject* pObj);
  // Set while a partial reload replaces objects.
  void SetReplacingObjects(bool bReplacing) { m_bReplacingObjects = bReplacing ? 1 : 0; }
  // After a reload that kept most objects: the places whose object was replaced are filed
  // with the new one, whose fresh change stamp has the next paint bring it up to date.
  // When a kept object changed its place or the list its length, the places are renumbered
  // by address instead.
  void ReindexReplaced(const CKvillDoc* pDoc);
  // A picture pass draws every object for another purpose and moves them: the index, the
  // rest and the kept buffer no longer hold.
  void ForgetPaints();

  // Whether a repaint that changes nothing but the window's place, zoom or exposure
  // visits only the objects the window can show.
  bool IsDrawingAtRest() const { return m_nRestingPaints >= 2; }
  // The next paint starts from white paper, whatever the back buffer holds.
  void ForgetBackBuffer() { m_bBackBufferValid = false; }
  // Whether an index of where the objects paint is held, for the paint after a change.
  bool HasPaintIndex() const { return m_pIndexDoc != nullptr; }
  // The change stamp up to which the index of pDoc is current (0 without one).
  std::uint64_t IndexStampOf(const CKvillDoc* pDoc) const {
    return m_pIndexDoc == pDoc ? m_nIndexStamp : 0;
  }
  // Counters for tests and benchmarks: paints after a change that brought up to date only
  // what changed, paints of a damaged area alone, and paints through every object.
  std::uint64_t ChangedOnlyPaints() const { return m_nChangedOnlyPaints; }
  std::uint64_t DamageOnlyPaints() const { return m_nDamagePaints; }
  std::uint64_t PaintsOfEveryObject() const { return m_nPaintSerial; }

 private:
  CKvillView& m_view;

  // End points of bonds left out of a paint: they follow their ends all the same. Finding
  // where a bond meets a formula measures text, so the result is kept with everything it
  // depends on and reused while none of that changes.
  struct CBondEndKey {
    CKVObject* pEnd = nullptr;
    int nKind = 0;
    CRect rcBox;
    CPoint ptAnchor;
    double dScale = 1.0;
    std::string strText;
    // Whether the end p is still the one remembered, unchanged.
    bool Matches(const CKVObject* p) const;
    void Set(CKVObject* p);
  };
  struct CBondMemo {
    CBondEndKey keyA, keyB;
    std::int32_t bLive = 0;
    CPoint ptLive;
    CPoint ptA, ptB;
    CSize szLetter;
    CRect rcFrame;
    std::uint64_t nSerial = 0;  // the paint that last used it; 0 for a new entry
  };
  // Brings a bond left out of the paint up to date with its ends.
  void FollowEnds(CKVObject* pBond, CDC* pDC);
  // A formula left out of the paint gets the box its drawing would give it; the layout is
  // remembered with what it depends on.
  struct CLayoutMemo {
    CBondEndKey key;  // the formula's text, anchor, scale and box when last laid out
    std::uint64_t nSerial = 0;
  };
  void LayOutLeftOut(CFormula* pFormula, CMeasuringDC& measure);
  // Everything drawing would change in an object left out (and in its descendants).
  void FollowLeftOut(CKVObject* pObj, CDC* pDC, CMeasuringDC& measure);
  // An object out of the window: followed without drawing (a selected junction keeps its
  // place), and its selection marks measured, as a full paint leaves it.
  void PassOverLeftOut(CKVObject* pObj, int nKind, CDC* pDC, CMeasuringDC& measure);
  // Forgets what was remembered when the text metrics of the paint's surface change;
  // false when they did.
  bool CheckTextMetrics(CDC* pDC);
  // Kept from paint to paint; entries not used by a paint are dropped at its end.
  std::unordered_map<CKVObject*, CBondMemo> m_bondMemo;
  std::unordered_map<CKVObject*, CLayoutMemo> m_layoutMemo;
  std::uint64_t m_nPaintSerial = 0;
  std::size_t m_nBondMemosUsed = 0;
  std::size_t m_nLayoutMemosUsed = 0;
  CSize m_szMetricsProbe;

  // ---- Repaints of a drawing at rest ----
  // Scrolling, zooming and exposing the window change no object. Once two full paints
  // in a row have brought every object's drawing state to rest and nothing has changed
  // since, such a repaint visits only the objects the window can show, found in an
  // index of where each object paints.
  // After a full screen paint of pDoc that began at change stamp nStart: counts it towards
  // rest and indexes where the objects paint.
  void NoteFullPaint(CKvillDoc* pDoc, std::uint64_t nStart, CDC* pDC, CMeasuringDC& measure);
  // Records pDoc's list as the one the resting paints are of.
  void NoteRestingDrawing(const CKvillDoc* pDoc);
  // Whether pDoc's list is the one the resting paints were of, by its length and ends.
  bool IsRestingDrawing(const CKvillDoc* pDoc) const;

  // ---- The paint after a change ----
  // A full screen paint leaves every object's drawing state (bond points, formula boxes,
  // group boxes) where a further paint would leave it and the index of where each object
  // paints; both then stay with the drawing. Objects say when they change (their change
  // stamps), so a later screen paint of the same list brings up to date only the objects
  // changed since, and those that depend on them (bonds on changed ends, groups holding
  // such bonds), draws what the window shows and files the new reaches in the index.
  // The places in the indexed list of the objects changed after stamp nSince or depending
  // on one that did, ascending: of all objects (false when the list is not the indexed
  // one), or only of those at the places pAmong.
  bool CollectChanged(const CObList& list, std::uint64_t nSince,
                      const std::vector<std::uint32_t>* pAmong, std::vector<std::uint32_t>& out);
  // The places of the objects changed after stamp nSince, ascending, from a walk of the
  // whole list; false when the list is not the indexed one.
  bool ChangedInList(const CObList& list, std::uint64_t nSince,
                     std::vector<std::uint32_t>& out) const;
  // Brings the objects changed from stamp nSince on (of all, or of those at the places
  // pAmong), and those depending on them, up to date without drawing, until nothing
  // changes any more; adds their places to processed. False when it does not come to rest.
  bool FollowChanged(const CObList& list, std::uint64_t nSince,
                     const std::vector<std::uint32_t>* pAmong, CDC* pDC, CMeasuringDC& measure,
                     std::vector<std::uint32_t>& processed);
  // Files the objects at the given places under their reach now; the grid is built anew
  // when too many have left their cells.
  void Reindex(const CObList& list, const std::vector<std::uint32_t>& places);
  // Notes that the object at place i depends on the top-level objects its bonds (itself,
  // or those inside it) end on outside it.
  void NoteDependents(std::uint32_t i, CKVObject* pObj);
  // The index follows a list of new order or length, finding each indexed object by its
  // address (only while no object made since has the address of one that went).
  void RemapIndexByAddress(const CObList& list);
  // The object now at place j of the list was at place from[j] of the index, or is new
  // (CPaintIndex::kNew): the index and the dependents follow, new objects are filed.
  void RemapIndex(const CObList& list, const std::vector<CKVObject*>& objects,
                  const std::vector<std::uint32_t>& from);
  // Set while a partial reload replaces objects: those destroyed leave the index to
  // ReindexReplaced instead of dropping it.
  std::int32_t m_bReplacingObjects = 0;
  // Test builds: the index and every object's drawing state are what a full
  // recomputation gives, and every object indexed is watched; stops the program naming the
  // first difference otherwise.
  void CheckPaintStateAgainstFullRecompute(const CObList& list, CDC* pDC);
  // The document the index is of (none while there is no index), and the change stamp up
  // to which it and the objects' drawing state are current.
  const CKvillDoc* m_pIndexDoc = nullptr;
  std::uint64_t m_nChangedOnlyPaints = 0;
  std::uint64_t m_nIndexStamp = 0;
  // For a top-level object, the places of those depending on it.
  std::unordered_multimap<const CKVObject*, std::uint32_t> m_dependents;
  std::vector<std::uint32_t> m_changedScratch, m_processedScratch, m_visitedScratch;
  // The places of the objects changed since m_nIndexStamp, gathered by the walk that keeps
  // the selection in front when it found the list in the index's order; the paint of the
  // same update takes them instead of walking the list again. Good while the change clock
  // and the index stamp are still those noted.
  std::vector<std::uint32_t> m_precollected;
  // Where the last walk of the list met each of its links, to fetch them ahead next time.
  std::vector<const void*> m_walkLinks;
  bool m_bPrecollected = false;
  std::uint64_t m_nPrecollectedClock = 0, m_nPrecollectedSince = 0;
  // The back buffer: whether it holds a whole screen paint, and of what (a paint of
  // another drawing, place, scale or size starts from white paper).
  struct CBackBufferKey {
    const CKvillDoc* pDoc = nullptr;
    double dZoom = 0.0;
    std::int32_t nScrollX = 0, nScrollY = 0, cx = 0, cy = 0, nDpiX = 0, nDpiY = 0;
    bool operator==(const CBackBufferKey&) const = default;
  };
  bool m_bBackBufferValid = false;
  CBackBufferKey m_backBufferKey;
  // Per indexed place, whether the object was drawn selected (its marks are in the
  // buffer): a flag set without a change stamp still repaints it.
  std::vector<std::uint8_t> m_drawnSelected;
  std::vector<CRect> m_damage;
  // Reaches of objects an undo or redo replaced in their places, still shown by the kept
  // buffer until the next paint.
  std::vector<CRect> m_pendingDamage;
  std::int64_t m_nDamageArea = 0;
  std::uint64_t m_nDamagePaints = 0;
  int m_nRedisplay = 0;
  int m_nRestingPaints = 0;
  // The drawing the resting paints were of: a list of another length or with other
  // ends is another drawing.
  const CKvillDoc* m_pRestingDoc = nullptr;
  std::size_t m_nRestingCount = 0;
  const CKVObject* m_pRestingFront = nullptr;
  const CKVObject* m_pRestingBack = nullptr;
  CPaintIndex m_paintIndex;

  // ---- Painting, by the mode RenderDrawing runs in ----
  // Direct: straight on the given surface (printing). Screen: through a buffer of the
  // client area, leaving out what the window cannot show.
  enum class RenderMode { Direct, Screen };
  // bKept: the target is the kept back buffer and still holds the last screen paint of
  // this drawing at this place and scale, so a paint after a change may redraw only what
  // changed.
  void PaintObjects(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode, CSize szVisible, bool bKept);
  // The screen paint through the window's back buffer (or, for a copied selection, a buffer
  // of its own), copied to pDC.
  void PaintThroughBuffer(CDC* pDC, CKvillDoc* pDoc);
  // The light frame around the object under the pointer, on the window's surface pDC of
  // szClient pixels, when the window shows one.
  void DrawHoverFrame(CDC* pDC, CSize szClient);
  // The paint after a change (see "The paint after a change" above): false, having done
  // nothing, when the list is not the indexed one object for object; with bKept, only the
  // damaged area of the kept buffer.
  bool PaintChanged(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode, const CRect& rcVisible,
                    CSize szVisible, bool bKept);
  // On the kept buffer only the damaged area is painted again: where the changed objects
  // (at the places processed) and those depending on them painted before and paint now,
  // and where an object shown selected is no longer (or the other way round). The changed
  // objects are first brought to rest without drawing, so that their reach now is where
  // they will paint; those that depend on them join processed. True when the damaged area
  // is painted white and the surface limited to it; false when the whole window must be
  // painted again.
  bool PrepareDamage(CDC* pTarget, const CObList& list, const std::vector<std::uint32_t>& visible,
                     CSize szVisible, CMeasuringDC& measure, std::vector<std::uint32_t>& processed);
  // The damaged area of a paint after a change, in client pixels: adds where a reach
  // (drawing units) may paint; false once the area is too scattered or too large to be
  // worth repainting alone.
  bool AddDamage(CDC* pTarget, const CRect& rcReach, CSize szVisible);
  // Whether the unchanged object at place i may paint a pixel of the damaged area: by its
  // filed reach, and for a straight bond by the band along its line.
  bool MeetsDamage(CDC* pTarget, std::uint32_t i) const;
  // Paints every object in list order; with prcVisible, objects that cannot reach it are
  // brought up to date without drawing and the paint is indexed for the paints after it.
  void PaintEveryObject(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode, const CRect* prcVisible);
  void PaintObject(CKVObject* pObj, CDC* pTarget, CKvillDoc* pDoc, RenderMode mode);
  // Paints, in list order, the objects whose filed reach meets the window, noting how each
  // was drawn selected (the paint of a drawing at rest, and the whole repaint after a
  // damage paint that moved something).
  void PaintShownObjects(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode, const CRect& rcVisible);
};
