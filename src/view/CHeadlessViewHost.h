#pragma once

#include "view/CMeasuringDC.h"
#include "view/IViewHost.h"

// A host without a window, for a view created before its window exists and for tests. Surfaces draw
// nothing and measure text on an optional reference surface; scroll bars, caret, cursors, timers
// and posted messages go nowhere; message boxes answer No or Cancel, so nothing is discarded or
// saved behind anyone's back.
class CHeadlessViewHost : public IViewHost {
 public:
  explicit CHeadlessViewHost(CDC* pReference = nullptr, CRect rcClient = CRect{0, 0, 800, 600})
      : m_pReference(pReference), m_rcClient(rcClient), m_surfaces(pReference) {}

  CRect GetClientRect() override { return m_rcClient; }
  CRect GetWindowRect() override { return m_rcClient; }
  CRect GetMainWindowRect() override { return m_rcClient; }
  CPoint GetCursorPos() override { return CPoint{}; }
  int GetPixelsPerInchX() override;
  int GetPixelsPerInchY() override;

  CDC* GetDC() override { return m_surfaces.GetDC(); }
  void ReleaseDC(CDC* pDC) override { m_surfaces.ReleaseDC(pDC); }
  CDC* CreateMemoryDC(CDC* pCompatible, int cxPixels, int cyPixels) override {
    return m_surfaces.CreateMemoryDC(pCompatible, cxPixels, cyPixels);
  }
  void DeleteMemoryDC(CDC* pDC) override { m_surfaces.DeleteMemoryDC(pDC); }
  void FillSolidRect(CDC*, const CRect&, COLORREF) override {}
  void BitBlt(CDC*, int, int, int, int, CDC*, int, int) override {}
  void SetBitmapDimension(CDC*, CSize) override {}
  void Invalidate() override {}
  void ValidateParentRect(const CRect&) override {}

  void ShowScrollBar(int, bool) override {}
  void SetScrollRange(int, int, int, bool) override {}
  void SetScrollPage(int, int) override {}
  void SetScrollPos(int, int, bool) override {}

  void CreateSolidCaret(int, int) override {}
  void SetCaretPos(CPoint) override {}
  void ShowCaret() override {}
  void HideCaret() override {}
  void DestroyCaret() override {}

  void SetCursor(int) override {}
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}

  bool IsKeyDown(int) override { return false; }
  void SetCapture() override {}
  void ReleaseCapture() override {}

  void SetTimer(int, int) override {}
  void KillTimer(int) override {}
  void PostMessage(int, std::intptr_t, std::intptr_t) override {}
  int MessageBox(const std::string&, const std::string&, unsigned nFlags, bool) override;
  int TrackPopupMenu(int, CPoint, const std::vector<CMenuCheck>&) override { return 0; }

  int GetUserDefaultUILanguage() override { return 1033; }
  unsigned RegisterClipboardFormat(const std::string&) override { return 0xC000; }
  void EndStartingUp() override {}
  void ShowMainWindow(int) override {}
  void UpdateAllItems() override {}
  bool DoFileSaveAs() override { return false; }
  bool DoFileSave() override { return false; }
  bool OpenFileAtStart(const std::string&) override { return false; }
  void ResetDrawBar() override {}

 private:
  CDC* m_pReference;
  CRect m_rcClient;
  CMeasuringSurfaces m_surfaces;
};
