#include "document/CKvillSrvrItem.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "document/CClipboardSource.h"
#include "document/CKvillDoc.h"
#include "document/IDocClient.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"

namespace {

using Bytes = CClipboardSource::Bytes;

// The item's stream written into pBlock, which it returns.
std::shared_ptr<const Bytes> WriteStream(CKvillSrvrItem& item, std::shared_ptr<Bytes> pBlock) {
  CArchive ar(pBlock.get());
  item.Serialize(ar);
  ar.Flush();
  return pBlock;
}

}  // namespace

CKvillSrvrItem::CKvillSrvrItem(CKvillDoc* pDoc) : m_pDocument(pDoc) {
  if (pDoc != nullptr) pDoc->m_pItem = this;
  if (IDocClient* pClient = Client()) {
    pClient->ServerItemCreated(this);
    m_bEmbedded = pClient->IsEmbedded() ? 1 : 0;
    m_bKillArmed = pClient->IsKillArmed() ? 1 : 0;
  }
}

CKvillSrvrItem::~CKvillSrvrItem() {
  // Nobody may reach a deleted item through the document or the view.
  if (m_pDocument != nullptr) {
    if (m_pDocument->m_pItem == this) m_pDocument->m_pItem = nullptr;
    if (m_pDocument->m_pEmbeddedItem == this) m_pDocument->m_pEmbeddedItem = nullptr;
  }
  IDocClient* pClient = Client();
  if (pClient == nullptr) return;
  pClient->ServerItemDestroyed(this);
  // A server that a container started and that was never shown on its own ends here: a
  // new instance, told by the kill record, makes sure the process does not linger.
  if (m_bEmbedded && m_bKillArmed) pClient->RunKillProtocol();
}

IDocClient* CKvillSrvrItem::Client() const {
  return m_pDocument != nullptr ? m_pDocument->GetClient() : nullptr;
}

bool CKvillSrvrItem::Serialize(CArchive& ar) { return Serialize(ar, CSerializeOptions{}); }

bool CKvillSrvrItem::Serialize(CArchive& ar, const CSerializeOptions& options) {
  if (m_pDocument == nullptr) return false;
  CSerializeOptions forItem = options;
  forItem.bStoringToFile = false;
  return m_pDocument->Serialize(ar, forItem);
}

bool CKvillSrvrItem::OnGetExtent(int nAspect, CSize* pSize) {
  IDocClient* pClient = Client();
  if (nAspect != DVASPECT_CONTENT || pClient == nullptr) {
    *pSize = CSize{};
    return false;
  }
  *pSize = pClient->GetPictureExtent();
  return true;
}

bool CKvillSrvrItem::OnDraw(CDC* pDC, CSize* pSize) {
  IDocClient* pClient = Client();
  if (pClient == nullptr) return false;
  *pSize = pClient->DrawPicture(pDC);
  return true;
}

std::unique_ptr<CClipboardSource> CKvillSrvrItem::OnGetClipboardData(bool, const CPoint*,
                                                                     const CSize*) {
  if (m_pDocument == nullptr) return nullptr;
  auto pSource = std::make_unique<CClipboardSource>();
  CacheNativeData(pSource.get());
  GetClipboardData(pSource.get());
  return pSource;
}

void CKvillSrvrItem::CacheNativeData(CClipboardSource* pSource) {
  if (m_pDocument == nullptr || pSource == nullptr) return;
  try {
    // The estimate sizes the block so that the stream normally needs no reallocation.
    pSource->CacheNative(WriteStream(*this, NewNativeBlock(m_pDocument->EstimateNativeSize())));
  } catch (const std::bad_alloc&) {
    if (IDocClient* pClient = Client()) pClient->ShowMemoryError();
  } catch (const std::length_error&) {
    if (IDocClient* pClient = Client()) pClient->ShowMemoryError();
  }
}

std::shared_ptr<CClipboardSource::Bytes> CKvillSrvrItem::NewNativeBlock(std::int64_t nBytes) {
  auto pBlock = std::make_shared<Bytes>();
  if (nBytes > 0) pBlock->reserve(static_cast<std::size_t>(nBytes));
  return pBlock;
}

void CKvillSrvrItem::GetClipboardData(CClipboardSource* pSource) {
  if (pSource->HasNative()) {
    pSource->OfferPicture(pSource->Native());
    return;
  }
  // Without the native stream (its estimated block could not be had), the picture still
  // gets a stream of its own, grown as it is written.
  try {
    pSource->OfferPicture(WriteStream(*this, std::make_shared<Bytes>()));
  } catch (const std::bad_alloc&) {
    // Nothing to draw a picture from: the copy offers nothing.
  }
}

void CKvillSrvrItem::OnShow() {
  if (IDocClient* pClient = Client()) pClient->DisarmKill();
}
