// The view edited in place inside a container's window: Esc of the in-place table gives the
// drawing back through the host, and the pointer's inner area is the view window itself.
#include <gtest/gtest.h>

#include "DrawingBuilder.h"
#include "FakeViewHost.h"
#include "document/CKvillDoc.h"
#include "resources/CommandIds.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"

namespace {

class InPlaceHost : public FakeViewHost {
 public:
  bool IsInPlaceActive() override { return m_bInPlace; }
  void DeactivateInPlace() override { ++m_nDeactivations; }

  bool m_bInPlace = true;
  int m_nDeactivations = 0;
};

// A document with one selected ellipse, the fake window and the view at zoom 1 (15 drawing
// units to a pixel).
struct InPlaceView {
  InPlaceView() : view(&host, &doc) {
    host.m_pView = &view;
    view.Viewport().SetZoom(1.0);
    ellipse = DrawingBuilder(doc).Ellipse(300, -300, 900, -700);
    ellipse->m_bSelected = 1;
    view.Cursor().m_bHoverSuppressed = 0;
  }
  // Starts dragging the ellipse's lower-right handle, lets the cursor feedback see the
  // pointer at a screen point, and tells whether the drag goes on.
  bool DragSurvivesPointerAt(CPoint ptScreen) {
    view.OnLButtonDown(MK_LBUTTON, CPoint{900 / 15, 690 / 15});
    EXPECT_EQ(view.Mouse().Resizing(), 1);
    host.m_ptCursor = ptScreen;
    host.SetTimer(TIMER_CURSOR_FEEDBACK, 10);
    host.FireTimer(TIMER_CURSOR_FEEDBACK);
    return view.Mouse().Resizing() == 1;
  }

  CKvillDoc doc;
  InPlaceHost host;
  CKvillView view;
  CEllipse* ellipse = nullptr;
};

TEST(ViewInPlace, TheInPlaceEscGoesToTheHostAndTheMainEscDoesNot) {
  InPlaceView v;
  EXPECT_TRUE(v.view.OnCommand(cmd::kCancelInPlace));
  EXPECT_EQ(v.host.m_nDeactivations, 1);
  EXPECT_TRUE(v.host.m_posted.empty());

  // The main window's Esc ends the current action only.
  EXPECT_TRUE(v.view.OnCommand(cmd::kEscape));
  EXPECT_EQ(v.host.m_nDeactivations, 1);
  ASSERT_EQ(v.host.m_posted.size(), 1u);

  // While a formula is typed, the in-place Esc still gives the drawing back: the in-place
  // table has no other Esc.
  v.host.PostMessage(msg::kToolFormula, 0, 0);
  v.host.PumpMessages();
  v.view.OnLButtonDown(MK_LBUTTON, CPoint{100, 100});
  v.view.OnChar('C');
  ASSERT_EQ(v.view.EditState(), 1);
  EXPECT_TRUE(v.view.OnCommand(cmd::kCancelInPlace));
  EXPECT_EQ(v.host.m_nDeactivations, 2);
}

TEST(ViewInPlace, ThePointersInnerAreaIsTheViewWindow) {
  // The view window at (500, 300)-(900, 600) on the screen, the main window around it at
  // (400, 250)-(1000, 700). Outside in place, the main window's borders, toolbar and status
  // bar are taken off the main window's rectangle; in place only the view window counts.
  struct Case {
    CPoint pt;
    bool bInPlace;
    bool bDragGoesOn;
  };
  const Case cases[] = {
      {{505, 305}, true, true},    // in the view window, where the main toolbar would be
      {{505, 305}, false, false},  //   ... which ends the drag outside in place
      {{495, 400}, true, false},   // left of the view window, inside the main window
      {{495, 400}, false, true},  {{899, 599}, true, true},  // the view window's last pixel
      {{900, 400}, true, false},                             // just right of it
      {{700, 299}, true, false},                             // just above it
  };
  for (const Case& c : cases) {
    InPlaceView v;
    v.host.m_bInPlace = c.bInPlace;
    v.host.m_rcWindow = CRect{500, 300, 900, 600};
    v.host.m_rcMainWindow = CRect{400, 250, 1000, 700};
    EXPECT_EQ(v.DragSurvivesPointerAt(c.pt), c.bDragGoesOn)
        << c.pt.x << "," << c.pt.y << (c.bInPlace ? " in place" : " in the main window");
    EXPECT_EQ(v.view.Cursor().m_bCursorOutside, c.bDragGoesOn ? 0 : 1);
  }
}

}  // namespace
