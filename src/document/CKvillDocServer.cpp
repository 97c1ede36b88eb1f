// The document's part as the embedding server's document: new documents, the prompts
// before a drawing is discarded, and the server items handed to containers.

#include <algorithm>
#include <memory>

#include "document/CKvillDoc.h"
#include "document/CKvillSrvrItem.h"
#include "document/IDocClient.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"

namespace {

std::string Format(const std::string& strPattern, const std::string& strArg) {
  std::string out = strPattern;
  const std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, strArg);
  return out;
}

}  // namespace

bool CKvillDoc::OnNewDocument() {
  // The view lets go of the objects before they are deleted.
  if (m_pClient != nullptr) m_pClient->ResetForNewDocument();
  DeleteContents();
  m_strPathName.clear();
  m_strTitle = "Untitled";
  SetModifiedFlag(false);
  return true;
}

bool CKvillDoc::SaveModified() {
  IDocClient* pClient = m_pClient;
  if (m_pItem != nullptr && pClient != nullptr) {
    m_pItem->m_bEmbedded = pClient->IsEmbedded() ? 1 : 0;
    m_pItem->m_bKillArmed = pClient->IsKillArmed() ? 1 : 0;
  }
  if (pClient != nullptr && pClient->IsEmbedded()) {
    if (IsModified()) pClient->UpdateContainer();
    // The container keeps the embedded drawing; its items have just been brought up to
    // date, so nothing is lost by discarding it here.
    return true;
  }
  if (!IsModified() || pClient == nullptr) return true;

  const bool bEnglish = pClient->IsEnglish();
  const int nDiscard =
      pClient->MessageBox(bEnglish ? "Drawing has not been saved. Do you want to discard it?"
                                   : "Dokument nebyl uložen. Chcete ho zrušit?",
                          "Valendra", MB_ICONWARNING | MB_YESNO, true);
  if (nDiscard != IDYES) return false;

  const int nSave = pClient->MessageBox(
      Format(bEnglish ? "Save changes to %s?" : "Uložit změny do %s?", m_strTitle), "Valendra",
      MB_ICONWARNING | MB_YESNOCANCEL, true);
  if (nSave == IDNO) return true;
  if (nSave != IDYES) return false;

  if (m_strPathName.empty()) return pClient->DoFileSaveAs();
  // The file is written as Save writes it: beside the old one first, so that a failed
  // write leaves the old file whole and is reported. A drawing that could not be written
  // is kept rather than lost.
  return pClient->DoFileSave();
}

CKvillSrvrItem* CKvillDoc::OnGetEmbeddedItem() {
  if (m_pItem != nullptr) {
    if (IDocClient* pClient = m_pClient) {
      pClient->MessageBox("OnGetEmbeddedItem: pItemRoot != NULL", "Valendra", MB_ICONWARNING, true);
    }
    m_pEmbeddedItem = m_pItem;
    return m_pItem;
  }
  m_pEmbeddedItem = CreateServerItem();
  return m_pEmbeddedItem;
}

CKvillSrvrItem* CKvillDoc::OnGetLinkedItem(const std::string& strName) {
  for (const auto& p : m_listServerItems) {
    if (p->m_strItemName == strName) return p.get();
  }
  return CreateServerItem();
}

CKvillSrvrItem* CKvillDoc::CreateServerItem() {
  m_listServerItems.push_back(std::make_shared<CKvillSrvrItem>(this));
  return m_listServerItems.back().get();
}

void CKvillDoc::ReleaseServerItem(CKvillSrvrItem* pItem) {
  // The item leaves the list before it is destroyed, so that nothing its destructor sets
  // off finds it there.
  const auto it = std::find_if(m_listServerItems.begin(), m_listServerItems.end(),
                               [pItem](const auto& p) { return p.get() == pItem; });
  if (it == m_listServerItems.end()) return;
  const std::shared_ptr<CKvillSrvrItem> pGoing = std::move(*it);
  m_listServerItems.erase(it);
}

void CKvillDoc::ReleaseServerItems() {
  if (const IDocClient* pClient = m_pClient) {
    for (const auto& p : m_listServerItems) {
      p->m_bEmbedded = pClient->IsEmbedded() ? 1 : 0;
      p->m_bKillArmed = pClient->IsKillArmed() ? 1 : 0;
    }
  }
  while (!m_listServerItems.empty()) {
    // The newest first, the container's item (made at start-up) last.
    const std::shared_ptr<CKvillSrvrItem> pGoing = std::move(m_listServerItems.back());
    m_listServerItems.pop_back();
  }
}
