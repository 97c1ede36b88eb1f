#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "objects/Geometry.h"
#include "resources/WindowMessages.h"
#include "view/CCursorFeedback.h"

class CFormula;
class CKVObject;
class CKvillView;

// The tool chosen and the gesture of the left button under way: a press picks what it
// acts on (a handle starts a resize, an object is selected or a bond attached, else the
// tool creates), moves drag the selection, a resize, a selection rectangle or the free end
// of a bond, and the release ends the gesture as one undo step. It works on the drawing
// through the view that owns it; the menus, dialogs and commands that end or start a
// gesture (rotate mode, a context menu's swallowed click, a copy drag) set it here.
class CMouseTracker {
 public:
  // Out of line: the bond being placed is destroyed where objects are complete.
  explicit CMouseTracker(CKvillView& view);
  ~CMouseTracker();
  CMouseTracker(const CMouseTracker&) = delete;
  CMouseTracker& operator=(const CMouseTracker&) = delete;

  // The mouse, with the message's key flags (MK_*) and the client pixel point.
  void OnLButtonDown(unsigned nFlags, CPoint ptClient);
  void OnMouseMove(unsigned nFlags, CPoint ptClient);
  void OnLButtonUp(unsigned nFlags, CPoint ptClient);
  void OnLButtonDblClk(unsigned nFlags, CPoint ptClient);
  // A new formula with its anchor at pt, edited from caret 0.
  CFormula* CreateFormulaAt(CPoint pt);
  // Whether a gesture of the mouse is under way (a move, a resize, a rotation, a selection
  // rectangle, a bond whose second end is still to come): the drawing is between two of
  // its states until it ends. (The first-step flag of a drag is no gesture of its own: a
  // click that never dragged leaves it set; nor is a bond left behind when Esc or another
  // tool ended its placement, which the next press drops.)
  bool IsInGesture() const {
    return m_bMoving || m_bResizing || m_bRotating || m_bRubberBand ||
           (m_pLiveBond != nullptr && m_nTool == TOOL_BOND_END);
  }

  // ---- State: the tool and the gesture ----
  std::int32_t Tool() const { return m_nTool; }
  void SetTool(std::int32_t nTool) { m_nTool = nTool; }
  // The handle a resize drags (1 to 8), or the last one a handle test met.
  std::int32_t Handle() const { return m_nHandle; }
  void SetHandle(std::int32_t nHandle) { m_nHandle = nHandle; }
  std::int32_t Moving() const { return m_bMoving; }
  void SetMovingForTest(std::int32_t b) { m_bMoving = b; }
  // The move is that of the copies a Ctrl-drag made: it goes on while Ctrl is held.
  void StartCopyMove() {
    m_bMoving = 1;
    m_bCopyMoving = 1;
  }
  std::int32_t Resizing() const { return m_bResizing; }
  void SetResizing(std::int32_t b) { m_bResizing = b; }
  // Rotate mode: every mouse move turns the current group about its centre.
  std::int32_t Rotating() const { return m_bRotating; }
  void SetRotating(std::int32_t b) { m_bRotating = b; }
  std::int32_t RubberBand() const { return m_bRubberBand; }
  // A move, resize, rotation, selection rectangle or bond placement is under way.
  // (The bond tool's second end waits even for a bond a reload took away.)
  bool GestureUnderWay() const { return IsInGesture() || m_nTool == TOOL_BOND_END; }
  // A context menu's choice came with a click the release must not act on.
  std::int32_t SkipNextClick() const { return m_bSkipNextClick; }
  void SetSkipNextClick(std::int32_t b) { m_bSkipNextClick = b; }
  // A Ctrl-press on an object already selected: a drag copies the selection with it, so
  // the Ctrl-click's deselection waits for a release without a drag.
  CKVObject* CtrlToggle() const { return m_pCtrlToggle; }
  void SetCtrlToggle(CKVObject* pObj) { m_pCtrlToggle = pObj; }
  // Where the press was, where the drag is now, and the selection rectangle (client pixels).
  CPoint DragAnchor() const { return m_ptDragAnchor; }
  CPoint DragLast() const { return m_ptDragLast; }
  const CRect& DragRect() const { return m_rcDrag; }
  // The pointer's last place in the window (client pixels).
  CPoint LastMouse() const { return m_ptLastMouse; }
  void SetLastMouseForTest(CPoint pt) { m_ptLastMouse = pt; }

  // Shared with the cursor feedback: the resize cursor of the handle noted on pObj, and
  // whether the left Ctrl key is down.
  void ShowHandleCursor(CKVObject* pObj);
  bool LeftCtrlDown();

 private:
  using CHit = CObjectHit;
  // How far a press may wander, in pixels, and still be a click rather than a drag.
  static constexpr std::int64_t kClickSlop = 3;
  static bool WithinClickSlop(CPoint a, CPoint b) {
    return std::abs(static_cast<std::int64_t>(a.x) - b.x) <= kClickSlop &&
           std::abs(static_cast<std::int64_t>(a.y) - b.y) <= kClickSlop;
  }
  // pEnd is the junction or formula pressed on, or a junction the press has just made.
  void StartBond(CKVObject* pEnd, bool bOnExisting);
  void FinishBondOn(CKVObject* pEnd);
  void FinishBondAtNew(CPoint pt);
  void EndMove();
  void TrackRubberBand(CPoint ptClient);
  void EndRubberBand();
  void ResizeFeedback(CPoint ptClient);
  void ResizeRelease();
  // The press, step by step: a handle starts a resize; the object under the press (inside
  // a group, the one inside it answers); the tool's cursor; a press on an object (false
  // when it attached a bond and nothing is created); creation with the tool.
  bool StartResizeAt(CPoint P);
  CHit PressedObject(CPoint P);
  void ShowPressCursor(int nKind, bool bCtrl);
  bool PressOnObject(CHit& hit, CPoint P, CPoint ptClient, unsigned nFlags, bool bCtrl);
  void CreateWithTool(int nKind, CPoint P, CPoint ptClient);
  void StartRubberBand(CPoint ptClient);
  void PlaceFormula(CPoint ptClient);
  // A new template group, ellipse or charge of a placing tool at P, in the list; or null.
  CKVObject* PlaceObjectOfTool(int nTool, CPoint P);
  // After an object was created: the select tool with the Draw bar's buttons released, or,
  // with Keep Tools, the tool that made it still chosen.
  void EndCreationTool(std::int32_t nToolUsed);
  bool KeepsTools() const;

  // ---- The drawing aids
  // Where the free end of the bond being placed goes for the pointer at P: P itself, or
  // with Standard Bonds (Shift not held, not over a junction or formula) the standard
  // length and angle from the bond's start.
  CPoint BondEndAt(CPoint P, unsigned nFlags);
  // The junction or formula at P (inside a group, the one inside it), or null.
  CKVObject* BondEndObjectAt(CPoint P);
  // The release of the press that started a bond: a drag places its end (Standard Bonds),
  // a click on a junction or formula adds a bond from it (Click Adds a Bond).
  void FinishBondOnRelease(unsigned nFlags, CPoint ptClient, CPoint P);
  void AddChainBond();
  // A ring template pressed on a junction or a bond (a template's too, which a press hits
  // as its group), built onto it (Fuse Rings); false when the press is on neither or the
  // tool places a ring system, which are placed as usual.
  bool FuseRing(const CHit& hit, CPoint P);

  CKvillView& m_view;
  std::int32_t m_nTool = TOOL_SELECT;
  std::int32_t m_nHandle = 0;
  std::int32_t m_bMoving = 0;
  std::int32_t m_bCopyMoving = 0;
  // Where the Ctrl-press that may start a copy drag was made, in client pixels.
  CPoint m_ptCopyPress;
  CKVObject* m_pCtrlToggle = nullptr;
  std::int32_t m_bResizing = 0;
  std::int32_t m_bRotating = 0;
  std::int32_t m_bRubberBand = 0;
  std::int32_t m_bSkipNextClick = 0;
  CPoint m_ptDragAnchor;
  CPoint m_ptDragLast;
  CRect m_rcDrag;
  CPoint m_ptLastMouse;
  std::int32_t m_bDragStart = 0;
  std::int32_t m_bRubberDone = 0;
  CRect m_rcDragOld;
  // The bond being placed until its second end is placed; not yet in the list.
  std::unique_ptr<CKVObject> m_pLiveBond;
  // The bond tool the bond being placed came from.
  std::int32_t m_nBondTool = TOOL_SELECT;
  // The last press started the bond being placed: where (client pixels), its key flags, and
  // whether it was on a junction or formula that was there before.
  std::int32_t m_bBondFromPress = 0;
  std::int32_t m_bBondPressOnEnd = 0;
  CPoint m_ptPressClient;
  unsigned m_nPressFlags = 0;
  // The next creation keeps its tool whatever Keep Tools says (a bond a click added).
  std::int32_t m_bKeepToolOnce = 0;
};
