#include "shell/SampleDrawing.h"

#include <memory>
#include <utility>

#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CFormula.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"

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

}  // namespace

CRect SampleDrawingBox() { return CRect{0, 0, 8640, -8640}; }

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
}
