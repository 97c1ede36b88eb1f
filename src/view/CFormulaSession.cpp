#include "view/CFormulaSession.h"

#include <memory>
#include <string>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"

CFormula* CFormulaSession::EditedFormula() const {
  CKVObject* pCurrent = m_view.Current();
  if (m_view.EditState() != 1 || pCurrent == nullptr || pCurrent->GetKind() != KIND_FORMULA) {
    return nullptr;
  }
  return static_cast<CFormula*>(pCurrent);
}

// ---------------------------------------------------------------------------------------
// Starting and ending an edit

void CFormulaSession::Begin() {
  CKvillView& v = m_view;
  v.Unsettle();
  if (v.Current() == nullptr || v.Current()->GetKind() != KIND_FORMULA) return;
  auto* pFormula = static_cast<CFormula*>(v.Current());
  v.DeselectAll();
  pFormula->m_nCaret = static_cast<std::int32_t>(pFormula->m_strText.size());
  if (const std::unique_ptr<CDC> pDC = v.GetWindowSurface()) {
    CPoint pt;
    pFormula->LocateCaret(pDC.get(), 1, pFormula->m_nCaret, &pt, this);
  }
  v.SetEditState(1);
  pFormula->m_bSelected = 1;
  pFormula->MarkChanged();
  v.SetSelCount(1);
  v.m_bPendingModified = 0;
  v.UpdateView();
}

void CFormulaSession::End() {
  CKvillView& v = m_view;
  v.Unsettle();
  FinishLabel();
  v.Window().HideCaret();
  v.SetCurrent(nullptr);
  // A tool kept after creating is given up here (Esc): its Draw bar button goes up too.
  if (v.Settings().m_aids.m_bKeepTools && v.Mouse().Tool() != TOOL_SELECT)
    v.Frame().ReleaseDrawBarButtons();
  v.Mouse().SetTool(TOOL_SELECT);
  v.SetEditState(0);
  v.Cursor().m_bBondCursor = 0;
  v.Cursor().m_bIBeamShown = 0;
  v.Cursor().m_bDrawBarActive = 0;
  v.DeselectAll();
  if (v.m_bRedrawOnEndEdit) v.UpdateView();
  v.m_bRedrawOnEndEdit = 1;
}

// ---------------------------------------------------------------------------------------
// Typing and keys

void CFormulaSession::Type(int nChar) {
  CKvillView& v = m_view;
  v.Unsettle();
  const std::unique_ptr<CDC> pDC = v.GetWindowSurface();
  v.m_bPendingModified = 0;
  CFormula* pFormula = EditedFormula();
  const bool bSkipped = TakeSkippedChar();
  if (!bSkipped && pFormula == nullptr && pDC != nullptr &&
      StartLabelOverJunction(pDC.get(), nChar))
    pFormula = EditedFormula();
  if (!bSkipped && pFormula != nullptr && pFormula == m_label.pFormula &&
      (nChar == '\r' || nChar == '\n')) {
    // Return ends a label as Esc does.
    v.Window().PostMessage(msg::kEndEdit, 0, 0);
  } else if (!bSkipped && pFormula != nullptr && pDC != nullptr) {
    if (nChar < 0 || nChar > 255) {
      // The formula's bytes are read in the interface's code page; a character outside
      // it would be stored as some other character, so it is refused.
      v.Window().MessageBeep();
    } else {
      InsertTyped(*pFormula, static_cast<char>(nChar));
      CPoint pt;
      pFormula->LocateCaret(pDC.get(), 1, pFormula->m_nCaret, &pt, this);
      if (pFormula == m_label.pFormula && !m_label.bCentred) CentreLabelOnJunction(pDC.get());
      v.m_bPendingModified = 1;
      v.UpdateView();
      v.PushSnapshot();
    }
  }
  if (v.m_bPendingModified && v.GetDocument() != nullptr) v.GetDocument()->SetModifiedFlag();
}

void CFormulaSession::KeyDown(int nVirtualKey) {
  CKvillView& v = m_view;
  v.Unsettle();
  const std::unique_ptr<CDC> pDC = v.GetWindowSurface();
  if (nVirtualKey == VK_ESCAPE) v.Window().PostMessage(msg::kEndEdit, 0, 0);
  CFormula* pFormula = EditedFormula();
  if (pFormula != nullptr && pDC != nullptr &&
      (nVirtualKey == VK_BACK || nVirtualKey == VK_DELETE)) {
    if (nVirtualKey == VK_BACK) {
      pFormula->DeleteBackward(pDC.get(), this);
      // The keyboard follows Backspace with a character message that must insert nothing.
      SkipNextChar();
    } else {
      pFormula->DeleteForward(pDC.get(), this);
    }
    v.m_bPendingModified = 1;
    v.UpdateView();
    v.PushSnapshot();
  }
  if (v.m_bPendingModified && v.GetDocument() != nullptr) v.GetDocument()->SetModifiedFlag();
}

void CFormulaSession::InsertFromPalette(int nMessage) {
  CKvillView& v = m_view;
  v.Unsettle();
  CFormula* pFormula = EditedFormula();
  if (pFormula != nullptr) {
    const std::unique_ptr<CDC> pDC = v.GetWindowSurface();
    if (pDC != nullptr && pFormula->InsertFromPalette(pDC.get(), nMessage, this)) {
      v.m_bPendingModified = 1;
      v.UpdateView();
      // A template waits for its contents: the next recorded change includes it.
      if (nMessage > msg::kInsertLeftIndices) v.PushSnapshot();
    }
  }
  v.Frame().ReleaseDrawBarButtons();
}

// ---------------------------------------------------------------------------------------
// The caret

bool CFormulaSession::IsRenderingPicture() const {
  const CKvillDoc* pDoc = m_view.GetDocument();
  return pDoc != nullptr && pDoc->m_bRenderingPicture != 0;
}

void CFormulaSession::PrepareSurface(CDC* pDC) {
  if (!IsRenderingPicture()) m_view.OnPrepareDC(pDC);
}

void CFormulaSession::ShowCaretAt(CDC* pDC, CPoint ptTop, int nHeight) {
  if (IsRenderingPicture()) return;
  m_ptCaretTop = ptTop;
  m_nCaretHeight = nHeight;
  ++m_nCaretRequests;
  IViewWindow& window = m_view.Window();
  const int dpiY = pDC != nullptr ? pDC->GetDeviceCaps(LOGPIXELSY) : window.GetPixelsPerInchY();
  const std::int64_t h = static_cast<std::int64_t>(nHeight) * dpiY / 1440;
  window.CreateSolidCaret(0, Trunc32(static_cast<double>(h) / m_view.Viewport().Zoom()));
  window.SetCaretPos(m_view.LogicalToDevice(ptTop, pDC));
  window.ShowCaret();
}
