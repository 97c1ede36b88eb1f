#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <memory>

#include "objects/CDC.h"

class QPaintDevice;

// The drawing surface on a QPainter: an image (the view's back buffer, PNG export), a
// printer or a PDF writer. The CDC mapping becomes the painter's world transform, so every
// primitive is given in logical units.
//
// Pens are as wide as asked in logical units but never thinner than one device pixel, with
// round ends and joins; a dotted pen draws dots one pen width long with equal gaps (three
// pixels on, three off when it is one pixel wide). Normal drawing is antialiased.
// R2_NOTXORPEN inverts through RasterOp_NotSourceXorDestination without antialiasing, and
// paints each pixel of a figure once (outline over interior, never both), so that drawing
// the same figure twice gives back every pixel. Devices without raster operations (PDF,
// printers) skip inverting figures: they only ever serve as transient feedback.
class CQtDC : public CDC {
 public:
  // Draws on the device through a painter of its own, ended when the surface is destroyed.
  explicit CQtDC(QPaintDevice* pDevice);
  // Draws through the caller's active painter; its current world transform stays beneath
  // the mapping (e.g. a printer's page scale), and its state is restored at destruction.
  explicit CQtDC(QPainter* pPainter);
  ~CQtDC() override;

  QPainter* GetPainter() { return m_pPainter; }
  int GetDeviceCaps(int nIndex) const override;

 protected:
  void DoLine(CPoint from, CPoint to) override;
  void DoRectangle(const CRect& rc) override;
  void DoEllipse(const CRect& rc) override;
  void DoPolygon(const CPoint* pts, int nCount) override;
  CSize DoTextExtent(std::string_view text) override;
  void DoTextOut(CPoint pt, std::string_view text, CSize extent) override;
  void OnMappingChanged() override;

 private:
  QTransform Mapping() const;
  // Device pixels per logical unit (geometric mean of the two axes), base included.
  double PixelsPerUnit() const;
  double DeviceWidthOf(const CPen& pen) const;
  QPen MakePen() const;
  // Draws a path in logical units with the selected pen; bFill marks a closed figure,
  // whose interior gets the selected brush.
  void DrawPath(const QPainterPath& path, bool bFill);
  void DrawInverted(const QPainterPath& path, bool bFill);

  std::unique_ptr<QPainter> m_pOwnPainter;
  QPainter* m_pPainter = nullptr;
  QTransform m_base;  // the painter's transform before any mapping
  bool m_bRestore = false;
};
