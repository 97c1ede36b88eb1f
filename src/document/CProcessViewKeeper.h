#pragma once

#include "objects/IViewLink.h"

// Gives the objects' link back to the process's own view, if it has one, when a drawing of
// its own (read for a picture or for its molecules) has gone: meanwhile the objects reach
// whatever view was made beside it, or none.
class CProcessViewKeeper {
 public:
  CProcessViewKeeper() : m_pLink(GetViewLink()) {}
  CProcessViewKeeper(const CProcessViewKeeper&) = delete;
  CProcessViewKeeper& operator=(const CProcessViewKeeper&) = delete;
  ~CProcessViewKeeper() { SetViewLink(m_pLink); }

 private:
  IViewLink* m_pLink;
};
