// The window's back buffer is kept from one paint to the next, and the paint after a
// small change repaints only the area the change damaged: after every step of random
// editing scripts the window shows exactly what a whole repaint of the drawing shows.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "../view/RandomEditScript.h"
#include "bench/ImageHost.h"
#include "objects/CPlusC.h"

namespace {

class WindowOnImages : public ImageHostOn<InteractHost> {};

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

class BackBufferPaint : public ::testing::Test {
 protected:
  BackBufferPaint() : view(&host, &doc) { host.m_pView = &view; }

  // Paints the same drawing whole on white paper: the first pixel where the window showed
  // otherwise, what it showed there in *pShown.
  std::optional<QPoint> DifferenceFromWholeRepaint(QImage* pShown = nullptr) {
    const QImage shown = host.Window().copy();
    view.ForgetBackBuffer();
    view.UpdateView();
    if (pShown != nullptr) *pShown = shown;
    return FirstDifference(shown, host.Window());
  }

  WindowOnImages host;
  CKvillDoc doc;
  CKvillView view;
};

TEST_F(BackBufferPaint, EveryPaintShowsWhatAWholeRepaintOfTheDrawingShows) {
  constexpr int kScripts = 24;
  constexpr int kSteps = 30;
  // The whole drawing in the window, half of it, and a quarter of it at twice the size.
  static const double kZooms[] = {1.0, 0.6, 2.0};
  const std::uint64_t nBefore = view.DamageOnlyPaints();
  for (int nScript = 0; nScript < kScripts; ++nScript) {
    doc.ClearForReplace();
    view.ClearHistory();
    view.Viewport().SetScrollX(0);
    view.Viewport().SetScrollY(0);
    view.Mouse().SetTool(TOOL_SELECT);
    view.Viewport().SetZoom(kZooms[nScript % 3]);
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
    // Any style at any stored thickness: a thick arrow on a short bond reaches past its far
    // end, and a bond crossing the damage keeps its pixels only if none of it reaches in.
    script.AddStep("restyle bond", [&script, this] {
      CCoupling* pBond = script.AnyObject() != nullptr ? script.AnyObject()->AsBond() : nullptr;
      if (pBond == nullptr) return;
      static const double kThickness[] = {std::nan(""), -3.0, 5.0, 50.0, 200.0, 1000.0};
      pBond->m_nStyle = script.Int(1, 10);
      pBond->m_dThickness = kThickness[script.Int(0, 5)];
      pBond->MarkChanged();
      view.UpdateView();
    });
    script.StartDrawing();
    std::string strSteps;
    for (int i = 0; i < kSteps; ++i) {
      strSteps += script.RunStep() + "; ";
      view.UpdateView();
      QImage shown;
      const std::optional<QPoint> at = DifferenceFromWholeRepaint(&shown);
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

// An undo or redo reads anew only the objects whose records differ and puts them in the
// places of those it replaces: the paint after it repaints where the replaced ones were and
// where the new ones are, and nothing of the moved formula stays behind.
TEST_F(BackBufferPaint, UndoAndRedoRepaintWhereTheReplacedObjectsWere) {
  view.Viewport().SetZoom(1.0);
  DrawingBuilder b(doc);
  for (int k = 0; k < 6; ++k) {
    const int x = 1000 + k * 1500;
    b.Bond(b.Formula("OH", CPoint{x, -2000}), b.Dot(x, -4000));
  }
  view.UpdateView();
  view.PushSnapshot();
  const auto formula = [&] {
    for (const auto& p : doc.m_listObjects) {
      if (CFormula* f = p->AsFormula()) return f;
    }
    return static_cast<CFormula*>(nullptr);
  };
  formula()->ResetDone();
  formula()->MoveTo(CPoint{formula()->m_ptAnchor.x + 600, formula()->m_ptAnchor.y - 3000});
  view.UpdateView();
  view.PushSnapshot();
  // The first undo reads the whole drawing: its objects are then what the history holds.
  view.Undo();
  for (const char* step : {"redo", "undo", "redo"}) {
    const std::uint64_t nBefore = view.DamageOnlyPaints();
    if (step[0] == 'u') {
      view.Undo();
    } else {
      view.Redo();
    }
    EXPECT_EQ(view.DamageOnlyPaints(), nBefore + 1) << step << " painted the window whole";
    const std::optional<QPoint> at = DifferenceFromWholeRepaint();
    EXPECT_FALSE(at.has_value()) << step << ": pixel (" << at->x() << ", " << at->y()
                                 << ") differs from a whole repaint";
  }
}

// A thick arrow on a short bond draws its head far past its far end (the head is 120 units
// long per unit of thickness): moving its end, or a charge lying on the head's outer corner,
// repaints only the damage, and the window still shows what a whole repaint shows.
TEST_F(BackBufferPaint, AThickArrowHeadPastItsFarEndIsRepaintedWhereItLies) {
  for (int nStyle : {6, 8}) {
    for (double t : {50.0, 200.0}) {
      for (bool bMoveEnd : {true, false}) {
        doc.ClearForReplace();
        view.ClearHistory();
        view.Viewport().SetScrollX(0);
        view.Viewport().SetScrollY(0);
        // Zoomed out, so that the whole head lies in the window and the damage stays small.
        view.Viewport().SetZoom(10.0);
        DrawingBuilder b(doc);
        CDot* pEnd = b.Dot(3100, -30000);
        CCoupling* pBond = b.Bond(b.Dot(3000, -30000), pEnd, nStyle);
        pBond->m_dThickness = t;
        // Inside the head, near the corner of its base.
        const auto along = static_cast<std::int32_t>(115.0 * t);
        const auto aside = static_cast<std::int32_t>(40.0 * t);
        auto charge = std::make_unique<CPlusC>();
        charge->MoveTo(CPoint{3000 + along, -30000 + aside});
        charge->ResetDone();
        CKVObject* pCharge = b.Add(std::move(charge));
        view.UpdateView();
        view.UpdateView();
        const std::uint64_t nBefore = view.DamageOnlyPaints();
        CKVObject* pMoved = bMoveEnd ? static_cast<CKVObject*>(pEnd) : pCharge;
        pMoved->ResetDone();
        // The end moves across the bond, so that the heads turn.
        pMoved->MoveTo(bMoveEnd ? CPoint{pMoved->m_ptAnchor.x, pMoved->m_ptAnchor.y + 60}
                                : CPoint{pMoved->m_ptAnchor.x + 600, pMoved->m_ptAnchor.y});
        view.UpdateView();
        const std::string strCase = "style " + std::to_string(nStyle) + ", thickness " +
                                    std::to_string(t) +
                                    (bMoveEnd ? ", end moved" : ", charge moved");
        ASSERT_EQ(view.DamageOnlyPaints(), nBefore + 1) << strCase;
        const std::optional<QPoint> at = DifferenceFromWholeRepaint();
        EXPECT_FALSE(at.has_value()) << strCase << ": pixel (" << at->x() << ", " << at->y()
                                     << ") differs from a whole repaint";
      }
    }
  }
}

// Whatever thickness a file stores, the object shows in the window: the screen leaves out
// only what cannot reach it.
TEST_F(BackBufferPaint, ObjectsOfAnyStoredThicknessShowInTheWindow) {
  static const double kThickness[] = {std::nan(""), -2.0,  0.0,
                                      1.0,          1.0e9, std::numeric_limits<double>::infinity()};
  for (double t : kThickness) {
    for (bool bBond : {false, true}) {
      doc.ClearForReplace();
      view.Viewport().SetZoom(1.0);
      DrawingBuilder b(doc);
      if (bBond) {
        b.Bond(b.Dot(3000, -3000), b.Dot(6000, -3000))->m_dThickness = t;
      } else {
        b.Ellipse(3000, -3000, 6000, -5000)->m_dThickness = t;
      }
      view.UpdateView();
      view.UpdateView();
      int nInk = 0;
      const QImage& window = host.Window();
      for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) nInk += window.pixel(x, y) != 0xffffffffu;
      }
      EXPECT_GT(nInk, 0) << (bBond ? "bond" : "ellipse") << " of thickness " << t;
    }
  }
}

}  // namespace
