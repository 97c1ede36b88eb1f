#pragma once

#include <string>
#include <string_view>

#include "objects/CKVObject.h"

// The kind of a caret position in formula text.
enum CaretStop : int { NoStop = 0, BaseStop = 1, IndexStop = 2 };

// A formula: a byte string of markup (indices, Greek letters) drawn with its anchor at the
// top-left corner of its first text cell. Layout, drawing and editing live in formula/.
class CFormula : public CKVObject {
 public:
  CFormula() : CKVObject(KIND_FORMULA) {
    m_rcBounds = CRect{0, 100, 100, 0};
    m_ptAnchor = CPoint{100, 0};
  }

  // Extent of one string in face "Arial" or "Symbol" at size nSize (8 base, 6 index) for
  // this formula's scale. Bonds measure their reference letter with it.
  CSize MeasureString(CDC* pDC, std::string_view str, const char* pszFace, int nSize);
  // The caret-stop kind of text position nPos; for a stop, *pptOut gets the caret's
  // centre point. With bShow set the view is asked to show the caret there.
  int LocateCaret(CDC* pDC, int bShow, int nPos, CPoint* pptOut);

  int GetStoredSize() override { return 44 + static_cast<int>(m_strText.size()); }

  std::string m_strText;
  std::int32_t m_nCaret = 0;
};
