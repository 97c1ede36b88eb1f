#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <memory>
#include <vector>

#include "objects/CDC.h"

class QImage;
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
  // Limits what is drawn from now on to the union of the rectangles (right and bottom
  // exclusive), in the pixels of the view (the device's own pixels divided by its pixel
  // ratio); none lifts the limit. The pixels inside get exactly what they get without it.
  // False when the device is scaled by a fraction, where the rectangles' edges would cut
  // pixels.
  bool ClipToPixels(const std::vector<CRect>& rects);
  int GetDeviceCaps(int nIndex) const override;
  std::optional<CRect> GetClipBox() const override;

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
  // The painter state for normal drawing with the selected pen and brush. Painter state
  // changes are costly in Qt (a new transform alone recomputes the engine's state), so
  // only what differs is set, and pens and brushes are built only when the selection
  // changes.
  void ApplyDrawingState(bool bFill);
  // Device pixels the selected pen covers across (its widest extent under the mapping), at
  // least the one pixel of a thin pen.
  double PenSpan() const;
  // Whether a box of device pixels, widened by margin on every side, lies wholly off the
  // device (only known for an own painter on an image; false for anything not finite).
  bool OffDevice(const QRectF& rcDevice, double margin) const;
  // Whether a figure with this box (logical units), stroked with the selected pen, leaves
  // every pixel of the device alone: Qt would draw nothing of it but still pay for
  // stroking and scan-converting it.
  bool MissesDevice(const QRectF& rcLogical) const;
  // Whether painting the figure could not change a pixel because it is all white (pen and
  // any fill) and everything it can touch is white already. Opaque white blended over
  // white at any coverage gives white again, so leaving such a figure out keeps the
  // picture, and the white bands behind bonds mostly fall on empty paper.
  bool WhiteOnWhite(const QPainterPath& path, bool bFill) const;
  // Whether every pixel of the image within margin pixels of the box is opaque white.
  bool AreaWhite(const QRectF& rcDevice, double margin) const;
  // The outline (or with a solid brush, the area) of an ellipse far larger than the device,
  // cut down to the part that can reach it, in path; false for one that is not.
  bool ClippedEllipse(const QRectF& rcLogical, QPainterPath& path) const;
  // Draws a path in logical units with the selected pen; bFill marks a closed figure,
  // whose interior gets the selected brush.
  void DrawPath(const QPainterPath& path, bool bFill);
  void DrawInverted(const QPainterPath& path, bool bFill);

  // Strokes a line of a solid pen wider than a pixel straight into the image's pixels,
  // which paints the same as Qt's antialiased stroke at a fraction of its cost. False
  // when the line needs the painter (no image of its own, another raster operation, a
  // dotted or thin pen, a turned or unevenly scaled mapping, a clip or opacity set on the
  // painter by its owner).
  bool DrawLineDirect(CPoint from, CPoint to);

  std::unique_ptr<QPainter> m_pOwnPainter;
  QPainter* m_pPainter = nullptr;
  QTransform m_base;  // the painter's transform before any mapping
  bool m_bRestore = false;

  // ---- Painter state kept between primitives ----
  QTransform m_xform;  // Mapping() * m_base, the transform of normal drawing
  // On an image of our own painter: m_xform followed by the image's device pixel ratio,
  // which takes logical units to the image's pixels (the same as m_xform at ratio 1).
  QTransform m_xformPixels;
  double m_dRatio = 1.0;
  QRectF m_rcDevice;           // the device's pixels when figures off it may be skipped
  bool m_bCull = false;        // only for an own painter on an image
  QImage* m_pImage = nullptr;  // that image, when its pixels can be read as 32-bit words
  // The limit of ClipToPixels in the image's pixels, as rectangles that do not overlap.
  std::vector<QRect> m_clipPixels;
  bool m_bPenValid = false;  // m_qpen was built from m_penKey (and m_bPenHairline)
  CPen m_penKey;
  bool m_bPenHairline = false;
  QPen m_qpen;
  bool m_bBrushValid = false;  // m_qbrush stands for m_brushKey (filled figures)
  CBrush m_brushKey;
  QBrush m_qbrush;
  // ----
};
