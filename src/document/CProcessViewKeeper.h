#pragma once

#include "document/IDocClient.h"
#include "objects/IViewLink.h"

// Gives the objects' link and the document's client back to the process's own view, if it
// has one, when a drawing of its own (read for a picture or for its molecules) has gone:
// meanwhile the objects and the document reach whatever view was made beside it, or none.
class CProcessViewKeeper {
 public:
  CProcessViewKeeper() : m_pLink(GetViewLink()), m_pClient(GetDocClient()) {}
  CProcessViewKeeper(const CProcessViewKeeper&) = delete;
  CProcessViewKeeper& operator=(const CProcessViewKeeper&) = delete;
  ~CProcessViewKeeper() {
    SetViewLink(m_pLink);
    SetDocClient(m_pClient);
  }

 private:
  IViewLink* m_pLink;
  IDocClient* m_pClient;
};
