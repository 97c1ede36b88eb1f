#include "view/CFormulaSession.h"

#include "document/CKvillDoc.h"
#include "view/CKvillView.h"

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
  window.CreateSolidCaret(0, Trunc32(static_cast<double>(h) / m_view.m_dZoom));
  window.SetCaretPos(m_view.LogicalToDevice(ptTop, pDC));
  window.ShowCaret();
}
