#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/IDocClient.h"
#include "objects/CDC.h"
#include "objects/Geometry.h"
#include "view/IViewSurfaces.h"

class IClipboard;

// Window-system constants the view speaks in. The host translates them to its toolkit.

// Scroll bars and scroll codes.
enum { SB_HORZ = 0, SB_VERT = 1 };
enum {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3,
  SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_BOTTOM = 7,
  SB_ENDSCROLL = 8,
};

// Message boxes speak the codes of document/IDocClient.h.

// Standard cursors; the program's own cursors are their icon resource numbers.
enum {
  IDC_ARROW = 32512,
  IDC_IBEAM = 32513,
  IDC_WAIT = 32514,
  IDC_CROSS = 32515,
  IDC_SIZENWSE = 32642,
  IDC_SIZENESW = 32643,
  IDC_SIZEWE = 32644,
  IDC_SIZENS = 32645,
  IDC_SIZEALL = 32646,
  IDI_ROTATE_CURSOR = 422,
  IDI_COPY_CURSOR = 426,
  IDI_TEMPLATE_CURSOR = 429,
  IDI_PLUS_CURSOR = 337,
  IDI_MINUS_CURSOR = 432,
};

// Show commands for the main window.
enum { SW_SHOWNORMAL = 1, SW_MAXIMIZE = 3, SW_SHOW = 5 };

// Keys the view asks about.
enum { VK_CONTROL = 0x11, VK_LCONTROL = 0xA2 };

// Mouse-message key flags and the keys of formula editing.
enum : unsigned { MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8 };
enum { VK_BACK = 0x08, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_DELETE = 0x2E };

// The texts of one of the two entry dialogs (a caption, a prompt, an edit field, OK and
// Cancel), in the interface language. nTemplate is the dialog's resource number.
struct CEntryDialogText {
  int nTemplate = 0;
  std::string strCaption;
  std::string strPrompt;
  std::string strOk;
  std::string strCancel;
};

// One item of a popup menu whose check mark the view sets before showing it.
struct CMenuCheck {
  int nCommand = 0;
  bool bChecked = false;
};

// What the view needs from the window it lives in: geometry, surfaces, scroll bars, the
// caret, cursors, input state, timers, posted messages, message boxes, menus, dialogs and the
// clipboard. The shell's view widget implements it on Qt; tests use a fake that records
// every call. Client coordinates are pixels with y down (top <= bottom);
// window and screen rectangles are screen pixels.
class IViewWindow : public IViewSurfaces {
 public:
  virtual ~IViewWindow() = default;

  // Geometry.
  virtual CRect GetClientRect() = 0;
  virtual CRect GetWindowRect() = 0;      // the view window on the screen
  virtual CRect GetMainWindowRect() = 0;  // the main frame window on the screen
  virtual CPoint GetCursorPos() = 0;      // the pointer on the screen
  virtual int GetPixelsPerInchX() = 0;
  virtual int GetPixelsPerInchY() = 0;

  // Surfaces (IViewSurfaces), and the window's own buffer.
  // The bitmap the view paints the window on, kept by the host from one paint to the next:
  // a memory surface (freed with DeleteMemoryDC) on a bitmap that still holds what the
  // last surface on it drew when bKept comes back true. A host that keeps none hands out
  // a fresh memory surface.
  virtual CDC* OpenBackBuffer(CDC* pCompatible, int cxPixels, int cyPixels, bool& bKept) {
    bKept = false;
    return CreateMemoryDC(pCompatible, cxPixels, cyPixels);
  }
  // Limits what is drawn on the surface from now on to the union of the device
  // rectangles; an empty list lifts the limit. False when the host cannot; the view then
  // paints the whole surface.
  virtual bool ClipToPixels(CDC* /*pDC*/, const std::vector<CRect>& /*rcPixels*/) { return false; }
  // Marks the window for repainting / keeps an area of the frame from being repainted.
  virtual void Invalidate() = 0;
  virtual void ValidateParentRect(const CRect& rcClient) = 0;

  // Scroll bars (SB_HORZ or SB_VERT).
  virtual void ShowScrollBar(int nBar, bool bShow) = 0;
  virtual void SetScrollRange(int nBar, int nMin, int nMax, bool bRedraw) = 0;
  virtual void SetScrollPage(int nBar, int nPage) = 0;
  virtual void SetScrollPos(int nBar, int nPos, bool bRedraw) = 0;

  // The caret, in client pixels.
  virtual void CreateSolidCaret(int cx, int cy) = 0;
  virtual void SetCaretPos(CPoint ptClient) = 0;
  virtual void ShowCaret() = 0;
  virtual void HideCaret() = 0;
  virtual void DestroyCaret() = 0;

  // Cursors: IDC_* or one of the program's own cursor resources.
  virtual void SetCursor(int nCursor) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // Input state and mouse capture.
  virtual bool IsKeyDown(int nVirtualKey) = 0;
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;

  // Timers by id; the host calls CKvillView::OnTimer when one elapses. Setting a running
  // timer restarts it.
  virtual void SetTimer(int nId, int nMilliseconds) = 0;
  virtual void KillTimer(int nId) = 0;

  // Posted messages: queued, delivered later through CKvillView::OnPostedMessage.
  virtual void PostMessage(int nMessage, std::intptr_t wParam, std::intptr_t lParam) = 0;

  // A modal message box; returns the answer (IDOK, IDYES, IDNO, IDCANCEL). bOwned says
  // whether the view window owns it.
  virtual int MessageBox(const std::string& strText, const std::string& strCaption, unsigned nFlags,
                         bool bOwned) = 0;

  // A popup menu resource shown at a screen point with the given check marks, aligned by its
  // top-left corner; returns the chosen command or 0. Once the menu has closed, the host
  // delivers the choice to the view's OnWindowCommand, as a command sent to its window.
  virtual int TrackPopupMenu(int nMenuId, CPoint ptScreen,
                             const std::vector<CMenuCheck>& checks) = 0;

  // The platform: the user's interface language and the clipboard formats.
  virtual int GetUserDefaultUILanguage() = 0;
  virtual unsigned RegisterClipboardFormat(const std::string& strName) = 0;

  // ---- Drawing with the mouse and the keyboard ----
  // The refusal sound, e.g. for a typed character the formula's code page cannot hold.
  virtual void MessageBeep() {}
  // The selection rectangle, in client pixels, drawn by inverting a one-pixel frame on the
  // window surface pDC: with prcLast the old frame is erased as the new one is drawn.
  virtual void DrawDragRect(CDC* /*pDC*/, const CRect& /*rcPixels*/, const CRect* /*prcLast*/) {}
  // Runs an entry dialog modally and returns IDOK or IDCANCEL. Whenever its edit field
  // loses the keyboard focus the host passes the field's text (UTF-8) to the view's
  // OnEntryFieldKillFocus, so the view has read the entry before the dialog returns.
  virtual int DoEntryDialog(const CEntryDialogText& /*text*/) { return IDCANCEL; }
  // The open entry dialog's edit field: give it the focus; or put a text into it, select
  // all of it, scroll the caret into view and give it the focus.
  virtual void FocusEntryField() {}
  virtual void SetEntryFieldText(const std::string& /*strText*/) {}
  // ---- end of drawing with the mouse and the keyboard ----

  // ---- Editing commands ----
  // The platform's colour dialog, run modally and opened on crInitial: true with the colour
  // chosen in crChosen, false when it was cancelled.
  virtual bool ChooseColor(COLORREF /*crInitial*/, COLORREF& /*crChosen*/) { return false; }
  // ---- end of editing commands ----

  // The system clipboard, or null where there is none (the command line).
  virtual IClipboard* GetClipboard() { return nullptr; }
};
