#include "document/CKvillSrvrItem.h"

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "view/CKvillView.h"

CKvillSrvrItem::CKvillSrvrItem(CKvillDoc* pDoc) : m_pDocument(pDoc) {
  if (pDoc != nullptr) pDoc->m_pItem = this;
  if (CKvillView* pView = CKvillView::GetView()) {
    pView->m_pServerItem = this;
    m_bEmbedded = pView->m_bEmbedded;
    m_bKillArmed = pView->m_bKillArmed;
  }
}

CKvillSrvrItem::~CKvillSrvrItem() {
  // Nobody may reach a deleted item through the document or the view.
  if (m_pDocument != nullptr && m_pDocument->m_pItem == this) m_pDocument->m_pItem = nullptr;
  CKvillView* pView = CKvillView::GetView();
  if (pView != nullptr && pView->m_pServerItem == this) pView->m_pServerItem = nullptr;
}

bool CKvillSrvrItem::OnGetExtent(int nAspect, CSize* pSize) {
  CKvillView* pView = CKvillView::GetView();
  if (nAspect != DVASPECT_CONTENT || pView == nullptr) {
    *pSize = CSize{};
    return false;
  }
  *pSize = pView->GetPictureExtent();
  return true;
}

bool CKvillSrvrItem::OnDraw(CDC* pDC, CSize* pSize) {
  CKvillView* pView = CKvillView::GetView();
  if (pView == nullptr) return false;
  *pSize = pView->DrawPicture(pDC);
  return true;
}

void CKvillSrvrItem::OnShow() {
  if (CKvillView* pView = CKvillView::GetView()) pView->m_bKillArmed = 0;
}
