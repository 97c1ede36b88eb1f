#pragma once

#include <string>
#include <string_view>

#include "objects/CKVObject.h"
#include "objects/ICaretSink.h"

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
  // centre point. A sink given prepares the surface first and, with bShow set, shows the
  // caret there; without one the surface is measured as it is.
  int LocateCaret(CDC* pDC, int bShow, int nPos, CPoint* pptOut, ICaretSink* pSink);

  int GetStoredSize() override { return 44 + static_cast<int>(m_strText.size()); }
  CFormula* AsFormula() override { return this; }
  bool MeetsBondsAtLetterFrame() const override { return true; }
  // The letter "C" measured at this formula's scale, and the middle of its first base
  // character: the stop after it and the stop before or after that, so that a bond meets
  // "CH3" at its "C".
  std::optional<CBondAttachment> GetBondAttachment(CDC* pDC) override;

  // --- Layout, caret and editing (defined in formula/) ---
  // Draws the text and recomputes the box from the pieces drawn.
  void Draw(CDC* pDC) override;
  // As MeasureString, and draws the string with its cell's top-left corner at (x, y).
  CSize PaintString(CDC* pDC, std::string_view str, const char* pszFace, int nSize, int x, int y);
  // Width of a run of ordinary text (escaped pairs and Greek letters resolved) and the line
  // height of its size; PaintRun also draws it with its top-left corner at (x, y).
  CSize MeasureRun(CDC* pDC, std::string_view run, int nSize);
  CSize PaintRun(CDC* pDC, std::string_view run, int nSize, int x, int y);
  // The stop kind of a position and, for a stop, the caret's top point and height.
  int CaretGeometry(CDC* pDC, int nPos, CPoint* pptTop, int* pnHeight);
  // Moves the caret to the stop nearest to pt (drawing units) and shows it there.
  void PlaceCaretAtPoint(CDC* pDC, CPoint pt, ICaretSink* pSink);
  // Editing at m_nCaret. A single '#', '<' or '>' is inserted doubled.
  void InsertText(std::string_view str);
  void DeleteRange(int nFrom, int nTo);
  // The caret moves and deletions measure on pDC through pSink and show the caret there.
  void DeleteForward(CDC* pDC, ICaretSink* pSink);
  void DeleteBackward(CDC* pDC, ICaretSink* pSink);
  void CaretLeft(CDC* pDC, ICaretSink* pSink);
  void CaretRight(CDC* pDC, ICaretSink* pSink);
  void CaretUp(CDC* pDC, ICaretSink* pSink);
  void CaretDown(CDC* pDC, ICaretSink* pSink);
  // Puts the caret back on a caret stop (the nearest one, the earlier on a tie) when the
  // text around it no longer offers one there; position 0 always does.
  void KeepCaretOnStop();
  // The palette insertions: an index template (1030 ... 1033, refused inside a slot) or a
  // Greek letter (1034 ... 1085). True when the text changed.
  bool InsertFromPalette(CDC* pDC, int nMessage, ICaretSink* pSink);

  // Stream records; defined in FormulaRecord.cpp.
  void Store(CArchive& ar, int nPass, IRecordDocument* pDoc) override;
  void Load(CArchive& ar, IRecordDocument* pDoc) override;

  std::string m_strText;
  std::int32_t m_nCaret = 0;
};
