#include "view/CHeadlessViewHost.h"

#include <algorithm>

#include "view/CMeasuringDC.h"

int CHeadlessViewHost::GetPixelsPerInchX() {
  return m_pReference != nullptr ? m_pReference->GetDeviceCaps(LOGPIXELSX) : 96;
}

int CHeadlessViewHost::GetPixelsPerInchY() {
  return m_pReference != nullptr ? m_pReference->GetDeviceCaps(LOGPIXELSY) : 96;
}

CDC* CHeadlessViewHost::GetDC() {
  m_surfaces.push_back(std::make_unique<CMeasuringDC>(m_pReference));
  return m_surfaces.back().get();
}

CDC* CHeadlessViewHost::CreateMemoryDC(CDC* pCompatible, int, int) {
  // Nothing is shown, so no bitmap is allocated, however large the drawing.
  m_surfaces.push_back(std::make_unique<CMeasuringDC>(pCompatible));
  return m_surfaces.back().get();
}

int CHeadlessViewHost::MessageBox(const std::string&, const std::string&, unsigned nFlags, bool) {
  const unsigned nButtons = nFlags & 0xF;
  // Nobody can answer: the careful answer keeps the drawing as it is.
  if (nButtons == MB_YESNO) return IDNO;
  if (nButtons == MB_YESNOCANCEL) return IDCANCEL;
  return IDOK;
}

void CHeadlessViewHost::Free(CDC* pDC) {
  const auto it = std::find_if(m_surfaces.begin(), m_surfaces.end(),
                               [pDC](const std::unique_ptr<CDC>& p) { return p.get() == pDC; });
  if (it != m_surfaces.end()) m_surfaces.erase(it);
}
