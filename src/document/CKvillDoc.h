#pragma once

#include <cstdint>
#include <string>

#include "objects/CObList.h"

class CKvillSrvrItem;

// The single document: the owning, ordered list of top-level drawing objects (the drawing
// order) and the flags with which callers steer one store or load.
class CKvillDoc {
 public:
  CKvillDoc() = default;
  CKvillDoc(const CKvillDoc&) = delete;
  CKvillDoc& operator=(const CKvillDoc&) = delete;
  virtual ~CKvillDoc() = default;

  // Deletes every top-level object (a group deletes its descendants) and empties the list.
  void DeleteContents() { m_listObjects.clear(); }

  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }

  std::int32_t m_bSelectionOnly = 0;
  std::int32_t m_bRecordsHaveSelection = 0;
  std::int32_t m_bRenderingPicture = 0;
  std::int32_t m_bReplaceOnLoad = 1;
  std::int32_t m_bKeepViewOnLoad = 0;
  std::int32_t m_bQuietLoad = 1;
  std::int32_t m_bClearModifiedOnStore = 1;
  std::int32_t m_bJustSaved = 0;
  std::int32_t m_bStoringToFile = 1;
  CKvillSrvrItem* m_pItem = nullptr;
  std::int32_t m_bScanForHeader = 0;
  CObList m_listObjects;

  // ---- Flags that the view's mouse handlers and cursor feedback share; never stored ----
  std::int32_t m_nKindUnderMouse = 0;   // kind under the mouse as FindObjectAt found it
  std::int32_t m_bIBeamShown = 0;       // the view has set the I-beam or a tool cursor
  std::int32_t m_bCopyDrag = 0;         // a Ctrl-press on an object waits for its release
  std::int32_t m_bCursorOutside = 0;    // the pointer is outside the main window's inner area
  std::int32_t m_bFromMouseMove = 0;    // cursor feedback runs from a mouse move
  std::int32_t m_bHoverSuppressed = 1;  // a menu or modal dialog is open, or focus just came
  std::int32_t m_bDrawBarActive = 0;    // the Draw bar is handling the mouse or keyboard
  // ---- end of the view's flags ----

  std::string m_strTitle = "Untitled";
  std::string m_strPathName;

 private:
  bool m_bModified = false;
};
