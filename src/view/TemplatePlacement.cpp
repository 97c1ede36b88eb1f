#include "view/TemplatePlacement.h"

#include <cmath>
#include <memory>
#include <vector>

#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"

namespace {

// The constant the templates' angles are products of.
constexpr double kPi = 3.14159265;

// Children of one template, appended to its group in the order they are made.
class CTemplateBuilder {
 public:
  CTemplateBuilder(CGroup& group, CPoint origin) : m_group(group), m_origin(origin) {}

  // A junction at the origin + (dx, dy); returns its number, counting from 1.
  int Vertex(std::int64_t dx, std::int64_t dy) {
    auto pDot = std::make_unique<CDot>();
    pDot->MoveTo(CPoint{SatAdd(m_origin.x, dx), SatAdd(m_origin.y, dy)});
    m_vertices.push_back(pDot.get());
    m_group.AddChild(std::move(pDot));
    return static_cast<int>(m_vertices.size());
  }

  // A bond between junctions a and b (numbers from 1).
  void Bond(int a, int b, int nStyle, int nSide = 1) {
    auto pBond = std::make_unique<CCoupling>();
    pBond->m_pEndA = m_vertices[static_cast<std::size_t>(a - 1)];
    pBond->m_pEndB = m_vertices[static_cast<std::size_t>(b - 1)];
    pBond->m_nStyle = nStyle;
    pBond->m_nSide = nSide;
    pBond->m_nPenStyle = PS_SOLID;
    pBond->m_bLive = 0;
    pBond->m_bSelected = 0;
    m_group.AddChild(std::move(pBond));
  }

 private:
  CGroup& m_group;
  CPoint m_origin;
  std::vector<CDot*> m_vertices;
};

std::int64_t Round(double v) { return static_cast<std::int64_t>(std::floor(v + 0.5)); }

// The naphthalene steps: rings H(x, y) and H(x + 2d, y), junctions J1 to J10.
void Naphthalene(CTemplateBuilder& b, std::int64_t d, std::int64_t c) {
  b.Vertex(-d, -c);                                           // J1
  b.Vertex(-d, c), b.Bond(1, 2, 1);                           // J2
  b.Vertex(0, 300), b.Bond(2, 3, 2);                          // J3
  b.Vertex(d, c), b.Bond(3, 4, 1);                            // J4
  b.Vertex(d, -c), b.Bond(4, 5, 5);                           // J5, the shared bond
  b.Vertex(0, -300), b.Bond(5, 6, 1), b.Bond(6, 1, 2);        // J6
  b.Vertex(2 * d, 300), b.Bond(4, 7, 1);                      // J7
  b.Vertex(3 * d, c), b.Bond(7, 8, 2);                        // J8
  b.Vertex(3 * d, -c), b.Bond(8, 9, 1);                       // J9
  b.Vertex(2 * d, -300), b.Bond(9, 10, 2), b.Bond(10, 5, 1);  // J10
}

// The angled third ring H(x + 3d, y - 450) on the bond J9-J10, junctions J11 to J14.
void AngledRing(CTemplateBuilder& b, std::int64_t d, int nSharedStyle) {
  b.Vertex(4 * d, -300), b.Bond(9, 11, 1);                      // J11
  b.Vertex(4 * d, -600), b.Bond(11, 12, nSharedStyle);          // J12
  b.Vertex(3 * d, -750), b.Bond(12, 13, 1);                     // J13
  b.Vertex(2 * d, -600), b.Bond(13, 14, 2), b.Bond(14, 10, 1);  // J14
}

}  // namespace

void PlaceAromaticRing(CPoint pt, CGroup& group, int nVertices, double dStartAngle) {
  PlaceRing(pt, group, nVertices, dStartAngle);
  if (nVertices <= 2) return;
  const int h = static_cast<int>(std::floor(std::cos(kPi / nVertices) * 210));
  auto pCircle = std::make_unique<CEllipse>();
  pCircle->MoveTo(CPoint{SatAdd(pt.x, 5), SatAdd(pt.y, -5)});
  pCircle->SetHalfSize(h, h);
  group.AddChild(std::move(pCircle));
}

void PlaceKekuleBenzene(CPoint pt, CGroup& group, double dStartAngle) {
  CTemplateBuilder b(group, pt);
  b.Vertex(Round(300 * std::cos(dStartAngle)), Round(300 * std::sin(dStartAngle)));
  for (int i = 1; i < 6; ++i) {
    const double a = 6.2831853 / 6 * i + dStartAngle;
    b.Vertex(Round(300 * std::cos(a)), Round(300 * std::sin(a)));
    if (i % 2 == 1) {
      b.Bond(i, i + 1, 2, 2);
    } else {
      b.Bond(i, i + 1, 1, 1);
    }
  }
  b.Bond(6, 1, 1);
}

void PlaceFused(CPoint pt, CGroup& group, FusedTemplate which) {
  const std::int64_t d = Round(300 * std::sin(1.04719755));  // 260
  const std::int64_t c = Round(150);
  CTemplateBuilder b(group, pt);
  Naphthalene(b, d, c);
  switch (which) {
    case FusedTemplate::Naphthalene:
      break;
    case FusedTemplate::Anthracene:
    case FusedTemplate::Tetracene:
      b.Vertex(4 * d, 300), b.Bond(8, 11, 1);                      // J11
      b.Vertex(5 * d, c), b.Bond(11, 12, 2);                       // J12
      b.Vertex(5 * d, -c), b.Bond(12, 13, 1);                      // J13
      b.Vertex(4 * d, -300), b.Bond(13, 14, 2), b.Bond(14, 9, 1);  // J14
      if (which == FusedTemplate::Tetracene) {
        b.Vertex(6 * d, 300), b.Bond(12, 15, 1);                      // J15
        b.Vertex(7 * d, c), b.Bond(15, 16, 2);                        // J16
        b.Vertex(7 * d, -c), b.Bond(16, 17, 1);                       // J17
        b.Vertex(6 * d, -300), b.Bond(17, 18, 2), b.Bond(18, 13, 1);  // J18
      }
      break;
    case FusedTemplate::Phenanthrene:
      AngledRing(b, d, 2);
      break;
    case FusedTemplate::Chrysene:
      AngledRing(b, d, 5);
      b.Vertex(5 * d, -150), b.Bond(11, 15, 1);                     // J15
      b.Vertex(6 * d, -300), b.Bond(15, 16, 2);                     // J16
      b.Vertex(6 * d, -600), b.Bond(16, 17, 1);                     // J17
      b.Vertex(5 * d, -750), b.Bond(17, 18, 2), b.Bond(18, 12, 1);  // J18
      break;
  }
}

namespace {

// The template tools: what each places, with its vertex count (0: the count last asked for)
// and the angle of its first vertex.
enum class TemplateShape { Ring, Aromatic, Kekule, Fused };
struct CTemplateTool {
  int nTool;
  TemplateShape shape;
  int nVertices;
  double dAngle;
  FusedTemplate fused = FusedTemplate::Naphthalene;
};
constexpr double k0 = 0.523598775;   // a hexagon with a vertex straight up
constexpr double k5 = 0.314159265;   // a pentagon pointing up
constexpr double k5d = 3.455751915;  // ... down
constexpr double k5l = 3.14159265;   // ... left
constexpr CTemplateTool kTemplateTools[] = {
    {TOOL_HEXANE, TemplateShape::Ring, 6, k0},
    {TOOL_HEXANE_90, TemplateShape::Ring, 6, 0.0},
    {TOOL_BENZENE, TemplateShape::Kekule, 6, k0},
    {TOOL_BENZENE_90, TemplateShape::Kekule, 6, 0.0},
    {TOOL_AROMATIC_BENZENE, TemplateShape::Aromatic, 6, k0},
    {TOOL_AROMATIC_BENZENE_90, TemplateShape::Aromatic, 6, 0.0},
    {TOOL_PENTANE, TemplateShape::Ring, 5, k5},
    {TOOL_PENTANE_90, TemplateShape::Ring, 5, 0.0},
    {TOOL_PENTANE_180, TemplateShape::Ring, 5, k5d},
    {TOOL_PENTANE_270, TemplateShape::Ring, 5, k5l},
    {TOOL_AROMATIC_PENTANE, TemplateShape::Aromatic, 5, k5},
    {TOOL_AROMATIC_PENTANE_90, TemplateShape::Aromatic, 5, 0.0},
    {TOOL_AROMATIC_PENTANE_180, TemplateShape::Aromatic, 5, k5d},
    {TOOL_AROMATIC_PENTANE_270, TemplateShape::Aromatic, 5, k5l},
    {TOOL_POLYGON, TemplateShape::Ring, 0, 0.0},
    {TOOL_AROMATIC_POLYGON, TemplateShape::Aromatic, 0, 0.0},
    {TOOL_NAPHTHALENE, TemplateShape::Fused, 0, 0.0, FusedTemplate::Naphthalene},
    {TOOL_ANTHRACENE, TemplateShape::Fused, 0, 0.0, FusedTemplate::Anthracene},
    {TOOL_TETRACENE, TemplateShape::Fused, 0, 0.0, FusedTemplate::Tetracene},
    {TOOL_PHENANTHRENE, TemplateShape::Fused, 0, 0.0, FusedTemplate::Phenanthrene},
    {TOOL_CHRYSENE, TemplateShape::Fused, 0, 0.0, FusedTemplate::Chrysene},
};

}  // namespace

bool FusibleRingOf(int nTool, int nPolyVertices, FusibleRing& ring) {
  for (const CTemplateTool& t : kTemplateTools) {
    if (t.nTool != nTool) continue;
    if (t.shape == TemplateShape::Fused) return false;
    ring.nVertices = t.nVertices != 0 ? t.nVertices : nPolyVertices;
    ring.bCircle = t.shape == TemplateShape::Aromatic;
    ring.bAlternating = t.shape == TemplateShape::Kekule;
    return ring.nVertices >= 3;
  }
  return false;
}

void CKvillView::PlaceTemplate(int nTool, CPoint pt, CGroup& group) {
  for (const CTemplateTool& t : kTemplateTools) {
    if (t.nTool != nTool) continue;
    if (t.shape == TemplateShape::Fused) {
      PlaceFused(pt, group, t.fused);
      break;
    }
    // The polygon tools keep the count last asked for.
    const int n = t.nVertices != 0 ? t.nVertices : m_nPolyVertices;
    m_nPolyVertices = n;
    m_dStartAngle = t.dAngle;
    if (t.shape == TemplateShape::Ring) {
      PlaceRing(pt, group, n, t.dAngle);
    } else if (t.shape == TemplateShape::Aromatic) {
      PlaceAromaticRing(pt, group, n, t.dAngle);
    } else {
      PlaceKekuleBenzene(pt, group, t.dAngle);
    }
    break;
  }
  group.m_bSelected = 0;
  group.m_pParent = nullptr;
}
