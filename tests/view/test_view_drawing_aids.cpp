// The drawing aids: their geometry, and each one through the view's mouse and commands,
// with the aid on and (where it changes what a gesture does) off.

#include <cmath>
#include <numbers>
#include <random>
#include <set>

#include "InteractFixture.h"
#include "resources/CommandIds.h"
#include "view/DrawingAids.h"

namespace {

constexpr double kPi = std::numbers::pi;

CPoint operator+(CPoint p, CSize s) { return CPoint{p.x + s.cx, p.y + s.cy}; }

double Degrees(CPoint from, CPoint to) {
  double d = std::atan2(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x) *
             180.0 / kPi;
  return d < 0 ? d + 360.0 : d;
}
double Length(CPoint a, CPoint b) {
  return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}
// Twice the signed area: positive for a counterclockwise polygon.
double SignedArea(const std::vector<CPoint>& ring) {
  double s = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const CPoint a = ring[i], b = ring[(i + 1) % ring.size()];
    s += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
  }
  return s;
}
CPoint Centroid(const std::vector<CPoint>& ring) {
  double x = 0, y = 0;
  for (const CPoint& p : ring) x += p.x, y += p.y;
  const double n = static_cast<double>(ring.size());
  return CPoint{static_cast<int>(std::lround(x / n)), static_cast<int>(std::lround(y / n))};
}
double Side(CPoint a, CPoint b, CPoint p) {
  return (static_cast<double>(b.x) - a.x) * (static_cast<double>(p.y) - a.y) -
         (static_cast<double>(b.y) - a.y) * (static_cast<double>(p.x) - a.x);
}

}  // namespace

// ---- Geometry

TEST(DrawingAidGeometry, SnappedEndsAreStandardAndOnTheNearestFifteenDegrees) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-20000, 20000);
  for (int i = 0; i < 500; ++i) {
    const CPoint a{coord(rng), coord(rng)}, p{coord(rng), coord(rng)};
    if (a == p) continue;
    const CPoint e = aids::SnapBondEnd(a, p);
    EXPECT_NEAR(Length(a, e), 300.0, 0.71) << i;
    const double angle = Degrees(a, e);
    const double nearest = std::round(angle / 15.0) * 15.0;
    // The rounding of the end to whole units tilts it by at most 0.14 degrees.
    EXPECT_NEAR(angle, nearest, 0.14) << i;
    double diff = std::fabs(nearest - Degrees(a, p));
    diff = std::min(diff, 360.0 - diff);
    EXPECT_LE(diff, 7.5 + 1e-6) << i;
  }
}

TEST(DrawingAidGeometry, NewBondDirections) {
  struct Case {
    const char* pszName;
    std::vector<CPoint> others, beyond;
    double dExpected;  // degrees
  };
  const CPoint j{1000, 1000};
  const auto At = [&](double deg) { return aids::PointAt(j, deg * kPi / 180.0, 300); };
  const Case cases[] = {
      {"no bond: up to the right", {}, {}, 30},
      {"one bond, a chain's first: the side nearer the horizontal", {At(210)}, {}, 330},
      {"one bond, rounded ends still give a whole step", {CPoint{740, 850}}, {}, 330},
      {"one bond level: the lower side", {At(180)}, {}, 300},
      {"one bond straight down: the right side", {At(270)}, {}, 30},
      // M-N-J zigzag: the new end leaves on the side away from M.
      {"one bond of a chain: zigzag", {At(150)}, {At(150) + CSize{-260, -150}}, 30},
      {"one bond of a chain, other way", {At(150)}, {At(150) + CSize{0, 300}}, 270},
      {"two bonds: the larger gap's bisector", {At(90), At(210)}, {}, 330},
      {"three bonds", {At(0), At(90), At(180)}, {}, 270},
      {"a ring vertex", {At(210), At(330)}, {}, 90},
  };
  for (const Case& c : cases) {
    const double d = aids::NewBondAngle(j, c.others, c.beyond) * 180.0 / kPi;
    EXPECT_NEAR(d, c.dExpected, 1e-9) << c.pszName;
  }
}

TEST(DrawingAidGeometry, RingsOnABondShareItAndLieOnThePressSide) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coord(-5000, 5000), len(150, 600);
  std::uniform_real_distribution<double> angle(0, 2 * kPi);
  for (int i = 0; i < 300; ++i) {
    const int n = 3 + i % 6;
    const CPoint a{coord(rng), coord(rng)};
    const CPoint b = aids::PointAt(a, angle(rng), len(rng));
    const CPoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const bool bLeft = i % 2 == 0;
    const CPoint press = mid + CSize{bLeft ? -(b.y - a.y) / 10 : (b.y - a.y) / 10,
                                     bLeft ? (b.x - a.x) / 10 : -(b.x - a.x) / 10};
    const std::vector<CPoint> ring = aids::RingOnBond(a, b, press, n);
    ASSERT_EQ(ring.size(), static_cast<std::size_t>(n));
    EXPECT_TRUE((ring[0] == a && ring[1] == b) || (ring[0] == b && ring[1] == a)) << i;
    EXPECT_GT(SignedArea(ring), 0) << i;
    for (std::size_t k = 0; k < ring.size(); ++k)
      EXPECT_NEAR(Length(ring[k], ring[(k + 1) % ring.size()]), Length(a, b), 1.5) << i;
    EXPECT_EQ(Side(a, b, Centroid(ring)) > 0, Side(a, b, press) > 0) << i;
  }
}

TEST(DrawingAidGeometry, RingsOnAJunctionHaveItAsAVertexAndTheirCentreAway) {
  for (int n = 3; n <= 8; ++n) {
    for (int deg = 0; deg < 360; deg += 45) {
      const CPoint j{300, -600};
      const std::vector<CPoint> ring = aids::RingOnJunction(j, deg * kPi / 180.0, n);
      ASSERT_EQ(ring.size(), static_cast<std::size_t>(n));
      EXPECT_EQ(ring[0], j);
      EXPECT_GT(SignedArea(ring), 0);
      for (std::size_t k = 0; k < ring.size(); ++k)
        EXPECT_NEAR(Length(ring[k], ring[(k + 1) % ring.size()]), 300.0, 1.5) << n << " " << deg;
      EXPECT_NEAR(Degrees(j, Centroid(ring)), deg, 0.5) << n;
    }
  }
}

// ---- Through the view

class DrawingAids : public InteractFixture {
 protected:
  CDrawingAids& Aids() { return view.Settings().m_aids; }
  void UseTool(int nTool) { view.Mouse().SetTool(nTool); }
  // The dots of the drawing, top-level ones only, and the bonds ending at pObj.
  std::vector<CCoupling*> BondsAt(const CKVObject* pObj) const {
    std::vector<CCoupling*> found;
    for (const auto& p : doc.m_listObjects) {
      if (CCoupling* b = p->AsBond(); b != nullptr && (b->m_pEndA == pObj || b->m_pEndB == pObj))
        found.push_back(b);
    }
    return found;
  }
  CKVObject* OtherEnd(CCoupling* b, const CKVObject* pObj) {
    return b->m_pEndA == pObj ? b->m_pEndB : b->m_pEndA;
  }
};

TEST_F(DrawingAids, CommandsTurnEachAidOnAndOffAndKeepIt) {
  struct Case {
    int nId;
    std::int32_t CDrawingAids::*pFlag;
    const char* pszRecord;
  };
  const Case cases[] = {
      {cmd::kAidStandardBonds, &CDrawingAids::m_bStandardBonds, "DrawingAids\\StandardBonds"},
      {cmd::kAidClickAddsBond, &CDrawingAids::m_bClickAddsBond, "DrawingAids\\ClickAddsBond"},
      {cmd::kAidFuseRings, &CDrawingAids::m_bFuseRings, "DrawingAids\\FuseRings"},
      {cmd::kAidKeepTools, &CDrawingAids::m_bKeepTools, "DrawingAids\\KeepTools"},
      {cmd::kAidTypingMakesLabels, &CDrawingAids::m_bTypingMakesLabels,
       "DrawingAids\\TypingMakesLabels"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Aids().*c.pFlag, 0) << c.pszRecord;
    EXPECT_FALSE(view.IsCommandChecked(c.nId));
    ASSERT_TRUE(view.OnCommand(c.nId));
    EXPECT_EQ(Aids().*c.pFlag, 1);
    EXPECT_TRUE(view.IsCommandChecked(c.nId));
    ASSERT_TRUE(view.OnCommand(c.nId));
    EXPECT_EQ(Aids().*c.pFlag, 0);
    EXPECT_EQ(host.m_keptSettings, (std::vector<std::string>{std::string(c.pszRecord) + "=1",
                                                             std::string(c.pszRecord) + "=0"}));
    host.m_keptSettings.clear();
  }
  EXPECT_EQ(Snapshots(), 0u);
}

TEST_F(DrawingAids, StandardBondsSnapTheFreeEndAndDrawInOneDrag) {
  // Off, a press, drag and release leaves the bond waiting for its second click, its end at
  // the pointer; on, the same gesture places it at 300 units on the nearest 15 degrees.
  for (int bOn : {0, 1}) {
    const CSize o{bOn * 3000, 0};
    Aids().m_bStandardBonds = bOn;
    UseTool(TOOL_SINGLE_BOND);
    Press(CPoint{0, 0} + o);
    Move(CPoint{450, 120} + o);
    auto* pLive = static_cast<CCoupling*>(view.Current());
    ASSERT_NE(pLive, nullptr);
    EXPECT_EQ(pLive->m_ptB, (bOn ? CPoint{290, 78} : CPoint{450, 120}) + o);
    Release(CPoint{450, 120} + o);
    if (!bOn) {
      EXPECT_EQ(view.Mouse().Tool(), TOOL_BOND_END);
      EXPECT_EQ(CountKind(KIND_COUPLING), 0);
      ASSERT_TRUE(view.OnCommand(cmd::kEscape));
      host.PumpMessages();
      continue;
    }
    EXPECT_EQ(view.Mouse().Tool(), TOOL_SELECT);
    CCoupling* b = Last<CCoupling>(KIND_COUPLING);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_pEndA->GetAnchor(), (CPoint{0, 0} + o));
    EXPECT_EQ(b->m_pEndB->GetAnchor(), (CPoint{290, 78} + o));
    EXPECT_EQ(Snapshots(), 1u);
  }
}

TEST_F(DrawingAids, StandardBondsLeaveShiftAndJunctionsFree) {
  Aids().m_bStandardBonds = 1;
  CDot* pTarget = AddDot(600, 450);
  UseTool(TOOL_SINGLE_BOND);
  // Shift: the end follows the pointer; two clicks place it there.
  Click(CPoint{0, 0});
  Move(CPoint{450, 135}, MK_SHIFT);
  EXPECT_EQ(static_cast<CCoupling*>(view.Current())->m_ptB, (CPoint{450, 135}));
  Click(CPoint{450, 135}, MK_SHIFT);
  EXPECT_EQ(Last<CCoupling>(KIND_COUPLING)->m_pEndB->GetAnchor(), (CPoint{450, 135}));
  // A drag released over a junction ends the bond on it, at no standard length.
  UseTool(TOOL_SINGLE_BOND);
  Press(CPoint{0, 600});
  Move(CPoint{600, 450});
  Release(CPoint{600, 450});
  EXPECT_EQ(Last<CCoupling>(KIND_COUPLING)->m_pEndB, pTarget);
  // Two clicks with the aid: the second click's point is snapped.
  UseTool(TOOL_SINGLE_BOND);
  Click(CPoint{-3000, 0});
  Click(CPoint{-3000, 900});
  EXPECT_EQ(Last<CCoupling>(KIND_COUPLING)->m_pEndB->GetAnchor(), (CPoint{-3000, 300}));
}

TEST_F(DrawingAids, ClickAddsBondsInTheDirectionsOfAChain) {
  Aids().m_bClickAddsBond = 1;
  CDot* pStart = AddDot(0, 0);
  UseTool(TOOL_SINGLE_BOND);
  // Each click on the newest end goes on with the chain: a zigzag, one step per click.
  const std::vector<CPoint> expected = {{260, 150}, {520, 0}, {780, 150}, {1040, 0}};
  CKVObject* pEnd = pStart;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Click(pEnd->GetAnchor());
    CCoupling* b = Last<CCoupling>(KIND_COUPLING);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->m_pEndA, pEnd) << i;
    pEnd = b->m_pEndB;
    EXPECT_EQ(pEnd->GetAnchor(), expected[i]) << i;
    EXPECT_EQ(view.Mouse().Tool(), TOOL_SINGLE_BOND);
  }
  EXPECT_EQ(host.m_nReleases, 0);
  EXPECT_EQ(Snapshots(), expected.size());
  // A third and fourth bond at a junction of the chain bisect its largest free angle.
  CKVObject* pSecond = OtherEnd(BondsAt(pStart)[0], pStart);
  Click(pSecond->GetAnchor());
  EXPECT_EQ(Last<CCoupling>(KIND_COUPLING)->m_pEndB->GetAnchor(), (CPoint{260, 450}));
  Click(pSecond->GetAnchor());
  const double d =
      Degrees(pSecond->GetAnchor(), Last<CCoupling>(KIND_COUPLING)->m_pEndB->GetAnchor());
  EXPECT_TRUE(std::fabs(d - 150) < 0.2 || std::fabs(d - 30) < 0.2 || std::fabs(d - 270) < 0.2) << d;
  EXPECT_EQ(BondsAt(pSecond).size(), 4u);
}

TEST_F(DrawingAids, OffAClickOnAJunctionOnlyStartsABond) {
  CDot* pStart = AddDot(0, 0);
  UseTool(TOOL_SINGLE_BOND);
  Click(pStart->GetAnchor());
  EXPECT_EQ(CountKind(KIND_COUPLING), 0);
  EXPECT_EQ(view.Mouse().Tool(), TOOL_BOND_END);
}

TEST_F(DrawingAids, KeepToolsKeepsEachCreatingToolUntilEscape) {
  for (int bOn : {0, 1}) {
    const int y = bOn * 6000;
    Aids().m_bKeepTools = bOn;
    host.m_nReleases = 0;
    for (int nTool : {TOOL_HEXANE, TOOL_ELLIPSE, TOOL_PLUS, TOOL_SINGLE_BOND}) {
      UseTool(nTool);
      Click(CPoint{3000, y});
      if (nTool == TOOL_SINGLE_BOND) Click(CPoint{3600, y});
      EXPECT_EQ(view.Mouse().Tool(), bOn ? nTool : TOOL_SELECT) << nTool;
    }
    EXPECT_EQ(host.m_nReleases, bOn ? 0 : 4);
  }
  // A kept tool goes on creating; Esc gives it up, its Draw bar button with it.
  Click(CPoint{-3000, 0});
  Click(CPoint{-3600, 0});
  EXPECT_EQ(CountKind(KIND_COUPLING), 3);
  ASSERT_TRUE(view.OnCommand(cmd::kEscape));
  host.PumpMessages();
  EXPECT_EQ(view.Mouse().Tool(), TOOL_SELECT);
  EXPECT_EQ(host.m_nReleases, 1);
}

TEST_F(DrawingAids, KeptFormulaToolPlacesTheCaretInTheFormulaBeingTyped) {
  Aids().m_bKeepTools = 1;
  UseTool(TOOL_FORMULA);
  Click(CPoint{0, 0});
  view.OnChar('C');
  view.OnChar('O');
  CFormula* pFormula = Last<CFormula>(KIND_FORMULA);
  ASSERT_NE(pFormula, nullptr);
  view.UpdateView();
  Click(CPoint{(pFormula->m_rcBounds.left + pFormula->m_rcBounds.right) / 2,
               (pFormula->m_rcBounds.top + pFormula->m_rcBounds.bottom) / 2});
  EXPECT_EQ(CountKind(KIND_FORMULA), 1);
  EXPECT_EQ(view.Mouse().Tool(), TOOL_FORMULA);
  // Elsewhere the kept tool starts the next label.
  Click(CPoint{3000, -3000});
  EXPECT_EQ(CountKind(KIND_FORMULA), 2);
}

namespace {

// The mirror image of p in the line through a and b.
CPoint Reflect(CPoint p, CPoint a, CPoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
  const double fx = a.x + t * dx, fy = a.y + t * dy;
  return CPoint{static_cast<int>(std::lround(2 * fx - p.x)),
                static_cast<int>(std::lround(2 * fy - p.y))};
}

}  // namespace

class RingFusion : public DrawingAids {
 protected:
  // A template placed with a click, as without the aid: its group.
  CGroup* PlaceRing(int nTool, CPoint at) {
    UseTool(nTool);
    Click(at);
    return Last<CGroup>(KIND_GROUP);
  }
  static std::vector<CKVObject*> Children(CGroup* g, int nKind) {
    std::vector<CKVObject*> found;
    for (const auto& p : g->m_listChildren)
      if (p->GetKind() == nKind) found.push_back(p.get());
    return found;
  }
  std::vector<CCoupling*> TopBonds() const {
    std::vector<CCoupling*> found;
    for (const auto& p : doc.m_listObjects)
      if (CCoupling* b = p->AsBond()) found.push_back(b);
    return found;
  }
  std::vector<CKVObject*> TopDots() const {
    std::vector<CKVObject*> found;
    for (const auto& p : doc.m_listObjects)
      if (p->GetKind() == KIND_DOT) found.push_back(p.get());
    return found;
  }
};

TEST_F(RingFusion, AHexagonOnEachBondOfAHexagonIsItsMirrorImage) {
  // A ring of each template orientation; on each of its six bonds (every orientation a
  // hexagon's edges have), a new ring is fused, pressed just outside the bond.
  int nRing = 0;
  for (int nTool : {TOOL_HEXANE, TOOL_HEXANE_90}) {
    for (int e = 0; e < 6; ++e, ++nRing) {
      Aids().m_bFuseRings = 0;
      CGroup* g = PlaceRing(nTool, CPoint{nRing * 3000, 0});
      ASSERT_NE(g, nullptr);
      const std::vector<CKVObject*> ringDots = Children(g, KIND_DOT);
      auto* pShared =
          static_cast<CCoupling*>(Children(g, KIND_COUPLING)[static_cast<std::size_t>(e)]);
      const CPoint a = pShared->m_pEndA->GetAnchor(), b = pShared->m_pEndB->GetAnchor();
      const CPoint centre{nRing * 3000, 0};
      const CPoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
      const CPoint press{mid.x + (mid.x - centre.x) / 10, mid.y + (mid.y - centre.y) / 10};
      Aids().m_bFuseRings = 1;
      const std::size_t nDots = TopDots().size(), nBonds = TopBonds().size(), nSteps = Snapshots();
      UseTool(TOOL_HEXANE);
      Press(press);
      Release(press);
      ASSERT_EQ(TopDots().size(), nDots + 4) << nTool << " " << e;
      ASSERT_EQ(TopBonds().size(), nBonds + 5);
      EXPECT_EQ(Snapshots(), nSteps + 1);
      EXPECT_EQ(CountKind(KIND_GROUP), nRing + 1);  // no second template group
      // Each new junction is the mirror image of an old one across the shared bond.
      for (std::size_t k = nDots; k < TopDots().size(); ++k) {
        const CPoint p = TopDots()[k]->GetAnchor();
        bool bMatched = false;
        for (CKVObject* d : ringDots) {
          const CPoint r = Reflect(d->GetAnchor(), a, b);
          bMatched = bMatched || (std::abs(r.x - p.x) <= 2 && std::abs(r.y - p.y) <= 2);
        }
        EXPECT_TRUE(bMatched) << p.x << "," << p.y;
      }
      // The shared bond stays the only bond between its ends, and both ends get one more.
      int nBetween = 0;
      for (CCoupling* nb : TopBonds())
        nBetween += (nb->m_pEndA == pShared->m_pEndA && nb->m_pEndB == pShared->m_pEndB) ||
                    (nb->m_pEndA == pShared->m_pEndB && nb->m_pEndB == pShared->m_pEndA);
      EXPECT_EQ(nBetween, 0);
      EXPECT_EQ(BondsAt(pShared->m_pEndA).size(), 1u);
      EXPECT_EQ(BondsAt(pShared->m_pEndB).size(), 1u);
    }
  }
}

TEST_F(RingFusion, ARingInABaySharesTheJunctionsAlreadyThere) {
  Aids().m_bFuseRings = 1;
  CGroup* g = PlaceRing(TOOL_HEXANE_90, CPoint{0, 0});
  ASSERT_NE(g, nullptr);
  // Two rings on neighbouring bonds meet at a vertex: the second uses the first's junction.
  std::vector<CKVObject*> bonds = Children(g, KIND_COUPLING);
  for (std::size_t e : {0u, 1u}) {
    auto* pBond = static_cast<CCoupling*>(bonds[e]);
    const CPoint a = pBond->m_pEndA->GetAnchor(), b = pBond->m_pEndB->GetAnchor();
    const CPoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    UseTool(TOOL_HEXANE);
    Click(CPoint{mid.x + mid.x / 10, mid.y + mid.y / 10});
  }
  EXPECT_EQ(TopDots().size(), 4u + 3u);
  EXPECT_EQ(TopBonds().size(), 5u + 4u);
}

TEST_F(RingFusion, ARingOnAJunctionHasItAsAVertexAwayFromItsBonds) {
  Aids().m_bFuseRings = 1;
  CDot* pChain = AddDot(-300, 0);
  CDot* pEnd = AddDot(0, 0);
  AddBond(pChain, pEnd);
  UseTool(TOOL_HEXANE);
  Click(CPoint{0, 0});
  ASSERT_EQ(TopDots().size(), 2u + 5u);
  ASSERT_EQ(TopBonds().size(), 1u + 6u);
  EXPECT_EQ(BondsAt(pEnd).size(), 3u);
  // The vertex across the ring lies straight on from the chain.
  bool bOpposite = false;
  for (CKVObject* d : TopDots())
    bOpposite = bOpposite || Length(d->GetAnchor(), CPoint{600, 0}) <= 1.5;
  EXPECT_TRUE(bOpposite);
  EXPECT_EQ(CountKind(KIND_GROUP), 0);
}

TEST_F(RingFusion, AlternatingBondsNeverDoubleAtTheSharedBond) {
  Aids().m_bFuseRings = 0;
  CGroup* g = PlaceRing(TOOL_BENZENE_90, CPoint{0, 0});
  ASSERT_NE(g, nullptr);
  Aids().m_bFuseRings = 1;
  int nRing = 0;
  for (CKVObject* p : Children(g, KIND_COUPLING)) {
    auto* pShared = static_cast<CCoupling*>(p);
    if (nRing == 2) break;
    // One fusion on a double and one on a single bond of the Kekulé ring.
    if ((nRing == 0) != (pShared->m_nStyle == 2)) continue;
    const std::size_t nBefore = TopBonds().size();
    const CPoint a = pShared->m_pEndA->GetAnchor(), b = pShared->m_pEndB->GetAnchor();
    const CPoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    UseTool(TOOL_BENZENE);
    Click(CPoint{mid.x + mid.x / 10, mid.y + mid.y / 10});
    const std::vector<CCoupling*> all = TopBonds();
    int nDouble = 0;
    for (std::size_t k = nBefore; k < all.size(); ++k) {
      if (all[k]->m_nStyle != 2) continue;
      ++nDouble;
      for (CKVObject* end : {pShared->m_pEndA, pShared->m_pEndB})
        EXPECT_TRUE(all[k]->m_pEndA != end && all[k]->m_pEndB != end);
    }
    EXPECT_EQ(nDouble, 2) << nRing;
    ++nRing;
  }
  EXPECT_EQ(nRing, 2);
}

TEST_F(RingFusion, OffATemplateOnABondIsPlacedWholeAtThePress) {
  CGroup* g = PlaceRing(TOOL_HEXANE_90, CPoint{0, 0});
  ASSERT_NE(g, nullptr);
  UseTool(TOOL_HEXANE);
  Click(CPoint{0, 255});  // on the top bond
  EXPECT_EQ(CountKind(KIND_GROUP), 2);
  EXPECT_EQ(TopBonds().size(), 0u);
}

// ---- Labels typed over junctions, and the indices typing makes

#include "view/LabelTyping.h"

TEST(LabelTyping, DigitsAndChargesGoIntoIndicesAsTheyAreTyped) {
  struct Case {
    const char* pszTyped;
    const char* pszMarkup;
  };
  const Case cases[] = {
      {"CH3", "CH#idown 3# "},
      {"SO42-", "SO#idown 4# #iup 2-# "},
      {"NH4+", "NH#idown 4# #iup +# "},
      {"NH3+", "NH#idown 3# #iup +# "},
      {"Fe3+", "Fe#iup 3+# "},
      {"O-", "O#iup -# "},
      {"O2--", "O#iup 2--# "},
      {"C12H22O11", "C#idown 12# H#idown 22# O#idown 11# "},
      {"(CH3)2", "(CH#idown 3# )#idown 2# "},
      {"COOH", "COOH"},
      {"2H2O", "2H#idown 2# O"},
      {"-", "-"},
      {"C-C", "C#iup -# C"},
  };
  for (const Case& c : cases) {
    std::string text;
    int nCaret = 0;
    for (const char* p = c.pszTyped; *p != 0; ++p) {
      if (!TypeLabelByte(text, nCaret, *p)) text.insert(static_cast<std::size_t>(nCaret++), 1, *p);
      ASSERT_LE(static_cast<std::size_t>(nCaret), text.size());
    }
    EXPECT_EQ(text, c.pszMarkup) << c.pszTyped;
    EXPECT_EQ(static_cast<std::size_t>(nCaret), text.size()) << c.pszTyped;
  }
  // Only the base line makes indices: in an index slot, before the end, and at a caret
  // outside the text, a byte is typed as it is.
  std::string text = "C#iup a# ";
  int nCaret = 7;
  EXPECT_FALSE(TypeLabelByte(text, nCaret, '2'));
  text = "CH";
  nCaret = 1;
  EXPECT_FALSE(TypeLabelByte(text, nCaret, '+'));
  nCaret = 5;
  EXPECT_FALSE(TypeLabelByte(text, nCaret, '2'));
  EXPECT_EQ(text, "CH");
}

class TypedLabels : public DrawingAids {
 protected:
  TypedLabels() {
    Aids().m_bTypingMakesLabels = 1;
    pA = AddDot(0, 0);
    pB = AddDot(300, 0);
    pBond = AddBond(pA, pB);
    view.UpdateView();
    view.PushSnapshot();
  }
  void Type(const char* psz) {
    for (; *psz != 0; ++psz) view.OnChar(static_cast<unsigned char>(*psz));
  }
  void Escape() {
    ASSERT_TRUE(view.OnCommand(cmd::kEscape));
    host.PumpMessages();
  }
  CDot* pA;
  CDot* pB;
  CCoupling* pBond;
};

TEST_F(TypedLabels, ALetterOverAJunctionMakesALabelThereThatIsOneUndoStep) {
  Move(CPoint{300, 0}, 0);
  Type("CH3");
  Escape();
  ASSERT_EQ(CountKind(KIND_DOT), 1);
  auto* pLabel = Last<CFormula>(KIND_FORMULA);
  ASSERT_NE(pLabel, nullptr);
  EXPECT_EQ(pLabel->m_strText, "CH#idown 3# ");
  EXPECT_EQ(pBond->m_pEndB, pLabel);
  // Its first letter over the junction's point: the bond, drawn to the letter's frame, still
  // runs along the line from A to where B was, and stops short of it.
  view.UpdateView();
  const CRect& rc = pLabel->m_rcBounds;
  EXPECT_TRUE(rc.left < 300 && 300 < rc.left + (rc.right - rc.left) / 2 && rc.bottom < 0 &&
              0 < rc.top)
      << rc.left << " " << rc.top << " " << rc.right << " " << rc.bottom;
  EXPECT_NEAR(pBond->m_ptB.y, 0, 1);
  EXPECT_GT(pBond->m_ptB.x, 100);
  EXPECT_LT(pBond->m_ptB.x, 300);
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_EQ(Snapshots(), 2u);
  view.Undo();
  EXPECT_EQ(CountKind(KIND_FORMULA), 0);
  EXPECT_EQ(CountKind(KIND_DOT), 2);
  ASSERT_EQ(CountKind(KIND_COUPLING), 1);
  auto* pBack = Last<CCoupling>(KIND_COUPLING);
  EXPECT_EQ(pBack->m_pEndB->GetKind(), KIND_DOT);
  EXPECT_EQ(pBack->m_pEndB->GetAnchor(), (CPoint{300, 0}));
}

TEST_F(TypedLabels, ReturnEndsALabelAndAnEmptyOneGivesTheJunctionBack) {
  Move(CPoint{300, 0}, 0);
  Type("OH\r");
  host.PumpMessages();
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_EQ(Last<CFormula>(KIND_FORMULA)->m_strText, "OH");
  EXPECT_EQ(Snapshots(), 2u);

  Move(CPoint{0, 0}, 0);
  Type("N");
  EXPECT_EQ(pBond->m_pEndA->GetKind(), KIND_FORMULA);
  view.OnKeyDown(VK_BACK);
  view.OnChar(VK_BACK);
  Escape();
  // The same junction, with its bond, and no step for the label that was not.
  EXPECT_EQ(pBond->m_pEndA, pA);
  EXPECT_EQ(CountKind(KIND_FORMULA), 1);
  EXPECT_EQ(Snapshots(), 2u);
}

TEST_F(TypedLabels, ARingVertexBecomesALabelInsideItsGroup) {
  UseTool(TOOL_HEXANE_90);
  Click(CPoint{3000, 0});
  CGroup* pRing = Last<CGroup>(KIND_GROUP);
  ASSERT_NE(pRing, nullptr);
  Move(CPoint{3300, 0}, 0);
  Type("N");
  Escape();
  int nDots = 0, nLabels = 0;
  CKVObject* pLabel = nullptr;
  for (const auto& p : pRing->m_listChildren) {
    nDots += p->GetKind() == KIND_DOT;
    if (p->GetKind() == KIND_FORMULA) ++nLabels, pLabel = p.get();
  }
  EXPECT_EQ(nDots, 5);
  ASSERT_EQ(nLabels, 1);
  EXPECT_EQ(pLabel->m_pParent, pRing);
  int nBondsOnLabel = 0;
  for (const auto& p : pRing->m_listChildren) {
    if (CCoupling* b = p->AsBond()) nBondsOnLabel += b->m_pEndA == pLabel || b->m_pEndB == pLabel;
  }
  EXPECT_EQ(nBondsOnLabel, 2);
}

TEST_F(TypedLabels, OffTypingOverAJunctionDoesNothing) {
  Aids().m_bTypingMakesLabels = 0;
  Move(CPoint{300, 0}, 0);
  Type("C3");
  EXPECT_EQ(CountKind(KIND_FORMULA), 0);
  EXPECT_EQ(pBond->m_pEndB, pB);
  EXPECT_EQ(Snapshots(), 1u);
}

TEST_F(TypedLabels, AChainGoesOnFromALabelAsFromTheJunctionItReplaced) {
  Aids().m_bClickAddsBond = 1;
  Move(CPoint{300, 0}, 0);
  Type("CH3");
  Escape();
  auto* pLabel = Last<CFormula>(KIND_FORMULA);
  ASSERT_NE(pLabel, nullptr);
  UseTool(TOOL_SINGLE_BOND);
  Click(CPoint{300, 0});
  CCoupling* b = Last<CCoupling>(KIND_COUPLING);
  ASSERT_NE(b, pBond);
  EXPECT_EQ(b->m_pEndA, pLabel);
  // One bond to the left: 120 degrees on from it, the lower side; 300 units from the
  // junction's point, not from the label's corner.
  EXPECT_EQ(b->m_pEndB->GetAnchor(), (CPoint{450, -260}));
}

TEST_F(TypedLabels, EachLabelIsOneStepAfterAnUndoAndWhenAClickEndsIt) {
  // A step, undone: the label's first letter drops the undone step, and the label is still
  // one step of its own.
  Pick(pA);
  ASSERT_TRUE(view.OnCommand(cmd::kKeyRight));
  view.Undo();
  Move(CPoint{300, 0}, 0);
  Type("CH3");
  Escape();
  EXPECT_EQ(Snapshots(), 2u);
  view.Undo();
  EXPECT_EQ(CountKind(KIND_FORMULA), 0);
  view.Redo();
  ASSERT_EQ(CountKind(KIND_FORMULA), 1);

  // A label ended by a click on the paper, then another: two steps, undone one by one. (The
  // undo and redo made the drawing's objects anew: the junction at 0, 0 is found again.)
  CKVObject* pAgain = nullptr;
  for (const auto& p : doc.m_listObjects)
    if (p->GetKind() == KIND_DOT && p->GetAnchor() == CPoint{0, 0}) pAgain = p.get();
  ASSERT_NE(pAgain, nullptr);
  AddBond(AddDot(-300, 0), pAgain);
  view.UpdateView();
  view.PushSnapshot();
  const std::size_t nBefore = Snapshots();
  Move(CPoint{-300, 0}, 0);
  Type("OH");
  Click(CPoint{3000, -3000});
  Move(CPoint{0, 0}, 0);
  Type("N");
  Escape();
  EXPECT_EQ(Snapshots(), nBefore + 2);
  EXPECT_EQ(CountKind(KIND_FORMULA), 3);
  view.Undo();
  EXPECT_EQ(CountKind(KIND_FORMULA), 2);
  view.Undo();
  EXPECT_EQ(CountKind(KIND_FORMULA), 1);
}

TEST_F(TypedLabels, AnEmptyLabelLeftByAClickGivesTheJunctionBackAtTheNextStep) {
  Move(CPoint{300, 0}, 0);
  Type("C");
  view.OnKeyDown(VK_BACK);
  view.OnChar(VK_BACK);
  Click(CPoint{3000, -3000});
  Pick(pA);
  ASSERT_TRUE(view.OnCommand(cmd::kKeyRight));
  EXPECT_EQ(CountKind(KIND_FORMULA), 0);
  EXPECT_EQ(pBond->m_pEndB, pB);
  // The label left no step: one undo takes back the nudge, the next one nothing more.
  EXPECT_EQ(Snapshots(), 2u);
}

TEST_F(RingFusion, ARingOnAShortBondIsItsSizeWithItsCircleInsideAndItsScale) {
  Aids().m_bFuseRings = 1;
  CDot* a = AddDot(0, 0);
  CDot* b = AddDot(210, 0);
  CCoupling* bond = AddBond(a, b);
  for (CKVObject* p :
       {static_cast<CKVObject*>(a), static_cast<CKVObject*>(b), static_cast<CKVObject*>(bond)})
    p->m_dScale = 0.5;
  view.UpdateView();
  UseTool(TOOL_AROMATIC_BENZENE);
  Click(CPoint{105, 15});
  ASSERT_EQ(TopDots().size(), 6u);
  for (CKVObject* d : TopDots()) EXPECT_EQ(d->m_dScale, 0.5);
  auto* pCircle = Last<CEllipse>(KIND_ELLIPSE);
  ASSERT_NE(pCircle, nullptr);
  // Inside the ring: its radius below the apothem (105 tan 60 = 182), 0.7 of the
  // circumradius's share as the templates have it.
  const int h = (pCircle->m_rcBounds.right - pCircle->m_rcBounds.left) / 2;
  EXPECT_EQ(h, static_cast<int>(std::floor(0.7 * 210 * std::cos(kPi / 6))));
  EXPECT_LT(h, 182);
  EXPECT_GT(pCircle->m_rcBounds.bottom, 0);
}
