// The formula's record of the native stream: the common part, then the markup bytes with
// their length. It lives with the formula so that the objects' records need nothing of it.

#include <cstdint>
#include <string>
#include <utility>

#include "formula/CFormula.h"
#include "objects/CArchive.h"

void CFormula::Store(CArchive& ar, int nPass, IRecordDocument* pDoc) {
  if (nPass != 0) return;
  CKVObject::Store(ar, 0, pDoc);
  ar.WriteInt32(static_cast<std::int32_t>(m_strText.size()));
  ar.Write(m_strText.data(), m_strText.size());
}

void CFormula::Load(CArchive& ar, IRecordDocument* pDoc) {
  CKVObject::Load(ar, pDoc);
  std::int32_t n = 0;
  if (!ar.ReadInt32(n)) return;
  // A length the data cannot hold is a corrupt stream: the load ends as cut short, and
  // nothing is allocated for text that is not there.
  if (n < 0 || static_cast<std::uint64_t>(n) > ar.GetRemaining()) {
    ar.SetCutShort();
    return;
  }
  std::string strText(static_cast<std::size_t>(n), '\0');
  if (ar.Read(strText.data(), strText.size())) m_strText = std::move(strText);
}
