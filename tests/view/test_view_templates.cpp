// Ring templates and the vertex-count dialog.

#include <cstring>

#include "InteractFixture.h"
#include "view/EntryParsing.h"
#include "view/TemplatePlacement.h"

namespace {

struct Parts {
  std::vector<CPoint> vertices;
  std::vector<CCoupling*> bonds;
  std::vector<CEllipse*> circles;
};

Parts PartsOf(CGroup& g) {
  Parts parts;
  for (const auto& p : g.m_listChildren) {
    if (p->GetKind() == KIND_DOT) parts.vertices.push_back(p->GetAnchor());
    if (p->GetKind() == KIND_COUPLING) parts.bonds.push_back(static_cast<CCoupling*>(p.get()));
    if (p->GetKind() == KIND_ELLIPSE) parts.circles.push_back(static_cast<CEllipse*>(p.get()));
  }
  return parts;
}

int CountStyle(const Parts& parts, int nStyle) {
  int n = 0;
  for (CCoupling* b : parts.bonds) n += b->m_nStyle == nStyle ? 1 : 0;
  return n;
}

}  // namespace

class ViewTemplates : public InteractFixture {
 protected:
  CGroup& Place(int nTool, CPoint pt = CPoint{0, 0}) {
    group = std::make_unique<CGroup>();
    view.PlaceTemplate(nTool, pt, *group);
    return *group;
  }
  std::unique_ptr<CGroup> group;
};

TEST_F(ViewTemplates, CyclohexaneZeroDegrees) {
  const Parts p = PartsOf(Place(8));
  EXPECT_EQ(p.vertices,
            (std::vector<CPoint>{
                {260, 150}, {0, 300}, {-260, 150}, {-260, -150}, {0, -300}, {260, -150}}));
  ASSERT_EQ(p.bonds.size(), 6u);
  EXPECT_EQ(CountStyle(p, 1), 6);
  EXPECT_EQ(view.m_nPolyVertices, 6);
  // Each vertex comes before the bond that ends at it; the closing bond is last.
  const auto& children = group->m_listChildren;
  auto it = children.begin();
  EXPECT_EQ((*it++)->GetKind(), KIND_DOT);
  EXPECT_EQ((*it++)->GetKind(), KIND_DOT);
  EXPECT_EQ((*it++)->GetKind(), KIND_COUPLING);
  EXPECT_EQ(p.bonds.back()->m_pEndA->GetAnchor(), (CPoint{260, -150}));
  EXPECT_EQ(p.bonds.back()->m_pEndB->GetAnchor(), (CPoint{260, 150}));
  for (const auto& c : children) EXPECT_EQ(c->m_pParent, group.get());
  EXPECT_EQ(group->m_bSelected, 0);
}

TEST_F(ViewTemplates, CyclopentaneZeroDegrees) {
  const Parts p = PartsOf(Place(19));
  ASSERT_EQ(p.vertices.size(), 5u);
  EXPECT_EQ(p.vertices[0], (CPoint{285, 93}));
  EXPECT_EQ(p.vertices[1], (CPoint{0, 300}));
  EXPECT_EQ(p.bonds.size(), 5u);
  // The "180°" one points down, the "270°" one left.
  EXPECT_EQ(PartsOf(Place(23)).vertices[0], (CPoint{-300, 0}));
  EXPECT_EQ(PartsOf(Place(20, CPoint{1000, 1000})).vertices[0], (CPoint{715, 907}));
}

TEST_F(ViewTemplates, BenzeneFirstBondIsDoubleOnSideTwo) {
  const Parts p = PartsOf(Place(9));
  ASSERT_EQ(p.bonds.size(), 6u);
  EXPECT_EQ(p.bonds[0]->m_pEndA->GetAnchor(), (CPoint{260, 150}));
  EXPECT_EQ(p.bonds[0]->m_pEndB->GetAnchor(), (CPoint{0, 300}));
  const int styles[] = {2, 1, 2, 1, 2, 1};
  const int sides[] = {2, 1, 2, 1, 2, 1};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(p.bonds[static_cast<std::size_t>(i)]->m_nStyle, styles[i]) << i;
    EXPECT_EQ(p.bonds[static_cast<std::size_t>(i)]->m_nSide, sides[i]) << i;
  }
}

TEST_F(ViewTemplates, AromaticCirclesSitBesideTheCentre) {
  const Parts benzene = PartsOf(Place(10));
  ASSERT_EQ(benzene.circles.size(), 1u);
  EXPECT_EQ(benzene.circles[0]->m_rcBounds, (CRect{-176, 176, 186, -186}));
  EXPECT_EQ(group->m_listChildren.back()->GetKind(), KIND_ELLIPSE);
  const Parts pentagon = PartsOf(Place(25, CPoint{1000, -1000}));
  ASSERT_EQ(pentagon.circles.size(), 1u);
  EXPECT_EQ(pentagon.circles[0]->m_rcBounds, (CRect{836, -836, 1174, -1174}));
}

TEST_F(ViewTemplates, PolygonsUseTheEnteredCountFromAngleZero) {
  view.m_nPolyVertices = 4;
  const Parts square = PartsOf(Place(28));
  EXPECT_EQ(square.vertices, (std::vector<CPoint>{{300, 0}, {0, 300}, {-300, 0}, {0, -300}}));
  // A two-vertex "ring" has no room for a circle.
  view.m_nPolyVertices = 2;
  EXPECT_TRUE(PartsOf(Place(29)).circles.empty());
}

TEST_F(ViewTemplates, Naphthalene) {
  const Parts p = PartsOf(Place(14));
  EXPECT_EQ(p.vertices.size(), 10u);
  EXPECT_EQ(p.bonds.size(), 11u);
  EXPECT_EQ(CountStyle(p, 2) + CountStyle(p, 5), 5);
  ASSERT_EQ(CountStyle(p, 5), 1);
  // The centred one is the bond both rings share, J4-J5.
  for (CCoupling* b : p.bonds) {
    if (b->m_nStyle != 5) continue;
    EXPECT_EQ(b->m_pEndA->GetAnchor(), (CPoint{260, 150}));
    EXPECT_EQ(b->m_pEndB->GetAnchor(), (CPoint{260, -150}));
  }
  EXPECT_EQ(p.vertices[9], (CPoint{520, -300}));
  for (CCoupling* b : p.bonds) EXPECT_EQ(b->m_nSide, 1);
}

TEST_F(ViewTemplates, LargerFusedSystems) {
  struct Case {
    int nTool;
    std::size_t nVertices, nBonds;
    int nDouble, nCentred;
    CPoint last;
  };
  const Case cases[] = {
      {15, 14, 16, 7, 1, {1040, -300}},
      {16, 18, 21, 9, 1, {1560, -300}},
      {17, 14, 16, 7, 1, {520, -600}},
      {18, 18, 21, 9, 2, {1300, -750}},
  };
  for (const Case& c : cases) {
    const Parts p = PartsOf(Place(c.nTool));
    EXPECT_EQ(p.vertices.size(), c.nVertices) << c.nTool;
    EXPECT_EQ(p.bonds.size(), c.nBonds) << c.nTool;
    EXPECT_EQ(CountStyle(p, 2) + CountStyle(p, 5), c.nDouble) << c.nTool;
    EXPECT_EQ(CountStyle(p, 5), c.nCentred) << c.nTool;
    EXPECT_EQ(p.vertices.back(), c.last) << c.nTool;
  }
}

// ---------------------------------------------------------------------------------------
// The vertex-count dialog

TEST_F(ViewTemplates, DialogAcceptsANumberFollowedByText) {
  host.m_entries = {{"7x", IDOK}};
  Tool(1115);
  EXPECT_EQ(view.m_nPolyVertices, 7);
  EXPECT_EQ(view.Mouse().Tool(), 28);
  EXPECT_TRUE(host.m_boxes.empty());
  EXPECT_EQ(host.m_nCursor, IDI_TEMPLATE_CURSOR);
  EXPECT_EQ(host.m_nLatchClears, 1);
  // The dialog had the focus put in its field and suppressed the hover feedback.
  EXPECT_EQ(host.m_nFieldFocus, 1);
  EXPECT_EQ(host.m_bHoverDuringDialog, (std::vector<bool>{true}));
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);
  ASSERT_EQ(host.m_dialogs.size(), 1u);
  EXPECT_EQ(host.m_dialogs[0].strCaption, "Polygon");
  EXPECT_EQ(host.m_dialogs[0].strPrompt, "Enter nuber of vertices:");
  EXPECT_EQ(host.m_dialogs[0].strCancel, "Cancel");
}

TEST_F(ViewTemplates, DialogRefusesBadCountsAndAsksAgain) {
  host.m_entries = {{"2", IDOK}, {"abc", IDOK}, {"   ", IDOK}, {"2000000000", IDOK}, {"5", IDOK}};
  Tool(1116);
  ASSERT_EQ(host.m_boxes.size(), 4u);
  EXPECT_EQ(host.m_boxes[0].strText, "Error: Entered value cannot be less than three.");
  EXPECT_EQ(host.m_boxes[1].strText, "Error: Not a number.");
  EXPECT_EQ(host.m_boxes[2].strText, "Error: Not a number.");
  EXPECT_EQ(host.m_boxes[3].strText, "Error: Entered value cannot be greater than 1000.");
  for (const auto& box : host.m_boxes) {
    EXPECT_EQ(box.strCaption, "Valendra Error");
    EXPECT_EQ(box.nFlags, static_cast<unsigned>(MB_ICONERROR));
  }
  EXPECT_EQ(host.m_dialogs.size(), 5u);
  EXPECT_EQ(view.m_nPolyVertices, 5);
  EXPECT_EQ(view.Mouse().Tool(), 29);
  Press(CPoint{1500, -1500});
  const Parts p = PartsOf(*Last<CGroup>(KIND_GROUP));
  EXPECT_EQ(p.vertices.size(), 5u);
  EXPECT_EQ(p.circles.size(), 1u);
}

TEST_F(ViewTemplates, CancelLeavesTheSelectTool) {
  view.Mouse().SetTool(8);
  host.m_entries = {{"2", IDOK}, {"9", IDCANCEL}};
  Tool(1115);
  EXPECT_EQ(view.Mouse().Tool(), 0);
  EXPECT_EQ(view.m_dPolyParsed, 0.0);
  EXPECT_EQ(host.m_boxes.size(), 1u);
}

TEST_F(ViewTemplates, CzechMessagesAndDialog) {
  view.Settings().m_bEnglish = 0;
  host.m_entries = {{"1", IDOK}, {"x", IDOK}, {"1001", IDOK}, {"", IDCANCEL}};
  Tool(1115);
  ASSERT_EQ(host.m_boxes.size(), 3u);
  EXPECT_EQ(host.m_boxes[0].strText, "Chyba: Zadaná hodnota nesmí být menší než tři.");
  EXPECT_EQ(host.m_boxes[1].strText, "Chyba: Zadaná hodnota není číslo.");
  EXPECT_EQ(host.m_boxes[2].strText, "Chyba: Zadaná hodnota nesmí být větší než 1000.");
  EXPECT_EQ(host.m_boxes[0].strCaption, "Chyba Valendra");
  EXPECT_EQ(host.m_dialogs[0].strCaption, "Mnohoúhelník");
  EXPECT_EQ(host.m_dialogs[0].strPrompt, "Zadejte počet vrcholů:");
  EXPECT_EQ(host.m_dialogs[0].strCancel, "Zrušit");
  EXPECT_EQ(view.Mouse().Tool(), 0);
}

TEST_F(ViewTemplates, VertexFieldParsing) {
  struct Case {
    const char* text;
    double dParsed;
    int nVertices;
  };
  const Case cases[] = {{"12abc", 1, 12},
                        {"", 0, 0},
                        {"   ", -1, 0},
                        {"abc", 0, 0},
                        {" -4", 1, -4},
                        {"+8", 1, 8},
                        {"-", 0, 0},
                        {"\t 6 7", 1, 6},
                        {"99999999999", 1, 2147483647},
                        // Only 19 characters are read: here the digit is the 20th.
                        {"                   5", -1, 0},
                        {"                  5", 1, 5}};
  for (const Case& c : cases) {
    view.m_nPolyVertices = 77;
    view.Cursor().m_bHoverSuppressed = 1;
    view.OnEntryFieldKillFocus(412, c.text);
    EXPECT_EQ(view.m_dPolyParsed, c.dParsed) << '"' << c.text << '"';
    EXPECT_EQ(view.m_nPolyVertices, c.nVertices) << '"' << c.text << '"';
    EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);
  }
}

// ---------------------------------------------------------------------------------------
// The thickness dialog

TEST_F(ViewTemplates, ThicknessFieldParsing) {
  struct Case {
    const char* text;
    double dParsed, dThickness;
  };
  const Case cases[] = {{"2.5x", 1, 2.5},  {"0", 0, 0},      {"-1", 0, 0},  {"abc", 0, 0},
                        {" .75", 1, 0.75}, {"1e1", 1, 10.0}, {"", 0, 0},    {"inf", 0, 0},
                        {"1e999", 0, 0},   {"+3", 1, 3.0},   {"nan", 0, 0}, {"3,5", 1, 3.0}};
  for (const Case& c : cases) {
    view.m_dCustomThickness = 7.0;
    view.OnEntryFieldKillFocus(418, c.text);
    EXPECT_EQ(view.m_dPolyParsed, c.dParsed) << '"' << c.text << '"';
    EXPECT_EQ(view.m_dCustomThickness, c.dThickness) << '"' << c.text << '"';
  }
}

TEST_F(ViewTemplates, ThicknessDialogOpensWithTheValueWrittenWithTwoDecimals) {
  view.m_dCustomThickness = 1.0;
  host.m_entries = {{"0.3", IDOK}};
  EXPECT_EQ(view.RunThicknessDialog(), IDOK);
  EXPECT_EQ(host.m_fieldTexts, (std::vector<std::string>{"1.00"}));
  EXPECT_EQ(host.m_bHoverDuringDialog, (std::vector<bool>{true}));
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);
  EXPECT_DOUBLE_EQ(view.m_dCustomThickness, 0.3);
  ASSERT_EQ(host.m_dialogs.size(), 1u);
  EXPECT_EQ(host.m_dialogs[0].nTemplate, 418);
  EXPECT_EQ(host.m_dialogs[0].strCaption, "Line");
  EXPECT_EQ(host.m_dialogs[0].strPrompt, "Enter line thickness:");
  view.Settings().m_bEnglish = 0;
  EXPECT_EQ(view.EntryDialogText(418).strCaption, "Čára");
  EXPECT_EQ(view.EntryDialogText(418).strPrompt, "Zadejte tloušťku čáry:");
}

TEST_F(ViewTemplates, DialogTimersDoNothingWithoutTheirDialog) {
  host.SetTimer(1118, 10);
  host.SetTimer(1120, 10);
  host.FireTimer(1118);
  host.FireTimer(1120);
  EXPECT_EQ(host.m_nFieldFocus, 0);
  EXPECT_TRUE(host.m_fieldTexts.empty());
  EXPECT_FALSE(host.IsTimerRunning(1118));
  EXPECT_FALSE(host.IsTimerRunning(1120));
}
