#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FakeViewHost.h"
#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "view/CKvillView.h"

// A document, a fake window and the view between them.
class ViewFixture : public ::testing::Test {
 protected:
  ViewFixture() : view(&host, &doc) { host.m_pView = &view; }

  template <typename T>
  T* Add(std::unique_ptr<T> p) {
    T* raw = p.get();
    doc.m_listObjects.push_back(std::move(p));
    return raw;
  }

  // An ellipse with box (l, t, r, b); its anchor is the top-left corner.
  CEllipse* AddEllipse(int l, int t, int r, int b) {
    auto p = std::make_unique<CEllipse>();
    p->m_rcBounds = CRect{l, t, r, b};
    p->m_ptAnchor = CPoint{l, t};
    return Add(std::move(p));
  }

  CDot* AddDot(int x, int y) {
    auto p = std::make_unique<CDot>();
    p->MoveTo(CPoint{x, y});
    p->ResetDone();
    return Add(std::move(p));
  }

  std::vector<CKVObject*> Order() const {
    std::vector<CKVObject*> out;
    for (const auto& p : doc.m_listObjects) out.push_back(p.get());
    return out;
  }

  CKvillDoc doc;
  FakeViewHost host;
  CKvillView view;
};
