#include "view/CHeadlessViewHost.h"

int CHeadlessViewHost::GetPixelsPerInchX() {
  return m_pReference != nullptr ? m_pReference->GetDeviceCaps(LOGPIXELSX) : 96;
}

int CHeadlessViewHost::GetPixelsPerInchY() {
  return m_pReference != nullptr ? m_pReference->GetDeviceCaps(LOGPIXELSY) : 96;
}

int CHeadlessViewHost::MessageBox(const std::string&, const std::string&, unsigned nFlags, bool) {
  const unsigned nButtons = nFlags & 0xF;
  // Nobody can answer: the careful answer keeps the drawing as it is.
  if (nButtons == MB_YESNO) return IDNO;
  if (nButtons == MB_YESNOCANCEL) return IDCANCEL;
  return IDOK;
}
