#include "view/CMeasuringDC.h"

#include <algorithm>

#include "objects/CRecordingDC.h"

int CMeasuringDC::GetDeviceCaps(int nIndex) const {
  if (m_pReference != nullptr) return m_pReference->GetDeviceCaps(nIndex);
  return CDC::GetDeviceCaps(nIndex);
}

CSize CMeasuringDC::DoTextExtent(std::string_view text) {
  if (m_pReference == nullptr) return CRecordingDC::FixedExtent(GetCurrentFont(), text.size());
  CSelectGuard<CFont> font(m_pReference, GetCurrentFont());
  return m_pReference->GetTextExtent(text);
}

CMeasuringSurfaces::~CMeasuringSurfaces() = default;

CDC* CMeasuringSurfaces::GetDC() {
  m_surfaces.push_back(std::make_unique<CMeasuringDC>(m_pReference));
  return m_surfaces.back().get();
}

CDC* CMeasuringSurfaces::CreateMemoryDC(CDC* pCompatible, int, int) {
  m_surfaces.push_back(std::make_unique<CMeasuringDC>(pCompatible));
  return m_surfaces.back().get();
}

void CMeasuringSurfaces::Free(CDC* pDC) {
  const auto it = std::find_if(m_surfaces.begin(), m_surfaces.end(),
                               [pDC](const std::unique_ptr<CDC>& p) { return p.get() == pDC; });
  if (it != m_surfaces.end()) m_surfaces.erase(it);
}
