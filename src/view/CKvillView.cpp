#include "view/CKvillView.h"

CKvillView::CKvillView() { SetViewLink(this); }

CKvillView::~CKvillView() {
  if (GetViewLink() == this) SetViewLink(nullptr);
}

CKvillView* CKvillView::GetView() {
  // Only the view registers itself as the link, so the cast is exact.
  return static_cast<CKvillView*>(GetViewLink());
}

void CKvillView::ShowCaretAt(CDC*, CPoint ptTop, int nHeight) {
  m_ptCaretTop = ptTop;
  m_nCaretHeight = nHeight;
  ++m_nCaretRequests;
}
