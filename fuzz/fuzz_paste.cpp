// Pastes arbitrary bytes as another program's drawing on the clipboard (any program can
// put any bytes under our type) into a drawing with a window, then does what the user does
// next: the window is painted and hit, the drawing copied back and read again, the paste
// undone and redone, and its picture drawn. Surfaces know their device, so drawing clips
// to it as on the screen.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CRecordingDC.h"
#include "resources/CommandIds.h"
#include "tests/view/FakeClipboard.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

// Counts what is drawn instead of keeping it: a large drawing must not cost memory here.
class CCountingDC : public CRecordingDC {
 public:
  std::size_t nPrimitives = 0;

 protected:
  void DoLine(CPoint, CPoint) override { ++nPrimitives; }
  void DoRectangle(const CRect&) override { ++nPrimitives; }
  void DoEllipse(const CRect&) override { ++nPrimitives; }
  void DoPolygon(const CPoint*, int) override { ++nPrimitives; }
  void DoTextOut(CPoint, std::string_view, CSize) override { ++nPrimitives; }
};

class CFuzzHost : public CHeadlessViewHost {
 public:
  CFuzzHost() : CHeadlessViewHost(nullptr, CRect{0, 0, 800, 600}) {}
  CDC* GetDC() override { return Make(800, 600); }
  void ReleaseDC(CDC* pDC) override { Free(pDC); }
  CDC* CreateMemoryDC(CDC*, int cx, int cy) override { return Make(cx, cy); }
  void DeleteMemoryDC(CDC* pDC) override { Free(pDC); }
  IClipboard* GetClipboard() override { return &clipboard; }

  FakeClipboard clipboard;

 private:
  CDC* Make(int cx, int cy) {
    auto pDC = std::make_unique<CCountingDC>();
    pDC->SetDeviceSize(CSize{cx, cy});
    m_surfaces.push_back(std::move(pDC));
    return m_surfaces.back().get();
  }
  void Free(CDC* pDC) {
    std::erase_if(m_surfaces, [pDC](const auto& p) { return p.get() == pDC; });
  }
  std::vector<std::unique_ptr<CCountingDC>> m_surfaces;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CKvillDoc doc;
  CFuzzHost host;
  CKvillView view(&host, &doc);
  // Something to paste beside: a selected junction (a pasted bond may end on a copy of it)
  // and an ellipse.
  auto dot = std::make_unique<CDot>();
  dot->MoveTo(CPoint{0, 0});
  dot->m_bSelected = 1;
  doc.m_listObjects.push_back(std::move(dot));
  auto ellipse = std::make_unique<CEllipse>();
  ellipse->m_rcBounds = CRect{-300, 300, 300, -300};
  doc.m_listObjects.push_back(std::move(ellipse));
  view.PushSnapshot();

  host.clipboard.PutForeign(std::vector<std::uint8_t>(data, data + size));
  view.OnCommand(cmd::kEditPaste);  // as the menu runs it: the paste is recorded

  CDC* pDC = host.GetDC();
  view.OnDraw(pDC);
  host.ReleaseDC(pDC);
  for (const CPoint pt : {CPoint{0, 0}, CPoint{1000, -1000}, CPoint{5000, -3000}}) {
    view.FindObjectAt(pt);
  }
  view.OnEditCopy();
  const std::vector<std::uint8_t> copied = host.clipboard.Native();
  {
    CKvillDoc again;
    CArchive ar{std::span<const std::uint8_t>(copied)};
    again.Serialize(ar, {.bReplaceOnLoad = true, .bQuietLoad = true});
  }
  view.Undo();
  view.Redo();
  CCountingDC picture;
  picture.SetDeviceSize(view.GetPictureExtent());
  view.DrawPicture(&picture);
  return 0;
}
