#include "document/CKvillSrvrItem.h"

#include "document/CKvillDoc.h"
#include "document/IDocClient.h"
#include "objects/CKVObject.h"

CKvillSrvrItem::CKvillSrvrItem(CKvillDoc* pDoc) : m_pDocument(pDoc) {
  if (pDoc != nullptr) pDoc->m_pItem = this;
  if (IDocClient* pClient = GetDocClient()) {
    pClient->ServerItemCreated(this);
    m_bEmbedded = pClient->IsEmbedded() ? 1 : 0;
    m_bKillArmed = pClient->IsKillArmed() ? 1 : 0;
  }
}

CKvillSrvrItem::~CKvillSrvrItem() {
  // Nobody may reach a deleted item through the document or the view.
  if (m_pDocument != nullptr && m_pDocument->m_pItem == this) m_pDocument->m_pItem = nullptr;
  if (IDocClient* pClient = GetDocClient()) pClient->ServerItemDestroyed(this);
}

bool CKvillSrvrItem::OnGetExtent(int nAspect, CSize* pSize) {
  IDocClient* pClient = GetDocClient();
  if (nAspect != DVASPECT_CONTENT || pClient == nullptr) {
    *pSize = CSize{};
    return false;
  }
  *pSize = pClient->GetPictureExtent();
  return true;
}

bool CKvillSrvrItem::OnDraw(CDC* pDC, CSize* pSize) {
  IDocClient* pClient = GetDocClient();
  if (pClient == nullptr) return false;
  *pSize = pClient->DrawPicture(pDC);
  return true;
}

void CKvillSrvrItem::OnShow() {
  if (IDocClient* pClient = GetDocClient()) pClient->DisarmKill();
}
