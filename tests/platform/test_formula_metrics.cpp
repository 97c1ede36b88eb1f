// Formula layout under the real metrics of the Qt surface: "Arial" is Liberation Sans,
// which has Arial's advance widths (H 722, 2 556, O 778, C 722 per 1000 em) and a cell of
// 1.117 em (ascent 1854 + descent 434 per 2048), so at 240 units the cell of "D" is 268
// and at 180 units 201.

#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "formula/CFormula.h"
#include "formula/FormulaMarkup.h"
#include "platform/CQtDC.h"
#include "platform/CTextMetrics.h"

namespace {

// The Qt surface, with every text piece it draws noted down.
class NotingQtDC : public CQtDC {
 public:
  using CQtDC::CQtDC;
  struct Piece {
    std::string text;
    CPoint pt;
    CSize extent;
    std::string face;
    int nHeight;
  };
  std::vector<Piece> m_pieces;

 protected:
  void DoTextOut(CPoint pt, std::string_view text, CSize extent) override {
    m_pieces.push_back(
        {std::string(text), pt, extent, GetCurrentFont().strFace, GetCurrentFont().nHeight});
    CQtDC::DoTextOut(pt, text, extent);
  }
};

struct FormulaMetrics : ::testing::Test {
  FormulaMetrics() : image(800, 600, QImage::Format_ARGB32_Premultiplied), dc(&image) {
    image.fill(Qt::white);
    // 1440 units per inch at 96 pixels per inch, y up, the anchor near the top left.
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1440, 1440);
    dc.SetViewportExt(96, -96);
    dc.SetViewportOrg(0, 0);
    f.m_ptAnchor = CPoint{300, -600};
  }
  static int Width(const char* face, int nHeight, const char* text) {
    return CTextMetrics::Extent(CFont{face, nHeight, 400}, text).cx;
  }
  static int Height(const char* face, int nHeight, const char* text) {
    return CTextMetrics::Extent(CFont{face, nHeight, 400}, text).cy;
  }
  QImage image;
  NotingQtDC dc;
  CFormula f;
};

}  // namespace

TEST_F(FormulaMetrics, WaterUnderLiberationMetrics) {
  f.m_strText = "H#idown 2# O";
  f.Draw(&dc);
  ASSERT_EQ(dc.m_pieces.size(), 3u);
  const int x = 300, y = -600;
  // hL8 = 268, hL6 = 201: the lower slot starts 201 / 2 - 268 = -168 from the anchor.
  EXPECT_EQ(dc.m_pieces[0].text, "H");
  EXPECT_EQ(dc.m_pieces[0].pt, (CPoint{x, y}));
  EXPECT_EQ(dc.m_pieces[0].extent, (CSize{173, 268}));
  EXPECT_EQ(dc.m_pieces[1].text, "2");
  EXPECT_EQ(dc.m_pieces[1].pt, (CPoint{x + 173, y - 168}));
  EXPECT_EQ(dc.m_pieces[1].extent, (CSize{100, 201}));
  EXPECT_EQ(dc.m_pieces[2].text, "O");
  EXPECT_EQ(dc.m_pieces[2].pt, (CPoint{x + 273, y}));
  EXPECT_EQ(f.m_rcBounds, (CRect{x, y, x + 273 + 187, y - 168 - 201}));

  // The caret after "2" and at the end, and the letter a bond measures.
  CPoint top;
  int h = 0;
  EXPECT_EQ(f.CaretGeometry(&dc, 9, &top, &h), IndexStop);
  EXPECT_EQ(top, (CPoint{x + 273, y - 168}));
  EXPECT_EQ(h, 201);
  EXPECT_EQ(f.CaretGeometry(&dc, 12, &top, &h), BaseStop);
  EXPECT_EQ(top, (CPoint{x + 460, y}));
  EXPECT_EQ(h, 268);
  EXPECT_EQ(f.MeasureString(&dc, "C", "Arial", 8), (CSize{173, 268}));
}

TEST_F(FormulaMetrics, SlotsAlignUnderRealWidths) {
  f.m_strText = "SO#iudr 2-# 4# x";
  f.Draw(&dc);
  ASSERT_EQ(dc.m_pieces.size(), 4u);
  const int wSO = Width("Arial", -240, "SO");
  const int w1 = Width("Arial", -180, "2-");
  const int w2 = Width("Arial", -180, "4");
  EXPECT_EQ(dc.m_pieces[1].pt, (CPoint{300 + wSO, -600 + 100}));
  EXPECT_EQ(dc.m_pieces[2].pt, (CPoint{300 + wSO, -600 - 168}));
  EXPECT_EQ(dc.m_pieces[3].pt.x, 300 + wSO + std::max(w1, w2));

  dc.m_pieces.clear();
  f.m_strText = "#iudl 14# # C";
  f.Draw(&dc);
  ASSERT_EQ(dc.m_pieces.size(), 2u);
  EXPECT_EQ(dc.m_pieces[0].pt.x, 300);
  EXPECT_EQ(dc.m_pieces[0].pt.x + dc.m_pieces[0].extent.cx, dc.m_pieces[1].pt.x);
}

TEST_F(FormulaMetrics, GreekLettersSitOnTheArialBaseCell) {
  f.m_strText = "a<b>c#iup <p># ";
  f.Draw(&dc);
  ASSERT_EQ(dc.m_pieces.size(), 4u);
  const NotingQtDC::Piece& beta = dc.m_pieces[1];
  EXPECT_EQ(beta.text, "b");
  EXPECT_EQ(beta.face, "Symbol");
  // The Symbol cell (Liberation Serif) is lower than the Arial one; their bottoms agree.
  const int hS = Height("Symbol", -240, "<O>");
  EXPECT_LT(hS, 268);
  EXPECT_EQ(beta.pt.y, -600 - 268 + hS);
  EXPECT_EQ(beta.pt.y - beta.extent.cy, -600 - 268);
  EXPECT_EQ(beta.pt.x, 300 + Width("Arial", -240, "a"));
  EXPECT_EQ(dc.m_pieces[2].pt.x, beta.pt.x + Width("Symbol", -240, "b"));
  // In an upper slot, at the index size.
  const NotingQtDC::Piece& pi = dc.m_pieces[3];
  EXPECT_EQ(pi.nHeight, -180);
  EXPECT_EQ(pi.pt.y - pi.extent.cy, -600 + 100 - 201);
}

TEST_F(FormulaMetrics, ScaleTwoDoublesTheFonts) {
  f.m_strText = "H#idown 2# O";
  f.m_dScale = 2.0;
  f.Draw(&dc);
  ASSERT_EQ(dc.m_pieces.size(), 3u);
  EXPECT_EQ(dc.m_pieces[0].nHeight, -480);
  EXPECT_EQ(dc.m_pieces[1].nHeight, -360);
  const int hL8 = Height("Arial", -480, "D");
  const int hL6 = Height("Arial", -360, "D");
  EXPECT_EQ(hL8, 536);
  EXPECT_EQ(hL6, 402);
  EXPECT_EQ(dc.m_pieces[1].pt, (CPoint{300 + 347, -600 + hL6 / 2 - hL8}));
}
