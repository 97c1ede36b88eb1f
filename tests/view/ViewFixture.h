#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "DrawingBuilder.h"
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
    return DrawingBuilder(doc).Add(std::move(p));
  }
  // An ellipse with box (l, t, r, b); its anchor is the top-left corner.
  CEllipse* AddEllipse(int l, int t, int r, int b) {
    return DrawingBuilder(doc).Ellipse(l, t, r, b);
  }
  CDot* AddDot(int x, int y) { return DrawingBuilder(doc).Dot(x, y); }

  std::vector<CKVObject*> Order() const {
    std::vector<CKVObject*> out;
    for (const auto& p : doc.m_listObjects) out.push_back(p.get());
    return out;
  }

  CKvillDoc doc;
  FakeViewHost host;
  CKvillView view;
};
