#pragma once

#include <cstdint>
#include <optional>

#include "objects/Geometry.h"
#include "view/PaintIndex.h"

class CKVObject;
class CKvillView;

// What a hit test found: the kind the object's HitTest returned (0 for nothing) and the
// object.
struct CObjectHit {
  int nKind = 0;
  CKVObject* pObj = nullptr;
};

// The cursor the pointer shows over the drawing. The cursor timer runs every 10 ms and a
// mouse move runs it at once; both read the tool and the gesture under way from the view
// that owns this, and what the mouse handlers, menus, dialogs and the Draw bar noted here.
//
// At rest: when nothing the run reads has changed since its last full run (pointer, keys,
// tool, edit state, the drawing), its answer cannot change either, and it stops before
// looking at any object. The drawing's serial counts every change that may move an object;
// a hit test for the cursor finds its candidates in a grid of where each object can be hit,
// rebuilt when the serial moves on.
class CCursorFeedback {
 public:
  explicit CCursorFeedback(CKvillView& view) : m_view(view) {}
  CCursorFeedback(const CCursorFeedback&) = delete;
  CCursorFeedback& operator=(const CCursorFeedback&) = delete;

  // Sets the cursor for what the pointer is over now.
  void Update();
  // The hit test and the handle test of the pointer's place (drawing units), through the
  // grid once it pays; the same answers as the view's full searches.
  CObjectHit FindObject(CPoint pt);
  CKVObject* FindHandle(CPoint pt);
  // Something may have moved an object: what the grid and the last run knew is stale.
  void NoteDrawingChanged() { ++m_nDrawingSerial; }
  // The pointer moved: the run after it looks again even where it stands still now.
  void NoteMouseMove() { ++m_nMouseMoves; }
  // The full runs since the view was made (tests and benchmarks).
  std::uint64_t Runs() const { return m_nRuns; }

  // What the mouse handlers, menus, dialogs and the Draw bar note for the runs.
  std::int32_t m_nKindUnderMouse = 0;   // kind under the mouse as the last hit test found it
  std::int32_t m_bIBeamShown = 0;       // the I-beam or a tool's cursor was set
  std::int32_t m_bBondCursor = 0;       // a bond or placing tool's cursor was set
  std::int32_t m_bCopyDrag = 0;         // a Ctrl-press on an object waits for its release
  std::int32_t m_bCursorOutside = 0;    // the pointer is outside the main window's inner area
  std::int32_t m_bFromMouseMove = 0;    // the run comes from a mouse move
  std::int32_t m_bHoverSuppressed = 1;  // a menu or modal dialog is open, or focus just came
  std::int32_t m_bDrawBarActive = 0;    // the Draw bar is handling the mouse or keyboard

 private:
  // Everything a run reads; equal inputs give the same cursor.
  struct CInputs {
    CPoint ptScreen, ptClient;
    double dZoom = 0.0;
    std::int32_t nScrollX = 0, nScrollY = 0, nTool = 0, nEditState = 0, nSelCount = 0;
    std::int32_t bResizing = 0, bRotating = 0, bRubberBand = 0, bBondCursor = 0, bIBeam = 0;
    const CKVObject* pCurrent = nullptr;
    bool bCtrl = false;
    int nDpiX = 0, nDpiY = 0;
    std::uint64_t nDrawing = 0, nMoves = 0;
    bool operator==(const CInputs&) const = default;
  };
  CInputs Inputs(CPoint ptScreen, bool bCtrl) const;
  // Whether a screen point lies in the window's inner area, where the feedback runs: the
  // main window less its borders and bars, or in place the view window itself.
  bool IsInInnerArea(CPoint ptScreen) const;
  // The cursor of a gesture or tool that decides it before any hit test; true if it did.
  bool ShowGestureCursor(bool bFromMove);
  // The cursor over what the pointer is over when nothing else decides it: the copy
  // cursor for a Ctrl-drag of an object, else the arrow of the select tool.
  void ShowSelectCursor(const CObjectHit& hit, bool bCtrl);
  // Brings the grid up to date if that is worth it now (and bMayBuild allows it); false
  // when the caller must search in full.
  bool BuildHitIndex(bool bMayBuild);

  CKvillView& m_view;
  std::uint64_t m_nDrawingSerial = 1;
  std::uint64_t m_nMouseMoves = 0;
  std::uint64_t m_nHitIndexSerial = 0;
  std::uint64_t m_nHitLookSerial = 0;
  CPaintIndex m_hitIndex;
  std::optional<CInputs> m_lastInputs;
  std::uint64_t m_nRuns = 0;
};
