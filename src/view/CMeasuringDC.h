#pragma once

#include <memory>
#include <vector>

#include "objects/CDC.h"
#include "view/IViewSurfaces.h"

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

// Surfaces without a window: nothing is shown, so no bitmap is allocated however large
// the drawing; every surface measures text on the reference (the recording surface's fixed
// metrics when there is none) and has its pixels per inch.
class CMeasuringSurfaces : public IViewSurfaces {
 public:
  explicit CMeasuringSurfaces(CDC* pReference = nullptr) : m_pReference(pReference) {}
  CMeasuringSurfaces(const CMeasuringSurfaces&) = delete;
  CMeasuringSurfaces& operator=(const CMeasuringSurfaces&) = delete;
  ~CMeasuringSurfaces() override;

  CDC* Reference() const { return m_pReference; }
  CDC* GetDC() override;
  void ReleaseDC(CDC* pDC) override { Free(pDC); }
  CDC* CreateMemoryDC(CDC* pCompatible, int cxPixels, int cyPixels) override;
  void DeleteMemoryDC(CDC* pDC) override { Free(pDC); }
  void FillSolidRect(CDC*, const CRect&, COLORREF) override {}
  void BitBlt(CDC*, int, int, int, int, CDC*, int, int) override {}
  void SetBitmapDimension(CDC*, CSize) override {}

 private:
  void Free(CDC* pDC);

  CDC* m_pReference;
  std::vector<std::unique_ptr<CDC>> m_surfaces;
};
