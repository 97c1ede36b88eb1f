#include "platform/CSvgDC.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "platform/CTextMetrics.h"

namespace {

// Numbers are written with std::to_chars: the application's locale must not turn a
// decimal point into a comma.
std::string Num(std::int64_t v) { return std::to_string(v); }
std::string Num(int v) { return std::to_string(v); }

std::string Num(double v) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
  std::string s(buf, res.ptr);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// Half of a sum of two coordinates, exact: an integer or an integer and a half.
std::string Half(std::int64_t a, std::int64_t b) {
  const std::int64_t sum = a + b;
  if (sum % 2 == 0) return Num(sum / 2);
  return Num(static_cast<double>(sum) / 2.0);
}

std::string Colour(COLORREF cr) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(cr), GetGValue(cr), GetBValue(cr));
  return buf;
}

// Character data and attribute values: the five markup characters escaped, and control
// characters, which XML does not allow and which draw nothing, left out.
std::string Escape(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7F && u < 0xA0)) continue;
    switch (u) {
      case '&':
        out += QStringLiteral("&amp;");
        break;
      case '<':
        out += QStringLiteral("&lt;");
        break;
      case '>':
        out += QStringLiteral("&gt;");
        break;
      case '"':
        out += QStringLiteral("&quot;");
        break;
      case '\'':
        out += QStringLiteral("&apos;");
        break;
      default:
        out += c;
    }
  }
  const QByteArray utf8 = out.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace

CSvgDC::CSvgDC(const CRect& rcView, int nWidth, int nHeight) {
  const std::int64_t left = rcView.left, top = rcView.top;
  const std::int64_t w = std::max<std::int64_t>(std::llabs(rcView.right - left), 1);
  const std::int64_t h = std::max<std::int64_t>(std::llabs(top - rcView.bottom), 1);
  nWidth = std::max(nWidth, 1);
  nHeight = std::max(nHeight, 1);
  m_dUnitsPerPixel = std::max(static_cast<double>(w) / nWidth, static_cast<double>(h) / nHeight);
  m_strWidth = Num(nWidth);
  m_strHeight = Num(std::int64_t{nHeight});
  m_strViewBox = Num(left) + " " + Num(-top) + " " + Num(w) + " " + Num(h);
  const auto clamp = [](std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  };
  m_rcClip = CRect{clamp(left), clamp(top), clamp(left + w), clamp(top - h)};
}

void CSvgDC::SetPhysicalSize(CSize szHundredthsMm) {
  m_strWidth = Num(std::max(std::llabs(szHundredthsMm.cx), 1LL) / 100.0) + "mm";
  m_strHeight = Num(std::max(std::llabs(szHundredthsMm.cy), 1LL) / 100.0) + "mm";
}

std::string CSvgDC::GetSvg() const {
  std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  head += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + m_strWidth +
          "\" height=\"" + m_strHeight + "\" viewBox=\"" + m_strViewBox + "\">\n";
  // One flip for the whole drawing: inside the group y points up, as in the drawing.
  head += "<g transform=\"scale(1,-1)\">\n";
  return head + m_body + "</g>\n</svg>\n";
}

std::string CSvgDC::StrokeAttributes() const {
  const CPen& p = GetCurrentPen();
  const bool bHairline = p.nWidth <= m_dUnitsPerPixel;
  const double dWidth = bHairline ? m_dUnitsPerPixel : static_cast<double>(p.nWidth);
  std::string s = " stroke=\"" + Colour(p.crColor) + "\" stroke-width=\"" +
                  (bHairline ? Num(dWidth) : Num(static_cast<std::int64_t>(p.nWidth))) + "\"";
  if (p.nStyle == PS_DOT) {
    const std::string dot = Num(bHairline ? 3 * dWidth : dWidth);
    s += " stroke-linecap=\"butt\" stroke-dasharray=\"" + dot + " " + dot + "\"";
  } else if (bHairline) {
    s += " stroke-linecap=\"butt\" stroke-linejoin=\"miter\"";
  } else {
    s += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
  }
  return s;
}

std::string CSvgDC::FillAttribute(bool bFill) const {
  const CBrush& b = GetCurrentBrush();
  if (!bFill || b.nStyle != BS_SOLID) return " fill=\"none\"";
  return " fill=\"" + Colour(b.crColor) + "\"";
}

void CSvgDC::DoLine(CPoint from, CPoint to) {
  if (GetROP2() == R2_NOTXORPEN) return;
  m_body += "<line x1=\"" + Num(std::int64_t{from.x}) + "\" y1=\"" + Num(std::int64_t{from.y}) +
            "\" x2=\"" + Num(std::int64_t{to.x}) + "\" y2=\"" + Num(std::int64_t{to.y}) + "\"" +
            StrokeAttributes() + "/>\n";
}

void CSvgDC::DoRectangle(const CRect& rc) {
  if (GetROP2() == R2_NOTXORPEN) return;
  const std::int64_t w = static_cast<std::int64_t>(rc.right) - rc.left;
  const std::int64_t h = static_cast<std::int64_t>(rc.top) - rc.bottom;
  m_body += "<rect x=\"" + Num(std::int64_t{rc.left}) + "\" y=\"" + Num(std::int64_t{rc.bottom}) +
            "\" width=\"" + Num(w) + "\" height=\"" + Num(h) + "\"" + FillAttribute(true) +
            StrokeAttributes() + "/>\n";
}

void CSvgDC::DoEllipse(const CRect& rc) {
  if (GetROP2() == R2_NOTXORPEN) return;
  const std::int64_t w = static_cast<std::int64_t>(rc.right) - rc.left;
  const std::int64_t h = static_cast<std::int64_t>(rc.top) - rc.bottom;
  m_body += "<ellipse cx=\"" + Half(rc.left, rc.right) + "\" cy=\"" + Half(rc.top, rc.bottom) +
            "\" rx=\"" + Half(w, 0) + "\" ry=\"" + Half(h, 0) + "\"" + FillAttribute(true) +
            StrokeAttributes() + "/>\n";
}

void CSvgDC::DoPolygon(const CPoint* pts, int nCount) {
  if (GetROP2() == R2_NOTXORPEN) return;
  std::string points;
  for (int i = 0; i < nCount; ++i) {
    if (i > 0) points += ' ';
    points += Num(std::int64_t{pts[i].x}) + "," + Num(std::int64_t{pts[i].y});
  }
  m_body += "<polygon points=\"" + points + "\" fill-rule=\"evenodd\"" + FillAttribute(true) +
            StrokeAttributes() + "/>\n";
}

CSize CSvgDC::DoTextExtent(std::string_view text) {
  return CTextMetrics::Extent(GetCurrentFont(), text);
}

void CSvgDC::DoTextOut(CPoint pt, std::string_view text, CSize extent) {
  if (text.empty()) return;
  const std::int64_t x = pt.x, y = pt.y;
  // The opaque cell, from the top-left corner down (y up inside the flipped group).
  m_body += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y - extent.cy) + "\" width=\"" +
            Num(std::int64_t{extent.cx}) + "\" height=\"" + Num(std::int64_t{extent.cy}) +
            "\" fill=\"#ffffff\"/>\n";

  const CFont& font = GetCurrentFont();
  const CTextMetrics::Metrics m = CTextMetrics::Measure(font, text);
  const bool bSymbol = CTextMetrics::IsSymbolFace(font.strFace);
  const std::string family = bSymbol ? "'Liberation Serif', 'Times New Roman', serif"
                                     : "'Liberation Sans', Arial, Helvetica, sans-serif";
  const std::int64_t size = std::llabs(static_cast<long long>(font.nHeight));
  m_body += "<text transform=\"translate(" + Num(x) + "," + Num(y) +
            ") scale(1,-1)\" x=\"0\" y=\"" + Num(m.dAscent) + "\" font-family=\"" + family +
            "\" font-size=\"" + Num(size) + "\"";
  if (font.nWeight >= 600) m_body += " font-weight=\"bold\"";
  // The measured width is what the layout relies on; a viewer with other fonts keeps it.
  if (extent.cx > 0) m_body += " textLength=\"" + Num(std::int64_t{extent.cx}) + "\"";
  m_body += " fill=\"" + Colour(GetTextColor()) + "\" xml:space=\"preserve\">" +
            Escape(CTextMetrics::TextFor(font, text)) + "</text>\n";
}
