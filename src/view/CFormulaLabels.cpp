// Labels typed over junctions and the indices typing makes (the Type Labels on Atoms aid).

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/GroupWalk.h"
#include "view/CFormulaSession.h"
#include "view/CKvillView.h"
#include "view/LabelTyping.h"

namespace {

// The list element that holds pObj, searched for in the whole drawing (the object's own
// parent link is not trusted: an edit since may have ungrouped or deleted it); null when it
// is not in the drawing.
std::unique_ptr<CKVObject>* SlotOf(CKvillDoc& doc, const CKVObject* pObj) {
  std::unique_ptr<CKVObject>* pFound = nullptr;
  for (auto& p : doc.m_listObjects) {
    if (p.get() == pObj) return &p;
    if (CGroup* pGroup = p ? p->AsGroup() : nullptr) {
      WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
        if (slot.get() != pObj) return WalkStep::Enter;
        pFound = &slot;
        return WalkStep::Stop;
      });
      if (pFound != nullptr) return pFound;
    }
  }
  return nullptr;
}

}  // namespace

CFormulaSession::CFormulaSession(CKvillView& view) : m_view(view) {}

CFormulaSession::~CFormulaSession() = default;

void CFormulaSession::InsertTyped(CFormula& formula, char c) {
  if (m_view.Settings().m_aids.m_bTypingMakesLabels) {
    std::string text = formula.m_strText;
    int nCaret = formula.m_nCaret;
    if (TypeLabelByte(text, nCaret, c)) {
      formula.MarkChanged();
      formula.m_strText = std::move(text);
      formula.m_nCaret = nCaret;
      return;
    }
  }
  formula.InsertText(std::string(1, c));
}

bool CFormulaSession::StartLabelOverJunction(CDC* pDC, int nChar) {
  CKvillView& v = m_view;
  CKvillDoc* pDoc = v.GetDocument();
  if (!v.Settings().m_aids.m_bTypingMakesLabels || !IsLabelLetter(nChar) || pDoc == nullptr ||
      v.Mouse().Tool() != TOOL_SELECT || v.EditState() == 1 || v.Mouse().IsInGesture()) {
    return false;
  }
  // A label left by a click (or by nothing yet) ends before the next one starts.
  FinishLabel();
  const CPoint P = v.DeviceToLogical(v.Mouse().LastMouse());
  CObjectHit hit = v.FindObjectAt(P);
  if (hit.nKind == KIND_GROUP) {
    if (CKVObject* pInner = hit.pObj->ObjectAt(P)) hit = CObjectHit{pInner->GetKind(), pInner};
  }
  if (hit.nKind != KIND_DOT) return false;
  CKVObject* pDot = hit.pObj;
  CGroup* pParent = pDot->m_pParent;
  std::unique_ptr<CKVObject>* slot = SlotOf(*pDoc, pDot);
  if (slot == nullptr) return false;

  auto pNew = std::make_unique<CFormula>();
  CFormula* pFormula = pNew.get();
  pFormula->m_pParent = pParent;
  // At the top level the label answers to the document as the junction did.
  if (pParent == nullptr) pFormula->m_pWatcher = pDot->m_pWatcher;
  pFormula->m_dScale = pDot->m_dScale;
  pFormula->MoveTo(pDot->GetAnchor());
  pFormula->ResetDone();
  pFormula->m_bSelected = 1;
  RedirectBondEnds(pDoc->m_listObjects, pDot, pFormula);
  v.ForgetObject(pDot);
  // The junction leaves the drawing whole, to come back if the label stays empty; out of
  // its group, it answers to the document directly, which hears when it goes.
  m_label.pJunction = std::exchange(*slot, std::move(pNew));
  m_label.pJunction->m_pWatcher = pDoc;
  m_label.pJunction->m_pParent = nullptr;
  m_label.pFormula = pFormula;
  // The snapshots the label's first step keeps: after an undo, it drops those undone.
  const CUndoHistory& history = v.History();
  if (history.IsEmpty()) {
    m_label.nHistory = 0;
  } else if (history.IsAtOldest()) {
    m_label.nHistory = 1;
  } else if (const auto position = history.Position()) {
    m_label.nHistory = *position + 1;
  } else {
    m_label.nHistory = history.Size();
  }
  m_label.bCentred = false;
  pFormula->MarkChanged();

  v.DeselectAll();
  pFormula->m_bSelected = 1;
  v.SetSelCount(1);
  v.SetEditState(1);
  v.SetCurrent(pFormula);
  CPoint ptCentre;
  pFormula->LocateCaret(pDC, 1, 0, &ptCentre, this);
  return true;
}

void CFormulaSession::CentreLabelOnJunction(CDC* pDC) {
  CFormula* pFormula = m_label.pFormula;
  if (pFormula == nullptr || m_label.pJunction == nullptr) return;
  m_label.bCentred = true;
  // The point the bonds head for goes where the junction was, so they keep their lines.
  const CPoint centre = CCoupling::AttachCentreOf(pDC, *pFormula);
  const CPoint target = m_label.pJunction->GetAnchor();
  const CPoint anchor = pFormula->m_ptAnchor;
  const std::int64_t dx = static_cast<std::int64_t>(target.x) - centre.x;
  const std::int64_t dy = static_cast<std::int64_t>(target.y) - centre.y;
  if (dx == 0 && dy == 0) return;
  pFormula->MoveTo(CPoint{SatAdd(anchor.x, dx), SatAdd(anchor.y, dy)});
  pFormula->ResetDone();
  CPoint pt;
  pFormula->LocateCaret(pDC, 1, pFormula->m_nCaret, &pt, this);
}

void CFormulaSession::FinishLabel() {
  if (m_label.pFormula == nullptr) return;
  CKvillView& v = m_view;
  CKvillDoc* pDoc = v.GetDocument();
  CLabel label = std::exchange(m_label, CLabel{});
  if (pDoc == nullptr) return;
  std::unique_ptr<CKVObject>* slot = SlotOf(*pDoc, label.pFormula);
  if (slot == nullptr || !label.pFormula->m_strText.empty()) {
    v.History().MergeAfter(label.nHistory);
    return;
  }
  // Nothing typed stays: the junction comes back in the formula's place, with its bonds,
  // and the label's steps go (the drawing is as the step before them has it).
  CKVObject* pJunction = label.pJunction.get();
  pJunction->m_pParent = label.pFormula->m_pParent;
  if (pJunction->m_pParent != nullptr) pJunction->m_pWatcher = nullptr;
  RedirectBondEnds(pDoc->m_listObjects, label.pFormula, pJunction);
  if (v.Current() == label.pFormula) v.EndFormulaEditing();
  v.ForgetObject(label.pFormula);
  *slot = std::move(label.pJunction);
  pJunction->MarkChanged();
  v.History().DropAfter(label.nHistory);
}

void CFormulaSession::ForgetLabel() { m_label = CLabel{}; }
