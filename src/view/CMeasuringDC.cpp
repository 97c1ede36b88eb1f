#include "view/CMeasuringDC.h"

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
