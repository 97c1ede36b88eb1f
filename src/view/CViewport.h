#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "objects/Geometry.h"

class CDC;
class CKVObject;
class CKvillDoc;
class CKvillView;

// What part of the drawing the view's window shows and at what scale: the zoom, the scroll
// position, the drawing's extents as the scroll bars measure them, and the scroll bars
// themselves; and the conversion between client pixels and drawing units that follows
// from them. The zoom and scroll commands repaint through the view that owns it.
//
// The extents are found again after every update. After a paint that brought up to date
// only the objects changed since the extents were last measured, only those can have moved
// an edge: the extents follow them instead of a walk of every object, while the objects
// lying on an edge are known.
class CViewport {
 public:
  explicit CViewport(CKvillView& view) : m_view(view) {}
  CViewport(const CViewport&) = delete;
  CViewport& operator=(const CViewport&) = delete;

  // ---- Coordinates ----
  // Scroll offsets in client pixels: trunc(5 sx / z / z / 100) and trunc(5 sy / z / 100).
  int ScrollOffsetX() const;
  int ScrollOffsetY() const;
  CPoint DeviceToLogical(CPoint ptClient) const;
  // Drawing units to client pixels, with the pixels per inch of pDC (of the window if null).
  CPoint LogicalToDevice(CPoint ptLogical, const CDC* pDC = nullptr) const;
  // Maps pDC as the window shows the drawing.
  void OnPrepareDC(CDC* pDC) const;

  // ---- Zoom and scrolling ----
  // The smallest and largest zoom the Zoom In and Zoom Out commands reach.
  static constexpr double kMinZoom = 0.2 / 1.2;
  static constexpr double kMaxZoom = 4.0 * 1.2;
  void OnZoomIn();
  void OnZoomOut();
  void OnZoomDefault();
  // The zoom and scroll position that show every object in the window, centred, with a
  // margin; within the zoom the Zoom In and Zoom Out commands can reach (a drawing too
  // large for the smallest scale is centred at it). Default Zoom for an empty drawing.
  void OnZoomToFit();
  // The box the shown drawing's objects take, as Zoom to Fit and a printout fitted to its
  // page measure it (top and left the smaller values); nothing for an empty drawing.
  std::optional<CRect> DrawingSpan() const;
  // A zoom and scroll position, and the one that shows a span of drawing units centred in
  // an area of cx x cy device pixels at dpiX x dpiY pixels per inch, as large as fits
  // inside a margin of dMargin pixels, the zoom kept within [dMinZoom, dMaxZoom]. With
  // bWholeScale the zoom is rounded up to a whole number of drawing units per inch, which
  // a surface's mapping (whole window extents) takes without rounding.
  struct CMapping {
    double dZoom = 1.0;
    std::int32_t nScrollX = 0;
    std::int32_t nScrollY = 0;
  };
  struct CFitArea {
    double cx = 0.0, cy = 0.0, dpiX = 96.0, dpiY = 96.0, dMargin = 0.0;
    double dMinZoom = 0.0, dMaxZoom = 1e300;
    bool bWholeScale = false;
  };
  static CMapping FitSpan(const CRect& rcSpan, const CFitArea& area);
  CMapping Mapping() const { return CMapping{m_dZoom, m_nScrollX, m_nScrollY}; }

  // Sets a zoom and scroll position for its life and gives back the ones before at its
  // end, whatever way the scope is left: a surface can be prepared at another mapping
  // (paper) while the window keeps its own. Nothing is repainted either way; the window
  // must not paint while the scope lives.
  class CMappingScope {
   public:
    CMappingScope(CViewport& viewport, const CMapping& mapping)
        : m_viewport(viewport), m_before(viewport.Mapping()) {
      viewport.SetMapping(mapping);
    }
    ~CMappingScope() { m_viewport.SetMapping(m_before); }
    CMappingScope(const CMappingScope&) = delete;
    CMappingScope& operator=(const CMappingScope&) = delete;

   private:
    CViewport& m_viewport;
    CMapping m_before;
  };

  // One zoom step per message, however far the wheel turned; the wheel never scrolls.
  void OnMouseWheel(int nDelta);
  void OnSize();
  void OnScroll(bool bHorizontal, int nCode, int nPos);
  // Zoom 1.0, scroll position (0, 0) and both scroll bars at 0.
  void ResetZoomAndScroll();
  // The scroll bars' thumbs and the window follow the scroll position shortly.
  void ScheduleScrollRefresh();
  void ScrollRefresh();
  // UpdateView's last step: the extents and the scroll bars follow the drawing.
  void UpdateExtentsAndScrollBars();
  void NormalizePosition();

  // ---- What the paint and the document tell the extents ----
  // Whether the extents were measured of pDoc at index stamp nStamp: then a paint that
  // brings up to date what changed since that stamp sees every object that can move them.
  bool ExtentsMeasuredAt(const CKvillDoc* pDoc, std::uint64_t nStamp) const {
    return m_bExtentsKnown && m_pExtentsDoc == pDoc && m_nExtentsStamp == nStamp;
  }
  // The objects the paint of this update brought up to date, filled by the paint, and that
  // they are all that changed since the extents (until the update ends).
  // Begin: an empty list to fill, ready for this update; Forget: nothing gathered (an
  // update begins, or an object went).
  std::vector<const CKVObject*>& BeginChangedSinceExtents() {
    m_extentsChanged.clear();
    m_bExtentsChangedReady = true;
    return m_extentsChanged;
  }
  void ForgetChangedSinceExtents() { m_bExtentsChangedReady = false; }
  // An object is destroyed: what the paint gathered no longer holds, and the extents are
  // measured anew when it lay on an edge.
  void ObjectDestroyed(const CKVObject* pObj) {
    m_bExtentsChangedReady = false;
    if (m_bExtentsKnown && m_extentHolders.count(pObj) != 0) m_bExtentsKnown = false;
  }
  // A paint or a picture pass is under way: the scroll extents read 0 until the update
  // after it measures them (a scroll before then updates first).
  void MarkExtentsStale() {
    m_nExtBottom = 0;
    m_nExtRight = 0;
  }

  // ---- State ----
  double Zoom() const { return m_dZoom; }
  void SetZoom(double dZoom) { m_dZoom = dZoom; }
  std::int32_t ScrollX() const { return m_nScrollX; }
  std::int32_t ScrollY() const { return m_nScrollY; }
  void SetScrollX(std::int32_t n) { m_nScrollX = n; }
  void SetScrollY(std::int32_t n) { m_nScrollY = n; }
  void SetMapping(const CMapping& mapping) {
    m_dZoom = mapping.dZoom;
    m_nScrollX = mapping.nScrollX;
    m_nScrollY = mapping.nScrollY;
  }
  // The drawing's extents as the scroll bars measure them, and as the objects span them.
  std::int32_t ExtBottom() const { return m_nExtBottom; }
  std::int32_t ExtRight() const { return m_nExtRight; }
  std::int32_t ExtTop() const { return m_nExtTop; }
  std::int32_t ExtLeft() const { return m_nExtLeft; }
  std::int32_t RawBottom() const { return m_nRawBottom; }
  std::int32_t RawTop() const { return m_nRawTop; }
  std::int32_t RawRight() const { return m_nRawRight; }
  std::int32_t RawLeft() const { return m_nRawLeft; }
  // The window's rectangle when the extents were last measured.
  const CRect& WindowRect() const { return m_rcWindow; }
  std::int32_t HPage() const { return m_nHPage; }
  std::int32_t VPage() const { return m_nVPage; }
  // How far the scroll positions may go below 0, so that objects left of or above the
  // origin can be reached (scroll units, 0 when nothing lies there).
  std::int32_t ScrollMinX() const { return m_nScrollMinX; }
  std::int32_t ScrollMinY() const { return m_nScrollMinY; }
  std::int32_t HBarShown() const { return m_bHBarShown; }
  std::int32_t VBarShown() const { return m_bVBarShown; }
  // Scroll refreshes scheduled and not yet run.
  std::int32_t RefreshPending() const { return m_nRefreshPending; }
  // How many updates found the drawing's extents from the objects changed since the
  // update before, instead of from every object (tests, benchmarks).
  std::uint64_t ExtentsFollowedFromChanges() const { return m_nExtentsFollowed; }
  // Tests: which scroll bars count as shown.
  void SetBarsShownForTest(bool bHorizontal, bool bVertical) {
    m_bHBarShown = bHorizontal ? 1 : 0;
    m_bVBarShown = bVertical ? 1 : 0;
  }

 private:
  // The extents from every object, noting which objects lie on an edge.
  // False when too many lie on the edges for following the extents to be worth it.
  bool MeasureAllExtents(std::int32_t& B, std::int32_t& T, std::int32_t& R, std::int32_t& L);
  // The extents grown by the objects the paint just brought up to date; false when one of
  // them lay on an edge before (the extents may shrink) or there are too many on the edges.
  bool FollowExtents(std::int32_t& B, std::int32_t& T, std::int32_t& R, std::int32_t& L);
  void UpdateScrollBar(int nBar, double dFit, double W, double dExtent, std::int32_t nScroll,
                       std::int32_t nExt, std::int32_t nBarMin, std::int32_t& nPage,
                       std::int32_t& bShown);
  // The reach below scroll position 0 for raw left and top extents L and T: m_nScrollMinX,
  // m_nScrollMinY and the bars' lowest positions m_nHBarMin, m_nVBarMin.
  void UpdateScrollReach(std::int32_t L, std::int32_t T);

  CKvillView& m_view;

  // Field names and initial values are the program's own.
  double m_dZoom = 10.0;
  std::int32_t m_nScrollX = 0;
  std::int32_t m_nScrollY = 0;
  std::int32_t m_nExtBottom = 10;
  std::int32_t m_nExtRight = 10;
  std::int32_t m_nExtTop = 0;
  std::int32_t m_nExtLeft = 0;
  std::int32_t m_nRawBottom = 0;
  std::int32_t m_nRawTop = 0;
  std::int32_t m_nRawRight = 0;
  std::int32_t m_nRawLeft = 0;
  CRect m_rcWindow;
  std::int32_t m_nHPage = 0;
  std::int32_t m_nVPage = 0;
  std::int32_t m_nScrollMinX = 0;
  std::int32_t m_nScrollMinY = 0;
  // The scroll bars' lowest positions, which stand for the reach below 0.
  std::int32_t m_nHBarMin = 0;
  std::int32_t m_nVBarMin = 0;
  std::int32_t m_bHBarShown = 0;
  std::int32_t m_bVBarShown = 0;
  std::int32_t m_nRefreshPending = 0;

  // The extents last measured, of which document and up to which index stamp, and the
  // objects lying on one of their edges with their bounds then (only looked up, never
  // followed: a holder destroyed forgets the extents). m_extentsChanged: the objects the
  // last paint after a change brought up to date, while they are the only ones changed
  // since the extents.
  bool m_bExtentsKnown = false;
  const CKvillDoc* m_pExtentsDoc = nullptr;
  std::uint64_t m_nExtentsStamp = 0;
  std::unordered_map<const CKVObject*, CRect> m_extentHolders;
  static constexpr std::size_t kMaxExtentHolders = 4096;
  std::vector<const CKVObject*> m_extentsChanged;
  bool m_bExtentsChangedReady = false;
  std::uint64_t m_nExtentsFollowed = 0;
};
