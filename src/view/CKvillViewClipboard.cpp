// The clipboard commands: Copy, Copy Selection, Cut and Paste, and the paste routine.
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "document/CClipboardSource.h"
#include "document/CKvillDoc.h"
#include "document/CKvillSrvrItem.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"
#include "view/CKvillView.h"
#include "view/CMeasuringDC.h"
#include "view/IClipboard.h"
#include "view/IViewHost.h"

namespace {

// The wait cursor for the length of a scope.
class CWaitCursor {
 public:
  explicit CWaitCursor(IViewWindow& host) : m_host(host) { m_host.BeginWaitCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  ~CWaitCursor() { m_host.EndWaitCursor(); }

 private:
  IViewWindow& m_host;
};

// A document flag set for one command and put back however the command ends.
class CFlagScope {
 public:
  CFlagScope(std::int32_t& flag, std::int32_t value) : m_flag(flag), m_saved(flag) {
    m_flag = value;
  }
  CFlagScope(const CFlagScope&) = delete;
  CFlagScope& operator=(const CFlagScope&) = delete;
  ~CFlagScope() { m_flag = m_saved; }

 private:
  std::int32_t& m_flag;
  std::int32_t m_saved;
};

// Where a paste puts what it brings: right of and below where it was copied from.
constexpr CSize kPasteOffset{1000, -1000};

}  // namespace

CKvillSrvrItem* CKvillView::NewTransferItem() {
  ReleaseTransferItem();
  m_pTransferItem = m_pDocument->CreateServerItem();
  return m_pTransferItem;
}

void CKvillView::ReleaseTransferItem() {
  CKvillSrvrItem* pItem = m_pTransferItem;
  // An item a container was handed stays; the container may still use it.
  if (pItem == nullptr || pItem == m_pDocument->m_pEmbeddedItem) return;
  // Only moving data through the clipboard was this item's work: its going is not the end
  // of an embedding server, so it must not set off the kill protocol.
  pItem->m_bKillArmed = 0;
  m_pDocument->ReleaseServerItem(pItem);  // clears m_pTransferItem through the destructor
  m_pTransferItem = nullptr;
}

void CKvillView::OnEditCopy() {
  if (m_pDocument == nullptr) return;
  CKvillSrvrItem* pItem = NewTransferItem();
  CWaitCursor wait(*m_pWindow);
  std::unique_ptr<CClipboardSource> pSource = pItem->OnGetClipboardData(true, nullptr, nullptr);
  IClipboard* pClipboard = m_pWindow->GetClipboard();
  if (pSource != nullptr && pClipboard != nullptr) pClipboard->SetData(std::move(*pSource));
}

void CKvillView::OnEditCopySelection() {
  if (m_pDocument == nullptr) return;
  CFlagScope selectionOnly(m_pDocument->m_bSelectionOnly, 1);
  OnEditCopy();
}

bool CKvillView::OnEditCut() {
  OnEditCopySelection();
  // Then the Delete command: the selection goes, or, while a formula is edited, the
  // character after the caret.
  return OnEditDelete();
}

bool CKvillView::OnEditPaste() {
  if (m_pDocument == nullptr) return false;
  m_pWindow->Invalidate();
  {
    CWaitCursor wait(*m_pWindow);
    try {
      if (!PasteNative()) PasteForeign();
    } catch (const std::bad_alloc&) {
      // Whatever was read before memory ran out stays, and is recorded below.
      ShowMemoryError();
    }
  }
  m_pDocument->SetModifiedFlag();
  return true;
}

bool CKvillView::PasteNative() {
  CKvillDoc* pDoc = m_pDocument;
  IClipboard* pClipboard = m_pWindow->GetClipboard();
  if (pDoc == nullptr || pClipboard == nullptr || !pClipboard->HasNativeData()) return false;
  CKvillSrvrItem* pItem = NewTransferItem();
  const std::optional<std::vector<std::uint8_t>> data = pClipboard->GetNativeData();
  if (!data) {
    ReleaseTransferItem();
    return false;
  }

  PlaceStreamAsSelection(*data, kPasteOffset, [pItem](CArchive& ar) {
    pItem->Serialize(ar, CSerializeOptions{.bReplaceOnLoad = false});
  });
  UpdateView();
  return true;
}

bool CKvillView::PasteForeign() {
  IClipboard* pClipboard = m_pWindow->GetClipboard();
  if (m_pDocument == nullptr || pClipboard == nullptr) return false;
  const CRect rc = m_pWindow->GetClientRect();
  CObList objects = pClipboard->GetForeignObjects(DeviceToLogical(
      CPoint{rc.left + (rc.right - rc.left) / 2, rc.top + (rc.bottom - rc.top) / 2}));
  if (objects.empty()) return false;
  EndFormulaEditing();
  m_pCurrent = nullptr;
  DeselectAll();
  for (const auto& p : objects) p->SetSelected(1);
  CObList& list = m_pDocument->m_listObjects;
  list.splice(list.end(), objects);
  SetSelCount(0);
  for (const auto& p : list) {
    if (p->IsSelected()) AddToSelCount(1);
  }
  if (SelCount() == 1 && list.back()->m_bSelected) m_pCurrent = list.back().get();
  UpdateView();
  return true;
}

void CKvillView::PlaceStreamAsSelection(std::span<const std::uint8_t> data, CSize offset,
                                        const std::function<void(CArchive&)>& read) {
  CKvillDoc* pDoc = m_pDocument;
  // What was being edited, current or selected before gives way to what is read.
  EndFormulaEditing();
  m_pCurrent = nullptr;
  DeselectAll();
  {
    CArchive ar{data};
    // Paste mode: every object read arrives selected and counted, and a bond read looks
    // for its ends among the objects read only.
    CFlagScope reading(m_bPasteReading, 1);
    read(ar);
  }

  // The stored selection count says nothing about this drawing: count again.
  CObList& list = pDoc->m_listObjects;
  SetSelCount(0);
  for (const auto& p : list) {
    if (p->IsSelected()) AddToSelCount(1);
  }
  if (SelCount() == 1) {
    // The one object read is normally the last one.
    CKVObject* pOnly = nullptr;
    if (list.back()->IsSelected()) {
      pOnly = list.back().get();
    } else {
      for (const auto& p : list) {
        if (p->IsSelected()) {
          pOnly = p.get();
          break;
        }
      }
    }
    if (pOnly != nullptr && pOnly->m_bSelected) m_pCurrent = pOnly;
  }
  if (offset.cx == 0 && offset.cy == 0) return;

  CScopedWindowDC dc(*m_pWindow);
  if (dc.Get() != nullptr) OnPrepareDC(dc.Get());
  // The move's inverting frames would be painted over by the repaint right after; a
  // scratch surface takes them, so a large paste does not draw two frames per object.
  CMeasuringDC scratch(dc.Get());
  DragSelection(&scratch, offset);
}

void CKvillView::DuplicateSelectionForDrag() {
  CKvillDoc* pDoc = m_pDocument;
  m_cursor.m_bCopyDrag = 0;
  m_tracker.SetCtrlToggle(nullptr);
  // The selection as Copy Selection takes it (copied bonds bring their unselected ends),
  // read back in its place: the copies are the selection the drag moves, the originals
  // stay where they are.
  std::vector<std::uint8_t> bytes;
  {
    CArchive ar(&bytes);
    pDoc->Serialize(ar, CSerializeOptions{.bSelectionOnly = true, .bStoringToFile = false});
    ar.Flush();
  }
  PlaceStreamAsSelection(bytes, CSize{0, 0}, [pDoc](CArchive& ar) {
    pDoc->Serialize(ar, CSerializeOptions{.bReplaceOnLoad = false});
  });
  m_tracker.StartCopyMove();
}
