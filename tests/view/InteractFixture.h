#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "DrawingBuilder.h"
#include "FakeViewHost.h"
#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "view/CKvillView.h"

// The fake window with what drawing by hand adds: the Draw bar's resets, the beep, the
// selection rectangle and scripted answers of the entry dialogs.
class InteractHost : public FakeViewHost {
 public:
  struct Entry {
    std::string strText;
    int nResult = IDOK;
  };
  struct DragRect {
    CRect rc;
    bool bErase = false;
    CRect rcLast;
  };

  void ClearDrawBarLatches() override { ++m_nLatchClears; }
  void ReleaseDrawBarButtons() override { ++m_nReleases; }
  void MessageBeep() override { ++m_nBeeps; }
  void DrawDragRect(CDC*, const CRect& rc, const CRect* prcLast) override {
    m_dragRects.push_back(DragRect{rc, prcLast != nullptr, prcLast ? *prcLast : CRect{}});
  }
  // As a dialog does: the field loses the focus when OK or Cancel takes it.
  int DoEntryDialog(const CEntryDialogText& text) override {
    m_dialogs.push_back(text);
    Entry e;
    if (!m_entries.empty()) {
      e = m_entries.front();
      m_entries.pop_front();
    } else {
      e.nResult = IDCANCEL;
    }
    if (m_pView != nullptr) {
      m_bHoverDuringDialog.push_back(m_pView->Cursor().m_bHoverSuppressed != 0);
      FireTimer(TIMER_FOCUS_VERTEX_DIALOG);
      FireTimer(TIMER_FILL_THICKNESS_DIALOG);
      m_pView->OnEntryFieldKillFocus(text.nTemplate, e.strText);
    }
    return e.nResult;
  }
  void FocusEntryField() override { ++m_nFieldFocus; }
  void SetEntryFieldText(const std::string& strText) override { m_fieldTexts.push_back(strText); }
  void KeepSetting(const char* pszRecord, const char* pszValue) override {
    m_keptSettings.push_back(std::string(pszRecord) + "=" + pszValue);
  }

  int m_nLatchClears = 0;
  int m_nReleases = 0;
  int m_nBeeps = 0;
  int m_nFieldFocus = 0;
  std::vector<DragRect> m_dragRects;
  std::deque<Entry> m_entries;
  std::vector<CEntryDialogText> m_dialogs;
  std::vector<bool> m_bHoverDuringDialog;
  std::vector<std::string> m_fieldTexts;
  std::vector<std::string> m_keptSettings;
};

// A document, the fake window and the view at zoom 1, where one client pixel at 96 pixels
// per inch is 15 drawing units: drawing points on multiples of 15 map to whole pixels.
class InteractFixture : public ::testing::Test {
 protected:
  InteractFixture() : view(&host, &doc) {
    host.m_pView = &view;
    view.Viewport().SetZoom(1.0);
  }

  static CPoint Px(CPoint pt) { return CPoint{pt.x / 15, -pt.y / 15}; }

  void Press(CPoint pt, unsigned nFlags = MK_LBUTTON) { view.OnLButtonDown(nFlags, Px(pt)); }
  // The pointer also moves on the screen, inside the main window's inner area.
  void Move(CPoint pt, unsigned nFlags = MK_LBUTTON) {
    host.m_ptCursor = CPoint{Px(pt).x + 20, Px(pt).y + 90};
    view.OnMouseMove(nFlags, Px(pt));
  }
  void Release(CPoint pt, unsigned nFlags = 0) { view.OnLButtonUp(nFlags, Px(pt)); }
  void Click(CPoint pt, unsigned nFlags = 0) {
    Press(pt, nFlags | MK_LBUTTON);
    Release(pt, nFlags);
  }
  // A tool message as the Draw bar posts it.
  void Tool(int nMessage) {
    host.PostMessage(nMessage, 0, 0);
    host.PumpMessages();
  }

  template <typename T>
  T* Add(std::unique_ptr<T> p) {
    return DrawingBuilder(doc).Add(std::move(p));
  }
  CDot* AddDot(int x, int y) { return DrawingBuilder(doc).Dot(x, y); }
  // A formula whose box is (l, t, r, b), anchored at its top-left corner.
  CFormula* AddFormula(int l, int t, int r, int b, const char* pszText = "C") {
    auto p = std::make_unique<CFormula>();
    p->m_strText = pszText;
    p->m_rcBounds = CRect{l, t, r, b};
    p->m_ptAnchor = CPoint{l, t};
    return Add(std::move(p));
  }
  CEllipse* AddEllipse(int l, int t, int r, int b) {
    return DrawingBuilder(doc).Ellipse(l, t, r, b);
  }
  // A bond whose end points are already where its ends are.
  CCoupling* AddBond(CKVObject* a, CKVObject* b, int nStyle = 1) {
    auto p = std::make_unique<CCoupling>();
    p->m_pEndA = a;
    p->m_pEndB = b;
    p->m_nStyle = nStyle;
    p->m_ptA = a->GetAnchor();
    p->m_ptB = b->GetAnchor();
    return Add(std::move(p));
  }

  // What a context menu does to the object under the mouse before one of its commands is
  // chosen: that object alone is selected and current, and a rotation measures from pt.
  void Pick(CKVObject* pObj, CPoint pt = CPoint{}) {
    view.DeselectAll();
    pObj->m_bSelected = 1;
    view.SetSelCount(1);
    view.SetCurrent(pObj);
    view.m_ptRotate = pt;
    view.UpdateView();
  }

  int CountKind(int nKind) const {
    int n = 0;
    for (const auto& p : doc.m_listObjects) n += p->GetKind() == nKind ? 1 : 0;
    return n;
  }
  template <typename T>
  T* Last(int nKind) const {
    T* found = nullptr;
    for (const auto& p : doc.m_listObjects) {
      if (p->GetKind() == nKind) found = static_cast<T*>(p.get());
    }
    return found;
  }
  std::size_t Snapshots() const { return view.History().Size(); }

  CKvillDoc doc;
  InteractHost host;
  CKvillView view;
};
