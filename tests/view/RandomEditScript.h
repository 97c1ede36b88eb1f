#pragma once

// Random drawings as the editor makes them and random editing steps on them, for property
// tests that drive the view through the fake window: a step is what a person can do with
// the mouse, the keyboard, a menu or a context menu, chosen at random.

#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "DrawingBuilder.h"
#include "InteractFixture.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "resources/CommandIds.h"
#include "view/CKvillView.h"

class RandomEditScript {
 public:
  // One kind of step: its name (for messages) and what it does.
  struct Step {
    std::string strName;
    std::function<void()> fn;
  };

  RandomEditScript(CKvillView& view, InteractHost& host, CKvillDoc& doc, unsigned seed)
      : m_view(view), m_host(host), m_doc(doc), m_rng(seed) {
    AddEditingSteps();
  }

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

  // A drawing of n top-level pieces inside the window at zoom 1 (x 0..11000, y 0..-8000):
  // formulas, junctions, ellipses, charges, ring templates, and bonds between junctions,
  // formulas and ring vertices. Nothing is selected.
  void FillDrawing(int n) {
    DrawingBuilder b(m_doc);
    std::vector<CKVObject*> ends;
    static const char* const kTexts[] = {"C", "OH", "H#idown 2# O",   "CH#idown 3# ",
                                         "N", "Cl", "SO#iudr 2-# 4# "};
    for (int i = 0; i < n; ++i) {
      const CPoint pt{Int(0, 110) * 100, -Int(0, 80) * 100};
      switch (Int(0, 6)) {
        case 0:
        case 1:
          ends.push_back(b.Formula(kTexts[Int(0, 6)], pt));
          break;
        case 2:
        case 3:
          ends.push_back(b.Dot(pt.x, pt.y));
          break;
        case 4:
          b.Ellipse(pt.x, pt.y, pt.x + Int(1, 10) * 60, pt.y - Int(1, 10) * 60);
          break;
        case 5: {
          std::unique_ptr<CKVObject> charge;
          if (Int(0, 1) == 0) {
            charge = std::make_unique<CPlusC>();
          } else {
            charge = std::make_unique<CMinusC>();
          }
          charge->MoveTo(pt);
          charge->ResetDone();
          b.Add(std::move(charge));
          break;
        }
        default: {
          auto g = std::make_unique<CGroup>();
          // Cyclohexane, benzene, aromatic benzene or cyclopentane.
          static const int kTools[] = {8, 9, 10, 19};
          m_view.PlaceTemplate(kTools[Int(0, 3)], pt, *g);
          g->RecalcBounds();
          ends.push_back(g->m_listChildren.front().get());
          b.Add(std::move(g));
          break;
        }
      }
    }
    const int nBonds = ends.size() < 2 ? 0 : Int(0, n);
    for (int i = 0; i < nBonds; ++i) {
      CKVObject* a = ends[static_cast<std::size_t>(Int(0, static_cast<int>(ends.size()) - 1))];
      CKVObject* z = ends[static_cast<std::size_t>(Int(0, static_cast<int>(ends.size()) - 1))];
      if (a != z) b.Bond(a, z, Int(1, 10));
    }
    m_view.SetSelCount(0);
    m_view.UpdateView();
  }

  // A drawing of 10 to 40 pieces, painted, as the first snapshot of the history.
  void StartDrawing() {
    FillDrawing(Int(10, 40));
    m_view.UpdateView();
    m_view.PushSnapshot();
  }

  // Runs one step chosen at random and returns its name.
  std::string RunStep() {
    const Step& s = m_steps[static_cast<std::size_t>(Int(0, static_cast<int>(m_steps.size()) - 1))];
    s.fn();
    m_host.PumpMessages();
    return s.strName;
  }

  // Further kinds of step (pastes, context menus) join the choice.
  void AddStep(std::string strName, std::function<void()> fn) {
    m_steps.push_back(Step{std::move(strName), std::move(fn)});
  }

  // Undo and redo (which reload the drawing) and typing a character or three (a or b).
  void AddHistoryAndTyping(char a, char b) {
    AddStep("undo", [this] { Command(cmd::kEditUndo); });
    AddStep("redo", [this] { Command(cmd::kEditRedo); });
    AddStep("type", [this, a, b] {
      const int n = Int(1, 3);
      for (int i = 0; i < n; ++i) m_view.OnChar(Int(0, 1) ? a : b);
    });
  }

  // Changes that keep the list in its order, so that the paint after them goes by the
  // changes alone: an object a bond ends on moved where it lies, without selecting it (as
  // the benchmarks' edits do), whose bonds, wherever they are listed and painted, must
  // follow it; and the window scrolled.
  void AddMovesInPlace() {
    AddStep("nudge", [this] {
      std::vector<CKVObject*> ends;
      for (const auto& p : m_doc.m_listObjects) {
        if (const CCoupling* pBond = p->AsBond()) {
          for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
            if (pEnd != nullptr) ends.push_back(pEnd->GetTop());
          }
        }
      }
      if (ends.empty()) return;
      CKVObject* p = ends[static_cast<std::size_t>(Int(0, static_cast<int>(ends.size()) - 1))];
      p->ResetDone();
      p->MoveTo(CPoint{p->m_ptAnchor.x + Int(-5, 5) * 300, p->m_ptAnchor.y + Int(-5, 5) * 300});
      m_view.UpdateView();
    });
    AddStep("scroll", [this] {
      m_view.Viewport().SetScrollX(Int(0, 3) * 1000);
      m_view.Viewport().SetScrollY(Int(0, 3) * 1000);
      m_view.UpdateView();
    });
  }

  // The top-level objects, a random one of them (null when the drawing is empty).
  CKVObject* AnyObject() {
    if (m_doc.m_listObjects.empty()) return nullptr;
    auto it = m_doc.m_listObjects.begin();
    std::advance(it, Int(0, static_cast<int>(m_doc.m_listObjects.size()) - 1));
    return it->get();
  }

  // What a context menu does before its command: the object under the mouse alone is
  // selected and current, and a rotation measures from where the menu opened.
  void Pick(CKVObject* p) {
    m_view.DeselectAll();
    // A flag set from outside the objects' own calls says that it changed, as every writer
    // of a stored field does.
    p->m_bSelected = 1;
    p->MarkChanged();
    m_view.SetSelCount(1);
    m_view.SetCurrent(p);
    m_view.m_ptRotate = RandomPoint();
    m_view.UpdateView();
  }

  // A point of the drawing on a whole client pixel at zoom 1 with the window unscrolled.
  CPoint RandomPoint() { return CPoint{Int(-20, 780) * 15, -Int(-20, 580) * 15}; }
  static CPoint Px(CPoint pt) { return CPoint{pt.x / 15, -pt.y / 15}; }

  void Command(int nId) { m_view.OnCommand(nId); }

  // A press, a move and a release of the left button: a move of what is under the press,
  // a resize from a handle, a selection rectangle or a new object by the current tool.
  void Drag(CPoint from, CPoint to) {
    m_view.OnLButtonDown(MK_LBUTTON, Px(from));
    m_host.m_ptCursor = CPoint{Px(to).x + 20, Px(to).y + 90};
    m_view.OnMouseMove(MK_LBUTTON, Px(to));
    m_view.OnLButtonUp(0, Px(to));
  }

 private:
  void AddEditingSteps() {
    AddStep("select one", [this] {
      if (CKVObject* p = AnyObject()) {
        m_view.DeselectAll();
        p->m_bSelected = 1;
        p->MarkChanged();
        m_view.CountSelection();
        m_view.UpdateView();
      }
    });
    AddStep("select some", [this] {
      m_view.DeselectAll();
      for (const auto& p : m_doc.m_listObjects) {
        p->m_bSelected = Int(0, 2) == 0 ? 1 : 0;
        p->MarkChanged();
      }
      m_view.CountSelection();
      m_view.UpdateView();
    });
    AddStep("select all", [this] { Command(cmd::kSelectAll); });
    AddStep("delete", [this] { Command(cmd::kEditDelete); });
    AddStep("group", [this] { Command(Int(0, 1) ? cmd::kGroup : cmd::kContextGroup); });
    AddStep("ungroup", [this] {
      if (CKVObject* p = AnyObject(); p != nullptr && Int(0, 1) == 0) Pick(p);
      Command(Int(0, 1) ? cmd::kUngroup : cmd::kContextUngroup);
    });
    AddStep("front or back", [this] { Command(Int(0, 1) ? cmd::kBringFront : cmd::kBringBack); });
    AddStep("mirror", [this] {
      if (CKVObject* p = AnyObject(); p != nullptr && Int(0, 2) == 0) Pick(p);
      Command(Int(0, 1) ? cmd::kMirrorVertical : cmd::kMirrorHorizontal);
    });
    AddStep("rotate", [this] {
      if (CKVObject* p = AnyObject()) Pick(p);
      Command(cmd::kRotate);
      const int n = Int(0, 4);
      for (int i = 0; i < n; ++i) {
        const CPoint pt = Px(RandomPoint());
        m_host.m_ptCursor = CPoint{pt.x + 20, pt.y + 90};
        m_view.OnMouseMove(0, pt);
      }
      // The press that ends the mode.
      m_view.OnLButtonDown(MK_LBUTTON, Px(RandomPoint()));
      m_view.OnLButtonUp(0, Px(RandomPoint()));
    });
    AddStep("lock aspect", [this] {
      if (CKVObject* p = AnyObject()) Pick(p);
      Command(cmd::kLockAspect);
    });
    AddStep("colour", [this] {
      if (CKVObject* p = AnyObject()) Pick(p);
      if (Int(0, 3) == 0) {
        m_host.m_colorAnswers.push_back(std::nullopt);
      } else {
        m_host.m_colorAnswers.push_back(RGB(Int(0, 255), Int(0, 255), Int(0, 255)));
      }
      Command(cmd::kChangeColor);
      m_host.m_colorAnswers.clear();
    });
    AddStep("thickness", [this] {
      static const int kIds[] = {cmd::kThickness01,  cmd::kThickness02, cmd::kThickness05,
                                 cmd::kThickness075, cmd::kThickness1,  cmd::kThickness15,
                                 cmd::kThickness2,   cmd::kThickness3,  cmd::kThickness4,
                                 cmd::kThickness5};
      if (CKVObject* p = AnyObject()) Pick(p);
      Command(kIds[Int(0, 9)]);
    });
    AddStep("custom thickness", [this] {
      if (CKVObject* p = AnyObject()) Pick(p);
      static const char* const kEntries[] = {"0", "-1", "abc", "0.3", "2.25", "7"};
      m_host.m_entries.clear();
      m_host.m_entries.push_back({kEntries[Int(0, 5)], IDOK});
      m_host.m_entries.push_back({"1.75", Int(0, 1) ? IDOK : IDCANCEL});
      Command(cmd::kThicknessCustom);
      m_host.m_entries.clear();
    });
    AddStep("swap", [this] {
      if (CKVObject* p = AnyObject()) Pick(p);
      Command(cmd::kSwap);
    });
    AddStep("edit", [this] {
      if (CKVObject* p = AnyObject()) Pick(p);
      Command(cmd::kEditFormula);
      if (Int(0, 1) == 0) Command(cmd::kKeyLeft);
      if (Int(0, 1) == 0) Command(cmd::kEditDelete);
      if (Int(0, 1) == 0) Command(cmd::kEscape);
    });
    AddStep("nudge", [this] { Command(cmd::kKeyLeft + Int(0, 3)); });
    AddStep("fine nudge", [this] { Command(cmd::kCtrlLeft + Int(0, 3)); });
    AddStep("drag", [this] {
      // From an object's centre, or from a corner handle of a selected one.
      CKVObject* p = AnyObject();
      CPoint from = RandomPoint();
      if (p != nullptr) {
        const CRect rc = Int(0, 1) ? p->GetSelectionFrame() : p->m_rcBounds;
        from = Int(0, 1) ? CPoint{rc.right, rc.bottom}
                         : CPoint{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        from = CPoint{from.x / 15 * 15, from.y / 15 * 15};
      }
      Drag(from, CPoint{from.x + Int(-40, 40) * 15, from.y + Int(-40, 40) * 15});
    });
  }

  CKvillView& m_view;
  InteractHost& m_host;
  CKvillDoc& m_doc;
  std::mt19937 m_rng;
  std::vector<Step> m_steps;
};
