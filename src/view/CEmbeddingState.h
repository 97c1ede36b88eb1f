#pragma once

class CKvillSrvrItem;

// What the editor knows of the container it serves when it was started to edit an
// embedded drawing: whether it was, whether the kill protocol is still armed (a server
// that ends while nobody shows its drawing starts the next instance's cleanup), whether
// the container has been told of the drawing as it is now, and the server item made for
// the container. The view owns it and answers its document's questions from it.
class CEmbeddingState {
 public:
  bool IsEmbedded() const { return m_bEmbedded; }
  void SetEmbedded(bool bEmbedded) { m_bEmbedded = bEmbedded; }

  // Armed from the start; disarmed for good by a use of the drawing that is not the end
  // of a server nobody shows (editing in place, a clipboard item's going).
  bool IsKillArmed() const { return m_bKillArmed; }
  void SetKillArmed(bool bArmed) { m_bKillArmed = bArmed; }

  bool IsContainerUpdated() const { return m_bContainerUpdated; }
  void SetContainerUpdated(bool bUpdated) { m_bContainerUpdated = bUpdated; }

  // A fresh embedding: embedded, the container not yet updated once, the protocol armed
  // (its picture reports a larger size).
  bool IsFresh() const { return !m_bContainerUpdated && m_bKillArmed && m_bEmbedded; }

  CKvillSrvrItem* ServerItem() const { return m_pServerItem; }
  void SetServerItem(CKvillSrvrItem* pItem) { m_pServerItem = pItem; }
  // The item goes: forgotten if it is the one kept.
  void ForgetServerItem(const CKvillSrvrItem* pItem) {
    if (m_pServerItem == pItem) m_pServerItem = nullptr;
  }

 private:
  bool m_bEmbedded = false;
  bool m_bKillArmed = true;
  bool m_bContainerUpdated = false;
  CKvillSrvrItem* m_pServerItem = nullptr;
};
