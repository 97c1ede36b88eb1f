#pragma once

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QKeyEvent;
class QMenu;
class QToolBar;
#include <map>
#include <memory>
#include <vector>

#include "view/IViewHost.h"

class CDDrawBar;
class CInPlaceFrame;
class CKvillView;
class CQtClipboard;
class CMainFrame;
class CInputWatch;
class CQtDC;
class CStructureCommands;
class QDialog;
class QScrollBar;
class QTimer;

// The window of the view: a client area painted from a back buffer in one copy, two scroll
// bars that the view drives, a blinking caret, cursors, timers by id and queued messages.
// It implements IViewHost, so CKvillView reaches the window system only through it, and
// passes the wheel, size, focus, key and mouse events on to the view.
class CViewWidget : public QWidget, public IViewHost {
  Q_OBJECT
 public:
  explicit CViewWidget(CMainFrame* pFrame, QWidget* pParent = nullptr);
  ~CViewWidget() override;

  void SetView(CKvillView* pView) { m_pView = pView; }
  // The in-place frame the view is shown in while a container has it, else null.
  void SetInPlaceFrame(CInPlaceFrame* pFrame) { m_pInPlaceFrame = pFrame; }
  CKvillView* View() const { return m_pView; }
  QWidget* Client() const { return m_pClient; }
  // The horizontal (SB_HORZ) or vertical (SB_VERT) scroll bar, for tests.
  QScrollBar* ScrollBar(int nBar) const { return m_pBars[nBar]; }
  // The back buffer as last painted (tests and screenshots).
  const QImage& BackBuffer() const { return m_imgScreen; }
  bool IsTimerRunning(int nId) const;
  bool IsCaretVisible() const { return m_bCaretShown; }
  QPoint CaretPos() const { return m_ptCaret; }

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
  CDC* OpenBackBuffer(CDC* pCompatible, int cxPixels, int cyPixels, bool& bKept) override;
  bool ClipToPixels(CDC* pDC, const std::vector<CRect>& rcPixels) override;
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
  bool IsInPlaceActive() override { return m_pInPlaceFrame != nullptr; }
  void DeactivateInPlace() override;
  void ClearDrawBarLatches() override;
  void ReleaseDrawBarButtons() override;
  void MessageBeep() override;
  void DrawDragRect(CDC* pDC, const CRect& rcPixels, const CRect* prcLast) override;
  int DoEntryDialog(const CEntryDialogText& text) override;
  void FocusEntryField() override;
  void SetEntryFieldText(const std::string& strText) override;
  bool ChooseColor(COLORREF crInitial, COLORREF& crChosen) override;
  IClipboard* GetClipboard() override;
  void RunKillProtocol() override;
  void RouteCommand(int nId) override;
  void ShowToolBar(bool bShow) override;
  bool IsToolBarShown() override;
  void RecordDrawBarPlacement() override;
  // The frame's commands, carried out by the main frame, its Draw bar and its structure
  // commands, in place as well (the main frame stays behind the in-place frame).
  void NewFile() override;
  void OpenFile() override;
  void SaveFile() override;
  void SaveCopyAs() override;
  void OpenRecentFile(int nIndex) override;
  bool HasRecentFiles() override;
  void ExportPicture() override;
  void OpenFramework() override;
  void SaveFramework() override;
  bool IsEmbeddedWindow() override;
  void PrintSetup() override;
  void Print() override;
  void PrintPreview() override;
  void ShowAbout() override;
  void Exit() override;
  void ToggleStatusBar() override;
  void ToggleDrawBar() override;
  void SwitchLanguage(int nLanguageId) override;
  void ExportStructure() override;
  void CopyAsSmiles() override;
  void CopyAsInchi() override;
  void CheckStructure() override;
  void CleanStructure() override;
  bool CanCleanStructure() override;
  void ShowZoom(double dZoom) override;
  void KeepSetting(const char* pszRecord, const char* pszValue) override;

  // The picture of one of the program's own cursors (IDI_*_CURSOR) at a device pixel
  // ratio, 32 x 32 logical pixels, and its hot spot in logical pixels.
  static QPixmap ProgramCursor(int nCursor, qreal dpr, QPoint* pHotSpot);
  // The context menu shown now, if any (tests and screenshots).
  static QMenu* OpenContextMenu();

  // The virtual-key code of a Qt key (0 when it has none), and the key flags of a mouse
  // message from Qt's buttons and modifiers.
  static int VirtualKeyOf(int nQtKey);
  static unsigned MouseFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  // The entry dialog that is open, if any (tests).
  static QDialog* EntryDialog();

  // The user's interface language by the system locale: 1029 for Czech, else 1033.
  static int SystemUiLanguage();

  // While long work runs with a progress dialog, events still flow; the busy window then
  // shows its last picture instead of painting the drawing, lets its timers pass, and keeps
  // the messages posted to the view until the work is over. Calls nest.
  void SetBusy(bool bBusy);
  bool IsBusy() const { return m_nBusy > 0; }

 protected:
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

 private:
  // The window's device pixel ratio, and the size in its pixels of a size in the view's.
  qreal PixelRatio() const;
  QSize PixelsOf(QSize logical) const;
  // The Draw bar of the main window, or null before it is made.
  CDDrawBar* DrawBar() const;
  // The main window's structure commands, or null before they are made.
  CStructureCommands* StructureCommands() const;
  struct Surface {
    std::unique_ptr<QImage> pOwnImage;  // memory surfaces own their bitmap
    QImage* pImage = nullptr;
    std::unique_ptr<CQtDC> pDC;
  };

  // Gives back a window surface; the back buffer's painter ends with the last of them.
  void FreeWindowSurface(CDC* pDC);
  void PaintClient(QPaintEvent* pEvent);
  void OnScrollAction(int nBar, int nAction);
  void OnTimerElapsed(int nId);
  QImage* ImageOf(CDC* pDC);
  // Registers a memory surface on s's image, at the resolution of pCompatible (or the
  // screen's), and hands it out.
  CDC* AddMemorySurface(Surface s, CDC* pCompatible);
  QCursor CursorFor(int nCursor) const;
  // The toolbar of the frame the view is shown in.
  QToolBar* FrameToolBar() const;
  void ApplyScrollRange(int nBar);
  void OnKeyPress(QKeyEvent* pEvent);

  CMainFrame* m_pFrame;
  CInPlaceFrame* m_pInPlaceFrame = nullptr;
  CKvillView* m_pView = nullptr;
  QWidget* m_pClient;
  QScrollBar* m_pBars[2];
  struct BarState {
    int nMin = 0, nMax = 0, nPage = 0, nPos = 0;
  } m_bars[2];

  QImage m_imgScreen;
  // The one painter of the back buffer, active while any window surface is out: an image
  // takes one painter at a time, and the view may hold a surface while it asks for another
  // (a key measures the formula on one, and the redraw after it takes another).
  QPainter m_screenPainter;
  int m_nWindowSurfaces = 0;
  bool m_bRenderPending = true;
  std::map<CDC*, Surface> m_surfaces;
  // The last memory bitmap let go, kept for the next paint of the same size: the back
  // buffer of every frame would otherwise be a fresh allocation of megabytes.
  std::unique_ptr<QImage> m_pSpareImage;
  // The view's back buffer, kept from one paint to the next.
  QImage m_imgBack;

  std::map<int, QTimer*> m_timers;

  QTimer* m_pBlink;
  QPoint m_ptCaret;
  QSize m_szCaret;
  bool m_bCaretCreated = false;
  bool m_bCaretShown = false;
  bool m_bCaretPhase = true;

  int m_nBusy = 0;
  struct PostedMessage {
    int nMessage;
    std::intptr_t wParam, lParam;
  };
  std::vector<PostedMessage> m_heldMessages;  // posted while busy

  // Where the pointer is and whether the left Ctrl key is down, as last asked of the window
  // system; asked again only after input news.
  std::unique_ptr<CInputWatch> m_pInputWatch;
  CPoint m_ptPointer;
  bool m_bCtrlDown = false;

  int m_nPendingShow = 0;  // the last show command not yet applied
  int m_nCursor = IDC_ARROW;
  int m_nWaitDepth = 0;
  std::map<std::string, unsigned> m_clipboardFormats;
  std::unique_ptr<CQtClipboard> m_pClipboard;
};
