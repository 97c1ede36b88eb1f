#pragma once

#include "objects/CDC.h"
#include "objects/Geometry.h"

// Where drawing surfaces come from: the window's surface, memory surfaces and the copies
// between them. A window provides them on the screen; a picture made without a window gets
// them from surfaces that measure text on a reference surface of the picture's resolution.
class IViewSurfaces {
 public:
  virtual ~IViewSurfaces() = default;

  // GetDC hands out a surface that draws on the window (null when none can be obtained);
  // ReleaseDC gives it back. A memory surface compatible with another one holds a bitmap of
  // cx x cy pixels (null when it cannot be had); DeleteMemoryDC frees it with its bitmap.
  virtual CDC* GetDC() = 0;
  virtual void ReleaseDC(CDC* pDC) = 0;
  virtual CDC* CreateMemoryDC(CDC* pCompatible, int cxPixels, int cyPixels) = 0;
  virtual void DeleteMemoryDC(CDC* pDC) = 0;
  // Paints the device rectangle rcPixels of a surface in one solid colour.
  virtual void FillSolidRect(CDC* pDC, const CRect& rcPixels, COLORREF cr) = 0;
  // Copies a block, given in each surface's logical units, from pSrc to pDest.
  virtual void BitBlt(CDC* pDest, int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc) = 0;
  // Records the physical size of a memory surface's bitmap in 0.1 mm.
  virtual void SetBitmapDimension(CDC* pMemDC, CSize szTenthsMm) = 0;
};

// A window surface borrowed for one step and given back at the end of the scope.
class CScopedWindowDC {
 public:
  explicit CScopedWindowDC(IViewSurfaces& surfaces)
      : m_surfaces(surfaces), m_pDC(surfaces.GetDC()) {}
  CScopedWindowDC(const CScopedWindowDC&) = delete;
  CScopedWindowDC& operator=(const CScopedWindowDC&) = delete;
  ~CScopedWindowDC() {
    if (m_pDC != nullptr) m_surfaces.ReleaseDC(m_pDC);
  }
  CDC* Get() const { return m_pDC; }

 private:
  IViewSurfaces& m_surfaces;
  CDC* m_pDC;
};

// A memory surface, freed with its bitmap when it leaves scope.
class CMemoryDC {
 public:
  CMemoryDC(IViewSurfaces& surfaces, CDC* pCompatible, int cx, int cy)
      : m_surfaces(surfaces), m_pDC(surfaces.CreateMemoryDC(pCompatible, cx, cy)) {}
  // A surface already handed out.
  CMemoryDC(IViewSurfaces& surfaces, CDC* pDC) : m_surfaces(surfaces), m_pDC(pDC) {}
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;
  ~CMemoryDC() {
    if (m_pDC != nullptr) m_surfaces.DeleteMemoryDC(m_pDC);
  }
  CDC* Get() const { return m_pDC; }

 private:
  IViewSurfaces& m_surfaces;
  CDC* m_pDC;
};
