#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"

// The stream the document writes, in the mode that options gives for the store.
inline std::vector<std::uint8_t> StoreDoc(CKvillDoc& doc, const CSerializeOptions& options = {}) {
  std::vector<std::uint8_t> out;
  CArchive ar(&out);
  doc.Serialize(ar, options);
  ar.Flush();
  return out;
}

// Loads data with the plain loader, or the scanning one with bScan, in the mode that
// options gives for the load.
inline bool LoadDoc(CKvillDoc& doc, const std::vector<std::uint8_t>& data, bool bScan = false,
                    CSerializeOptions options = {}) {
  CArchive ar{std::span<const std::uint8_t>(data)};
  options.bScanForHeader = bScan;
  return doc.Serialize(ar, options);
}

inline std::unique_ptr<CDot> MakeDot(int x, int y) {
  auto p = std::make_unique<CDot>();
  p->m_rcBounds = CRect{x - 30, y + 30, x + 30, y - 30};
  p->m_ptAnchor = CPoint{x, y};
  return p;
}

inline std::unique_ptr<CCoupling> MakeBond(CKVObject* pA, CKVObject* pB) {
  auto p = std::make_unique<CCoupling>();
  p->m_pEndA = pA;
  p->m_pEndB = pB;
  return p;
}

// Appends to a list (a document's or a group's) and returns the raw pointer.
template <typename T>
T* Append(CObList& list, std::unique_ptr<T> p, CGroup* pParent = nullptr) {
  T* raw = p.get();
  raw->m_pParent = pParent;
  list.push_back(std::move(p));
  return raw;
}

template <typename T>
T* AppendChild(CGroup& g, std::unique_ptr<T> p) {
  return Append(g.m_listChildren, std::move(p), &g);
}

// Random drawings that a store, load, store cycle must reproduce byte for byte: every
// kind, nested groups, bonds inside groups between objects of that group's subtree and
// top-level bonds between any non-bond objects; ellipses anchored at their top-left and
// selection flags only on top-level objects, as the editor keeps them.
class RandomDrawing {
 public:
  explicit RandomDrawing(unsigned seed) : m_rng(seed) {}

  void Fill(CKvillDoc& doc, int nTop) {
    std::vector<CKVObject*> ends;
    for (int i = 0; i < nTop; ++i) {
      const int k = Int(0, 9);
      if (k <= 1) {
        auto g = std::make_unique<CGroup>();
        Common(*g);
        CGroup* raw = g.get();
        doc.m_listObjects.push_back(std::move(g));
        FillGroup(*raw, Int(0, 3));
        ends.push_back(raw);
      } else {
        std::unique_ptr<CKVObject> p = Leaf();
        if (!p) continue;
        p->m_bSelected = Int(0, 1);
        ends.push_back(p.get());
        doc.m_listObjects.push_back(std::move(p));
      }
      // Objects inside groups may be ends of top-level bonds, too.
    }
    CollectLeaves(doc, ends);
    const int nBonds = ends.size() < 2 ? 0 : Int(0, nTop);
    for (int i = 0; i < nBonds; ++i) {
      auto b = RandomBond(ends[Int(0, static_cast<int>(ends.size()) - 1)],
                          ends[Int(0, static_cast<int>(ends.size()) - 1)]);
      b->m_bSelected = Int(0, 1);
      doc.m_listObjects.push_back(std::move(b));
    }
    doc.SetSelCount(Int(0, 50));
  }

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

 private:
  void Common(CKVObject& o) {
    const int l = Int(-100000, 100000), t = Int(-100000, 100000);
    o.m_rcBounds = CRect{l, t, l + Int(0, 5000), t - Int(0, 5000)};
    o.m_ptAnchor = CPoint{Int(-100000, 100000), Int(-100000, 100000)};
    o.m_dScale = Int(1, 40) / 8.0;
    o.m_crColor = static_cast<COLORREF>(Int(0, 0xFFFFFF));
  }

  std::unique_ptr<CKVObject> Leaf() {
    std::unique_ptr<CKVObject> p;
    switch (Int(0, 4)) {
      case 0: {
        auto f = std::make_unique<CFormula>();
        const int n = Int(0, 12);
        for (int i = 0; i < n; ++i) f->m_strText.push_back(static_cast<char>(Int(0, 255)));
        p = std::move(f);
        break;
      }
      case 1:
        p = std::make_unique<CDot>();
        break;
      case 2:
        p = std::make_unique<CEllipse>();
        break;
      case 3: {
        auto c = std::make_unique<CPlusC>();
        c->m_dThickness = Int(1, 9) / 4.0;
        p = std::move(c);
        break;
      }
      default: {
        auto c = std::make_unique<CMinusC>();
        c->m_dThickness = Int(1, 9) / 4.0;
        p = std::move(c);
        break;
      }
    }
    Common(*p);
    if (p->m_nKind == KIND_ELLIPSE) p->m_ptAnchor = CPoint{p->m_rcBounds.left, p->m_rcBounds.top};
    return p;
  }

  std::unique_ptr<CCoupling> RandomBond(CKVObject* pA, CKVObject* pB) {
    auto b = MakeBond(pA, pB);
    Common(*b);
    b->m_nReserved1 = Int(-5, 5);
    b->m_nReserved2 = Int(-5, 5);
    b->m_nReserved3 = Int(-5, 5);
    b->m_nSide = Int(1, 2);
    b->m_ptA = CPoint{Int(-999, 999), Int(-999, 999)};
    b->m_ptB = CPoint{Int(-999, 999), Int(-999, 999)};
    b->m_nStyle = Int(1, 10);
    b->m_nPenStyle = Int(0, 1) * 2;
    b->m_nAttachDx = Int(-50, 50);
    b->m_nAttachDy = Int(-50, 50);
    b->m_dThickness = Int(1, 12) / 4.0;
    return b;
  }

  // Children of g: leaves, nested groups (to the given depth) and bonds among the
  // group's own leaves.
  void FillGroup(CGroup& g, int nDepth) {
    std::vector<CKVObject*> leaves;
    const int n = Int(0, 5);
    for (int i = 0; i < n; ++i) {
      if (nDepth > 0 && Int(0, 3) == 0) {
        auto h = std::make_unique<CGroup>();
        Common(*h);
        CGroup* raw = AppendChild(g, std::move(h));
        FillGroup(*raw, nDepth - 1);
      } else if (std::unique_ptr<CKVObject> p = Leaf()) {
        leaves.push_back(AppendChild(g, std::move(p)));
      }
    }
    if (leaves.size() >= 2) {
      const int nb = Int(0, 3);
      for (int i = 0; i < nb; ++i) {
        AppendChild(g, RandomBond(leaves[Int(0, static_cast<int>(leaves.size()) - 1)],
                                  leaves[Int(0, static_cast<int>(leaves.size()) - 1)]));
      }
    }
  }

  static void CollectLeaves(CKvillDoc& doc, std::vector<CKVObject*>& out) {
    std::vector<CGroup*> pending;
    for (auto& p : doc.m_listObjects)
      if (auto* g = dynamic_cast<CGroup*>(p.get())) pending.push_back(g);
    while (!pending.empty()) {
      CGroup* g = pending.back();
      pending.pop_back();
      for (auto& p : g->m_listChildren) {
        if (auto* h = dynamic_cast<CGroup*>(p.get()))
          pending.push_back(h);
        else if (!dynamic_cast<CCoupling*>(p.get()))
          out.push_back(p.get());
      }
    }
  }

  std::mt19937 m_rng;
};
