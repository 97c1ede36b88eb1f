#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeClipboard.h"
#include "objects/CRecordingDC.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"

// A host for driving the view headless in tests. Every call is written to a log, the state
// a window would show (scroll bars, caret, cursor, timers, posted messages, message boxes)
// is kept for inspection, and surfaces are recording surfaces that stay alive after they
// are released so a test can read what was drawn. Timers fire and posted messages arrive
// only when the test says so.
class FakeViewHost : public IViewHost {
 public:
  struct ScrollBar {
    bool bShown = false;
    int nMin = 0, nMax = 0, nPage = 0, nPos = 0;
  };
  struct Box {
    std::string strText, strCaption;
    unsigned nFlags = 0;
    bool bOwned = false;
  };
  struct Blit {
    CDC* pDest;
    int x, y, cx, cy;
    CDC* pSrc;
    int xSrc, ySrc;
  };
  struct Surface {
    std::unique_ptr<CRecordingDC> pDC;
    bool bMemory = false;
    int cx = 0, cy = 0;
    bool bReleased = false;
    CSize szDimension;
    std::vector<CRect> fills;
  };
  struct Posted {
    int nMessage;
    std::intptr_t wParam, lParam;
  };

  // The view that receives timers and posted messages.
  CKvillView* m_pView = nullptr;

  // What the window reports.
  CRect m_rcClient{0, 0, 800, 600};
  CRect m_rcWindow{0, 0, 800, 600};
  CRect m_rcMainWindow{0, 0, 820, 700};
  CPoint m_ptCursor;
  int m_nDpiX = 96, m_nDpiY = 96;
  int m_nLanguage = 1033;
  bool m_bDCAvailable = true;
  bool m_bMemoryAvailable = true;
  // The surfaces know the size of their device (the window, a memory bitmap), and so what
  // can reach it; otherwise they record every primitive wherever it lies.
  bool m_bSurfacesBounded = false;

  // What the window shows and was asked.
  std::vector<std::string> m_log;
  std::vector<Surface> m_surfaces;
  std::vector<Blit> m_blits;
  ScrollBar m_bars[2];
  int m_nCaretHidden = 0, m_nCaretShown = 0;
  CPoint m_ptCaret;
  int m_nCursor = 0;
  int m_nWaitDepth = 0;
  std::map<int, int> m_timers;  // running timers: id -> period
  std::deque<Posted> m_posted;
  std::vector<Box> m_boxes;
  std::deque<int> m_answers;  // scripted message-box answers, first used first
  std::vector<int> m_shows;
  int m_nSaveAsCalls = 0;
  bool m_bSaveAsResult = true;
  int m_nSaveCalls = 0;
  bool m_bSaveResult = true;
  int m_nUpdateAllItems = 0;

  // Test controls.
  bool IsTimerRunning(int nId) const { return m_timers.count(nId) != 0; }
  // Fires a running timer (a one-shot timer kills itself in the view); false if not running.
  bool FireTimer(int nId);
  // Delivers every posted message, including those posted while delivering.
  int PumpMessages();
  int CountLog(const std::string& strPrefix) const;
  // The recording surfaces handed out, window (bMemory false) or memory ones.
  std::vector<CRecordingDC*> SurfacesOf(bool bMemory) const;
  Surface* Find(CDC* pDC);

  // IViewHost.
  CRect GetClientRect() override;
  CRect GetWindowRect() override;
  CRect GetMainWindowRect() override;
  CPoint GetCursorPos() override;
  int GetPixelsPerInchX() override;
  int GetPixelsPerInchY() override;
  CDC* GetDC() override;
  void ReleaseDC(CDC* pDC) override;
  CDC* CreateMemoryDC(CDC* pCompatible, int cxPixels, int cyPixels) override;
  void DeleteMemoryDC(CDC* pDC) override;
  void FillSolidRect(CDC* pDC, const CRect& rcPixels, COLORREF cr) override;
  void BitBlt(CDC* pDest, int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc) override;
  void SetBitmapDimension(CDC* pMemDC, CSize szTenthsMm) override;
  void Invalidate() override;
  void ValidateParentRect(const CRect& rcClient) override;
  void ShowScrollBar(int nBar, bool bShow) override;
  void SetScrollRange(int nBar, int nMin, int nMax, bool bRedraw) override;
  void SetScrollPage(int nBar, int nPage) override;
  void SetScrollPos(int nBar, int nPos, bool bRedraw) override;
  void CreateSolidCaret(int cx, int cy) override;
  void SetCaretPos(CPoint ptClient) override;
  void ShowCaret() override;
  void HideCaret() override;
  void DestroyCaret() override;
  void SetCursor(int nCursor) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool IsKeyDown(int nVirtualKey) override;
  void SetCapture() override;
  void ReleaseCapture() override;
  void SetTimer(int nId, int nMilliseconds) override;
  void KillTimer(int nId) override;
  void PostMessage(int nMessage, std::intptr_t wParam, std::intptr_t lParam) override;
  int MessageBox(const std::string& strText, const std::string& strCaption, unsigned nFlags,
                 bool bOwned) override;
  int TrackPopupMenu(int nMenuId, CPoint ptScreen, const std::vector<CMenuCheck>& checks) override;
  int GetUserDefaultUILanguage() override;
  unsigned RegisterClipboardFormat(const std::string& strName) override;
  void EndStartingUp() override;
  void ShowMainWindow(int nShowCommand) override;
  void UpdateAllItems() override;
  bool DoFileSaveAs() override;
  bool DoFileSave() override;
  bool OpenFileAtStart(const std::string& strPath) override;
  void ResetDrawBar() override;
  // The colour dialog answers from m_colorAnswers, first used first (none: cancelled), and
  // records the colour it was opened on and whether hover feedback was suppressed.
  bool ChooseColor(COLORREF crInitial, COLORREF& crChosen) override;
  IClipboard* GetClipboard() override { return m_bHasClipboard ? &m_clipboard : nullptr; }
  void RunKillProtocol() override { ++m_nKillProtocolRuns; }

  FakeClipboard m_clipboard;
  bool m_bHasClipboard = true;
  int m_nKillProtocolRuns = 0;

  void RouteCommand(int nId) override;
  void ShowToolBar(bool bShow) override;
  bool IsToolBarShown() override { return m_bToolBarShown; }
  void RecordDrawBarPlacement() override { m_log.push_back("RecordDrawBarPlacement"); }

  // The frame's commands: each call is logged and kept, by its name (with its argument),
  // in m_frameCalls; the questions answer from the flags below.
  void NewFile() override { FrameCall("NewFile"); }
  void OpenFile() override { FrameCall("OpenFile"); }
  void SaveFile() override { FrameCall("SaveFile"); }
  void SaveCopyAs() override { FrameCall("SaveCopyAs"); }
  void OpenRecentFile(int nIndex) override {
    FrameCall("OpenRecentFile " + std::to_string(nIndex));
  }
  bool HasRecentFiles() override { return m_bHasRecentFiles; }
  void ExportPicture() override { FrameCall("ExportPicture"); }
  void OpenFramework() override { FrameCall("OpenFramework"); }
  void SaveFramework() override { FrameCall("SaveFramework"); }
  bool IsEmbeddedWindow() override { return m_bEmbeddedWindow; }
  void PrintSetup() override { FrameCall("PrintSetup"); }
  void Print() override { FrameCall("Print"); }
  void PrintPreview() override { FrameCall("PrintPreview"); }
  void ShowAbout() override { FrameCall("ShowAbout"); }
  void Exit() override { FrameCall("Exit"); }
  void ToggleStatusBar() override { FrameCall("ToggleStatusBar"); }
  void ToggleDrawBar() override { FrameCall("ToggleDrawBar"); }
  void SwitchLanguage(int nLanguageId) override {
    FrameCall("SwitchLanguage " + std::to_string(nLanguageId));
  }
  void ExportStructure() override { FrameCall("ExportStructure"); }
  void CopyAsSmiles() override { FrameCall("CopyAsSmiles"); }
  void CopyAsInchi() override { FrameCall("CopyAsInchi"); }
  void CheckStructure() override { FrameCall("CheckStructure"); }
  void CleanStructure() override { FrameCall("CleanStructure"); }
  bool CanCleanStructure() override { return m_bCanCleanStructure; }
  void FrameCall(const std::string& strCall) {
    m_log.push_back(strCall);
    m_frameCalls.push_back(strCall);
  }
  std::vector<std::string> m_frameCalls;
  bool m_bHasRecentFiles = false;
  bool m_bEmbeddedWindow = false;
  bool m_bCanCleanStructure = false;

  std::vector<int> m_keysDown;
  // The popup menus shown: which, where and with which check marks. The answer chosen is
  // delivered as a command sent to the view window when messages are pumped.
  struct Menu {
    int nMenuId;
    CPoint pt;
    std::vector<CMenuCheck> checks;
  };
  std::vector<Menu> m_menus;
  int m_nMenuAnswer = 0;
  std::deque<int> m_windowCommands;
  std::vector<int> m_routed;  // commands handed to the framework's routing
  bool m_bToolBarShown = true;
  std::map<std::string, unsigned> m_formats;
  std::deque<std::optional<COLORREF>> m_colorAnswers;
  std::vector<COLORREF> m_colorInitials;
  std::vector<bool> m_bHoverDuringColor;
};
