#pragma once

// The calls the shell makes into the view and the document that are still arriving in
// those classes. Each forwards to the member when the class has it; until then the shell
// does without (no undo step to take) or, for the save question, keeps any drawing with
// unsaved changes rather than discard it unasked.
#include "document/CKvillDoc.h"
#include "view/CKvillView.h"

namespace viewcalls {

template <class D = CKvillDoc>
bool SaveModified(D* pDoc) {
  if constexpr (requires { pDoc->SaveModified(); }) {
    return pDoc->SaveModified();
  } else {
    return !pDoc->IsModified();
  }
}

template <class D = CKvillDoc>
void OnNewDocument(D* pDoc, CKvillView* pView) {
  if constexpr (requires { pDoc->OnNewDocument(); }) {
    pDoc->OnNewDocument();
  } else {
    pView->m_dZoom = 1.0;
    pView->m_nScrollX = 0;
    pView->m_nScrollY = 0;
    pView->UpdateView();
    pView->ScheduleScrollRefresh();
  }
}

template <class V = CKvillView>
void Undo(V* pView) {
  if constexpr (requires { pView->Undo(); }) pView->Undo();
}

template <class V = CKvillView>
void Redo(V* pView) {
  if constexpr (requires { pView->Redo(); }) pView->Redo();
}

template <class V = CKvillView>
constexpr bool HasUndo() {
  return requires(V * v) {
    v->Undo();
    v->Redo();
  };
}

template <class D = CKvillDoc>
constexpr bool HasSaveModified() {
  return requires(D * d) { d->SaveModified(); };
}

}  // namespace viewcalls
