#include "shell/ButtonPictures.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/RingTemplates.h"
#include "platform/CQtDC.h"
#include "shell/DrawingRenderer.h"
#include "view/TemplatePlacement.h"

namespace {

constexpr double kPi = 3.14159265;

const QColor kFace(212, 208, 200);
const QColor kLight(255, 255, 255);
const QColor kShade(128, 128, 128);
const QColor kDark(64, 64, 64);

template <typename T>
T* Add(CObList& list, std::unique_ptr<T> p) {
  T* raw = p.get();
  list.push_back(std::move(p));
  return raw;
}

CDot* AddDot(CObList& list, CPoint pt) {
  auto p = std::make_unique<CDot>();
  p->MoveTo(pt);
  return Add(list, std::move(p));
}

CRect Inflate(CRect rc, int d) {
  return CRect{rc.left - d, rc.top + d, rc.right + d, rc.bottom - d};
}

CRect BoxOf(CPoint a, CPoint b) {
  return CRect{std::min(a.x, b.x), std::max(a.y, b.y), std::max(a.x, b.x), std::min(a.y, b.y)};
}

CRect Union(const CRect& a, const CRect& b) {
  return CRect{std::min(a.left, b.left), std::max(a.top, b.top), std::max(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

// A bond, arrow or curve from A to B, with junctions at both ends.
CCoupling* AddBond(CObList& list, CPoint A, CPoint B, int nStyle, int nSide, int nPenStyle,
                   double dThickness) {
  CDot* pA = AddDot(list, A);
  CDot* pB = AddDot(list, B);
  auto p = std::make_unique<CCoupling>();
  p->m_pEndA = pA;
  p->m_pEndB = pB;
  p->m_ptA = A;
  p->m_ptB = B;
  p->m_nStyle = nStyle;
  p->m_nSide = nSide;
  p->m_nPenStyle = nPenStyle;
  p->m_dThickness = dThickness;
  return Add(list, std::move(p));
}

struct BondPicture {
  int nStyle, nSide, nPenStyle;
  double dThickness;
  bool bHorizontal;  // arrows and the curve lie flat; bonds rise to the right
};

const std::map<std::string, BondPicture>& BondPictures() {
  static const std::map<std::string, BondPicture> pictures = {
      {"1C", {1, 1, PS_SOLID, 1.0, false}},    {"2C", {2, 1, PS_SOLID, 1.0, false}},
      {"3C", {3, 1, PS_SOLID, 1.0, false}},    {"DC", {1, 1, PS_DOT, 1.0, false}},
      {"TC3", {9, 1, PS_SOLID, 1.0, false}},   {"TC", {4, 1, PS_SOLID, 1.0, false}},
      {"TC2", {7, 1, PS_SOLID, 1.0, false}},   {"TC4", {10, 1, PS_SOLID, 2.0, true}},
      {"ARROW1", {6, 2, PS_SOLID, 1.5, true}}, {"ARROW2", {8, 1, PS_SOLID, 1.5, true}},
  };
  return pictures;
}

void BuildBond(const BondPicture& bond, CPictureContent& content) {
  // Short enough that the lines of a double or triple bond stay apart on a small button.
  const CPoint A = bond.bHorizontal ? CPoint{0, 0} : CPoint{0, -130};
  const CPoint B = bond.bHorizontal ? CPoint{420, 0} : CPoint{260, 130};
  AddBond(content.list, A, B, bond.nStyle, bond.nSide, bond.nPenStyle, bond.dThickness);
  content.box = Inflate(BoxOf(A, B), bond.bHorizontal ? 40 : 70);
}

// The junctions' box of a template group, widened by the pen and an inner circle's reach.
CRect TemplateBox(CGroup& group) {
  bool bAny = false;
  CRect box;
  for (const auto& p : group.m_listChildren) {
    if (p->m_nKind != KIND_DOT && p->m_nKind != KIND_ELLIPSE) continue;
    const CRect rc = p->m_nKind == KIND_DOT ? BoxOf(p->GetAnchor(), p->GetAnchor()) : p->m_rcBounds;
    box = bAny ? Union(box, rc) : rc;
    bAny = true;
  }
  return Inflate(box, 40);
}

struct RingPicture {
  int nVertices;
  double dStartAngle;
  bool bAromatic;
};

const std::map<std::string, RingPicture>& RingPictures() {
  static const std::map<std::string, RingPicture> pictures = {
      {"HEXAN", {6, kPi / 6, false}},     {"HEXANR", {6, 0.0, false}},
      {"BENZEN2", {6, kPi / 6, true}},    {"BENZEN2R", {6, 0.0, true}},
      {"PENTAN", {5, kPi / 10, false}},   {"PENTAN2", {5, 0.0, false}},
      {"PENTANR", {5, 1.1 * kPi, false}}, {"PENTAN2R", {5, kPi, false}},
      {"PENTANA1", {5, kPi / 10, true}},  {"PENTANA2", {5, 0.0, true}},
      {"PENTANA3", {5, 1.1 * kPi, true}}, {"PENTANA4", {5, kPi, true}},
      {"NPOLYGON", {8, kPi / 8, false}},  {"NPOLYGONB", {8, kPi / 8, true}},
  };
  return pictures;
}

CGroup* AddGroup(CObList& list) { return Add(list, std::make_unique<CGroup>()); }

void BuildRing(const RingPicture& ring, CPictureContent& content) {
  CGroup* pGroup = AddGroup(content.list);
  if (ring.bAromatic) {
    PlaceAromaticRing(CPoint{0, 0}, *pGroup, ring.nVertices, ring.dStartAngle);
  } else {
    PlaceRing(CPoint{0, 0}, *pGroup, ring.nVertices, ring.dStartAngle);
  }
  content.box = TemplateBox(*pGroup);
}

void BuildKekule(double dStartAngle, CPictureContent& content) {
  CGroup* pGroup = AddGroup(content.list);
  PlaceKekuleBenzene(CPoint{0, 0}, *pGroup, dStartAngle);
  content.box = TemplateBox(*pGroup);
}

void BuildFused(FusedTemplate which, CPictureContent& content) {
  CGroup* pGroup = AddGroup(content.list);
  PlaceFused(CPoint{0, 0}, *pGroup, which);
  content.box = TemplateBox(*pGroup);
}

// The Draw bar's aromatic button: an aromatic benzene beside a cyclopentane.
void BuildRingRow(CPictureContent& content) {
  CGroup* pGroup = AddGroup(content.list);
  PlaceAromaticRing(CPoint{0, 0}, *pGroup, 6, kPi / 6);
  PlaceRing(CPoint{640, -20}, *pGroup, 5, kPi / 10);
  content.box = TemplateBox(*pGroup);
}

template <typename T>
void BuildCharge(CPictureContent& content) {
  auto p = std::make_unique<T>();
  p->MoveTo(CPoint{0, 0});
  T* pCharge = Add(content.list, std::move(p));
  content.box = Inflate(pCharge->m_rcBounds, 30);
}

void BuildEllipse(CPictureContent& content) {
  auto e = std::make_unique<CEllipse>();
  e->MoveTo(CPoint{0, 0});
  e->SetHalfSize(260, 170);
  content.box = Inflate(e->m_rcBounds, 30);
  Add(content.list, std::move(e));
}

// A formula's box is known once it has been laid out, which drawing does.
void BuildFormula(const std::string& text, CPictureContent& content) {
  auto f = std::make_unique<CFormula>();
  f->MoveTo(CPoint{0, 0});
  f->m_strText = text;
  CFormula* pFormula = Add(content.list, std::move(f));
  QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
  {
    CQtDC dc(&scratch);
    MapBoxToPicture(&dc, CRect{0, 0, 1000, -1000}, 1, 1);
    pFormula->Draw(&dc);
  }
  content.box = Inflate(pFormula->m_rcBounds, 20);
}

// The Draw bar's bonds button: a chain of a single, a double and a wedge bond.
void BuildBondChain(CPictureContent& content) {
  const CPoint p0{0, -130}, p1{225, 130}, p2{450, -130}, p3{675, 130};
  AddBond(content.list, p0, p1, 1, 1, PS_SOLID, 1.0);
  AddBond(content.list, p1, p2, 2, 2, PS_SOLID, 1.0);
  AddBond(content.list, p2, p3, 4, 1, PS_SOLID, 1.0);
  content.box = Inflate(BoxOf(p0, p3), 90);
}

const std::map<std::string, std::string>& FormulaPictures() {
  static const std::map<std::string, std::string> pictures = {
      {"IUP", "X#iup 2# "},      {"IUDR", "X#iudr 2# 1# "},   {"IDOWN", "X#idown 2# "},
      {"IUDL", "#iudl 2# 1# X"}, {"FORMULA", "H#idown 2# O"}, {"INDEXES", "X#iudr n# m# "},
      {"SYMBOLS1", "<a><b><g>"}, {"SYMBOLS2", "<G><D><W>"},
  };
  return pictures;
}

// The Greek palettes' captions and their Symbol-font letters.
const std::map<std::string, char>& GreekPictures() {
  static const std::map<std::string, char> pictures = {
      {"ALPHA", 'a'},  {"BETA", 'b'},     {"CH", 'c'},       {"DELTA", 'd'},   {"EPSILON", 'e'},
      {"FI1", 'f'},    {"FI2", 'j'},      {"GAMA", 'g'},     {"ETA", 'h'},     {"IO", 'i'},
      {"KAPA", 'k'},   {"LAMBDA", 'l'},   {"MI", 'm'},       {"NI", 'n'},      {"OMIKRON", 'o'},
      {"PI", 'p'},     {"OMEGA1", 'v'},   {"THETA1", 'q'},   {"THETA2", 'J'},  {"RO", 'r'},
      {"SIGMA1", 's'}, {"SIGMA2", 'V'},   {"TAU", 't'},      {"YPSILON", 'u'}, {"OMEGA2", 'w'},
      {"PSI", 'y'},    {"XI", 'x'},       {"ZETA", 'z'},     {"GALPHA", 'A'},  {"GBETA", 'B'},
      {"GCH", 'C'},    {"GDELTA", 'D'},   {"GEPSILON", 'E'}, {"GFI", 'F'},     {"GGAMA", 'G'},
      {"GETA", 'H'},   {"GIOTA", 'I'},    {"GKAPA", 'K'},    {"GLAMBDA", 'L'}, {"GMI", 'M'},
      {"GNI", 'N'},    {"GOMIKRON", 'O'}, {"GPI", 'P'},      {"GTHETA", 'Q'},  {"GRO", 'R'},
      {"GSIGMA", 'S'}, {"GTAU", 'T'},     {"GYPSILON", 'U'}, {"GOMEGA", 'W'},  {"GXI", 'X'},
      {"GPSI", 'Y'},   {"GZETA", 'Z'},
  };
  return pictures;
}

// Widens the box along one axis so that it has the proportions of a w x h picture.
CRect FitToAspect(const CRect& box, int w, int h) {
  const double bw = std::max(1, box.right - box.left);
  const double bh = std::max(1, box.top - box.bottom);
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  double hw = bw / 2, hh = bh / 2;
  if (bw * h > bh * w) {
    hh = bw * h / w / 2;
  } else {
    hw = bh * w / h / 2;
  }
  return CRect{static_cast<int>(std::floor(cx - hw)), static_cast<int>(std::ceil(cy + hh)),
               static_cast<int>(std::ceil(cx + hw)), static_cast<int>(std::floor(cy - hh))};
}

// A button edge: raised when released, sunken when pressed.
void DrawEdge(QPainter& p, const QRect& rc, bool bPressed) {
  const QColor topLeftOuter = bPressed ? kDark : kLight;
  const QColor bottomRightOuter = bPressed ? kLight : kDark;
  const QColor topLeftInner = bPressed ? kShade : kFace;
  const QColor bottomRightInner = bPressed ? kFace : kShade;
  const int l = rc.left(), t = rc.top(), r = rc.right(), b = rc.bottom();
  p.setPen(topLeftOuter);
  p.drawLine(l, t, r - 1, t);
  p.drawLine(l, t, l, b - 1);
  p.setPen(bottomRightOuter);
  p.drawLine(l, b, r, b);
  p.drawLine(r, t, r, b);
  p.setPen(topLeftInner);
  p.drawLine(l + 1, t + 1, r - 2, t + 1);
  p.drawLine(l + 1, t + 1, l + 1, b - 2);
  p.setPen(bottomRightInner);
  p.drawLine(l + 1, b - 1, r - 1, b - 1);
  p.drawLine(r - 1, t + 1, r - 1, b - 1);
}

}  // namespace

bool BuildPictureContent(const std::string& caption, CPictureContent& content) {
  content.list.clear();
  if (auto it = BondPictures().find(caption); it != BondPictures().end()) {
    BuildBond(it->second, content);
    return true;
  }
  if (auto it = RingPictures().find(caption); it != RingPictures().end()) {
    BuildRing(it->second, content);
    return true;
  }
  if (auto it = FormulaPictures().find(caption); it != FormulaPictures().end()) {
    BuildFormula(it->second, content);
    return true;
  }
  if (auto it = GreekPictures().find(caption); it != GreekPictures().end()) {
    BuildFormula(std::string("<") + it->second + ">", content);
    return true;
  }
  if (caption == "BENZEN1") {
    BuildKekule(kPi / 6, content);
  } else if (caption == "BENZEN1R") {
    BuildKekule(0.0, content);
  } else if (caption == "NAFTALEN") {
    BuildFused(FusedTemplate::Naphthalene, content);
  } else if (caption == "ANTHRACEN") {
    BuildFused(FusedTemplate::Anthracene, content);
  } else if (caption == "TETRACEN") {
    BuildFused(FusedTemplate::Tetracene, content);
  } else if (caption == "FENANTHREN") {
    BuildFused(FusedTemplate::Phenanthrene, content);
  } else if (caption == "CHRYSEN") {
    BuildFused(FusedTemplate::Chrysene, content);
  } else if (caption == "ELLIPSE") {
    BuildEllipse(content);
  } else if (caption == "PLUSC") {
    BuildCharge<CPlusC>(content);
  } else if (caption == "MINUSC") {
    BuildCharge<CMinusC>(content);
  } else if (caption == "COUPLE") {
    BuildBondChain(content);
  } else if (caption == "AROMATIC") {
    BuildRingRow(content);
  } else {
    return false;
  }
  return true;
}

QImage DrawButtonPicture(const std::string& caption, bool bPressed, QSize sizeDip, qreal dpr) {
  const QSize sizePx(std::max(1, static_cast<int>(std::ceil(sizeDip.width() * dpr))),
                     std::max(1, static_cast<int>(std::ceil(sizeDip.height() * dpr))));
  QImage image(sizePx, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(kFace);
  QPainter painter(&image);
  const QRect rcButton(0, 0, sizeDip.width(), sizeDip.height());
  // The well the drawing sits in: white paper inside the edge, one pixel further right and
  // down while pressed.
  const int nShift = bPressed ? 1 : 0;
  const QRect rcWell = rcButton.adjusted(2 + nShift, 2 + nShift, -2 + nShift, -2 + nShift);
  painter.fillRect(rcWell, Qt::white);
  DrawEdge(painter, rcButton.adjusted(0, 0, -1, -1), bPressed);

  CPictureContent content;
  if (rcWell.width() > 2 && rcWell.height() > 2 && BuildPictureContent(caption, content)) {
    const QRect rcInner = rcWell.adjusted(1, 1, -1, -1);
    painter.save();
    painter.setClipRect(rcWell);
    painter.translate(rcInner.topLeft());
    {
      CQtDC dc(&painter);
      MapBoxToPicture(&dc, FitToAspect(content.box, rcInner.width(), rcInner.height()),
                      rcInner.width(), rcInner.height());
      PaintObjects(&dc, content.list);
    }
    painter.restore();
  }
  painter.end();
  return image;
}

QImage DrawPaletteBackground(int nBitmap, QSize sizeDip, qreal dpr) {
  const QSize sizePx(std::max(1, static_cast<int>(std::ceil(sizeDip.width() * dpr))),
                     std::max(1, static_cast<int>(std::ceil(sizeDip.height() * dpr))));
  QImage image(sizePx, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  // The aromatic palette's background is a shade warmer, so its larger grid reads as one.
  image.fill(nBitmap == 349 ? QColor(220, 214, 202) : kFace);
  QPainter painter(&image);
  painter.setPen(kShade);
  painter.drawRect(QRect(0, 0, sizeDip.width() - 1, sizeDip.height() - 1));
  return image;
}
