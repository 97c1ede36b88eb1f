#pragma once

// Holding a partial undo or redo to the whole reload it stands in for: a second document and
// view reload the same snapshot from its whole stream, after which the two must be the same
// drawing, object for object.

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "../document/StreamTestUtil.h"
#include "FakeViewHost.h"
#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/GroupWalk.h"
#include "view/CKvillView.h"

// Every object in the order of the walk (top-level objects in list order, each group's
// descendants depth first) with its kind, flags and the fields a store leaves out, and each
// bond's ends by their places in that walk: two objects with the same box and anchor store
// alike, so the bytes alone would not tell which of them a bond holds.
inline std::vector<std::string> DescribeDrawing(CKvillDoc& doc, const CKVObject* pCurrent) {
  std::vector<CKVObject*> walk;
  for (const auto& p : doc.m_listObjects) {
    walk.push_back(p.get());
    if (CGroup* pGroup = p->AsGroup()) {
      WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
        walk.push_back(slot.get());
        return WalkStep::Enter;
      });
    }
  }
  std::map<const CKVObject*, std::size_t> place;
  for (std::size_t i = 0; i < walk.size(); ++i) place[walk[i]] = i;
  const auto at = [&](const CKVObject* p) {
    if (p == nullptr) return std::string("none");
    const auto it = place.find(p);
    return it == place.end() ? std::string("outside") : std::to_string(it->second);
  };
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < walk.size(); ++i) {
    const CKVObject* p = walk[i];
    std::string s = std::to_string(i) + " kind " + std::to_string(p->m_nKind) + " depth ";
    int nDepth = 0;
    for (const CGroup* g = p->m_pParent; g != nullptr; g = g->m_pParent) ++nDepth;
    s += std::to_string(nDepth) + " sel " + std::to_string(p->m_bSelected) + " aspect " +
         std::to_string(p->m_bKeepAspect) + " exact " + std::to_string(p->m_nExactLeft) + "," +
         std::to_string(p->m_nExactTop) + "," + std::to_string(p->m_nExactX) + "," +
         std::to_string(p->m_nExactY);
    if (const CCoupling* pBond = const_cast<CKVObject*>(p)->AsBond())
      s += " ends " + at(pBond->m_pEndA) + " " + at(pBond->m_pEndB);
    if (const CFormula* pFormula = const_cast<CKVObject*>(p)->AsFormula())
      s += " caret " + std::to_string(pFormula->m_nCaret);
    lines.push_back(s);
  }
  lines.push_back("current " + at(pCurrent) + " selcount " + std::to_string(doc.GetSelCount()) +
                  " modified " + std::to_string(doc.IsModified()));
  return lines;
}

// A document and view beside the one under test, that reload a snapshot of its history
// from the whole stream, in a window of the same size at the same zoom and scroll. Each
// document, and the objects each view watches, reach their own view.
struct WholeReload {
  CKvillDoc doc;
  FakeViewHost host;
  CKvillView view{&host, &doc};

  explicit WholeReload(CKvillView&) {}
  ~WholeReload() { doc.ClearForReplace(); }
  WholeReload(const WholeReload&) = delete;
  WholeReload& operator=(const WholeReload&) = delete;

  // Compares the view under test, just reloaded from snapshot i of its history, with a whole
  // reload of that snapshot: the stream after the same paint, and the drawing object for
  // object (order, kinds, flags, bond ends, the current object, selection count).
  ::testing::AssertionResult Matches(CKvillView& main, FakeViewHost& mainHost, std::size_t i) {
    host.m_rcClient = mainHost.m_rcClient;
    view.Viewport().SetZoom(main.Viewport().Zoom());
    view.Viewport().SetScrollX(main.Viewport().ScrollX());
    view.Viewport().SetScrollY(main.Viewport().ScrollY());
    view.Mouse().SetTool(main.Mouse().Tool());
    CUndoHistory::CReload snapshot;
    snapshot.bModified = main.History().IsModifiedAt(i);
    snapshot.records = main.History().RecordsAt(i);
    view.ReloadFrom(snapshot, true);
    host.m_surfaces.clear();
    CKvillDoc& mainDoc = *main.GetDocument();
    if (StoreDoc(mainDoc, CSerializeOptions::SaveWhole()) !=
        StoreDoc(doc, CSerializeOptions::SaveWhole()))
      return ::testing::AssertionFailure() << "the stream differs from a whole reload's";
    const std::vector<std::string> got = DescribeDrawing(mainDoc, main.Current());
    const std::vector<std::string> want = DescribeDrawing(doc, view.Current());
    for (std::size_t n = 0; n < std::max(got.size(), want.size()); ++n) {
      const std::string a = n < got.size() ? got[n] : "(nothing)";
      const std::string b = n < want.size() ? want[n] : "(nothing)";
      if (a != b)
        return ::testing::AssertionFailure()
               << "line " << n << ": " << a << "\n  a whole reload gives: " << b;
    }
    return ::testing::AssertionSuccess();
  }

 private:
};
