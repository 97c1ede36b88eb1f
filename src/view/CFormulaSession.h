#pragma once

#include <cstdint>

#include "objects/CDC.h"
#include "objects/Geometry.h"
#include "objects/ICaretSink.h"

class CKvillView;

// Typing in a formula on the window: the caret the formula's editing calls locate, shown
// through the view's window at its zoom and scroll, and what the typing remembers between
// keys. While the document draws its embedding picture the surface has the picture's
// mapping, so it is neither remapped nor is a caret shown.
class CFormulaSession : public ICaretSink {
 public:
  explicit CFormulaSession(CKvillView& view) : m_view(view) {}
  CFormulaSession(const CFormulaSession&) = delete;
  CFormulaSession& operator=(const CFormulaSession&) = delete;

  void PrepareSurface(CDC* pDC) override;
  // The formula's request to show the caret: a bar nHeight drawing units high whose top is
  // at ptTop. The request is kept (for tests and the window) and the caret shown.
  void ShowCaretAt(CDC* pDC, CPoint ptTop, int nHeight) override;

  // The last caret shown: its top and height in drawing units, and how many were shown.
  CPoint CaretTop() const { return m_ptCaretTop; }
  std::int32_t CaretHeight() const { return m_nCaretHeight; }
  std::int32_t CaretRequests() const { return m_nCaretRequests; }

  // Backspace is followed by a character message that must insert nothing.
  void SkipNextChar() { m_bSkipNextChar = true; }
  bool IsNextCharSkipped() const { return m_bSkipNextChar; }
  // Whether the character now typed is that one; the next one is not.
  bool TakeSkippedChar() {
    const bool b = m_bSkipNextChar;
    m_bSkipNextChar = false;
    return b;
  }

 private:
  bool IsRenderingPicture() const;

  CKvillView& m_view;
  CPoint m_ptCaretTop;
  std::int32_t m_nCaretHeight = 0;
  std::int32_t m_nCaretRequests = 0;
  bool m_bSkipNextChar = false;
};
