#pragma once

#include <string>

#include "objects/CDC.h"

// A drawing surface that writes SVG. Everything is written in drawing units, exactly as the
// objects give it (integers stay integers), inside one group that turns the y axis up;
// text elements turn themselves upright again. The caller names the box of drawing units
// that the picture shows and the picture's size in pixels; the mapping of the surface is
// not used for coordinates.
//
// Text becomes <text> in Liberation Sans (Arial's metric twin) with the same measurements
// as the Qt surface, over an opaque white cell; Symbol letters become Greek letters in
// Liberation Serif. Pens narrower than one pixel of the named output size are widened to
// one pixel, as on screen.
//
// Inverting (R2_NOTXORPEN) figures are left out: they are transient feedback that a second
// drawing of the same figure erases, so a picture never shows them.
class CSvgDC : public CDC {
 public:
  // rcView: the box shown (left, top, right, bottom with top >= bottom); nWidth x nHeight:
  // the picture's size in pixels (at least 1 x 1).
  CSvgDC(const CRect& rcView, int nWidth, int nHeight);

  // Gives the picture a size in millimetres (from 0.01 mm) instead of its size in pixels;
  // the pixel size still decides how thin a pen may be.
  void SetPhysicalSize(CSize szHundredthsMm);

  // The complete document as drawn so far (UTF-8).
  std::string GetSvg() const;

  // The box the picture shows.
  std::optional<CRect> GetClipBox() const override { return m_rcClip; }

 protected:
  void DoLine(CPoint from, CPoint to) override;
  void DoRectangle(const CRect& rc) override;
  void DoEllipse(const CRect& rc) override;
  void DoPolygon(const CPoint* pts, int nCount) override;
  CSize DoTextExtent(std::string_view text) override;
  void DoTextOut(CPoint pt, std::string_view text, CSize extent) override;

 private:
  // The stroke attributes of the selected pen.
  std::string StrokeAttributes() const;
  // The fill attribute of the selected brush (or none when bFill is clear).
  std::string FillAttribute(bool bFill) const;

  CRect m_rcClip;
  std::string m_strWidth, m_strHeight, m_strViewBox;
  std::string m_body;
  double m_dUnitsPerPixel = 1.0;
};
