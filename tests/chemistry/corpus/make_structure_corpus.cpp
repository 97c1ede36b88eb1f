// Draws the structure corpus the way a user draws it: ring templates, bonds and labels placed
// with the view's tools by clicks and typing, through the view's fake window, and saves each
// drawing as the editor saves it. Writes NAME.vld into FOLDER and, into FOLDER/expected.tsv,
// the molecules each must read as: the SMILES a chemist writes for it (molecules joined by
// '.', reaction steps one per line as "reactants>agents>products", separated by " | "), as
// written down here by hand.
//
//   make_structure_corpus FOLDER
#include <cctype>
#include <cmath>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "resources/CommandIds.h"
#include "resources/WindowMessages.h"
#include "tests/view/FakeViewHost.h"
#include "view/CKvillView.h"

namespace {

// The window with a vertex-count dialog that answers what the hand is about to type.
class CorpusHost : public FakeViewHost {
 public:
  int DoEntryDialog(const CEntryDialogText& text) override {
    if (m_pView == nullptr) return IDCANCEL;
    m_pView->OnEntryFieldKillFocus(text.nTemplate, m_strEntry);
    return IDOK;
  }
  std::string m_strEntry;
};

[[noreturn]] void Fail(const std::string& what) {
  std::cerr << "make_structure_corpus: " << what << "\n";
  std::exit(1);
}

// Snaps a point to the 15-unit grid the mouse moves on at zoom 1.
CPoint Grid(double x, double y) {
  return CPoint{static_cast<int>(std::lround(x / 15.0)) * 15,
                static_cast<int>(std::lround(y / 15.0)) * 15};
}

// A person at the editor: the tools of the Draw bar, the mouse and the keyboard.
class Hand {
 public:
  Hand() : view(&host, &doc) {
    host.m_pView = &view;
    host.m_rcClient = CRect{0, 0, 1600, 1200};
    view.Viewport().SetZoom(1.0);
  }

  void Tool(int nMessage) {
    host.PostMessage(nMessage, 0, 0);
    host.PumpMessages();
  }
  // A press and release at a drawing point: one client pixel is 15 units, y down.
  void Click(CPoint pt) {
    const CPoint px{pt.x / 15, -pt.y / 15};
    view.OnMouseMove(0, px);
    view.OnLButtonDown(MK_LBUTTON, px);
    view.OnLButtonUp(0, px);
    host.PumpMessages();
  }
  // A bond, arrow or curve from a to b; a press on a junction or a label there takes it as
  // the end.
  void Bond(CPoint a, CPoint b, int nTool = msg::kToolSingleBond) {
    Tool(nTool);
    Click(a);
    Click(b);
  }
  void Double(CPoint a, CPoint b) { Bond(a, b, msg::kToolDoubleBond); }
  void Triple(CPoint a, CPoint b) { Bond(a, b, msg::kToolTripleBond); }
  // Junctions through the points joined by single bonds.
  void Chain(std::initializer_list<CPoint> points) {
    const CPoint* prev = nullptr;
    for (const CPoint& p : points) {
      if (prev != nullptr) Bond(*prev, p);
      prev = &p;
    }
  }
  // A ring template placed at c; its junctions in the template's order.
  std::vector<CPoint> Ring(int nTool, CPoint c, int nVertices = 0) {
    if (nVertices > 0) {
      host.m_strEntry = std::to_string(nVertices);
      Tool(nTool);
    } else {
      Tool(nTool);
    }
    Click(c);
    std::vector<CPoint> out;
    CGroup* g = doc.m_listObjects.back()->AsGroup();
    if (g == nullptr) Fail("no template at " + std::to_string(c.x));
    for (const auto& p : g->m_listChildren)
      if (p->m_nKind == KIND_DOT) out.push_back(p->m_ptAnchor);
    return out;
  }
  // The point d units out from a ring's vertex k, away from the ring's centre.
  static CPoint Out(const std::vector<CPoint>& ring, std::size_t k, double d = 300.0) {
    double cx = 0.0;
    double cy = 0.0;
    for (const CPoint& p : ring) {
      cx += p.x;
      cy += p.y;
    }
    cx /= static_cast<double>(ring.size());
    cy /= static_cast<double>(ring.size());
    const double dx = ring[k].x - cx;
    const double dy = ring[k].y - cy;
    const double l = std::hypot(dx, dy);
    return Grid(ring[k].x + dx / l * d, ring[k].y + dy / l * d);
  }
  // A formula typed with the formula tool, the first letter's middle at atom (or, for a
  // label read from the right, its letter nBack letters from the end). In typed, "_2"
  // types a lower index, "^+" an upper index, and "{13}" at the start a left upper index.
  // The markup it must give is checked.
  CPoint Label(CPoint atom, const std::string& typed, const std::string& markup, int nBack = 0) {
    const CPoint anchor = Grid(atom.x - 86 - nBack * 150, atom.y + 134);
    Tool(msg::kToolFormula);
    Click(anchor);
    CFormula* f = doc.m_listObjects.back()->AsFormula();
    if (f == nullptr) Fail("no formula for " + typed);
    for (std::size_t i = 0; i < typed.size(); ++i) {
      const char c = typed[i];
      if (c == '_' || c == '^') {
        Tool(c == '_' ? msg::kInsertLowerIndex : msg::kInsertUpperIndex);
        for (++i; i < typed.size() && (std::isdigit(static_cast<unsigned char>(typed[i])) ||
                                       typed[i] == '+' || typed[i] == '-');
             ++i)
          view.OnChar(static_cast<unsigned char>(typed[i]));
        --i;
        view.OnCommand(cmd::kKeyRight);
      } else if (c == '{') {
        Tool(msg::kInsertLeftIndices);
        for (++i; i < typed.size() && typed[i] != '}'; ++i)
          view.OnChar(static_cast<unsigned char>(typed[i]));
        view.OnCommand(cmd::kKeyRight);
        view.OnCommand(cmd::kKeyRight);
      } else {
        view.OnChar(static_cast<unsigned char>(c));
      }
    }
    if (f->m_strText != markup) Fail("typed '" + typed + "' gave '" + f->m_strText + "'");
    Tool(msg::kEndEdit);
    // Where a press meets the label: its first letter.
    return Grid(anchor.x + 60, anchor.y - 120);
  }
  // A charge object centred on c (its box hangs from the point clicked).
  void Charge(bool bPlus, CPoint c) {
    Tool(bPlus ? msg::kToolPlus : msg::kToolMinus);
    const int h = bPlus ? 100 : 90;
    Click(Grid(c.x - h, c.y + h));
  }
  void Command(int nId) {
    view.OnCommand(nId);
    host.PumpMessages();
  }

  bool Save(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    {
      CArchive ar(&bytes);
      doc.Serialize(ar, CSerializeOptions::SaveWhole());
      ar.Flush();
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
  }

  CKvillDoc doc;
  CorpusHost host;
  CKvillView view;
};

struct Entry {
  const char* name;
  const char* expected;
  std::function<void(Hand&)> draw;
};

// Points of a zigzag chain going right from o, 260 across and 150 up and down.
CPoint Zig(CPoint o, int k) { return Grid(o.x + 260 * k, o.y + (k % 2 == 0 ? 0 : 150)); }

// A benzene ring at c with substituents drawn outward from the given vertices, each a label.
void RingWithLabels(Hand& h, int nTool, CPoint c,
                    std::initializer_list<std::pair<int, const char*>> labels) {
  const std::vector<CPoint> ring = h.Ring(nTool, c);
  for (const auto& [k, typed] : labels) {
    const CPoint atom = Hand::Out(ring, static_cast<std::size_t>(k), 420);
    std::string markup;
    for (const char* p = typed; *p; ++p) markup += *p;
    h.Bond(ring[static_cast<std::size_t>(k)], h.Label(atom, typed, markup));
  }
}

// Alanine: the alpha carbon at o, the amino group up left, the carboxyl up right, the methyl
// down on a wedge (nTool: the full or the dashed 3D bond) drawn from the methyl to the alpha
// carbon, so that its narrow end is at the alpha carbon.
void Alanine(Hand& h, CPoint o, int nTool, const char* pszHetero = "NH_2",
             const char* pszMarkup = "NH#idown 2# ") {
  const CPoint alpha = o;
  const CPoint carboxyl = Grid(o.x + 260, o.y + 150);
  h.Bond(h.Label(Grid(o.x - 300, o.y + 150), pszHetero, pszMarkup), alpha);
  h.Bond(alpha, carboxyl);
  h.Double(carboxyl, h.Label(Grid(carboxyl.x, carboxyl.y + 420), "O", "O"));
  h.Bond(carboxyl, h.Label(Grid(carboxyl.x + 360, carboxyl.y - 150), "OH", "OH"));
  h.Bond(Grid(o.x, o.y - 300), alpha, nTool);
}

std::vector<Entry> Corpus() {
  using namespace msg;
  const CPoint o{1500, -2250};
  return {
      // Chains, bonds and branches.
      {"ethane", "CC",
       [](Hand& h) {
         h.Bond({1500, -1500}, {1800, -1500});
       }},
      {"propane", "CCC",
       [](Hand& h) {
         h.Chain({{1500, -1500}, {1755, -1350}, {2010, -1500}});
       }},
      {"butane", "CCCC",
       [o](Hand& h) {
         h.Chain({Zig(o, 0), Zig(o, 1), Zig(o, 2), Zig(o, 3)});
       }},
      {"isobutane", "CC(C)C",
       [o](Hand& h) {
         h.Chain({Zig(o, 0), Zig(o, 1), Zig(o, 2)});
         h.Bond(Zig(o, 1), Grid(o.x + 260, o.y + 450));
       }},
      {"neopentane", "CC(C)(C)C",
       [o](Hand& h) {
         h.Bond(o, Grid(o.x + 300, o.y));
         h.Bond(o, Grid(o.x - 300, o.y));
         h.Bond(o, Grid(o.x, o.y + 300));
         h.Bond(o, Grid(o.x, o.y - 300));
       }},
      {"ethene", "C=C", [o](Hand& h) { h.Double(o, Grid(o.x + 300, o.y)); }},
      {"propyne", "CC#C",
       [o](Hand& h) {
         h.Bond(o, Zig(o, 1));
         h.Triple(Zig(o, 1), Grid(o.x + 560, o.y + 150));
       }},
      {"wide-dashed-bond", "CCC",
       [o](Hand& h) {
         h.Bond(o, Zig(o, 1));
         h.Bond(Zig(o, 1), Zig(o, 2), kToolWideDashedBond);
       }},
      // Ring templates.
      {"cyclohexane", "C1CCCCC1", [o](Hand& h) { h.Ring(kToolHexane, o); }},
      {"cyclohexane-90", "C1CCCCC1", [o](Hand& h) { h.Ring(kToolHexane90, o); }},
      {"benzene", "c1ccccc1", [o](Hand& h) { h.Ring(kToolBenzene, o); }},
      {"benzene-90", "c1ccccc1", [o](Hand& h) { h.Ring(kToolBenzene90, o); }},
      {"aromatic-benzene", "c1ccccc1", [o](Hand& h) { h.Ring(kToolAromaticBenzene, o); }},
      {"aromatic-benzene-90", "c1ccccc1", [o](Hand& h) { h.Ring(kToolAromaticBenzene90, o); }},
      {"cyclopentane", "C1CCCC1", [o](Hand& h) { h.Ring(kToolPentane, o); }},
      {"cyclopentane-180", "C1CCCC1", [o](Hand& h) { h.Ring(kToolPentane180, o); }},
      {"naphthalene", "c1ccc2ccccc2c1", [o](Hand& h) { h.Ring(kToolNaphthalene, o); }},
      {"anthracene", "c1ccc2cc3ccccc3cc2c1", [o](Hand& h) { h.Ring(kToolAnthracene, o); }},
      {"tetracene", "c1ccc2cc3cc4ccccc4cc3cc2c1", [o](Hand& h) { h.Ring(kToolTetracene, o); }},
      {"phenanthrene", "c1ccc2c(c1)ccc1ccccc12", [o](Hand& h) { h.Ring(kToolPhenanthrene, o); }},
      {"chrysene", "c1ccc2c(c1)ccc1c3ccccc3ccc21", [o](Hand& h) { h.Ring(kToolChrysene, o); }},
      {"cyclopropane", "C1CC1", [o](Hand& h) { h.Ring(kAskPolygon, o, 3); }},
      {"cyclobutane", "C1CCC1", [o](Hand& h) { h.Ring(kAskPolygon, o, 4); }},
      {"cycloheptane", "C1CCCCCC1", [o](Hand& h) { h.Ring(kAskPolygon, o, 7); }},
      {"cyclooctane", "C1CCCCCCC1", [o](Hand& h) { h.Ring(kAskPolygon, o, 8); }},
      {"aromatic-heptagon-cation", "c1cc[cH+]ccc1",
       [o](Hand& h) {
         const std::vector<CPoint> ring = h.Ring(kAskAromaticPolygon, o, 7);
         h.Charge(true, Hand::Out(ring, 0, 220));
       }},
      {"cyclopentadienide", "c1cc[cH-]c1",
       [o](Hand& h) {
         const std::vector<CPoint> ring = h.Ring(kToolAromaticPentane, o);
         h.Charge(false, Hand::Out(ring, 0, 220));
       }},
      {"decalin-two-templates", "C1CCC2CCCCC2C1",
       [o](Hand& h) {
         const std::vector<CPoint> a = h.Ring(kToolHexane, o);
         // The second ring placed so that two of its junctions fall on the first's.
         const CPoint mid{(a[0].x + a[1].x) / 2, (a[0].y + a[1].y) / 2};
         h.Ring(kToolHexane, Grid(2.0 * mid.x - o.x, 2.0 * mid.y - o.y));
       }},
      {"biphenyl", "c1ccc(-c2ccccc2)cc1",
       [o](Hand& h) {
         const std::vector<CPoint> a = h.Ring(kToolBenzene, o);
         const CPoint far = Hand::Out(a, 0, 900);
         const std::vector<CPoint> b = h.Ring(kToolBenzene, far);
         std::size_t nNear = 0;
         for (std::size_t k = 1; k < b.size(); ++k)
           if (std::hypot(b[k].x - a[0].x, b[k].y - a[0].y) <
               std::hypot(b[nNear].x - a[0].x, b[nNear].y - a[0].y))
             nNear = k;
         h.Bond(a[0], b[nNear]);
       }},
      // Labels: elements, abbreviations, condensed formulas.
      {"ethanol", "CCO",
       [o](Hand& h) {
         h.Bond(o, Zig(o, 1));
         h.Bond(Zig(o, 1), h.Label(Zig(o, 2), "OH", "OH"));
       }},
      {"acetic-acid", "CC(=O)O",
       [o](Hand& h) {
         h.Bond(o, Zig(o, 1));
         h.Double(Zig(o, 1), h.Label(Grid(o.x + 260, o.y + 450), "O", "O"));
         h.Bond(Zig(o, 1), h.Label(Zig(o, 2), "OH", "OH"));
       }},
      {"acetone", "CC(C)=O",
       [o](Hand& h) {
         h.Chain({Zig(o, 0), Zig(o, 1), Zig(o, 2)});
         h.Double(Zig(o, 1), h.Label(Grid(o.x + 260, o.y + 450), "O", "O"));
       }},
      {"cyclohexanone", "O=C1CCCCC1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolHexane, o);
         h.Double(r[1], h.Label(Hand::Out(r, 1, 420), "O", "O"));
       }},
      {"toluene", "Cc1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], Hand::Out(r, 0));
       }},
      {"phenol", "Oc1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "OH"}});
       }},
      {"aniline", "Nc1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], h.Label(Hand::Out(r, 0, 420), "NH_2", "NH#idown 2# "));
       }},
      {"benzoic-acid", "OC(=O)c1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolAromaticBenzene, o, {{0, "COOH"}});
       }},
      {"benzoic-acid-index", "OC(=O)c1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], h.Label(Hand::Out(r, 0, 420), "CO_2H", "CO#idown 2# H"));
       }},
      {"aspirin", "CC(=O)Oc1ccccc1C(=O)O",
       [o](Hand& h) {
         RingWithLabels(h, kToolAromaticBenzene, o, {{0, "OAc"}, {1, "COOH"}});
       }},
      {"nitrobenzene", "O=[N+]([O-])c1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], h.Label(Hand::Out(r, 0, 420), "NO_2", "NO#idown 2# "));
       }},
      {"acetophenone", "CC(=O)c1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "Ac"}});
       }},
      {"anisole", "COc1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "OMe"}});
       }},
      {"benzonitrile", "N#Cc1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "CN"}});
       }},
      {"tert-butylbenzene", "CC(C)(C)c1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "tBu"}});
       }},
      {"cumene-condensed", "CC(C)c1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], h.Label(Hand::Out(r, 0, 420), "CH(CH_3)_2", "CH(CH#idown 3# )#idown 2# "));
       }},
      {"benzotrifluoride", "FC(F)(F)c1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], h.Label(Hand::Out(r, 0, 420), "CF_3", "CF#idown 3# "));
       }},
      {"benzyl-alcohol", "OCc1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "CH2OH"}});
       }},
      {"phenethyl-alcohol", "OCCc1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "CH2CH2OH"}});
       }},
      {"bromochlorobenzene", "Clc1ccc(Br)cc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "Cl"}, {3, "Br"}});
       }},
      {"reversed-labels", "COc1ccc(C(=O)O)cc1",
       [o](Hand& h) {
         // HOOC and H3CO read from the right, written left of the ring.
         const std::vector<CPoint> r = h.Ring(kToolHexane90, o);
         std::size_t nLeft = 0;
         std::size_t nRight = 0;
         for (std::size_t k = 0; k < r.size(); ++k) {
           if (r[k].x < r[nLeft].x) nLeft = k;
           if (r[k].x > r[nRight].x) nRight = k;
         }
         h.Bond(r[nLeft], h.Label(Hand::Out(r, nLeft, 420), "HOOC", "HOOC", 3));
         h.Bond(r[nRight], h.Label(Hand::Out(r, nRight, 420), "H_3CO", "H#idown 3# CO", 1));
         // Aromatic after all: the circle of the aromatic template, drawn into the ring.
         h.Tool(kToolEllipse);
         h.Click(Grid(o.x, o.y));
       }},
      {"cyanoanisole", "COc1ccc(C#N)cc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "OMe"}, {3, "NC"}});
       }},
      {"methyl-13C-benzene", "[13CH3]c1ccccc1",
       [o](Hand& h) {
         const std::vector<CPoint> r = h.Ring(kToolBenzene, o);
         h.Bond(r[0], h.Label(Hand::Out(r, 0, 420), "{13}CH_3", "#iudl 13# # CH#idown 3# "));
       }},
      {"tms-acetylene", "C#C[Si](C)(C)C",
       [o](Hand& h) {
         h.Triple(o, Grid(o.x + 300, o.y));
         h.Bond(Grid(o.x + 300, o.y), h.Label(Grid(o.x + 690, o.y), "TMS", "TMS"));
       }},
      {"boc-methylamine", "CNC(=O)OC(C)(C)C",
       [o](Hand& h) {
         const CPoint nh = h.Label(Zig(o, 1), "NH", "NH");
         h.Bond(o, nh);
         h.Bond(nh, h.Label(Grid(o.x + 690, o.y), "Boc", "Boc"));
       }},
      {"methyl-tosylate", "COS(=O)(=O)c1ccc(C)cc1",
       [o](Hand& h) { h.Bond(o, h.Label(Grid(o.x + 390, o.y), "OTs", "OTs")); }},
      {"label-not-understood", "*C",
       [o](Hand& h) { h.Bond(o, h.Label(Grid(o.x + 390, o.y), "Xy", "Xy")); }},
      {"pyridine", "c1ccncc1",
       [o](Hand& h) {
         // A ring drawn bond by bond, one corner a nitrogen label.
         std::vector<CPoint> p;
         for (int k = 0; k < 6; ++k)
           p.push_back(Grid(o.x + 300 * std::cos(k * 3.14159265 / 3),
                            o.y + 300 * std::sin(k * 3.14159265 / 3)));
         const CPoint n = h.Label(p[3], "N", "N");
         p[3] = n;
         for (int k = 0; k < 6; ++k) {
           if (k % 2 == 0) {
             h.Double(p[k], p[(k + 1) % 6]);
           } else {
             h.Bond(p[k], p[(k + 1) % 6]);
           }
         }
       }},
      {"furan", "c1ccoc1",
       [o](Hand& h) {
         std::vector<CPoint> p;
         for (int k = 0; k < 5; ++k)
           p.push_back(Grid(o.x + 300 * std::cos(k * 2 * 3.14159265 / 5 - 3.14159265 / 2),
                            o.y + 300 * std::sin(k * 2 * 3.14159265 / 5 - 3.14159265 / 2)));
         p[0] = h.Label(p[0], "O", "O");
         h.Bond(p[0], p[1]);
         h.Double(p[1], p[2]);
         h.Bond(p[2], p[3]);
         h.Double(p[3], p[4]);
         h.Bond(p[4], p[0]);
       }},
      // Charges and salts.
      {"trimethylammonium", "C[NH+](C)C",
       [o](Hand& h) {
         const CPoint n = h.Label(o, "N", "N");
         h.Bond(n, Grid(o.x - 300, o.y));
         h.Bond(n, Grid(o.x + 300, o.y));
         h.Bond(n, Grid(o.x, o.y - 300));
         h.Charge(true, Grid(o.x, o.y + 270));
       }},
      {"nitromethane-charged-labels", "C[N+](=O)[O-]",
       [o](Hand& h) {
         const CPoint n = h.Label(Zig(o, 1), "N^+", "N#iup +# ");
         h.Bond(o, n);
         h.Double(n, h.Label(Grid(o.x + 260, o.y + 450), "O", "O"));
         h.Bond(n, h.Label(Zig(o, 2), "O^-", "O#iup -# "));
       }},
      {"sodium-acetate", "CC(=O)[O-].[Na+]",
       [o](Hand& h) {
         h.Bond(o, Zig(o, 1));
         h.Double(Zig(o, 1), h.Label(Grid(o.x + 260, o.y + 450), "O", "O"));
         h.Bond(Zig(o, 1), h.Label(Zig(o, 2), "O", "O"));
         h.Charge(false, Grid(o.x + 700, o.y + 60));
         h.Label(Grid(o.x + 1500, o.y), "Na^+", "Na#iup +# ");
       }},
      {"methylamine-hydrochloride", "CN.Cl",
       [o](Hand& h) {
         h.Bond(o, h.Label(Grid(o.x + 390, o.y), "NH_2", "NH#idown 2# "));
         h.Label(Grid(o.x + 1200, o.y), "HCl", "HCl");
       }},
      {"water-alone", "O", [o](Hand& h) { h.Label(o, "H_2O", "H#idown 2# O"); }},
      {"ammonium-alone", "[NH4+]", [o](Hand& h) { h.Label(o, "NH_4^+", "NH#idown 4# #iup +# "); }},
      // Stereo.
      {"l-alanine", "C[C@H](N)C(=O)O", [o](Hand& h) { Alanine(h, o, kToolDashedWedge); }},
      {"d-alanine", "C[C@@H](N)C(=O)O", [o](Hand& h) { Alanine(h, o, kToolWedge); }},
      {"lactic-acid", "C[C@@H](O)C(=O)O", [o](Hand& h) { Alanine(h, o, kToolWedge, "HO", "HO"); }},
      {"mirrored-l-alanine", "C[C@@H](N)C(=O)O",
       [o](Hand& h) {
         Alanine(h, o, kToolDashedWedge);
         h.Command(cmd::kSelectAll);
         h.Command(cmd::kMirrorVertical);
       }},
      {"grouped-phenol", "Oc1ccccc1",
       [o](Hand& h) {
         RingWithLabels(h, kToolBenzene, o, {{0, "OH"}});
         h.Command(cmd::kSelectAll);
         h.Command(cmd::kGroup);
       }},
      {"trans-2-butene", "C/C=C/C",
       [o](Hand& h) {
         h.Bond(Zig(o, 0), Zig(o, 1));
         h.Double(Zig(o, 1), Zig(o, 2));
         h.Bond(Zig(o, 2), Zig(o, 3));
       }},
      {"cis-2-butene", "C/C=C\\C",
       [o](Hand& h) {
         h.Bond(Zig(o, 0), Zig(o, 1));
         h.Double(Zig(o, 1), Zig(o, 2));
         h.Bond(Zig(o, 2), Grid(o.x + 520, o.y - 300));
       }},
      {"wavy-bond", "CC(N)(O)Cl",
       [o](Hand& h) {
         h.Bond(o, h.Label(Grid(o.x + 300, o.y + 150), "OH", "OH"));
         h.Bond(o, h.Label(Grid(o.x + 300, o.y - 150), "NH_2", "NH#idown 2# "));
         h.Bond(o, h.Label(Grid(o.x - 300, o.y), "Cl", "Cl"));
         h.Bond(o, Grid(o.x, o.y - 300), kToolHarmonic);
       }},
      // Reactions.
      {"oxidation-with-condition", "CCO>>CC=O",
       [o](Hand& h) {
         h.Bond(o, Zig(o, 1));
         h.Bond(Zig(o, 1), h.Label(Zig(o, 2), "OH", "OH"));
         h.Bond(Grid(o.x + 1200, o.y), Grid(o.x + 2700, o.y), kToolArrow);
         h.Label(Grid(o.x + 1800, o.y + 300), "PCC", "PCC");
         h.Bond(Grid(o.x + 3000, o.y), Zig(Grid(o.x + 3000, o.y), 1));
         h.Double(Zig(Grid(o.x + 3000, o.y), 1), h.Label(Grid(o.x + 3260, o.y + 450), "O", "O"));
       }},
      {"esterification", "CC(=O)O.CO>>CC(=O)OC.O",
       [o](Hand& h) {
         const CPoint a = o;
         h.Bond(a, Zig(a, 1));
         h.Double(Zig(a, 1), h.Label(Grid(a.x + 260, a.y + 450), "O", "O"));
         h.Bond(Zig(a, 1), h.Label(Zig(a, 2), "OH", "OH"));
         h.Label(Grid(a.x + 1050, a.y), "+", "+");
         h.Bond(Grid(a.x + 1500, a.y), h.Label(Grid(a.x + 1800, a.y), "OH", "OH"));
         h.Bond(Grid(a.x + 2400, a.y), Grid(a.x + 3900, a.y), kToolArrow);
         h.Label(Grid(a.x + 2900, a.y + 300), "H_2SO_4", "H#idown 2# SO#idown 4# ");
         const CPoint b = Grid(a.x + 4200, a.y);
         h.Bond(b, Zig(b, 1));
         h.Double(Zig(b, 1), h.Label(Grid(b.x + 260, b.y + 450), "O", "O"));
         h.Bond(Zig(b, 1), h.Label(Zig(b, 2), "OMe", "OMe"));
         h.Label(Grid(b.x + 1200, b.y), "+", "+");
         h.Label(Grid(b.x + 1650, b.y), "H_2O", "H#idown 2# O");
       }},
      {"bromination", "c1ccccc1>>Brc1ccccc1",
       [o](Hand& h) {
         h.Ring(kToolBenzene, o);
         h.Bond(Grid(o.x + 700, o.y), Grid(o.x + 2200, o.y), kToolArrow);
         h.Label(Grid(o.x + 1200, o.y + 300), "Br_2", "Br#idown 2# ");
         h.Label(Grid(o.x + 1100, o.y - 300), "FeBr_3", "FeBr#idown 3# ");
         RingWithLabels(h, kToolBenzene, Grid(o.x + 2900, o.y), {{0, "Br"}});
       }},
      {"agent-along-arrow", "CBr>O>CO.[Br-]",
       [o](Hand& h) {
         h.Bond(o, h.Label(Grid(o.x + 390, o.y), "Br", "Br"));
         h.Bond(Grid(o.x + 1200, o.y), Grid(o.x + 2700, o.y), kToolArrow);
         h.Label(Grid(o.x + 1800, o.y + 300), "H_2O", "H#idown 2# O");
         h.Bond(Grid(o.x + 3000, o.y), h.Label(Grid(o.x + 3390, o.y), "OH", "OH"));
         h.Label(Grid(o.x + 4200, o.y), "Br^-", "Br#iup -# ");
       }},
      {"two-steps", "CCO>>CC=O | CC=O>>CC(=O)O",
       [o](Hand& h) {
         h.Bond(o, h.Label(Grid(o.x + 390, o.y), "CH_2OH", "CH#idown 2# OH"));
         h.Bond(Grid(o.x + 1500, o.y), Grid(o.x + 2700, o.y), kToolArrow);
         const CPoint b = Grid(o.x + 3000, o.y);
         h.Bond(b, h.Label(Grid(b.x + 390, b.y), "CHO", "CHO"));
         h.Bond(Grid(b.x + 1500, b.y), Grid(b.x + 2700, b.y), kToolArrow);
         const CPoint c = Grid(b.x + 3000, b.y);
         h.Bond(c, h.Label(Grid(c.x + 390, c.y), "COOH", "COOH"));
       }},
      // The acetate's first junction is the first object of the file.
      {"equilibrium-is-no-reaction", "CC(=O)[O-].CC(=O)O",
       [o](Hand& h) {
         h.Bond(o, h.Label(Grid(o.x + 390, o.y), "COOH", "COOH"));
         h.Bond(Grid(o.x + 1500, o.y), Grid(o.x + 2700, o.y), kToolDoubleArrow);
         const CPoint b = Grid(o.x + 3000, o.y);
         h.Bond(b, Zig(b, 1));
         h.Double(Zig(b, 1), h.Label(Grid(b.x + 260, b.y + 450), "O", "O"));
         h.Bond(Zig(b, 1), h.Label(Zig(b, 2), "O^-", "O#iup -# "));
       }},
  };
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::cerr << "usage: make_structure_corpus FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::ofstream expected(folder + "/expected.tsv");
  expected
      << "# file\tthe molecules it must read as (SMILES; reaction steps separated by \" | \")\n";
  int n = 0;
  for (const Entry& e : Corpus()) {
    Hand hand;
    e.draw(hand);
    const std::string name = std::string(e.name) + ".vld";
    if (!hand.Save(folder + "/" + name)) Fail("cannot write " + name);
    expected << name << "\t" << e.expected << "\n";
    ++n;
  }
  std::cout << n << " drawings\n";
  return 0;
}
