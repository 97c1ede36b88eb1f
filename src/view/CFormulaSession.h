#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "objects/CDC.h"
#include "objects/Geometry.h"
#include "objects/ICaretSink.h"

class CFormula;
class CGroup;
class CKVObject;
class CKvillView;

// Typing in a formula on the window: the edit's start and end, the characters, keys and
// palette insertions typed (each change one undo step), the caret the formula's editing
// calls locate, shown through the view's window at its zoom and scroll, and what the typing
// remembers between keys. While the document draws its embedding picture the surface has
// the picture's mapping, so it is neither remapped nor is a caret shown.
class CFormulaSession : public ICaretSink {
 public:
  // Out of line: a label's junction is destroyed where objects are complete.
  explicit CFormulaSession(CKvillView& view);
  ~CFormulaSession() override;
  CFormulaSession(const CFormulaSession&) = delete;
  CFormulaSession& operator=(const CFormulaSession&) = delete;

  // The formula being typed in (the current object while the edit state is 1), if any.
  CFormula* EditedFormula() const;
  // The edit-formula command: the current formula is edited from its end, alone selected.
  void Begin();
  // The end-of-edit message: the edit, the tool and the selection end.
  void End();
  // A byte of the typing code page goes in at the caret; any other value is a character
  // that code page cannot hold and is refused with a beep.
  void Type(int nChar);
  // Backspace and Delete delete at the caret; Escape ends the edit (by a message).
  void KeyDown(int nVirtualKey);
  // An index template or a Greek letter of the palettes goes in at the caret.
  void InsertFromPalette(int nMessage);

  // A label typed over a junction (Type Labels on Atoms) is one undo step, settled when it
  // ends: by Esc or Return, before the history moves, before the next label, and when
  // another change is recorded after a click left it. Left empty, it gives the junction
  // back and leaves no step.
  bool IsTypingLabel() const { return m_label.pFormula != nullptr; }
  // A label whose formula is no longer the one typed in (a click ended it, not Esc).
  bool IsLabelLeft() const { return IsTypingLabel() && EditedFormula() != m_label.pFormula; }
  void FinishLabel();
  // The document is about to drop its objects: the label's formula with them.
  void ForgetLabel();

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
  // With the select tool and the pointer over a junction, a letter typed replaces the
  // junction by a formula there, edited; false when that is not so.
  bool StartLabelOverJunction(CDC* pDC, int nChar);
  // Puts the label's first letter where the junction was.
  void CentreLabelOnJunction(CDC* pDC);
  // The byte typed into the formula, with the indices the label aid makes.
  void InsertTyped(CFormula& formula, char c);

  // The label being typed over a junction: its formula, the junction taken out of the
  // drawing (kept until the label ends) and the history's length before the label.
  struct CLabel {
    CFormula* pFormula = nullptr;
    std::unique_ptr<CKVObject> pJunction;
    std::size_t nHistory = 0;
    bool bCentred = false;
  };
  CLabel m_label;

  CKvillView& m_view;
  CPoint m_ptCaretTop;
  std::int32_t m_nCaretHeight = 0;
  std::int32_t m_nCaretRequests = 0;
  bool m_bSkipNextChar = false;
};
