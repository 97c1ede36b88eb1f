// The window's back buffer is kept from one paint to the next, and the paint after a
// small change repaints only the area the change damaged: after every step of random
// editing scripts the window shows exactly what a whole repaint of the drawing shows.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <optional>
#include <string>

#include "../view/RandomEditScript.h"
#include "bench/ImageHost.h"

namespace {

class WindowOnImages : public ImageHostOn<InteractHost> {};

class BackBufferPaint : public ::testing::Test {
 protected:
  BackBufferPaint() : view(&host, &doc) { host.m_pView = &view; }

  WindowOnImages host;
  CKvillDoc doc;
  CKvillView view;
};

std::optional<QPoint> FirstDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return QPoint(-1, -1);
  for (int y = 0; y < a.height(); ++y) {
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), a.width() * 4) == 0) continue;
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) return QPoint(x, y);
    }
  }
  return std::nullopt;
}

TEST_F(BackBufferPaint, EveryPaintShowsWhatAWholeRepaintOfTheDrawingShows) {
  constexpr int kScripts = 24;
  constexpr int kSteps = 30;
  // The whole drawing in the window, half of it, and a quarter of it at twice the size.
  static const double kZooms[] = {1.0, 0.6, 2.0};
  const std::uint64_t nBefore = view.DamageOnlyPaints();
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    doc.ClearForReplace();
    view.ClearHistory();
    view.m_nScrollX = view.m_nScrollY = 0;
    view.m_nTool = TOOL_SELECT;
    view.m_dZoom = kZooms[nScript % 3];
    RandomEditScript script(view, host, doc, 7000u + static_cast<unsigned>(nScript));
    script.AddHistoryAndTyping('O', '3');
    script.AddMovesInPlace();
    // Selection changes weigh more: they repaint marks alone, and only in the damage.
    for (int k = 0; k < 3; ++k) {
      script.AddStep("select another", [&] {
        if (CKVObject* p = script.AnyObject()) {
          const bool bAdd = script.Int(0, 1) == 0;
          if (!bAdd) view.DeselectAll();
          p->m_bSelected = p->m_bSelected ? 0 : 1;
          p->MarkChanged();
          view.CountSelection();
          view.UpdateView();
        }
      });
    }
    // An object moved far where it lies in the list: what it leaves behind must go. Small
    // ones (junctions, charges) damage little, among bonds passing by that keep their
    // pixels unless their strokes reach into the damage.
    for (bool bSmall : {false, true, true}) {
      script.AddStep(bSmall ? "jump small" : "jump", [&script, this, bSmall] {
        CKVObject* p = script.AnyObject();
        if (p == nullptr || (bSmall && p->m_nKind != KIND_DOT && p->m_nKind != KIND_PLUS &&
                             p->m_nKind != KIND_MINUS)) {
          return;
        }
        p->ResetDone();
        p->MoveTo(CPoint{p->m_ptAnchor.x + script.Int(-20, 20) * 300,
                         p->m_ptAnchor.y + script.Int(-20, 20) * 300});
        view.UpdateView();
      });
    }
    script.StartDrawing();
    std::string strSteps;
    for (int i = 0; i < kSteps; ++i) {
      strSteps += script.RunStep() + "; ";
      view.UpdateView();
      const QImage shown = host.Window().copy();
      // The same drawing painted whole on white paper.
      view.ForgetBackBuffer();
      view.UpdateView();
      const std::optional<QPoint> at = FirstDifference(shown, host.Window());
      ASSERT_FALSE(at.has_value())
          << "script " << nScript << ", step " << i << " (" << strSteps << "): pixel (" << at->x()
          << ", " << at->y() << ") is " << std::hex << shown.pixel(*at)
          << " after the paint of the damage and " << host.Window().pixel(*at)
          << " after a whole repaint";
    }
  }
  // Many steps change a little of the window (those that reorder the list, add or delete
  // objects, or reload the drawing paint it whole): their paints went by the damage alone.
  EXPECT_GT(view.DamageOnlyPaints() - nBefore, static_cast<std::uint64_t>(kScripts * kSteps / 8));
}

}  // namespace
