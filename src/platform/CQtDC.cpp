#include "platform/CQtDC.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QRegion>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

#include "platform/CTextMetrics.h"
#include "platform/LineRaster.h"

namespace {

QColor ToQColor(COLORREF cr) { return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr)); }

// Dots of a dotted pen, in pen widths: a one-pixel pen draws three pixels on and three off,
// a wider pen square dots as long as it is wide with gaps of the same length.
const QList<qreal>& DotPattern(bool bHairline) {
  static const QList<qreal> hairline{3, 3};
  static const QList<qreal> wide{1, 1};
  return bHairline ? hairline : wide;
}

// Cuts a one-segment path down to the part inside the clip box (Liang-Barsky); false when
// nothing of it lies inside.
bool ClipSegment(QPainterPath& path, const QRectF& clip) {
  if (path.elementCount() != 2) return true;
  double ax = path.elementAt(0).x, ay = path.elementAt(0).y;
  double bx = path.elementAt(1).x, by = path.elementAt(1).y;
  if (!ClipSegmentToBox(ax, ay, bx, by, clip.left(), clip.top(), clip.right(), clip.bottom())) {
    return false;
  }
  QPainterPath cut(QPointF(ax, ay));
  cut.lineTo(bx, by);
  path = cut;
  return true;
}

// Whether n pixels are all opaque white, compared a block at a time against a white line.
bool AllWhite(const quint32* p, int n) {
  static constexpr int kBlock = 256;
  static const auto* const kWhite = [] {
    auto* line = new quint32[kBlock];
    std::fill(line, line + kBlock, 0xFFFFFFFFu);
    return line;
  }();
  while (n > 0) {
    const int k = std::min(n, kBlock);
    if (std::memcmp(p, kWhite, static_cast<std::size_t>(k) * sizeof(quint32)) != 0) return false;
    p += k;
    n -= k;
  }
  return true;
}

// A byte string shaped in a reference font: its glyph runs, with the ascent of the line
// they were laid out on.
struct ShapedText {
  QList<QGlyphRun> runs;
  double dLineAscent = 0;
  double dFaceAscent = 0;  // of the reference face, where drawText puts the baseline
};

// Shaping (finding glyphs and their places) is the dearest part of drawing a string, and a
// drawing repeats the same few strings in the same few faces. The glyph runs are those
// QPainter::drawText would find, so drawing them paints the same pixels. Each thread keeps
// its own, as font engines belong to a thread; they are never destroyed, because font
// objects must not outlive the application's font system at exit.
const ShapedText& Shaped(const CFont& font, std::string_view text) {
  static constexpr std::size_t kMaxShaped = 20000;
  thread_local auto* const pCache = new std::unordered_map<std::string, ShapedText>;
  // Face length, face, weight and code page in front of the bytes, so keys never collide.
  const std::int32_t nums[3] = {static_cast<std::int32_t>(font.strFace.size()), font.nWeight,
                                CTextMetrics::GetCodePage()};
  std::string key;
  key.reserve(sizeof nums + font.strFace.size() + text.size());
  key.append(reinterpret_cast<const char*>(nums), sizeof nums);
  key.append(font.strFace);
  key.append(text);
  auto it = pCache->find(key);
  if (it == pCache->end()) {
    if (pCache->size() >= kMaxShaped) pCache->clear();
    const CTextMetrics::ReferenceFace face = CTextMetrics::CachedReferenceFace(font);
    QTextLayout layout(CTextMetrics::TextFor(font, text), face.font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    ShapedText shaped;
    shaped.runs = layout.glyphRuns();
    shaped.dLineAscent = line.isValid() ? line.ascent() : 0.0;
    shaped.dFaceAscent = face.dAscent;
    it = pCache->emplace(std::move(key), std::move(shaped)).first;
  }
  return it->second;
}

bool IsFinite(const QRectF& rc) {
  return std::isfinite(rc.left()) && std::isfinite(rc.right()) && std::isfinite(rc.top()) &&
         std::isfinite(rc.bottom());
}

QRectF ToQRect(const CRect& rc) {
  return QRectF(QPointF(rc.left, rc.bottom), QPointF(rc.right, rc.top));
}

// An ellipse in device coordinates: centre (cx, cy), half-axes a and b.
struct DeviceEllipse {
  double cx, cy, a, b;
  QPointF At(double t) const { return QPointF(cx + a * std::cos(t), cy + b * std::sin(t)); }
};

constexpr double kTwoPi = 6.283185307179586;

// The angles, in [0, 2 pi) and in order, at which the ellipse crosses the lines of the
// reach's edges: between two neighbours the ellipse is wholly inside the reach or outside.
std::vector<double> ReachCrossings(const DeviceEllipse& e, const QRectF& reach) {
  std::vector<double> angles;
  const auto add = [&angles](double t) { angles.push_back(std::fmod(t + 2.0 * kTwoPi, kTwoPi)); };
  for (const double x : {reach.left(), reach.right()}) {
    const double c = (x - e.cx) / e.a;
    if (std::abs(c) <= 1.0) {
      add(std::acos(c));
      add(-std::acos(c));
    }
  }
  for (const double y : {reach.top(), reach.bottom()}) {
    const double sn = (y - e.cy) / e.b;
    if (std::abs(sn) <= 1.0) {
      add(std::asin(sn));
      add(kTwoPi / 2.0 - std::asin(sn));
    }
  }
  std::sort(angles.begin(), angles.end());
  return angles;
}

// Calls visit(point, bFirst) for the samples, about a pixel apart, of each arc between two
// crossings that lies inside the reach; bFirst marks an arc's first sample.
template <class Visit>
void ForEachArcSample(const DeviceEllipse& e, const QRectF& reach,
                      const std::vector<double>& angles, Visit visit) {
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const double t0 = angles[i];
    const double t1 = i + 1 < angles.size() ? angles[i + 1] : angles[0] + kTwoPi;
    if (t1 - t0 <= 0.0 || !reach.contains(e.At((t0 + t1) / 2.0))) continue;
    // An arc inside the reach is no longer than the reach's perimeter.
    const double length =
        std::min((t1 - t0) * std::max(e.a, e.b), 2.0 * (reach.width() + reach.height()));
    const int n = static_cast<int>(std::clamp(std::ceil(length), 2.0, 16384.0));
    for (int k = 0; k <= n; ++k) visit(e.At(t0 + (t1 - t0) * k / n), k == 0);
  }
}

// The part of the (convex) ellipse within the (convex) reach is convex: its boundary is
// the arcs inside the reach and the stretches of the reach's edges inside the ellipse,
// whose corners inside the ellipse are its other vertices, all in order of their angle
// about a point within. Adds it to path, mapped back by back, given the arcs' samples.
void AddClippedFill(const DeviceEllipse& e, const QRectF& reach, const QTransform& back,
                    std::vector<QPointF> boundary, QPainterPath& path) {
  for (const QPointF& corner :
       {reach.topLeft(), reach.topRight(), reach.bottomRight(), reach.bottomLeft()}) {
    const double u = (corner.x() - e.cx) / e.a, v = (corner.y() - e.cy) / e.b;
    if (u * u + v * v <= 1.0) boundary.push_back(corner);
  }
  if (boundary.size() < 3) return;
  QPointF centre;
  for (const QPointF& p : boundary) centre += p;
  centre /= static_cast<double>(boundary.size());
  std::sort(boundary.begin(), boundary.end(), [&centre](const QPointF& p, const QPointF& q) {
    return std::atan2(p.y() - centre.y(), p.x() - centre.x()) <
           std::atan2(q.y() - centre.y(), q.x() - centre.x());
  });
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(boundary.size()));
  for (const QPointF& p : boundary) polygon.append(back.map(p));
  path.addPolygon(polygon);
  path.closeSubpath();
}

}  // namespace

CQtDC::CQtDC(QPaintDevice* pDevice)
    : m_pOwnPainter(std::make_unique<QPainter>()), m_pPainter(m_pOwnPainter.get()) {
  // A device that cannot be painted on (a null image) leaves the surface inactive: it
  // still measures text, and draws nothing.
  if (pDevice != nullptr && pDevice->paintEngine() != nullptr) m_pPainter->begin(pDevice);
  // On an image of our own painter nothing but the world transform and the image's device
  // pixel ratio stand between a figure and the pixels, so figures wholly off the image can
  // be told apart and skipped, and the image's pixels read and written directly.
  if (m_pPainter->isActive() && pDevice->devType() == QInternal::Image) {
    m_rcDevice = QRectF(0, 0, pDevice->width(), pDevice->height());
    m_bCull = true;
    auto* pImage = static_cast<QImage*>(pDevice);
    const QImage::Format format = pImage->format();
    const double dRatio = pImage->devicePixelRatio();
    if (dRatio > 0.0 && std::isfinite(dRatio)) m_dRatio = dRatio;
    if (format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_RGB32) {
      m_pImage = pImage;
    }
  }
  OnMappingChanged();
}

CQtDC::CQtDC(QPainter* pPainter) : m_pPainter(pPainter) {
  if (m_pPainter->isActive()) {
    m_pPainter->save();
    m_base = m_pPainter->worldTransform();
    m_bRestore = true;
  }
  OnMappingChanged();
}

CQtDC::~CQtDC() {
  if (m_pOwnPainter) {
    if (m_pOwnPainter->isActive()) m_pOwnPainter->end();
  } else if (m_bRestore && m_pPainter->isActive()) {
    m_pPainter->restore();
  }
}

bool CQtDC::ClipToPixels(const std::vector<CRect>& rects) {
  m_clipPixels.clear();
  if (!m_pPainter->isActive()) return false;
  if (rects.empty()) {
    m_pPainter->setClipping(false);
    return true;
  }
  const QPaintDevice* pDevice = m_pPainter->device();
  const double dpr = pDevice != nullptr ? pDevice->devicePixelRatioF() : 1.0;
  if (dpr != std::floor(dpr) || dpr < 1.0) return false;
  const int k = static_cast<int>(dpr);
  QRegion region;
  for (const CRect& rc : rects)
    region += QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1)).normalized();
  // A region is kept as rectangles that do not overlap, so the strokes drawn straight into
  // the pixels below never reach a pixel twice.
  for (const QRect& rc : region) {
    m_clipPixels.push_back(QRect(rc.x() * k, rc.y() * k, rc.width() * k, rc.height() * k));
  }
  // The region is given in the view's pixels, whatever the mapping is now.
  m_pPainter->setWorldTransform(QTransform());
  m_pPainter->setClipRegion(region);
  m_pPainter->setWorldTransform(m_xform);
  return true;
}

int CQtDC::GetDeviceCaps(int nIndex) const {
  const QPaintDevice* pDevice = m_pPainter->isActive() ? m_pPainter->device() : nullptr;
  if (pDevice != nullptr) {
    if (nIndex == LOGPIXELSX) return pDevice->logicalDpiX();
    if (nIndex == LOGPIXELSY) return pDevice->logicalDpiY();
  }
  return CDC::GetDeviceCaps(nIndex);
}

QTransform CQtDC::Mapping() const {
  const double sx = ScaleX(), sy = ScaleY();
  const CPoint wo = GetWindowOrg(), vo = GetViewportOrg();
  return QTransform(sx, 0, 0, sy, vo.x - wo.x * sx, vo.y - wo.y * sy);
}

void CQtDC::OnMappingChanged() {
  m_xform = Mapping() * m_base;
  m_xformPixels = m_dRatio == 1.0 ? m_xform : m_xform * QTransform::fromScale(m_dRatio, m_dRatio);
  // Pen widths in pixels depend on the mapping.
  m_bPenValid = false;
  if (m_pPainter->isActive()) m_pPainter->setWorldTransform(m_xform);
}

std::optional<CRect> CQtDC::GetClipBox() const {
  if (!m_pPainter->isActive() || m_pPainter->device() == nullptr) return std::nullopt;
  const QPaintDevice* pDevice = m_pPainter->device();
  // The device in the painter's coordinates (an image's pixels divided by its ratio).
  const double dpr = pDevice->devicePixelRatioF() > 0.0 ? pDevice->devicePixelRatioF() : 1.0;
  const QRectF device(0.0, 0.0, pDevice->width() / dpr, pDevice->height() / dpr);
  bool bInvertible = false;
  const QTransform back = m_xform.inverted(&bInvertible);
  if (!bInvertible) return std::nullopt;
  const QRectF box = back.mapRect(device);
  if (!IsFinite(box)) return std::nullopt;
  const auto clamp = [](double v) {
    return static_cast<std::int32_t>(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
  };
  return CRect{clamp(std::floor(box.left())), clamp(std::ceil(box.bottom())),
               clamp(std::ceil(box.right())), clamp(std::floor(box.top()))};
}

double CQtDC::PixelsPerUnit() const {
  if (!m_pPainter->isActive()) return 1.0;
  const QTransform& t = m_xform;
  const QPaintDevice* pDevice = m_pPainter->device();
  const double dpr = pDevice != nullptr ? pDevice->devicePixelRatioF() : 1.0;
  return std::sqrt(std::abs(t.determinant())) * dpr;
}

double CQtDC::DeviceWidthOf(const CPen& pen) const { return pen.nWidth * PixelsPerUnit(); }

QPen CQtDC::MakePen() const {
  const CPen& p = GetCurrentPen();
  QPen pen(ToQColor(p.crColor));
  const bool bHairline = DeviceWidthOf(p) <= 1.0;
  if (bHairline) {
    // One device pixel whatever the mapping, like a thin GDI pen.
    pen.setWidth(0);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
  } else {
    pen.setWidthF(p.nWidth);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  }
  if (p.nStyle == PS_DOT) {
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern(DotPattern(bHairline));
  }
  return pen;
}

void CQtDC::ApplyDrawingState(bool bFill) {
  // Someone else may have drawn through a borrowed painter in between, so the painter's
  // own state is what is compared.
  if (m_pPainter->worldTransform() != m_xform) m_pPainter->setWorldTransform(m_xform);
  if (m_pPainter->compositionMode() != QPainter::CompositionMode_SourceOver) {
    m_pPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  if (!m_pPainter->testRenderHint(QPainter::Antialiasing)) {
    m_pPainter->setRenderHint(QPainter::Antialiasing, true);
  }
  const CPen& pen = GetCurrentPen();
  const bool bHairline = DeviceWidthOf(pen) <= 1.0;
  if (!m_bPenValid || !(m_penKey == pen) || m_bPenHairline != bHairline) {
    m_qpen = MakePen();
    m_penKey = pen;
    m_bPenHairline = bHairline;
    m_bPenValid = true;
  }
  m_pPainter->setPen(m_qpen);  // returns at once when it is the painter's pen already
  const CBrush& b = GetCurrentBrush();
  if (bFill && b.nStyle == BS_SOLID) {
    if (!m_bBrushValid || !(m_brushKey == b)) {
      m_qbrush = QBrush(ToQColor(b.crColor));
      m_brushKey = b;
      m_bBrushValid = true;
    }
    m_pPainter->setBrush(m_qbrush);
  } else {
    m_pPainter->setBrush(Qt::NoBrush);
  }
}

double CQtDC::PenSpan() const {
  const double dScale = std::max(std::hypot(m_xformPixels.m11(), m_xformPixels.m12()),
                                 std::hypot(m_xformPixels.m21(), m_xformPixels.m22()));
  return std::max(1.0, std::abs(static_cast<double>(GetCurrentPen().nWidth)) * dScale);
}

bool CQtDC::OffDevice(const QRectF& rcDevice, double margin) const {
  if (!m_bCull || !std::isfinite(margin) || !IsFinite(rcDevice)) return false;
  return rcDevice.right() + margin < m_rcDevice.left() ||
         rcDevice.left() - margin > m_rcDevice.right() ||
         rcDevice.bottom() + margin < m_rcDevice.top() ||
         rcDevice.top() - margin > m_rcDevice.bottom();
}

bool CQtDC::MissesDevice(const QRectF& rcLogical) const {
  // Room for half the pen, round caps and joins, and the antialiased fringe, with a good
  // margin.
  return OffDevice(m_xformPixels.mapRect(rcLogical), PenSpan() + 4.0);
}

bool CQtDC::WhiteOnWhite(const QPainterPath& path, bool bFill) const {
  if (m_pImage == nullptr) return false;
  const CPen& pen = GetCurrentPen();
  const CBrush& brush = GetCurrentBrush();
  if (pen.crColor != RGB(255, 255, 255)) return false;
  if (bFill && brush.nStyle == BS_SOLID && brush.crColor != RGB(255, 255, 255)) return false;
  // What the figure can touch: half the pen around its edges, the pixel of antialiased
  // fringe beyond, and a pixel to spare.
  const double margin = PenSpan() / 2 + 2.0;
  const QRectF box = m_xformPixels.mapRect(path.controlPointRect());
  if (!std::isfinite(margin) || !IsFinite(box) || path.elementCount() > 64) return false;
  const int w = m_pImage->width(), h = m_pImage->height();
  const int y0 = static_cast<int>(std::max(0.0, std::floor(box.top() - margin)));
  const int y1 = static_cast<int>(std::min(h - 1.0, std::ceil(box.bottom() + margin)));
  // A figure of straight edges only is followed row by row: its edges within reach of a
  // row bound the pixels of that row it can touch. A curved figure uses its box.
  struct Edge {
    double y0, y1;  // y0 <= y1
    double x0, x1;  // x at y0 and at y1
    double slope;   // dx / dy; unused for a level edge
  };
  Edge edges[64];
  const int n = path.elementCount();
  bool bStraight = n >= 2;
  QPointF pts[64];
  for (int i = 0; i < n; ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isCurveTo() || e.type == QPainterPath::CurveToDataElement) bStraight = false;
    pts[i] = m_xformPixels.map(QPointF(e.x, e.y));
  }
  // Every edge, the closing one included.
  for (int i = 0; bStraight && i < n; ++i) {
    QPointF a = pts[i], b = pts[(i + 1) % n];
    if (a.y() > b.y()) std::swap(a, b);
    const double dy = b.y() - a.y();
    edges[i] = Edge{a.y(), b.y(), a.x(), b.x(), dy > 0.0 ? (b.x() - a.x()) / dy : 0.0};
  }
  for (int y = y0; y <= y1; ++y) {
    double xl = box.left(), xr = box.right();
    if (bStraight) {
      // The edges clipped to the rows within reach.
      const double lo = y - margin, hi = y + 1 + margin;
      xl = std::numeric_limits<double>::infinity();
      xr = -xl;
      for (int i = 0; i < n; ++i) {
        const Edge& e = edges[i];
        if (e.y1 < lo || e.y0 > hi) continue;
        double xa = e.x0, xb = e.x1;
        if (e.y1 > e.y0) {
          xa = e.x0 + (std::max(lo, e.y0) - e.y0) * e.slope;
          xb = e.x0 + (std::min(hi, e.y1) - e.y0) * e.slope;
        }
        xl = std::min({xl, xa, xb});
        xr = std::max({xr, xa, xb});
      }
      if (xl > xr) continue;  // nothing of the figure near this row
    }
    if (xr + margin < 0.0 || xl - margin > w - 1.0) continue;
    const int x0 = static_cast<int>(std::max(0.0, std::floor(xl - margin)));
    const int x1 = static_cast<int>(std::min(w - 1.0, std::ceil(xr + margin)));
    const auto* row = reinterpret_cast<const quint32*>(m_pImage->constScanLine(y));
    if (!AllWhite(row + x0, x1 - x0 + 1)) return false;
  }
  return true;
}

bool CQtDC::AreaWhite(const QRectF& rcDevice, double margin) const {
  if (m_pImage == nullptr || !IsFinite(rcDevice)) return false;
  const int w = m_pImage->width(), h = m_pImage->height();
  const double l = std::max(0.0, std::floor(rcDevice.left() - margin));
  const double r = std::min(w - 1.0, std::ceil(rcDevice.right() + margin));
  const double t = std::max(0.0, std::floor(rcDevice.top() - margin));
  const double b = std::min(h - 1.0, std::ceil(rcDevice.bottom() + margin));
  for (int y = static_cast<int>(t); y <= static_cast<int>(b); ++y) {
    if (l > r) break;
    const auto* row = reinterpret_cast<const quint32*>(m_pImage->constScanLine(y));
    if (!AllWhite(row + static_cast<int>(l), static_cast<int>(r - l) + 1)) return false;
  }
  return true;
}

void CQtDC::DrawPath(const QPainterPath& path, bool bFill) {
  if (!m_pPainter->isActive()) return;
  if (GetROP2() == R2_NOTXORPEN) {
    DrawInverted(path, bFill);
    return;
  }
  if (MissesDevice(path.controlPointRect())) return;
  if (WhiteOnWhite(path, bFill)) return;
  ApplyDrawingState(bFill);
  m_pPainter->drawPath(path);
}

void CQtDC::DrawInverted(const QPainterPath& path, bool bFill) {
  QPaintEngine* pEngine = m_pPainter->paintEngine();
  if (pEngine == nullptr || !pEngine->hasFeature(QPaintEngine::RasterOpModes)) return;

  // Work in device pixels so that the outline and the interior can be told apart exactly:
  // a pixel inverted by both would come out unchanged.
  const QPaintDevice* pDevice = m_pPainter->device();
  const double dpr = pDevice != nullptr ? pDevice->devicePixelRatioF() : 1.0;
  const QTransform toDevice = Mapping() * m_base * QTransform::fromScale(dpr, dpr);
  QPainterPath devPath = toDevice.map(path);

  const CPen& p = GetCurrentPen();
  const double dWidth = DeviceWidthOf(p);
  const bool bHairline = dWidth <= 1.0;

  // A figure reaching far beyond the device is cut down to it first, with a margin wider
  // than the pen so that the cut edges stay out of sight: dotting an outline hundreds of
  // millions of pixels long would take minutes. The cut is the same for both drawings of
  // a figure, so the second still restores the first.
  const double margin = (bHairline ? 1.0 : dWidth) + 8.0;
  const QRectF clip = QRectF(0, 0, pDevice->width() * dpr, pDevice->height() * dpr)
                          .adjusted(-margin, -margin, margin, margin);
  if (!clip.contains(devPath.controlPointRect())) {
    if (bFill) {
      QPainterPath area;
      area.addRect(clip);
      devPath = devPath.intersected(area);
    } else if (!ClipSegment(devPath, clip)) {
      return;
    }
    if (devPath.isEmpty()) return;
  }
  QPainterPathStroker stroker;
  stroker.setWidth(bHairline ? 1.0 : dWidth);
  stroker.setCapStyle(bHairline || p.nStyle == PS_DOT ? Qt::FlatCap : Qt::RoundCap);
  stroker.setJoinStyle(bHairline ? Qt::MiterJoin : Qt::RoundJoin);
  if (p.nStyle == PS_DOT) stroker.setDashPattern(DotPattern(bHairline));
  const QPainterPath outline = stroker.createStroke(devPath);

  m_pPainter->setWorldTransform(QTransform::fromScale(1.0 / dpr, 1.0 / dpr));
  m_pPainter->setRenderHint(QPainter::Antialiasing, false);
  m_pPainter->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  const CBrush& b = GetCurrentBrush();
  if (bFill && b.nStyle == BS_SOLID) {
    m_pPainter->fillPath(devPath.subtracted(outline), ToQColor(b.crColor));
  }
  m_pPainter->fillPath(outline, ToQColor(p.crColor));
  m_pPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  m_pPainter->setWorldTransform(m_xform);
}

bool CQtDC::DrawLineDirect(CPoint from, CPoint to) {
  if (m_pImage == nullptr || !m_pPainter->isActive() || GetROP2() != R2_COPYPEN) return false;
  // The painter draws nothing for a line of no length (the first stroke of a dashed
  // wedge is one), and exports and printing go through it: the screen shows the same.
  if (from == to) return false;
  const CPen& pen = GetCurrentPen();
  if (pen.nStyle == PS_DOT) return false;
  // Qt strokes a pen of logical width through the mapping, so only a mapping that scales
  // both axes alike gives a round pen of one device width.
  const QTransform& t = m_xformPixels;
  if (t.type() > QTransform::TxScale) return false;
  // A mapping gone to infinity (a window extent of nothing) shows nothing sensible.
  if (!std::isfinite(t.m11()) || !std::isfinite(t.m22()) || !std::isfinite(t.dx()) ||
      !std::isfinite(t.dy())) {
    return true;
  }
  const double sx = std::abs(t.m11()), sy = std::abs(t.m22());
  if (!(std::abs(sx - sy) <= 1e-9 * std::max(sx, sy))) return false;
  const double dWidth = DeviceWidthOf(pen);
  if (!(dWidth > 1.0)) return false;
  const bool bOwnClip = !m_clipPixels.empty();
  if ((m_pPainter->hasClipping() && !bOwnClip) || m_pPainter->opacity() != 1.0) return false;

  const QPointF a(from.x, from.y), b(to.x, to.y);
  if (MissesDevice(QRectF(a, b).normalized())) return true;
  // The painter's raster engine writes every figure into the image before its call
  // returns, so pixels written here fall in order between its figures. The bits are
  // those the engine writes to: the non-const accessor could detach a shared image and
  // part the two.
  LineRasterTarget target{
      reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(m_pImage->constBits())),
      m_pImage->bytesPerLine() / 4, m_pImage->width(), m_pImage->height()};
  const COLORREF cr = pen.crColor;
  const std::uint32_t argb = 0xFF000000u | static_cast<std::uint32_t>(GetRValue(cr) << 16) |
                             static_cast<std::uint32_t>(GetGValue(cr) << 8) |
                             static_cast<std::uint32_t>(GetBValue(cr));
  const QPointF da = t.map(a), db = t.map(b);
  if (!bOwnClip) {
    FillCapsule(target, da.x(), da.y(), db.x(), db.y(), dWidth / 2, argb);
    return true;
  }
  for (const QRect& rc : m_clipPixels) {
    target.nClipLeft = rc.left();
    target.nClipTop = rc.top();
    target.nClipRight = rc.right() + 1;
    target.nClipBottom = rc.bottom() + 1;
    FillCapsule(target, da.x(), da.y(), db.x(), db.y(), dWidth / 2, argb);
  }
  return true;
}

void CQtDC::DoLine(CPoint from, CPoint to) {
  if (DrawLineDirect(from, to)) return;
  QPainterPath path(QPointF(from.x, from.y));
  path.lineTo(to.x, to.y);
  DrawPath(path, false);
}

void CQtDC::DoRectangle(const CRect& rc) {
  QPainterPath path;
  path.addRect(ToQRect(rc));
  DrawPath(path, true);
}

void CQtDC::DoEllipse(const CRect& rc) {
  QPainterPath path;
  if (!ClippedEllipse(ToQRect(rc), path)) path.addEllipse(ToQRect(rc));
  DrawPath(path, true);
}

bool CQtDC::ClippedEllipse(const QRectF& rcLogical, QPainterPath& path) const {
  if (!m_pPainter->isActive() || GetROP2() == R2_NOTXORPEN) return false;
  if (m_xform.type() > QTransform::TxScale) return false;
  const QPaintDevice* pDevice = m_pPainter->device();
  if (pDevice == nullptr) return false;
  const double dpr = pDevice->devicePixelRatioF() > 0.0 ? pDevice->devicePixelRatioF() : 1.0;
  const QRectF device(0.0, 0.0, pDevice->width() / dpr, pDevice->height() / dpr);
  const QRectF box = m_xform.mapRect(rcLogical);
  if (!IsFinite(box) || box.isEmpty() ||
      (box.width() <= 8.0 * device.width() && box.height() <= 8.0 * device.height())) {
    return false;
  }
  // Far larger than the device: Qt would flatten and clip curves millions of pixels long.
  // Only the arcs within reach of the device (its pen's half width and the antialiased
  // fringe) are drawn, sampled a pixel apart.
  const double margin = PenSpan() / dpr + 4.0;
  const QRectF reach = device.adjusted(-margin, -margin, margin, margin);
  const DeviceEllipse e{box.center().x(), box.center().y(), box.width() / 2.0, box.height() / 2.0};
  const std::vector<double> angles = ReachCrossings(e, reach);
  bool bInverted = false;
  const QTransform back = m_xform.inverted(&bInverted);
  if (!bInverted) return false;
  if (GetCurrentBrush().nStyle != BS_SOLID) {
    ForEachArcSample(e, reach, angles, [&](const QPointF& p, bool bFirst) {
      if (bFirst)
        path.moveTo(back.map(p));
      else
        path.lineTo(back.map(p));
    });
    return true;
  }
  std::vector<QPointF> boundary;  // of the part of the ellipse within reach
  ForEachArcSample(e, reach, angles, [&](const QPointF& p, bool) { boundary.push_back(p); });
  AddClippedFill(e, reach, back, std::move(boundary), path);
  return true;
}

void CQtDC::DoPolygon(const CPoint* pts, int nCount) {
  QPolygonF poly;
  poly.reserve(nCount);
  for (int i = 0; i < nCount; ++i) poly.append(QPointF(pts[i].x, pts[i].y));
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addPolygon(poly);
  path.closeSubpath();
  DrawPath(path, true);
}

CSize CQtDC::DoTextExtent(std::string_view text) {
  return CTextMetrics::Extent(GetCurrentFont(), text);
}

void CQtDC::DoTextOut(CPoint pt, std::string_view text, CSize extent) {
  if (text.empty() || !m_pPainter->isActive()) return;
  // The text stands upright and runs right and down from the cell's top-left corner,
  // whichever way the mapping turns the axes; only its size follows the mapping.
  const QTransform map = Mapping();
  const QPointF origin = map.map(QPointF(pt.x, pt.y));
  const QTransform cell(std::abs(map.m11()), 0, 0, std::abs(map.m22()), origin.x(), origin.y());
  // Ink may stand out of the cell a little (overhangs, accents); a cell height of room on
  // every side is plenty.
  const QRectF rcCell = (cell * m_base * QTransform::fromScale(m_dRatio, m_dRatio))
                            .mapRect(QRectF(0, 0, extent.cx, extent.cy));
  if (OffDevice(rcCell, rcCell.height() + 4.0)) return;
  m_pPainter->setWorldTransform(cell * m_base);
  // Text is not subject to the raster operation: it is always painted, cell and all.
  m_pPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  m_pPainter->setRenderHint(QPainter::Antialiasing, true);
  m_pPainter->setRenderHint(QPainter::TextAntialiasing, true);
  // The opaque white cell changes nothing where the paper under it is white already.
  if (!AreaWhite(rcCell, 2.0)) {
    m_pPainter->fillRect(QRectF(0, 0, extent.cx, extent.cy), Qt::white);
  }

  const CFont& font = GetCurrentFont();
  const double k = CTextMetrics::ScaleOf(font);
  if (k > 0) {
    m_pPainter->setWorldTransform(QTransform::fromScale(k, k) * cell * m_base);
    m_pPainter->setPen(ToQColor(GetTextColor()));
    // The glyph runs carry their font; the baseline lies at the face's ascent below the
    // cell's top, where drawText puts it.
    const ShapedText& shaped = Shaped(font, text);
    const QPointF baseline(0, shaped.dFaceAscent - shaped.dLineAscent);
    for (const QGlyphRun& run : shaped.runs) m_pPainter->drawGlyphRun(baseline, run);
  }
  m_pPainter->setWorldTransform(m_xform);
}
