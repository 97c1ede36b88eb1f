#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <climits>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "objects/CPlusC.h"
#include "platform/CSvgDC.h"
#include "platform/CTextMetrics.h"

namespace {

struct Element {
  std::string name;
  std::map<std::string, std::string> attrs;
  std::string text;
};

// Parses the document and returns its elements in order; fails the test on any XML error.
std::vector<Element> Parse(const std::string& svg) {
  std::vector<Element> out;
  QXmlStreamReader xml(QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      Element e;
      e.name = xml.name().toString().toStdString();
      for (const QXmlStreamAttribute& a : xml.attributes()) {
        e.attrs[a.qualifiedName().toString().toStdString()] = a.value().toString().toStdString();
      }
      if (e.name == "text") e.text = xml.readElementText().toStdString();
      out.push_back(std::move(e));
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << "\n" << svg;
  return out;
}

std::vector<Element> Named(const std::vector<Element>& all, const std::string& name) {
  std::vector<Element> out;
  for (const Element& e : all) {
    if (e.name == name) out.push_back(e);
  }
  return out;
}

// Whether each listed attribute of the element has exactly the given value; the failure
// names every attribute that is missing or differs.
::testing::AssertionResult HasAttrs(
    const Element& e, std::initializer_list<std::pair<const char*, std::string>> expected) {
  std::string wrong;
  for (const auto& [key, value] : expected) {
    const auto it = e.attrs.find(key);
    if (it == e.attrs.end()) {
      wrong += std::string(" ") + key + " missing (expected \"" + value + "\");";
    } else if (it->second != value) {
      wrong += std::string(" ") + key + "=\"" + it->second + "\" (expected \"" + value + "\");";
    }
  }
  if (wrong.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "<" << e.name << ">" << wrong;
}

}  // namespace

TEST(SvgDC, DocumentFlipsOnceAndShowsTheBox) {
  CSvgDC dc(CRect{-100, 500, 8540, -3820}, 1152, 576);
  const std::vector<Element> all = Parse(dc.GetSvg());
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[0].name, "svg");
  EXPECT_TRUE(HasAttrs(all[0], {{"viewBox", "-100 -500 8640 4320"}, {"width", "1152"}}));
  EXPECT_TRUE(HasAttrs(all[0], {{"height", "576"}}));
  const std::vector<Element> groups = Named(all, "g");
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].attrs.at("transform"), "scale(1,-1)");
}

TEST(SvgDC, PlusChargeKeepsItsExactCoordinates) {
  CSvgDC dc(CRect{0, 3000, 3000, 0}, 300, 300);
  CPlusC plus;
  plus.MoveTo(CPoint{1000, 2000});
  plus.m_crColor = RGB(0, 0x80, 0xff);
  plus.Draw(&dc);
  const std::vector<Element> all = Parse(dc.GetSvg());

  const std::vector<Element> ellipses = Named(all, "ellipse");
  ASSERT_EQ(ellipses.size(), 1u);
  const Element& e = ellipses[0];
  EXPECT_TRUE(HasAttrs(e, {{"cx", "1100"}, {"cy", "1900"}, {"rx", "100"}, {"ry", "100"}}));
  EXPECT_TRUE(HasAttrs(e, {{"fill", "none"}, {"stroke", "#0080ff"}, {"stroke-width", "20"}}));

  const std::vector<Element> lines = Named(all, "line");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(HasAttrs(lines[0], {{"x1", "1020"}, {"y1", "1900"}, {"x2", "1180"}, {"y2", "1900"}}));
  EXPECT_TRUE(HasAttrs(lines[1], {{"x1", "1100"}, {"y1", "1980"}, {"x2", "1100"}, {"y2", "1820"}}));
}

TEST(SvgDC, RectanglesPolygonsAndOddEllipses) {
  CSvgDC dc(CRect{0, 0, 1000, -1000}, 100, 100);
  dc.SelectObject(CBrush{BS_SOLID, RGB(255, 0, 0)});
  dc.Rectangle(300, -50, 10, -400);  // corners in either order
  dc.Ellipse(-3, 4, 8, -7);          // centre (2.5, -1.5), radii 5.5
  const CPoint tri[3] = {{1, 2}, {-30, 40}, {50, -60}};
  const int counts[1] = {3};
  dc.PolyPolygon(tri, counts, 1);
  const std::vector<Element> all = Parse(dc.GetSvg());

  const Element rect = Named(all, "rect").at(0);
  EXPECT_TRUE(HasAttrs(rect, {{"x", "10"}, {"y", "-400"}, {"width", "290"}, {"height", "350"}}));
  EXPECT_TRUE(HasAttrs(rect, {{"fill", "#ff0000"}}));
  EXPECT_TRUE(HasAttrs(Named(all, "ellipse").at(0),
                       {{"cx", "2.5"}, {"cy", "-1.5"}, {"rx", "5.5"}, {"ry", "5.5"}}));
  EXPECT_TRUE(HasAttrs(Named(all, "polygon").at(0),
                       {{"points", "1,2 -30,40 50,-60"}, {"fill-rule", "evenodd"}}));
}

TEST(SvgDC, ExtremeCoordinatesAreWrittenExactly) {
  CSvgDC dc(CRect{INT_MIN, INT_MAX, INT_MAX, INT_MIN}, 640, 480);
  dc.Rectangle(INT_MIN, INT_MAX, INT_MAX, INT_MIN);
  dc.Ellipse(INT_MIN, INT_MAX, INT_MAX, INT_MIN);
  dc.MoveToEx(INT_MIN, INT_MIN);
  dc.LineTo(INT_MAX, INT_MAX);
  const std::vector<Element> all = Parse(dc.GetSvg());
  EXPECT_TRUE(HasAttrs(all[0], {{"viewBox", "-2147483648 -2147483647 4294967295 4294967295"}}));
  EXPECT_TRUE(HasAttrs(Named(all, "rect").at(0), {{"x", "-2147483648"}, {"width", "4294967295"}}));
  EXPECT_TRUE(HasAttrs(Named(all, "ellipse").at(0), {{"cx", "-0.5"}, {"rx", "2147483647.5"}}));
  EXPECT_TRUE(HasAttrs(Named(all, "line").at(0), {{"x1", "-2147483648"}, {"y2", "2147483647"}}));
}

TEST(SvgDC, ThinPensAreOnePixelOfTheOutput) {
  CSvgDC dc(CRect{0, 0, 8640, -4320}, 1152, 576);  // 7.5 units per pixel
  dc.SelectObject(CPen{PS_SOLID, 2, 0});
  dc.MoveToEx(0, 0);
  dc.LineTo(100, 0);
  dc.SelectObject(CPen{PS_DOT, 30, 0});
  dc.LineTo(200, 0);
  const std::vector<Element> lines = Named(Parse(dc.GetSvg()), "line");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(HasAttrs(lines[0], {{"stroke-width", "7.5"}}));
  EXPECT_TRUE(HasAttrs(lines[1], {{"stroke-width", "30"}, {"stroke-dasharray", "30 30"}}));
}

TEST(SvgDC, InvertingFiguresAreLeftOut) {
  CSvgDC dc(CRect{0, 0, 100, -100}, 100, 100);
  {
    CRop2Guard rop(&dc, R2_NOTXORPEN);
    dc.Rectangle(0, 0, 10, -10);
    dc.Ellipse(0, 0, 10, -10);
    dc.LineTo(5, 5);
  }
  dc.Rectangle(1, 2, 3, 4);
  const std::vector<Element> all = Parse(dc.GetSvg());
  EXPECT_EQ(Named(all, "rect").size(), 1u);
  EXPECT_TRUE(Named(all, "ellipse").empty());
  EXPECT_TRUE(Named(all, "line").empty());
}

TEST(SvgDC, TextIsUprightOverAWhiteCell) {
  CSvgDC dc(CRect{0, 0, 4000, -2000}, 400, 200);
  dc.SelectObject(CFont{"Arial", -240, 400});
  dc.SetTextColor(RGB(0x12, 0x34, 0x56));
  const CSize ext = dc.GetTextExtent("H2O");
  dc.TextOut(1000, -500, "H2O");
  const std::vector<Element> all = Parse(dc.GetSvg());

  const Element cell = Named(all, "rect").at(0);
  EXPECT_TRUE(HasAttrs(cell, {{"x", "1000"}, {"y", std::to_string(-500 - 268)}}));
  EXPECT_TRUE(HasAttrs(cell, {{"height", "268"}}));
  EXPECT_TRUE(HasAttrs(cell, {{"width", std::to_string(ext.cx)}, {"fill", "#ffffff"}}));

  const Element text = Named(all, "text").at(0);
  EXPECT_EQ(text.text, "H2O");
  EXPECT_TRUE(HasAttrs(text, {{"transform", "translate(1000,-500) scale(1,-1)"}}));
  EXPECT_TRUE(HasAttrs(text, {{"font-size", "240"}}));
  EXPECT_TRUE(HasAttrs(text, {{"fill", "#123456"}, {"textLength", std::to_string(ext.cx)}}));
  EXPECT_EQ(text.attrs.at("font-family").rfind("'Liberation Sans'", 0), 0u);
  // The baseline lies the font's ascent below the cell's top.
  EXPECT_NEAR(std::stod(text.attrs.at("y")), 217.27, 0.01);
}

TEST(SvgDC, TextIsEscapedAndDecoded) {
  CSvgDC dc(CRect{0, 0, 4000, -2000}, 400, 200);
  dc.SelectObject(CFont{"Arial", -240, 400});
  dc.TextOut(0, 0, std::string("a<b>&\"c'\x01\x1f\x8a\0z", 13));
  dc.SelectObject(CFont{"Symbol", -240, 400});
  dc.TextOut(0, -300, "abW");
  const std::vector<Element> texts = Named(Parse(dc.GetSvg()), "text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "a<b>&\"c'\xC5\xA0z");        // controls left out, 0x8A is Š
  EXPECT_EQ(texts[1].text, "\xCE\xB1\xCE\xB2\xCE\xA9");  // αβΩ
  EXPECT_EQ(texts[1].attrs.at("font-family").rfind("'Liberation Serif'", 0), 0u);
}

TEST(SvgDC, EmptyTextDrawsNothing) {
  CSvgDC dc(CRect{0, 0, 100, -100}, 100, 100);
  dc.TextOut(0, 0, "");
  const std::vector<Element> all = Parse(dc.GetSvg());
  EXPECT_TRUE(Named(all, "text").empty());
  EXPECT_TRUE(Named(all, "rect").empty());
}
