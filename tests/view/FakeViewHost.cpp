#include "FakeViewHost.h"

#include <algorithm>

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"

namespace {

std::string Str(const CRect& rc) {
  return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) +
         "," + std::to_string(rc.bottom);
}

}  // namespace

bool FakeViewHost::FireTimer(int nId) {
  if (!IsTimerRunning(nId)) return false;
  m_log.push_back("fire " + std::to_string(nId));
  if (m_pView != nullptr) m_pView->OnTimer(nId);
  return true;
}

int FakeViewHost::PumpMessages() {
  int n = 0;
  while (!m_posted.empty() || !m_windowCommands.empty()) {
    ++n;
    if (!m_posted.empty()) {
      const Posted msg = m_posted.front();
      m_posted.pop_front();
      if (m_pView != nullptr) m_pView->OnPostedMessage(msg.nMessage, msg.wParam, msg.lParam);
      continue;
    }
    const int nId = m_windowCommands.front();
    m_windowCommands.pop_front();
    if (m_pView != nullptr) m_pView->OnWindowCommand(nId);
  }
  return n;
}

int FakeViewHost::CountLog(const std::string& strPrefix) const {
  return static_cast<int>(std::count_if(m_log.begin(), m_log.end(), [&](const std::string& s) {
    return s.rfind(strPrefix, 0) == 0;
  }));
}

std::vector<CRecordingDC*> FakeViewHost::SurfacesOf(bool bMemory) const {
  std::vector<CRecordingDC*> out;
  for (const Surface& s : m_surfaces) {
    if (s.bMemory == bMemory) out.push_back(s.pDC.get());
  }
  return out;
}

FakeViewHost::Surface* FakeViewHost::Find(CDC* pDC) {
  for (Surface& s : m_surfaces) {
    if (s.pDC.get() == pDC) return &s;
  }
  return nullptr;
}

CRect FakeViewHost::GetClientRect() { return m_rcClient; }
CRect FakeViewHost::GetWindowRect() { return m_rcWindow; }
CRect FakeViewHost::GetMainWindowRect() { return m_rcMainWindow; }
CPoint FakeViewHost::GetCursorPos() { return m_ptCursor; }
int FakeViewHost::GetPixelsPerInchX() { return m_nDpiX; }
int FakeViewHost::GetPixelsPerInchY() { return m_nDpiY; }

CDC* FakeViewHost::GetDC() {
  m_log.push_back("GetDC");
  if (!m_bDCAvailable) return nullptr;
  Surface s;
  s.pDC = std::make_unique<CRecordingDC>();
  s.pDC->SetPixelsPerInch(m_nDpiX);
  if (m_bSurfacesBounded) {
    s.pDC->SetDeviceSize(
        CSize{m_rcClient.right - m_rcClient.left, m_rcClient.bottom - m_rcClient.top});
  }
  m_surfaces.push_back(std::move(s));
  return m_surfaces.back().pDC.get();
}

void FakeViewHost::ReleaseDC(CDC* pDC) {
  m_log.push_back("ReleaseDC");
  if (Surface* s = Find(pDC)) s->bReleased = true;
}

CDC* FakeViewHost::CreateMemoryDC(CDC* pCompatible, int cxPixels, int cyPixels) {
  m_log.push_back("CreateMemoryDC " + std::to_string(cxPixels) + "x" + std::to_string(cyPixels));
  if (!m_bMemoryAvailable) return nullptr;
  Surface s;
  s.pDC = std::make_unique<CRecordingDC>();
  s.pDC->SetPixelsPerInch(pCompatible != nullptr ? pCompatible->GetDeviceCaps(LOGPIXELSX)
                                                 : m_nDpiX);
  s.bMemory = true;
  s.cx = cxPixels;
  s.cy = cyPixels;
  if (m_bSurfacesBounded) s.pDC->SetDeviceSize(CSize{cxPixels, cyPixels});
  m_surfaces.push_back(std::move(s));
  return m_surfaces.back().pDC.get();
}

void FakeViewHost::DeleteMemoryDC(CDC* pDC) {
  m_log.push_back("DeleteMemoryDC");
  if (Surface* s = Find(pDC)) s->bReleased = true;
}

void FakeViewHost::FillSolidRect(CDC* pDC, const CRect& rcPixels, COLORREF cr) {
  m_log.push_back("FillSolidRect " + Str(rcPixels) + " " + std::to_string(cr));
  if (Surface* s = Find(pDC)) s->fills.push_back(rcPixels);
}

void FakeViewHost::BitBlt(CDC* pDest, int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc) {
  m_log.push_back("BitBlt");
  m_blits.push_back(Blit{pDest, x, y, cx, cy, pSrc, xSrc, ySrc});
}

void FakeViewHost::SetBitmapDimension(CDC* pMemDC, CSize szTenthsMm) {
  m_log.push_back("SetBitmapDimension");
  if (Surface* s = Find(pMemDC)) s->szDimension = szTenthsMm;
}

void FakeViewHost::Invalidate() { m_log.push_back("Invalidate"); }

void FakeViewHost::ValidateParentRect(const CRect& rcClient) {
  m_log.push_back("ValidateParentRect " + Str(rcClient));
}

void FakeViewHost::ShowScrollBar(int nBar, bool bShow) {
  m_log.push_back("ShowScrollBar " + std::to_string(nBar) + " " + std::to_string(bShow));
  m_bars[nBar].bShown = bShow;
}

void FakeViewHost::SetScrollRange(int nBar, int nMin, int nMax, bool) {
  m_log.push_back("SetScrollRange " + std::to_string(nBar));
  m_bars[nBar].nMin = nMin;
  m_bars[nBar].nMax = nMax;
}

void FakeViewHost::SetScrollPage(int nBar, int nPage) {
  m_log.push_back("SetScrollPage " + std::to_string(nBar) + " " + std::to_string(nPage));
  m_bars[nBar].nPage = nPage;
}

void FakeViewHost::SetScrollPos(int nBar, int nPos, bool bRedraw) {
  m_log.push_back("SetScrollPos " + std::to_string(nBar) + " " + std::to_string(nPos) + " " +
                  std::to_string(bRedraw));
  m_bars[nBar].nPos = nPos;
}

void FakeViewHost::CreateSolidCaret(int cx, int cy) {
  m_log.push_back("CreateSolidCaret " + std::to_string(cx) + " " + std::to_string(cy));
}

void FakeViewHost::SetCaretPos(CPoint ptClient) {
  m_log.push_back("SetCaretPos");
  m_ptCaret = ptClient;
}

void FakeViewHost::ShowCaret() {
  m_log.push_back("ShowCaret");
  ++m_nCaretShown;
}

void FakeViewHost::HideCaret() {
  m_log.push_back("HideCaret");
  ++m_nCaretHidden;
}

void FakeViewHost::DestroyCaret() { m_log.push_back("DestroyCaret"); }

void FakeViewHost::SetCursor(int nCursor) {
  m_log.push_back("SetCursor " + std::to_string(nCursor));
  m_nCursor = nCursor;
}

void FakeViewHost::BeginWaitCursor() {
  m_log.push_back("BeginWaitCursor");
  ++m_nWaitDepth;
}

void FakeViewHost::EndWaitCursor() {
  m_log.push_back("EndWaitCursor");
  --m_nWaitDepth;
}

bool FakeViewHost::IsKeyDown(int nVirtualKey) {
  return std::find(m_keysDown.begin(), m_keysDown.end(), nVirtualKey) != m_keysDown.end();
}

void FakeViewHost::SetCapture() { m_log.push_back("SetCapture"); }
void FakeViewHost::ReleaseCapture() { m_log.push_back("ReleaseCapture"); }

void FakeViewHost::SetTimer(int nId, int nMilliseconds) {
  m_log.push_back("SetTimer " + std::to_string(nId) + " " + std::to_string(nMilliseconds));
  m_timers[nId] = nMilliseconds;
}

void FakeViewHost::KillTimer(int nId) {
  m_log.push_back("KillTimer " + std::to_string(nId));
  m_timers.erase(nId);
}

void FakeViewHost::PostMessage(int nMessage, std::intptr_t wParam, std::intptr_t lParam) {
  m_log.push_back("PostMessage " + std::to_string(nMessage));
  m_posted.push_back(Posted{nMessage, wParam, lParam});
}

int FakeViewHost::MessageBox(const std::string& strText, const std::string& strCaption,
                             unsigned nFlags, bool bOwned) {
  m_log.push_back("MessageBox " + strCaption);
  m_boxes.push_back(Box{strText, strCaption, nFlags, bOwned});
  if (!m_answers.empty()) {
    const int n = m_answers.front();
    m_answers.pop_front();
    return n;
  }
  return IDOK;
}

int FakeViewHost::TrackPopupMenu(int nMenuId, CPoint pt, const std::vector<CMenuCheck>& checks) {
  m_log.push_back("TrackPopupMenu " + std::to_string(nMenuId));
  m_menus.push_back(Menu{nMenuId, pt, checks});
  if (m_nMenuAnswer != 0) m_windowCommands.push_back(m_nMenuAnswer);
  return m_nMenuAnswer;
}

void FakeViewHost::RouteCommand(int nId) {
  m_log.push_back("RouteCommand " + std::to_string(nId));
  m_routed.push_back(nId);
  if (m_pView != nullptr) m_pView->OnCommand(nId);
}

void FakeViewHost::ShowToolBar(bool bShow) {
  m_log.push_back(bShow ? "ShowToolBar 1" : "ShowToolBar 0");
  m_bToolBarShown = bShow;
}

int FakeViewHost::GetUserDefaultUILanguage() { return m_nLanguage; }

unsigned FakeViewHost::RegisterClipboardFormat(const std::string& strName) {
  m_log.push_back("RegisterClipboardFormat " + strName);
  auto it = m_formats.find(strName);
  if (it != m_formats.end()) return it->second;
  const unsigned n = 0xC000 + static_cast<unsigned>(m_formats.size());
  m_formats[strName] = n;
  return n;
}

void FakeViewHost::EndStartingUp() { m_log.push_back("EndStartingUp"); }

void FakeViewHost::ShowMainWindow(int nShowCommand) {
  m_log.push_back("ShowMainWindow " + std::to_string(nShowCommand));
  m_shows.push_back(nShowCommand);
}

void FakeViewHost::UpdateAllItems() {
  m_log.push_back("UpdateAllItems");
  ++m_nUpdateAllItems;
}

bool FakeViewHost::DoFileSaveAs() {
  FrameCall("DoFileSaveAs");
  ++m_nSaveAsCalls;
  return m_bSaveAsResult;
}

bool FakeViewHost::DoFileSave() {
  m_log.push_back("DoFileSave");
  ++m_nSaveCalls;
  return m_bSaveResult;
}

bool FakeViewHost::OpenFileAtStart(const std::string& strPath) {
  m_log.push_back("OpenFileAtStart " + strPath);
  return true;
}

void FakeViewHost::ResetDrawBar() { m_log.push_back("ResetDrawBar"); }

bool FakeViewHost::ChooseColor(COLORREF crInitial, COLORREF& crChosen) {
  m_log.push_back("ChooseColor");
  m_colorInitials.push_back(crInitial);
  if (m_pView != nullptr && m_pView->GetDocument() != nullptr) {
    m_bHoverDuringColor.push_back(m_pView->Cursor().m_bHoverSuppressed != 0);
  }
  std::optional<COLORREF> answer;
  if (!m_colorAnswers.empty()) {
    answer = m_colorAnswers.front();
    m_colorAnswers.pop_front();
  }
  if (!answer) return false;
  crChosen = *answer;
  return true;
}
