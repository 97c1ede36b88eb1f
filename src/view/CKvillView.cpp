#include "view/CKvillView.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CKVObject.h"
#include "objects/GroupWalk.h"
#include "resources/WindowMessages.h"
#include "view/CHeadlessViewHost.h"
#include "view/CMeasuringDC.h"
#include "view/IViewHost.h"
#include "view/PaintReach.h"
#include "view/commands/CommandTable.h"

namespace {

// A window surface handed to the formula engine for measuring; the window surface goes
// back to the host when it is destroyed.
class CBorrowedWindowDC : public CMeasuringDC {
 public:
  CBorrowedWindowDC(IViewWindow& host, CDC* pDC) : CMeasuringDC(pDC), m_host(host), m_pDC(pDC) {}
  ~CBorrowedWindowDC() override { m_host.ReleaseDC(m_pDC); }

 private:
  IViewWindow& m_host;
  CDC* m_pDC;
};

}  // namespace

CKvillView::CKvillView(IViewHost* pHost, CKvillDoc* pDoc, CAppSettings* pSettings)
    : m_pDocument(pDoc) {
  if (pSettings != nullptr) m_pSettings = pSettings;
  if (pDoc != nullptr) pDoc->SetClient(this);
  SetHost(pHost);
  m_pSettings->m_bEnglish = m_pWindow->GetUserDefaultUILanguage() == 1033 ? 1 : 0;
  if (m_cfNative == 0) m_cfNative = m_pWindow->RegisterClipboardFormat("Valendra Native");
  if (m_cfObjectDescriptor == 0) {
    m_cfObjectDescriptor = m_pWindow->RegisterClipboardFormat("Object Descriptor");
  }
}

CKvillView::~CKvillView() {
  if (m_pDocument != nullptr && m_pDocument->GetClient() == this) m_pDocument->SetClient(nullptr);
}

void CKvillView::SetDocument(CKvillDoc* pDoc) {
  if (m_pDocument != nullptr && m_pDocument->GetClient() == this) m_pDocument->SetClient(nullptr);
  m_pDocument = pDoc;
  if (pDoc != nullptr) pDoc->SetClient(this);
  Unsettle();
}

std::int32_t CKvillView::SelCount() const {
  return m_pDocument != nullptr ? m_pDocument->GetSelCount() : 0;
}

void CKvillView::SetSelCount(std::int32_t n) {
  if (m_pDocument != nullptr) m_pDocument->SetSelCount(n);
}

void CKvillView::AddToSelCount(std::int32_t n) {
  if (m_pDocument != nullptr) m_pDocument->SetSelCount(m_pDocument->GetSelCount() + n);
}

std::unique_ptr<CDC> CKvillView::GetWindowSurface() {
  CDC* pDC = m_pWindow->GetDC();
  if (pDC == nullptr) return nullptr;
  return std::make_unique<CBorrowedWindowDC>(*m_pWindow, pDC);
}

void CKvillView::SetHost(IViewHost* pHost) {
  if (pHost == nullptr) {
    if (!m_pOwnHost) m_pOwnHost = std::make_unique<CHeadlessViewHost>();
    pHost = m_pOwnHost.get();
  }
  m_pWindow = pHost;
  m_pFrame = pHost;
}

// ---------------------------------------------------------------------------------------
// UpdateView

void CKvillView::UpdateView() {
  m_cursor.NoteDrawingChanged();
  CKvillDoc* pDoc = m_pDocument;
  // What the selection walk gathers is for this update's paint alone, however it ends.
  struct CForgetGathered {
    CScreenPainter& painter;
    ~CForgetGathered() { painter.ForgetGathered(); }
  } forget{m_painter};
  if (pDoc != nullptr) m_painter.KeepSelectionInFront(pDoc->m_listObjects);
  m_bSendToBack = 0;
  // Only this update's paint tells the extents what changed.
  m_viewport.ForgetChangedSinceExtents();

  if (m_bPaintEnabled) {
    CScopedWindowDC dc(*m_pWindow);
    if (dc.Get() != nullptr) {
      if (m_nEditState == 1) m_pWindow->HideCaret();
      OnPrepareDC(dc.Get());
      m_bPainting = 1;
      {
        CRop2Guard rop(dc.Get(), R2_COPYPEN);
        RenderDrawing(dc.Get(), pDoc);
      }
      if (m_nEditState == 1) RestoreEditCaret(dc.Get());
    }
  }

  if (m_bPendingModified && pDoc != nullptr) pDoc->SetModifiedFlag();
  m_bPendingModified = 0;
  m_viewport.UpdateExtentsAndScrollBars();
  m_pFrame->ShowZoom(m_viewport.Zoom());
}

// ---------------------------------------------------------------------------------------
// Selection upkeep

void CKvillView::ResetAllDone() {
  Unsettle();
  if (m_pDocument == nullptr) return;
  for (const auto& p : m_pDocument->m_listObjects) p->ResetDone();
}

void CKvillView::DeselectAll() {
  Unsettle();
  if (m_pDocument != nullptr) {
    for (const auto& p : m_pDocument->m_listObjects) {
      if (p->m_bSelected) p->MarkChanged();
      p->m_bSelected = 0;
    }
  }
  SetSelCount(0);
}

void CKvillView::CountSelection() {
  SetSelCount(0);
  if (m_pDocument == nullptr) return;
  for (const auto& p : m_pDocument->m_listObjects) {
    if (p->m_bSelected) AddToSelCount(1);
  }
}

void CKvillView::DragSelection(CDC* pDC, CSize offset) {
  if (m_pDocument == nullptr) return;
  Unsettle();
  DragSelected(m_pDocument->m_listObjects, pDC, offset);
}

// ---------------------------------------------------------------------------------------
// Painting

void CKvillView::OnDraw(CDC* pDC) {
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  if (m_nEditState == 1) m_pWindow->HideCaret();
  RenderDrawing(pDC, m_pDocument);
  m_bPendingModified = 0;
  if (m_nEditState == 1) RestoreEditCaret(pDC);
}

void CKvillView::RestoreEditCaret(CDC* pDC) {
  if (m_pCurrent == nullptr || m_pCurrent->GetKind() != KIND_FORMULA) return;
  auto* pFormula = static_cast<CFormula*>(m_pCurrent);
  CPoint pt;
  pFormula->LocateCaret(pDC, 1, pFormula->m_nCaret, &pt, &m_formula);
}

void CKvillView::Unsettle() {
  m_cursor.NoteDrawingChanged();
  m_painter.EndPaintRest();
}

void CKvillView::ObjectDestroyed(const CKVObject* pObj) {
  Unsettle();
  if (pObj == m_pHover) m_pHover = nullptr;
  m_viewport.ObjectDestroyed(pObj);
  m_painter.ObjectDestroyed(pObj);
}

void CKvillView::SetHover(CKVObject* pObj) {
  if (pObj == m_pHover) return;
  // Held until it goes: its destruction lets go of it, drawn or not.
  if (pObj != nullptr) Watch(pObj);
  m_pHover = pObj;
  m_pWindow->Invalidate();
}

std::optional<CRect> CKvillView::HoverFrame(const CDC* pDC) const {
  // Paper and pictures never show it, nor does a window busy with a gesture or typing.
  if (m_pHover == nullptr || m_bDirectRender || m_nEditState == 1 || m_tracker.GestureUnderWay()) {
    return std::nullopt;
  }
  CPoint a{m_pHover->m_rcBounds.left, m_pHover->m_rcBounds.top};
  CPoint b{m_pHover->m_rcBounds.right, m_pHover->m_rcBounds.bottom};
  // A bond keeps no box of its own worth showing: the one of its two end points.
  if (m_pHover->GetKind() == KIND_COUPLING) {
    const auto* pBond = static_cast<const CCoupling*>(m_pHover);
    a = pBond->m_ptA;
    b = pBond->m_ptB;
  }
  const CPoint p = m_viewport.LogicalToDevice(a, pDC);
  const CPoint q = m_viewport.LogicalToDevice(b, pDC);
  return CRect{
      SatAdd(std::min(p.x, q.x), -kHoverFrameGap), SatAdd(std::min(p.y, q.y), -kHoverFrameGap),
      SatAdd(std::max(p.x, q.x), kHoverFrameGap), SatAdd(std::max(p.y, q.y), kHoverFrameGap)};
}

void CKvillView::Watch(CKVObject* pObj) const {
  if (pObj->m_pWatcher != m_pDocument) pObj->m_pWatcher = m_pDocument;
}

// ---------------------------------------------------------------------------------------
// The embedding picture

CPictureRenderer& CKvillView::Picture() {
  m_picture.SetSurfaces(m_pWindow);
  m_picture.SetDocument(m_pDocument);
  m_picture.SetEmbedding(m_embedding.IsEmbedded(), m_embedding.IsFresh());
  m_picture.SetBuffer(m_pWindow->GetClientRect(), m_viewport.RawRight(), m_viewport.RawBottom());
  return m_picture;
}

void CKvillView::BeforePicturePass() {
  // The picture draws every object for another purpose and moves them: what the paints
  // remembered, and the kept buffer, no longer hold.
  Unsettle();
  m_painter.ForgetPaints();
  m_viewport.MarkExtentsStale();
  m_bPainting = 0;
}

std::optional<CExportBitmap> CKvillView::RenderPictureExtents(CDC* pDC) {
  BeforePicturePass();
  return Picture().RenderExtents(pDC);
}

CSize CKvillView::GetPictureExtent() {
  BeforePicturePass();
  return Picture().GetPictureExtent();
}

CSize CKvillView::DrawPicture(CDC* pDC, std::optional<CSize> szViewportExt,
                              const WorkProgress& progress) {
  BeforePicturePass();
  // While the picture is drawn the window's mouse and cursor feedback wait.
  m_bDirectRender = 1;
  const CSize szReported = Picture().DrawPicture(pDC, szViewportExt, progress);
  m_bDirectRender = 0;
  m_bPainting = 0;
  Unsettle();
  return szReported;
}

// ---------------------------------------------------------------------------------------
// What the document reaches

void CKvillView::EndFormulaEditing() {
  Unsettle();
  if (m_nEditState != 1) return;
  m_pWindow->HideCaret();
  m_nEditState = 0;
}

void CKvillView::ForgetObject(const CKVObject* pObj) {
  if (m_pCurrent == pObj) m_pCurrent = nullptr;
  if (m_pHover == pObj) m_pHover = nullptr;
  if (m_tracker.CtrlToggle() == pObj) m_tracker.SetCtrlToggle(nullptr);
}

void CKvillView::ReleaseObjects() {
  m_formula.ForgetLabel();
  EndFormulaEditing();
  m_pCurrent = nullptr;
  m_pHover = nullptr;
  m_tracker.SetCtrlToggle(nullptr);
}

void CKvillView::ScheduleHistoryReset() { m_pWindow->SetTimer(TIMER_RESET_HISTORY, 10); }

void CKvillView::ScheduleIncompatibleFileMessage() {
  m_pWindow->SetTimer(TIMER_INCOMPATIBLE_FILE, 10);
}

void CKvillView::ResetForNewDocument() {
  m_viewport.SetZoom(1.0);
  m_viewport.SetScrollX(0);
  m_viewport.SetScrollY(0);
  UpdateView();
  ScheduleScrollRefresh();
  ReleaseObjects();
  SetSelCount(0);
}

int CKvillView::MessageBox(const std::string& strText, const std::string& strCaption,
                           unsigned nFlags, bool bOwned) {
  return m_pWindow->MessageBox(strText, strCaption, nFlags, bOwned);
}

bool CKvillView::DoFileSaveAs() { return m_pFrame->DoFileSaveAs(); }

bool CKvillView::DoFileSave() { return m_pFrame->DoFileSave(); }

void CKvillView::UpdateContainer() {
  m_embedding.SetContainerUpdated(true);
  m_pFrame->UpdateAllItems();
}

void CKvillView::ServerItemDestroyed(CKvillSrvrItem* pItem) {
  m_embedding.ForgetServerItem(pItem);
  if (m_pTransferItem == pItem) m_pTransferItem = nullptr;
}

// ---------------------------------------------------------------------------------------
// Timers, messages and commands

void CKvillView::OnTimer(int nId) {
  // Only the scroll refresh and the cursor feedback leave the drawing as it is.
  if (nId != TIMER_SCROLL_REFRESH && nId != TIMER_CURSOR_FEEDBACK) Unsettle();
  switch (nId) {
    case TIMER_SCROLL_REFRESH:
      m_pWindow->KillTimer(nId);
      if (m_pDocument != nullptr && m_pDocument->m_bJustSaved) {
        MarkSavedSnapshot();
        return;
      }
      m_pFrame->EndStartingUp();
      if (m_viewport.RefreshPending() > 0) m_viewport.ScrollRefresh();
      if (m_pSettings->m_bApplyShowState == 1) {
        m_pSettings->m_bApplyShowState = 0;
        m_pFrame->ShowMainWindow(SW_MAXIMIZE);
        if (!m_pSettings->m_bMaximized) m_pFrame->ShowMainWindow(SW_SHOWNORMAL);
      }
      break;
    case TIMER_RESET_HISTORY:
      m_pWindow->KillTimer(nId);
      ClearHistory();
      PushSnapshot();
      if (!m_strOpenAtStart.empty()) {
        const std::string strPath = m_strOpenAtStart;
        m_strOpenAtStart.clear();
        m_pFrame->OpenFileAtStart(strPath);
      }
      break;
    case TIMER_INCOMPATIBLE_FILE:
      m_pWindow->KillTimer(nId);
      ShowIncompatibleFile();
      break;
    default:
      OnInteractionTimer(nId);
      break;
  }
}

void CKvillView::OnPostedMessage(int nMessage, std::intptr_t, std::intptr_t) {
  Unsettle();
  OnDrawBarMessage(nMessage);
}

namespace {

// The row of a command the view carries out; null for the frame's and unknown ones.
const CommandRow* ViewRow(int nId) {
  const CommandRow* pRow = FindCommandRow(nId);
  return pRow != nullptr && pRow->owner == CommandOwner::View ? pRow : nullptr;
}

}  // namespace

bool CKvillView::OnCommand(int nId) {
  const CommandRow* pRow = FindCommandRow(nId);
  if (pRow == nullptr || pRow->rest == PaintRest::Ended) Unsettle();
  if (pRow == nullptr) return false;
  // One step of the history per command, recorded here once the handler has changed the
  // drawing, so that no handler has to remember it.
  if (pRow->run(*this, nId) && pRow->undo == UndoStep::Recorded) PushSnapshot();
  return pRow->owner == CommandOwner::View;
}

bool CKvillView::IsCommandHandled(int nId) const { return ViewRow(nId) != nullptr; }

bool CKvillView::IsCommandEnabled(int nId) const {
  return IsCommandHandled(nId) && CanChooseCommand(nId);
}

bool CKvillView::CanChooseCommand(int nId) const {
  const CommandRow* pRow = FindCommandRow(nId);
  return pRow != nullptr && (pRow->enabled == nullptr || pRow->enabled(*this, nId));
}

bool CKvillView::IsCommandChecked(int nId) const {
  const CommandRow* pRow = ViewRow(nId);
  return pRow != nullptr && pRow->checked != nullptr && pRow->checked(*this, nId);
}

// ---------------------------------------------------------------------------------------
// Undo history

void CKvillView::PushSnapshot() {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr) return;
  // A label ended by some other change than Esc or Return is one step before that change's.
  if (m_formula.IsLabelLeft()) m_formula.FinishLabel();
  try {
    // Only the objects changed since the last snapshot write their records again.
    const std::vector<const CStoredRecord*> records = pDoc->StoreRecords();
#ifndef NDEBUG
    CheckRecordsAgainstFullStore(records);
#endif
    if (!m_history.IsEmpty()) pDoc->SetModifiedFlag();
    m_history.PushRecords(records, pDoc->IsModified());
  } catch (const std::bad_alloc&) {
    ShowMemoryError();
    ClearHistory();
  }
}

void CKvillView::Undo() {
  Unsettle();
  m_formula.FinishLabel();
  if (const auto snapshot = m_history.Undo()) ReloadFrom(*snapshot);
}

void CKvillView::Redo() {
  Unsettle();
  m_formula.FinishLabel();
  if (const auto snapshot = m_history.Redo()) ReloadFrom(*snapshot);
}

void CKvillView::ReloadFrom(const CUndoHistory::CReload& snapshot, bool bWholeStream) {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr) return;
  pDoc->SetModifiedFlag(snapshot.bModified);
  m_pWindow->BeginWaitCursor();
  try {
    // The objects read take over the records they were read from, for the next snapshot;
    // the load's own paint waits until they have, as it may move bond points and formula
    // boxes, and the records must then be written again.
    const std::int32_t bPaintEnabled = m_bPaintEnabled;
    const std::uint64_t nBefore = CKVObject::LatestChangeStamp();
    m_bPaintEnabled = 0;
    try {
      // Mostly only a few records differ from what the drawing holds, and only those are
      // read; when that cannot be done exactly, the whole stream is.
      bool bPartial = false;
      if (!bWholeStream) {
        m_painter.SetReplacingObjects(true);
        try {
          bPartial = pDoc->ReloadChanged(snapshot.records);
        } catch (...) {
          m_painter.SetReplacingObjects(false);
          m_painter.DropPaintIndex();
          throw;
        }
        m_painter.SetReplacingObjects(false);
      }
      if (bPartial) {
        // The objects that stayed keep their places and what the index knows of them.
        m_painter.ReindexReplaced(pDoc);
      } else {
        CArchive ar(snapshot.Bytes());
        if (pDoc->Serialize(ar, CSerializeOptions::HistoryReload()))
          pDoc->AdoptRecords(snapshot.records);
      }
    } catch (...) {
      m_bPaintEnabled = bPaintEnabled;
      throw;
    }
    m_bPaintEnabled = bPaintEnabled;
#ifndef NDEBUG
    CheckReloadAgainstSnapshot(snapshot.Bytes(), bWholeStream);
#endif
    UpdateView();
    pDoc->SettleLoadedStamps(nBefore);
  } catch (const std::bad_alloc&) {
    ShowMemoryError();
    ClearHistory();
  } catch (const std::exception&) {
    // The document keeps whatever the loader had read.
  }
  m_pWindow->EndWaitCursor();
}

void CKvillView::ClearHistory() { m_history.Clear(); }

namespace {

// The test build's checks of the history stop the editor at the first snapshot that is not
// the drawing. With VALENDRA_DUMP_FOLDER set, both streams are left there to compare.
[[noreturn]] void ReportStreamsDiffer(const char* pWhat, std::span<const std::uint8_t> drawing,
                                      std::span<const std::uint8_t> held) {
  std::size_t nFirst = 0;
  while (nFirst < drawing.size() && nFirst < held.size() && drawing[nFirst] == held[nFirst])
    ++nFirst;
  std::fprintf(stderr,
               "%s differs from a full store: the drawing stores %zu bytes, the history holds %zu; "
               "first difference at byte %zu\n",
               pWhat, drawing.size(), held.size(), nFirst);
  if (const char* pFolder = std::getenv("VALENDRA_DUMP_FOLDER")) {
    for (const auto& [pName, bytes] :
         {std::pair{"drawing.vld", drawing}, std::pair{"history.vld", held}}) {
      const std::string path = std::string(pFolder) + "/" + pName;
      if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
      }
    }
  }
  std::abort();
}

std::vector<std::uint8_t> StoreWhole(CKvillDoc& doc) {
  std::vector<std::uint8_t> full;
  CArchive ar(&full);
  doc.Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return full;
}

}  // namespace

void CKvillView::CheckReloadAgainstSnapshot(std::span<const std::uint8_t> snapshot, bool bWhole) {
  // Before the reload's paint the drawing is exactly what the snapshot holds.
  const std::vector<std::uint8_t> full = StoreWhole(*m_pDocument);
  if (!std::equal(full.begin(), full.end(), snapshot.begin(), snapshot.end()))
    ReportStreamsDiffer(bWhole ? "undo reload (whole)" : "undo reload (partial)", full, snapshot);
}

void CKvillView::CheckRecordsAgainstFullStore(std::span<const CStoredRecord* const> records) {
  // An object changed without saying so: the snapshot would not be the drawing.
  const std::vector<std::uint8_t> full = StoreWhole(*m_pDocument);
  std::vector<std::uint8_t> joined;
  for (const CStoredRecord* pRecord : records)
    joined.insert(joined.end(), pRecord->m_bytes.begin(), pRecord->m_bytes.end());
  if (joined != full) ReportStreamsDiffer("undo snapshot", full, joined);
}

void CKvillView::MarkSavedSnapshot() {
  if (m_pDocument != nullptr) m_pDocument->m_bJustSaved = 0;
  m_history.MarkSaved();
}

// ---------------------------------------------------------------------------------------
// Messages

void CKvillView::ShowMemoryError() {
  if (m_pSettings->m_bEnglish) {
    m_pWindow->MessageBox(
        "Error: Memory full.\nPlease, save your work, close application and reload.",
        "Valendra Error", MB_ICONERROR, false);
  } else {
    m_pWindow->MessageBox(
        "Chyba: Nedostatek volné paměti.\nUložte kresbu, ukončete aplikaci a znova ji otevřete.",
        "Chyba Valendra", MB_ICONERROR, false);
  }
}

void CKvillView::ShowIncompatibleFile() {
  m_pWindow->MessageBox(
      m_pSettings->m_bEnglish ? "Error: Incompatible file." : "Chyba: Nekompatibilní soubor.",
      "Valendra", MB_ICONERROR, true);
}
