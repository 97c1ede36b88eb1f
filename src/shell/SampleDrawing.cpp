#include "shell/SampleDrawing.h"

#include <QImage>
#include <memory>
#include <utility>
#include <vector>

#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/RingTemplates.h"
#include "platform/CQtDC.h"

namespace {

// Rows of the sample, from the top; one inch is 1440 units.
constexpr int kLeft = 400;
constexpr int kEllipseRow = -300;
constexpr int kPlusRow = -1700;
constexpr int kMinusRow = -2700;
constexpr int kFormulaRow = -3600;
constexpr int kDotRow = -4500;
constexpr int kTemplateRow = -5300;
constexpr int kSmallGreekRow = -6200;
constexpr int kCapitalGreekRow = -6800;
constexpr int kScaledFormulaRow = -7500;
constexpr int kBondSide1Row = -8600;
constexpr int kBondSide2Row = -9500;
constexpr int kBondThicknessRow = -10400;
constexpr int kBondFormulaRow = -11300;
constexpr int kGroupRow = -12900;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 140, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);
constexpr COLORREF kMagenta = RGB(180, 0, 160);

template <typename T>
T* Add(CObList& list, std::unique_ptr<T> obj) {
  T* p = obj.get();
  list.push_back(std::move(obj));
  return p;
}

// An ellipse with its box's top-left corner at (x, y), as the ellipse tool leaves it.
void AddEllipse(CObList& list, int x, int y, int rx, int ry, double dThickness, COLORREF cr,
                bool bSelected, bool bKeepAspect) {
  auto e = std::make_unique<CEllipse>();
  e->MoveTo(CPoint{x + rx, y - ry});
  e->SetHalfSize(rx, ry);
  e->m_dThickness = dThickness;
  e->m_crColor = cr;
  e->m_bSelected = bSelected ? 1 : 0;
  e->m_bKeepAspect = bKeepAspect ? 1 : 0;
  Add(list, std::move(e));
}

// A charge of the given kind with its top-left corner at (x, y), scaled from its default
// size by dScale.
template <typename T>
void AddCharge(CObList& list, int x, int y, double dScale, double dThickness, COLORREF cr,
               bool bSelected, bool bKeepAspect) {
  auto c = std::make_unique<T>();
  c->MoveTo(CPoint{x, y});
  c->SetScale(dScale);
  c->m_dThickness = dThickness;
  c->m_crColor = cr;
  c->m_bSelected = bSelected ? 1 : 0;
  c->m_bKeepAspect = bKeepAspect ? 1 : 0;
  Add(list, std::move(c));
}

// A formula with its first cell's top-left corner at (x, y).
void AddFormula(CObList& list, int x, int y, const char* pszText, double dScale, COLORREF cr,
                bool bSelected) {
  auto f = std::make_unique<CFormula>();
  f->MoveTo(CPoint{x, y});
  f->m_strText = pszText;
  f->m_dScale = dScale;
  f->m_crColor = cr;
  f->m_bSelected = bSelected ? 1 : 0;
  Add(list, std::move(f));
}

void AddDot(CObList& list, int x, int y, bool bSelected) {
  auto d = std::make_unique<CDot>();
  d->MoveTo(CPoint{x, y});
  d->m_bSelected = bSelected ? 1 : 0;
  Add(list, std::move(d));
}

// Bonds, arrows and curves: end dots, then the bond between them.
CCoupling* AddBond(CObList& list, CKVObject* pA, CKVObject* pB, int nStyle, int nSide,
                   int nPenStyle, double dThickness, COLORREF cr, bool bSelected) {
  auto b = std::make_unique<CCoupling>();
  b->m_pEndA = pA;
  b->m_pEndB = pB;
  b->m_nStyle = nStyle;
  b->m_nSide = nSide;
  b->m_nPenStyle = nPenStyle;
  b->m_dThickness = dThickness;
  b->m_crColor = cr;
  b->m_bSelected = bSelected ? 1 : 0;
  return Add(list, std::move(b));
}

CDot* NewDot(CObList& list, int x, int y) {
  auto d = std::make_unique<CDot>();
  d->MoveTo(CPoint{x, y});
  return Add(list, std::move(d));
}

CFormula* NewFormula(CObList& list, int x, int y, const char* pszText, COLORREF cr) {
  auto f = std::make_unique<CFormula>();
  f->MoveTo(CPoint{x, y});
  f->m_strText = pszText;
  f->m_crColor = cr;
  return Add(list, std::move(f));
}

// Inside a group: a junction, a bond and a formula appended to its list.
CDot* GroupDot(CGroup& g, CPoint pt) {
  auto d = std::make_unique<CDot>();
  d->MoveTo(pt);
  CDot* p = d.get();
  g.AddChild(std::move(d));
  return p;
}

void GroupBond(CGroup& g, CKVObject* pA, CKVObject* pB, int nStyle, int nSide) {
  auto b = std::make_unique<CCoupling>();
  b->m_pEndA = pA;
  b->m_pEndB = pB;
  b->m_nStyle = nStyle;
  b->m_nSide = nSide;
  g.AddChild(std::move(b));
}

CFormula* GroupFormula(CGroup& g, CPoint pt, const char* pszText) {
  auto f = std::make_unique<CFormula>();
  f->MoveTo(pt);
  f->m_strText = pszText;
  CFormula* p = f.get();
  g.AddChild(std::move(f));
  return p;
}

// The vertex junctions of a ring group, in the order the ring builder made them.
std::vector<CKVObject*> RingVertices(CGroup& g) {
  std::vector<CKVObject*> v;
  for (auto& p : g.m_listChildren) {
    if (p->m_nKind == KIND_DOT) v.push_back(p.get());
  }
  return v;
}

// Draws a group once, as the editor has drawn everything before the user transforms it:
// formulas take the boxes of their text, which mirroring and rotation work with.
void LayOut(CGroup& g) {
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  CQtDC dc(&scratch);
  g.Draw(&dc);
}

// A Kekule benzene (double bonds 0-1, 2-3, 4-5 on the inner side) about c with a nitro
// group on vertex 0, as one group.
CGroup* AddNitrobenzene(CObList& list, CPoint c, COLORREF cr) {
  auto g = std::make_unique<CGroup>();
  PlaceRing(c, *g, 6, 0.523598775);
  int i = 0;
  for (auto& p : g->m_listChildren) {
    auto* pBond = dynamic_cast<CCoupling*>(p.get());
    if (pBond == nullptr) continue;
    if (++i % 2 == 1 && i < 6) {
      pBond->m_nStyle = 2;
      pBond->m_nSide = 2;
    }
  }
  CKVObject* pV0 = RingVertices(*g)[0];
  CFormula* pNO2 = GroupFormula(*g, CPoint{c.x + 460, c.y + 560}, "NO#idown 2# ");
  GroupBond(*g, pV0, pNO2, 1, 1);
  g->SetColor(cr);
  LayOut(*g);
  return Add(list, std::move(g));
}

// An aromatic six-ring with a hydroxy group and a wedge, as one group.
CGroup* AddPhenol(CObList& list, CPoint c, COLORREF cr) {
  auto g = std::make_unique<CGroup>();
  PlaceRing(c, *g, 6, 0.523598775);
  auto e = std::make_unique<CEllipse>();
  e->MoveTo(CPoint{c.x + 5, c.y - 5});
  e->SetHalfSize(181, 181);
  g->AddChild(std::move(e));
  const std::vector<CKVObject*> v = RingVertices(*g);
  CFormula* pOH = GroupFormula(*g, CPoint{c.x - 60, c.y + 800}, "OH");
  GroupBond(*g, v[1], pOH, 1, 1);
  CDot* pMe = GroupDot(*g, CPoint{c.x + 560, c.y - 320});
  GroupBond(*g, v[5], pMe, 4, 1);
  g->SetColor(cr);
  LayOut(*g);
  return Add(list, std::move(g));
}

}  // namespace

CRect SampleDrawingBox() { return CRect{0, 0, 8640, -14400}; }

namespace {

// Every bond style on both sides, at several thicknesses, between formulas, and in groups
// that are rotated and mirrored.
void AddBondRows(CObList& list) {
  struct Variant {
    int nStyle;
    int nPenStyle;
  };
  // Single, dotted, double, triple, full wedge, centred double, one-sided arrow, dashed
  // wedge, two-sided arrow, wide dashed bond and harmonic curve.
  const Variant variants[] = {{1, PS_SOLID}, {1, PS_DOT},   {2, PS_SOLID}, {3, PS_SOLID},
                              {4, PS_SOLID}, {5, PS_SOLID}, {6, PS_SOLID}, {7, PS_SOLID},
                              {8, PS_SOLID}, {9, PS_SOLID}, {10, PS_SOLID}};
  const int nStep = 740;
  for (int nSide = 1; nSide <= 2; ++nSide) {
    const int y = nSide == 1 ? kBondSide1Row : kBondSide2Row;
    const COLORREF cr = nSide == 1 ? kBlack : kBlue;
    int x = kLeft;
    for (const Variant& v : variants) {
      CDot* pA = NewDot(list, x, y - 650);
      CDot* pB = NewDot(list, x + 480, y - 50);
      AddBond(list, pA, pB, v.nStyle, nSide, v.nPenStyle, 1.0, cr, v.nStyle == 3 && nSide == 2);
      x += nStep;
    }
  }
  // Thicknesses 0.5 to 3 in colour; one horizontal and one vertical bond.
  const double thicknesses[] = {0.5, 2.0, 3.0};
  const int styles[] = {1, 2, 4, 6, 7, 10};
  int x = kLeft;
  for (int i = 0; i < 6; ++i) {
    const double t = thicknesses[i % 3];
    const COLORREF cr = i % 2 == 0 ? kRed : kGreen;
    CDot* pA = NewDot(list, x, kBondThicknessRow - 600);
    CDot* pB = NewDot(list, x + 600, kBondThicknessRow - 100);
    AddBond(list, pA, pB, styles[i], styles[i] == 6 ? 2 : 1, PS_SOLID, t, cr, false);
    x += 1000;
  }
  {
    // A crossing: the later bond's white band cuts the earlier one.
    CDot* pTop = NewDot(list, x + 350, kBondThicknessRow);
    CDot* pBottom = NewDot(list, x + 350, kBondThicknessRow - 700);
    AddBond(list, pTop, pBottom, 1, 1, PS_SOLID, 1.0, kBlack, false);
    CDot* pA = NewDot(list, x - 200, kBondThicknessRow - 350);
    CDot* pB = NewDot(list, x + 900, kBondThicknessRow - 350);
    AddBond(list, pA, pB, 2, 1, PS_SOLID, 1.0, kMagenta, false);
  }

  // Bonds to formulas: a reaction arrow between two formulas, ethanol drawn from its
  // formulas and a junction, and a double bond from a formula to a dot.
  const int y = kBondFormulaRow;
  CFormula* pLeft = NewFormula(list, kLeft, y, "2H#idown 2# + O#idown 2# ", kBlack);
  CFormula* pRight = NewFormula(list, kLeft + 2600, y, "2H#idown 2# O", kBlack);
  AddBond(list, pLeft, pRight, 6, 2, PS_SOLID, 1.0, kBlack, false);
  CFormula* pMethyl = NewFormula(list, kLeft + 3900, y - 500, "H#idown 3# C", kBlue);
  CDot* pCH2 = NewDot(list, kLeft + 4700, y - 100);
  CFormula* pOH = NewFormula(list, kLeft + 5300, y - 350, "OH", kBlue);
  AddBond(list, pMethyl, pCH2, 1, 1, PS_SOLID, 1.0, kBlue, false);
  AddBond(list, pCH2, pOH, 1, 1, PS_SOLID, 1.0, kBlue, false);
  CFormula* pO = NewFormula(list, kLeft + 6500, y, "O", kRed);
  CDot* pC = NewDot(list, kLeft + 6800, y - 900);
  AddBond(list, pC, pO, 2, 1, PS_SOLID, 1.0, kRed, true);

  // Groups: a phenol as placed and turned by 30 degrees (its inner circle becomes a
  // polygon of 200 junctions), and a nitrobenzene as placed, mirrored left to right and
  // mirrored top to bottom; the mirrors keep the double bonds inside the ring.
  const int yc = kGroupRow - 500;
  AddPhenol(list, CPoint{kLeft + 500, yc}, kBlack);
  CGroup* pTurned = AddPhenol(list, CPoint{kLeft + 2000, yc}, kGreen);
  pTurned->SaveExact();
  pTurned->Rotate((kLeft + 2000) * 100, yc * 100, 3.14159265 / 6);
  pTurned->RecalcBounds();
  pTurned->m_bSelected = 1;
  AddNitrobenzene(list, CPoint{kLeft + 3700, yc}, kBlack);
  CGroup* pMirrored = AddNitrobenzene(list, CPoint{kLeft + 5300, yc}, kRed);
  pMirrored->ResetDone();
  pMirrored->MirrorVertical();
  pMirrored->RecalcBounds();
  CGroup* pFlipped = AddNitrobenzene(list, CPoint{kLeft + 7000, yc}, kBlue);
  pFlipped->ResetDone();
  pFlipped->MirrorHorizontal();
  pFlipped->RecalcBounds();
}

}  // namespace

void BuildSampleDrawing(CObList& list) {
  // Ellipses: the tool's circle (radius 181), wide and tall ones, hairline to thick.
  AddEllipse(list, kLeft, kEllipseRow, 181, 181, 1.0, kBlack, false, true);
  AddEllipse(list, kLeft + 700, kEllipseRow, 600, 300, 2.0, kBlue, true, true);
  AddEllipse(list, kLeft + 2300, kEllipseRow, 250, 500, 0.5, kRed, true, false);
  AddEllipse(list, kLeft + 3200, kEllipseRow, 400, 400, 5.0, kGreen, false, true);
  AddEllipse(list, kLeft + 4300, kEllipseRow, 500, 250, 0.1, kMagenta, false, true);
  AddEllipse(list, kLeft + 5600, kEllipseRow, 700, 450, 0.75, kBlack, true, true);

  // Plus charges: default size 200, then smaller and larger, at several thicknesses.
  AddCharge<CPlusC>(list, kLeft, kPlusRow, 1.0, 1.0, kBlack, false, true);
  AddCharge<CPlusC>(list, kLeft + 700, kPlusRow, 0.5, 0.5, kBlack, false, true);
  AddCharge<CPlusC>(list, kLeft + 1300, kPlusRow, 1.5, 2.0, kRed, true, true);
  AddCharge<CPlusC>(list, kLeft + 2300, kPlusRow, 2.0, 0.2, kBlue, false, true);
  AddCharge<CPlusC>(list, kLeft + 3300, kPlusRow, 2.5, 4.0, kGreen, true, false);
  AddCharge<CPlusC>(list, kLeft + 4600, kPlusRow, 1.0, 1.5, kMagenta, false, true);

  // Minus charges: default size 180, likewise.
  AddCharge<CMinusC>(list, kLeft, kMinusRow, 1.0, 1.0, kBlack, false, true);
  AddCharge<CMinusC>(list, kLeft + 700, kMinusRow, 0.5, 0.75, kBlack, true, true);
  AddCharge<CMinusC>(list, kLeft + 1300, kMinusRow, 1.5, 2.0, kBlue, false, true);
  AddCharge<CMinusC>(list, kLeft + 2300, kMinusRow, 2.0, 3.0, kRed, true, false);
  AddCharge<CMinusC>(list, kLeft + 3300, kMinusRow, 3.0, 0.1, kGreen, false, true);

  // Formulas: lower, right and left indices, Greek letters, at three scales.
  AddFormula(list, kLeft, kFormulaRow, "H#idown 2# O", 1.0, kBlack, false);
  AddFormula(list, kLeft + 900, kFormulaRow, "SO#iudr 2-# 4# ", 1.0, kBlue, true);
  AddFormula(list, kLeft + 1900, kFormulaRow, "#iudl 14# # C", 1.0, kRed, false);
  AddFormula(list, kLeft + 2900, kFormulaRow, "<D>H = -286 kJ", 1.0, kBlack, false);
  AddFormula(list, kLeft + 5000, kFormulaRow, "Ca#iup 2+# ", 1.5, kMagenta, false);
  AddFormula(list, kLeft + 6200, kFormulaRow, "<a>-<b>", 2.0, kGreen, true);

  // Junction dots: invisible unless selected, when they show their frame only.
  AddDot(list, kLeft + 100, kDotRow, false);
  AddDot(list, kLeft + 700, kDotRow, true);
  AddDot(list, kLeft + 1300, kDotRow, true);
  AddDot(list, kLeft + 1900, kDotRow, false);

  // More formulas: both slots of a left index, Greek letters in base text and in slots,
  // escaped marker characters, a foreign keyword drawn as it stands and an empty formula
  // (its frame and handle); then every Greek letter of the palettes.
  AddFormula(list, kLeft, kTemplateRow, "#iudl 14# 6# C", 1.0, kRed, false);
  AddFormula(list, kLeft + 1000, kTemplateRow, "<D>H#idown r# <a>#iudr <b># <g># ", 1.0, kMagenta,
             true);
  AddFormula(list, kLeft + 2600, kTemplateRow, "#iup <p># X#idown <m># ", 1.0, kBlue, false);
  AddFormula(list, kLeft + 4000, kTemplateRow, "a##b <<c>> #abc def", 1.0, kBlack, false);
  AddFormula(list, kLeft + 6200, kTemplateRow, "", 1.0, kBlack, false);
  AddFormula(list, kLeft, kSmallGreekRow,
             "<a><b><c><d><e><f><j><g><h><i><k><l><m><n><o><p><v><q><J><r><s><V><t><u><w><x><y>"
             "<z>",
             1.0, kBlack, false);
  AddFormula(list, kLeft, kCapitalGreekRow,
             "<A><B><C><D><E><F><G><H><I><K><L><M><N><O><P><Q><R><S><T><U><W><X><Y><Z>", 1.0, kBlue,
             false);
  // Scaled: fonts, slot offsets and the box all follow the scale.
  AddFormula(list, kLeft, kScaledFormulaRow, "CH#idown 3# COOH", 1.0, kBlack, false);
  AddFormula(list, kLeft + 2000, kScaledFormulaRow, "CH#idown 3# COOH", 2.0, kRed, true);
  AddFormula(list, kLeft + 5200, kScaledFormulaRow, "<p>#iup 2# r#iup 2# ", 2.0, kGreen, false);

  AddBondRows(list);
}
