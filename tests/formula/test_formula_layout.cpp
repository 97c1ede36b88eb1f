// Layout, drawing and caret geometry on the recording surface, whose metrics are fixed: a
// byte advances |h| / 2 and a cell is |h| + |h| / 8 high. At scale 1.0 the base font is 240
// (bytes 120 wide, hL8 = 270) and the index font 180 (bytes 90 wide, hL6 = 202), so the
// upper slots start 101 above the anchor and the lower ones 169 below it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CRecordingDC.h"
#include "objects/ICaretSink.h"
#include "view/CKvillView.h"

namespace {

using Op = CRecordingDC::Op;

struct TextAt {
  std::string text;
  CPoint pt;
  std::string face;
  int nHeight;
};

std::vector<TextAt> Texts(const CRecordingDC& dc) {
  std::vector<TextAt> out;
  for (const auto& r : dc.RecordsOf(Op::Text)) {
    out.push_back({r.text, r.pts[0], r.font.strFace, r.font.nHeight});
  }
  return out;
}

std::unique_ptr<CFormula> MakeFormula(const std::string& text, CPoint anchor = {1000, 2000}) {
  auto f = std::make_unique<CFormula>();
  f->m_strText = text;
  f->m_ptAnchor = anchor;
  return f;
}

// A caret sink that records what the formula engine asks of the window.
class FakeSink : public ICaretSink {
 public:
  void PrepareSurface(CDC* pDC) override {
    ++m_nPrepared;
    pDC->SetMapMode(MM_ANISOTROPIC);
  }
  void ShowCaretAt(CDC*, CPoint ptTop, int nHeight) override {
    m_shows.push_back({ptTop, nHeight});
  }

  int m_nPrepared = 0;
  std::vector<std::pair<CPoint, int>> m_shows;
};

}  // namespace

TEST(FormulaMeasure, FontsFollowTheScale) {
  CRecordingDC dc;
  auto f = MakeFormula("");
  EXPECT_EQ(f->MeasureString(&dc, "C", "Arial", 8), (CSize{120, 270}));
  EXPECT_EQ(f->MeasureString(&dc, "CO", "Symbol", 6), (CSize{180, 202}));
  f->m_dScale = 2.0;
  EXPECT_EQ(f->MeasureString(&dc, "C", "Arial", 8), (CSize{240, 540}));
  EXPECT_EQ(f->MeasureString(&dc, "C", "Arial", 6), (CSize{180, 405}));
  f->m_dScale = 1.0 / 48.0;  // 8 * 30 / 48 = 5: round(5.0) and 6 * 30 / 48 = 3.75 -> 4
  EXPECT_EQ(f->MeasureString(&dc, "C", "Arial", 8).cy, 5);
  EXPECT_EQ(f->MeasureString(&dc, "C", "Arial", 6).cy, 4);
  // Scales a stream may carry: the font height stops at the 32-bit range either way
  // (negating the smallest int32 would be undefined), and drawing goes on.
  for (const double scale : {-1e300, 1e300, -1e9, -7.15827882e7}) {
    f->m_dScale = scale;
    f->MeasureString(&dc, "C", "Arial", 8);
    f->PaintString(&dc, "C", "Arial", 8, 0, 0);
    EXPECT_EQ(dc.Records().back().font.nHeight, scale < 0 ? INT32_MAX : -INT32_MAX) << scale;
  }
  dc.Clear();
  // The surface's font is restored and nothing is drawn.
  EXPECT_EQ(dc.GetCurrentFont(), CFont{});
  EXPECT_TRUE(dc.Records().empty());
}

TEST(FormulaMeasure, RunsResolvePairsAndGreekLetters) {
  CRecordingDC dc;
  auto f = MakeFormula("");
  EXPECT_EQ(f->MeasureRun(&dc, "D", 8), (CSize{120, 270}));
  EXPECT_EQ(f->MeasureRun(&dc, "", 6), (CSize{0, 202}));
  EXPECT_EQ(f->MeasureRun(&dc, "a<<b>>", 8).cx, 4 * 120);  // a<b>
  EXPECT_EQ(f->MeasureRun(&dc, "a<b>c", 8).cx, 3 * 120);   // a, beta, c
  EXPECT_EQ(f->MeasureRun(&dc, "<<<a>", 8).cx, 2 * 120);   // '<', alpha
  EXPECT_EQ(f->MeasureRun(&dc, "x<", 8).cx, 2 * 120);      // a lone '<' is a character
}

TEST(FormulaDraw, LowerIndexExample) {
  CRecordingDC dc;
  auto f = MakeFormula("H#idown 2# O");
  f->m_crColor = RGB(200, 0, 0);
  f->Draw(&dc);
  const std::vector<TextAt> t = Texts(dc);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].text, "H");
  EXPECT_EQ(t[0].pt, (CPoint{1000, 2000}));
  EXPECT_EQ(t[0].nHeight, -240);
  EXPECT_EQ(t[1].text, "2");
  EXPECT_EQ(t[1].pt, (CPoint{1120, 2000 + 101 - 270}));
  EXPECT_EQ(t[1].nHeight, -180);
  EXPECT_EQ(t[1].face, "Arial");
  EXPECT_EQ(t[2].text, "O");
  EXPECT_EQ(t[2].pt, (CPoint{1210, 2000}));
  for (const auto& r : dc.RecordsOf(Op::Text)) EXPECT_EQ(r.crText, RGB(200, 0, 0));
  // Bottom: the lower slot's cell; right: the end of "O".
  EXPECT_EQ(f->m_rcBounds, (CRect{1000, 2000, 1330, 1831 - 202}));
  EXPECT_EQ(dc.GetCurrentFont(), CFont{});
}

TEST(FormulaDraw, TwoSlotTemplates) {
  CRecordingDC dc;
  auto right = MakeFormula("SO#iudr 2-# 4# x");
  right->Draw(&dc);
  std::vector<TextAt> t = Texts(dc);
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[1].text, "2-");
  EXPECT_EQ(t[1].pt, (CPoint{1240, 2101}));
  EXPECT_EQ(t[2].text, "4");
  EXPECT_EQ(t[2].pt, (CPoint{1240, 1831}));  // both slots start at the same x
  EXPECT_EQ(t[3].text, "x");
  EXPECT_EQ(t[3].pt, (CPoint{1240 + 180, 2000}));  // after the wider slot
  EXPECT_EQ(right->m_rcBounds, (CRect{1000, 2101, 1540, 1629}));

  dc.Clear();
  auto left = MakeFormula("#iudl 14# # C");
  left->Draw(&dc);
  t = Texts(dc);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].text, "14");
  EXPECT_EQ(t[0].pt, (CPoint{1000, 2101}));  // starts at the anchor's x ...
  EXPECT_EQ(t[1].text, "C");
  EXPECT_EQ(t[1].pt, (CPoint{1180, 2000}));  // ... and ends where "C" begins

  dc.Clear();
  auto wideLower = MakeFormula("#iudl 1# 235# C");
  wideLower->Draw(&dc);
  t = Texts(dc);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].pt, (CPoint{1000 + 270 - 90, 2101}));  // right-aligned with the lower slot
  EXPECT_EQ(t[1].pt, (CPoint{1000, 1831}));
  EXPECT_EQ(t[2].pt, (CPoint{1270, 2000}));
}

TEST(FormulaDraw, GreekLettersAndEscapes) {
  CRecordingDC dc;
  auto f = MakeFormula("a<b>c##<<x>>");
  f->Draw(&dc);
  const std::vector<TextAt> t = Texts(dc);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].text, "a");
  EXPECT_EQ(t[1].text, "b");  // the stored byte, drawn in the Symbol face
  EXPECT_EQ(t[1].face, "Symbol");
  EXPECT_EQ(t[1].pt, (CPoint{1120, 2000}));
  EXPECT_EQ(t[2].text, "c#<x>");
  EXPECT_EQ(t[2].pt, (CPoint{1240, 2000}));
  EXPECT_EQ(f->m_strText, "a<b>c##<<x>>");

  // A Greek letter in a slot is drawn at the index size.
  dc.Clear();
  auto g = MakeFormula("X#iup <p># ");
  g->Draw(&dc);
  const std::vector<TextAt> u = Texts(dc);
  ASSERT_EQ(u.size(), 2u);
  EXPECT_EQ(u[1].text, "p");
  EXPECT_EQ(u[1].face, "Symbol");
  EXPECT_EQ(u[1].nHeight, -180);
  EXPECT_EQ(u[1].pt, (CPoint{1120, 2101}));
}

TEST(FormulaDraw, ScaleDoublesFontsAndOffsets) {
  CRecordingDC dc;
  auto f = MakeFormula("H#idown 2# O");
  f->m_dScale = 2.0;
  f->Draw(&dc);
  const std::vector<TextAt> t = Texts(dc);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].nHeight, -480);
  EXPECT_EQ(t[1].nHeight, -360);
  // hL8 = 540, hL6 = 405: the lower slot starts 202 - 540 = -338 from the anchor.
  EXPECT_EQ(t[1].pt, (CPoint{1240, 2000 - 338}));
  EXPECT_EQ(t[2].pt, (CPoint{1420, 2000}));
  EXPECT_EQ(f->m_rcBounds, (CRect{1000, 2000, 1660, 2000 - 338 - 405}));
}

TEST(FormulaDraw, BoxAtLeast100AndRaisedByALeadingTemplate) {
  CRecordingDC dc;
  auto up = MakeFormula("#iup 2# x");
  up->Draw(&dc);
  EXPECT_EQ(up->m_rcBounds.top, 2101);
  EXPECT_EQ(up->m_rcBounds.left, 1000);

  // A narrow formula keeps the 100-unit minimum width.
  auto tiny = MakeFormula("i");
  tiny->m_dScale = 0.25;  // font 60: one byte 30 wide, cell 67
  tiny->Draw(&dc);
  EXPECT_EQ(tiny->m_rcBounds, (CRect{1000, 2000, 1100, 1900}));
}

TEST(FormulaDraw, EmptyFormulaShowsItsFrameUnlessSelected) {
  CRecordingDC dc;
  auto f = MakeFormula("");
  f->Draw(&dc);
  EXPECT_EQ(f->m_rcBounds, (CRect{1000, 2000, 1100, 2000 - 270}));
  const auto rects = dc.RecordsOf(Op::Rectangle);
  ASSERT_EQ(rects.size(), 2u);  // the selection frame and handle 1
  EXPECT_EQ(rects[0].pts[0], (CPoint{970, 2020}));
  EXPECT_EQ(rects[0].pts[1], (CPoint{1130, 1710}));

  CRecordingDC dc2;
  auto g = MakeFormula("");
  g->m_bSelected = 1;
  g->Draw(&dc2);
  EXPECT_TRUE(dc2.RecordsOf(Op::Rectangle).empty());
}

TEST(FormulaCaret, GeometryOfEveryKindOfPlace) {
  CRecordingDC dc;
  auto f = MakeFormula("H#idown 2# O");
  CPoint top;
  int h = 0;
  EXPECT_EQ(f->CaretGeometry(&dc, 0, &top, &h), BaseStop);
  EXPECT_EQ(top, (CPoint{1000, 2000}));
  EXPECT_EQ(h, 270);
  EXPECT_EQ(f->CaretGeometry(&dc, 8, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1120, 1831}));
  EXPECT_EQ(h, 202);
  EXPECT_EQ(f->CaretGeometry(&dc, 9, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1210, 1831}));
  EXPECT_EQ(f->CaretGeometry(&dc, 11, &top, &h), BaseStop);
  EXPECT_EQ(top, (CPoint{1210, 2000}));
  EXPECT_EQ(f->CaretGeometry(&dc, 12, &top, &h), BaseStop);
  EXPECT_EQ(top, (CPoint{1330, 2000}));
  EXPECT_EQ(f->CaretGeometry(&dc, 4, &top, &h), NoStop);

  auto l = MakeFormula("#iudl 14# 5# C");
  EXPECT_EQ(l->CaretGeometry(&dc, 6, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1000, 2101}));
  EXPECT_EQ(l->CaretGeometry(&dc, 8, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1180, 2101}));
  EXPECT_EQ(l->CaretGeometry(&dc, 10, &top, &h), IndexStop);  // slot 2, right-aligned
  EXPECT_EQ(top, (CPoint{1090, 1831}));
  EXPECT_EQ(l->CaretGeometry(&dc, 11, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1180, 1831}));
  EXPECT_EQ(l->CaretGeometry(&dc, 13, &top, &h), BaseStop);
  EXPECT_EQ(top, (CPoint{1180, 2000}));

  auto r = MakeFormula("#iudr # # ");
  EXPECT_EQ(r->CaretGeometry(&dc, 6, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1000, 2101}));
  EXPECT_EQ(r->CaretGeometry(&dc, 8, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{1000, 1831}));
  EXPECT_EQ(r->CaretGeometry(&dc, 10, &top, &h), BaseStop);
  EXPECT_EQ(top, (CPoint{1000, 2000}));

  // Escaped pairs count once; a foreign keyword is measured as text.
  auto e = MakeFormula("a##<b>#x y");
  EXPECT_EQ(e->CaretGeometry(&dc, 6, &top, &h), BaseStop);
  EXPECT_EQ(top.x, 1000 + 3 * 120);
  EXPECT_EQ(e->CaretGeometry(&dc, 10, &top, &h), BaseStop);
  EXPECT_EQ(top.x, 1000 + 7 * 120);
}

TEST(FormulaCaret, LocateCaretReportsTheCentreAndAsksTheSink) {
  FakeSink link;
  CRecordingDC dc;
  auto f = MakeFormula("H#idown 2# O");
  CPoint out{-1, -1};
  EXPECT_EQ(f->LocateCaret(&dc, 0, 9, &out, &link), IndexStop);
  EXPECT_EQ(out, (CPoint{1210, 1831 - 101}));
  EXPECT_EQ(link.m_nPrepared, 1);
  EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
  EXPECT_TRUE(link.m_shows.empty());

  EXPECT_EQ(f->LocateCaret(&dc, 1, 1, &out, &link), BaseStop);
  EXPECT_EQ(out, (CPoint{1120, 2000 - 135}));
  ASSERT_EQ(link.m_shows.size(), 1u);
  EXPECT_EQ(link.m_shows[0].first, (CPoint{1120, 2000}));
  EXPECT_EQ(link.m_shows[0].second, 270);

  // A position that is not a stop leaves the point and the caret alone.
  out = CPoint{-1, -1};
  f->m_nCaret = 1;
  EXPECT_EQ(f->LocateCaret(&dc, 1, 3, &out, &link), NoStop);
  EXPECT_EQ(out, (CPoint{-1, -1}));
  EXPECT_EQ(link.m_shows.size(), 1u);
  EXPECT_EQ(f->m_nCaret, 1);

  // Without a sink (a bond measuring its end), neither the mapping nor the caret is touched.
  CRecordingDC pic;
  EXPECT_EQ(f->LocateCaret(&pic, 1, 0, &out, nullptr), BaseStop);
  EXPECT_EQ(out, (CPoint{1000, 1865}));
  EXPECT_EQ(pic.GetMapMode(), MM_TEXT);
  EXPECT_EQ(link.m_nPrepared, 3);
  EXPECT_EQ(link.m_shows.size(), 1u);
}

TEST(FormulaCaret, TheViewsFormulaSessionKeepsTheShowRequest) {
  CKvillView view;
  CRecordingDC dc;
  auto f = MakeFormula("#iup 2# ", CPoint{0, 0});
  CPoint out;
  EXPECT_EQ(f->LocateCaret(&dc, 1, 6, &out, &view.FormulaSession()), IndexStop);
  EXPECT_EQ(view.FormulaSession().CaretTop(), (CPoint{90, 101}));
  EXPECT_EQ(view.FormulaSession().CaretHeight(), 202);
  EXPECT_EQ(view.FormulaSession().CaretRequests(), 1);

  // While the document draws its embedding picture, the session neither maps the
  // surface nor shows the caret.
  CKvillDoc doc;
  view.SetDocument(&doc);
  doc.m_bRenderingPicture = 1;
  CRecordingDC pic;
  EXPECT_EQ(f->LocateCaret(&pic, 1, 6, &out, &view.FormulaSession()), IndexStop);
  EXPECT_EQ(pic.GetMapMode(), MM_TEXT);
  EXPECT_EQ(view.FormulaSession().CaretRequests(), 1);
  doc.m_bRenderingPicture = 0;
  view.SetDocument(nullptr);
}

TEST(FormulaCaret, BondSearchForTheFirstBaseStop) {
  // A bond walks i = 1, 2, ... until a base stop; in "#iudl 14# # C" that is 12, before "C".
  CRecordingDC dc;
  auto f = MakeFormula("#iudl 14# # C");
  int i = 1;
  CPoint pt;
  while (f->LocateCaret(&dc, 0, i, &pt, nullptr) != BaseStop) ++i;
  EXPECT_EQ(i, 12);
  EXPECT_EQ(pt.x, 1180);
}
