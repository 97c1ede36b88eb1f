// The records of the native stream, one per class: Store and Load of every object kind
// defined here (the formula, drawn by the layer above, keeps its record with it).

#include "objects/ObjectRecords.h"

#include <utility>
#include <vector>

#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/GroupWalk.h"

namespace {

void WriteRect(CArchive& ar, const CRect& rc) {
  ar.WriteInt32(rc.left);
  ar.WriteInt32(rc.top);
  ar.WriteInt32(rc.right);
  ar.WriteInt32(rc.bottom);
}

void WritePoint(CArchive& ar, CPoint pt) {
  ar.WriteInt32(pt.x);
  ar.WriteInt32(pt.y);
}

// Fields whose bytes are missing keep what they held.
void ReadRect(CArchive& ar, CRect& rc) {
  ar.ReadInt32(rc.left);
  ar.ReadInt32(rc.top);
  ar.ReadInt32(rc.right);
  ar.ReadInt32(rc.bottom);
}

void ReadPoint(CArchive& ar, CPoint& pt) {
  ar.ReadInt32(pt.x);
  ar.ReadInt32(pt.y);
}

bool IsPasting(const IRecordDocument* pDoc) { return pDoc && pDoc->IsPastingRecords(); }

// Clears the selection flag of every descendant of a group the group loader has just read.
void ClearLoadedDescendantSelection(CGroup& root) {
  WalkGroup(root, [](std::unique_ptr<CKVObject>& slot, CGroup&) {
    slot->m_bSelected = 0;
    return WalkStep::Enter;
  });
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The common part

void CKVObject::Store(CArchive& ar, int nPass, IRecordDocument* pDoc) {
  if (nPass != 0) return;
  if (pDoc != nullptr) pDoc->NoteStoredRecord(*this);
  // The writer always writes the current family; the colour follows the same rule the
  // reader applies, so every record written reads back with the same length.
  ar.WriteInt32(m_nKind);
  ar.WriteInt32(m_bSelected);
  ar.WriteDouble(m_dScale);
  WriteRect(ar, m_rcBounds);
  WritePoint(ar, m_ptAnchor);
  if (m_nKind > 5) ar.WriteUInt32(m_crColor);
}

void CKVObject::Load(CArchive& ar, IRecordDocument* pDoc) {
  if (pDoc != nullptr) pDoc->NoteReadRecord(*this);
  if (!pDoc || pDoc->RecordsHaveSelection()) ar.ReadInt32(m_bSelected);
  ar.ReadDouble(m_dScale);
  ReadRect(ar, m_rcBounds);
  ReadPoint(ar, m_ptAnchor);
  // An ellipse is anchored at its top-left corner whatever was stored.
  if (m_nKind == 5 || m_nKind == KIND_ELLIPSE) m_ptAnchor = CPoint{m_rcBounds.left, m_rcBounds.top};
  if (m_nKind > 5) {
    ar.ReadUInt32(m_crColor);
    return;
  }
  // Older codes carry no colour and become the current ones; a bond upgrades its own.
  switch (m_nKind) {
    case 1:
      m_nKind = KIND_FORMULA;
      break;
    case 3:
      m_nKind = KIND_DOT;
      break;
    case 4:
      m_nKind = KIND_GROUP;
      break;
    case 5:
      m_nKind = KIND_ELLIPSE;
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------
// Charges

void CPlusC::Store(CArchive& ar, int nPass, IRecordDocument* pDoc) {
  if (nPass != 0) return;
  CKVObject::Store(ar, 0, pDoc);
  ar.WriteDouble(m_dThickness);
}

void CPlusC::Load(CArchive& ar, IRecordDocument* pDoc) {
  CKVObject::Load(ar, pDoc);
  ar.ReadDouble(m_dThickness);
}

void CMinusC::Store(CArchive& ar, int nPass, IRecordDocument* pDoc) {
  if (nPass != 0) return;
  CKVObject::Store(ar, 0, pDoc);
  ar.WriteDouble(m_dThickness);
}

void CMinusC::Load(CArchive& ar, IRecordDocument* pDoc) {
  CKVObject::Load(ar, pDoc);
  ar.ReadDouble(m_dThickness);
}

// ---------------------------------------------------------------------------------------
// Bonds

void CCoupling::Store(CArchive& ar, int nPass, IRecordDocument* pDoc) {
  // Bonds come after every other object of their list.
  if (nPass != 1) return;
  CKVObject::Store(ar, 0, pDoc);
  ar.WriteInt32(m_nReserved1);
  ar.WriteInt32(m_nReserved2);
  ar.WriteInt32(m_nSide);
  WritePoint(ar, m_ptA);
  WritePoint(ar, m_ptB);
  ar.WriteInt32(m_nStyle);
  ar.WriteInt32(m_nPenStyle);
  ar.WriteInt32(m_nAttachDx);
  ar.WriteInt32(m_nAttachDy);
  ar.WriteInt32(m_nReserved3);
  // An end is named by its anchor and box; a missing end is written as zeros.
  for (const CKVObject* pEnd : {m_pEndA, m_pEndB}) {
    WritePoint(ar, pEnd ? pEnd->m_ptAnchor : CPoint{});
    WriteRect(ar, pEnd ? pEnd->m_rcBounds : CRect{});
  }
  if (m_nKind == KIND_COUPLING) ar.WriteDouble(m_dThickness);
}

void CCoupling::Load(CArchive& ar, IRecordDocument* pDoc) {
  CKVObject::Load(ar, pDoc);
  if (IsPasting(pDoc)) m_bSelected = 1;
  ar.ReadInt32(m_nReserved1);
  ar.ReadInt32(m_nReserved2);
  ar.ReadInt32(m_nSide);
  ReadPoint(ar, m_ptA);
  ReadPoint(ar, m_ptB);
  ar.ReadInt32(m_nStyle);
  ar.ReadInt32(m_nPenStyle);
  ar.ReadInt32(m_nAttachDx);
  ar.ReadInt32(m_nAttachDy);
  ar.ReadInt32(m_nReserved3);
  // A pasted bond attaches to the pasted copies, not to identical objects already drawn.
  const bool bSelectedOnly = IsPasting(pDoc) && m_bSelected;
  m_bEndsDeferred = false;
  for (CKVObject** ppEnd : {&m_pEndA, &m_pEndB}) {
    CPoint pt;
    CRect rc;
    ReadPoint(ar, pt);
    ReadRect(ar, rc);
    *ppEnd = pDoc ? pDoc->FindBondEnd(rc, pt, bSelectedOnly) : nullptr;
    if (*ppEnd == nullptr && pDoc != nullptr && pDoc->DeferBondEnd(*ppEnd, rc, pt, bSelectedOnly))
      m_bEndsDeferred = true;
  }
  if (m_nKind == KIND_COUPLING)
    ar.ReadDouble(m_dThickness);
  else
    m_nKind = KIND_COUPLING;
}

// ---------------------------------------------------------------------------------------
// Groups

void CGroup::Store(CArchive& ar, int nPass, IRecordDocument* pDoc) {
  if (nPass != 0) return;
  CKVObject::Store(ar, 0, pDoc);
  // A child group writes its common part where it stands and its children next; when a
  // list is exhausted its bonds follow, then its end marker.
  WalkGroup(
      *this,
      [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
        if (CGroup* pGroup = slot->AsGroup()) {
          pGroup->CKVObject::Store(ar, 0, pDoc);
        } else {
          slot->Store(ar, 0, pDoc);
        }
        return WalkStep::Enter;
      },
      [&](CGroup& group) {
        for (auto& p : group.m_listChildren) p->Store(ar, 1, pDoc);
        ar.WriteInt32(KIND_END);
      });
}

void CGroup::Load(CArchive& ar, IRecordDocument* pDoc) {
  CKVObject::Load(ar, pDoc);
  const bool bPaste = IsPasting(pDoc);
  // A top-level group is a bond end candidate before any of its descendants.
  if (pDoc && !m_pParent) pDoc->NoteLoadedObject(this);
  // Open groups without recursion; the depth is the stack size plus one.
  std::vector<CGroup*> stack;
  CGroup* pCur = this;
  for (;;) {
    if (bPaste) m_bSelected = 1;
    std::int32_t nKind = KIND_END;
    // Data that ends closes the current level as an end marker would.
    if (!ar.ReadInt32(nKind)) nKind = KIND_END;
    if (nKind == KIND_END) {
      if (stack.empty()) break;
      pCur = stack.back();
      stack.pop_back();
      continue;
    }
    std::unique_ptr<CKVObject> pNew = pDoc ? pDoc->CreateRecordObject(nKind) : nullptr;
    if (!pNew) continue;  // unknown codes are stepped over
    CKVObject* pObj = pNew.get();
    pCur->AddChild(std::move(pNew));
    pObj->m_nKind = nKind;
    pObj->m_bSelected = 1;
    if (IsGroupCode(nKind)) {
      auto* pGroup = static_cast<CGroup*>(pObj);
      pGroup->CKVObject::Load(ar, pDoc);
      stack.push_back(pCur);
      pCur = pGroup;
      continue;
    }
    pObj->Load(ar, pDoc);
    pObj->m_bSelected = 1;
    if (IsBondCode(nKind)) {
      // A bond waiting for an end stored later stays until the whole stream is read.
      const auto* pBond = static_cast<CCoupling*>(pObj);
      if ((!pBond->m_pEndA || !pBond->m_pEndB) && !pBond->m_bEndsDeferred)
        pCur->m_listChildren.pop_back();
    } else if (pDoc) {
      pDoc->NoteLoadedObject(pObj);
    }
  }
  // Inside a group only the outermost group carries a selection flag.
  const std::int32_t bSelected = m_bSelected;
  ClearLoadedDescendantSelection(*this);
  m_bSelected = bSelected;
}
