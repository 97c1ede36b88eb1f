#pragma once

#include "objects/CDC.h"

// A surface that draws nothing. It stands in for the scratch surfaces of the picture
// (which only absorb feedback and gather extents) and for buffers that are never shown:
// text is measured on a reference surface, so layouts match the surface the picture is
// finally drawn on, and pixels per inch are the reference's.
class CMeasuringDC : public CDC {
 public:
  // With no reference, text uses the fixed metrics of the recording surface.
  explicit CMeasuringDC(CDC* pReference = nullptr) : m_pReference(pReference) {}

  int GetDeviceCaps(int nIndex) const override;

 protected:
  void DoLine(CPoint, CPoint) override {}
  void DoRectangle(const CRect&) override {}
  void DoEllipse(const CRect&) override {}
  void DoPolygon(const CPoint*, int) override {}
  CSize DoTextExtent(std::string_view text) override;
  void DoTextOut(CPoint, std::string_view, CSize) override {}

 private:
  CDC* m_pReference;
};
