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

  std::string m_strTitle = "Untitled";
  std::string m_strPathName;

 private:
  bool m_bModified = false;
};
