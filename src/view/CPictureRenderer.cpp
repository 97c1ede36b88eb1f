#include "view/CPictureRenderer.h"

#include <algorithm>
#include <cstdlib>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CKVObject.h"
#include "view/CMeasuringDC.h"
#include "view/IViewSurfaces.h"

void MeasureExtents(const CObList& list, std::int32_t& B, std::int32_t& T, std::int32_t& R,
                    std::int32_t& L, std::array<std::vector<const CKVObject*>, 4>* pOn) {
  B = T = R = L = 0;
  // A new extreme starts that edge's list.
  const auto note = [pOn](int nEdge, std::int32_t v, std::int32_t& e, bool bLess,
                          const CKVObject* p) {
    if (bLess ? v < e : v > e) {
      e = v;
      if (pOn != nullptr) (*pOn)[nEdge].clear();
    }
    if (pOn != nullptr && v == e) (*pOn)[nEdge].push_back(p);
  };
  for (const auto& p : list) {
    if (p->GetKind() == KIND_COUPLING) continue;
    const CRect& rc = p->m_rcBounds;
    note(0, rc.bottom, B, true, p.get());
    note(1, rc.top, T, false, p.get());
    note(2, rc.right, R, false, p.get());
    note(3, rc.left, L, true, p.get());
  }
}

void PrepareAtZoomOne(CDC* pDC) {
  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowExt(1440, 1440);
  pDC->SetViewportExt(pDC->GetDeviceCaps(LOGPIXELSX), -pDC->GetDeviceCaps(LOGPIXELSY));
  pDC->SetViewportOrg(0, 0);
}

void ShiftObjects(CObList& list, CDC* pDC, CSize offset) {
  for (const auto& p : list) p->ResetDone();
  for (const auto& p : list) {
    if (p->GetKind() == KIND_COUPLING) continue;
    // Selected for the move, so that groups draw their feedback frames too.
    const std::int32_t bSelected = p->m_bSelected;
    p->m_bSelected = 1;
    p->DragBy(pDC, offset, 0);
    p->m_bSelected = bSelected;
  }
}

void DragSelected(CObList& list, CDC* pDC, CSize offset) {
  for (const auto& p : list) p->ResetDone();
  for (const auto& p : list) {
    if (p->GetKind() != KIND_COUPLING && p->m_bSelected) p->DragBy(pDC, offset, 0);
  }
  // A selected bond drags those of its ends that are not selected themselves; the bond
  // follows its ends. The pass flag keeps a shared end from moving twice.
  for (const auto& p : list) {
    if (p->GetKind() != KIND_COUPLING || !p->m_bSelected) continue;
    auto* pBond = static_cast<CCoupling*>(p.get());
    for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
      if (pEnd != nullptr && !pEnd->IsSelected()) pEnd->GetTop()->DragBy(pDC, offset, 0);
    }
  }
}

void DrawOnScreen(CKVObject* pObj, CDC* pDC) {
  if (!pObj->m_bSelected) {
    pObj->Draw(pDC);
    return;
  }
  // A selected junction shows only its marks, a selected bond only itself.
  const int nKind = pObj->GetKind();
  if (nKind != KIND_DOT) pObj->Draw(pDC);
  if (nKind != KIND_COUPLING) pObj->DrawMarks(pDC);
}

void DrawForOutput(CKVObject* pObj, CDC* pDC, const CKvillDoc& doc, CPictureRenderer* pExtent) {
  if (doc.m_bSelectionOnly) {
    // The picture of a copied selection shows what its stream holds.
    if (!IsCopiedWithSelection(*pObj)) return;
    if (const CCoupling* pBond = pObj->AsBond()) {
      for (CKVObject* pTop : EndsCopiedWithBond(*pBond)) {
        if (pTop == nullptr) continue;
        pTop->Draw(pDC);
        if (pExtent != nullptr) pExtent->AddToExportExtent(pTop);
      }
    }
    pObj->Draw(pDC);
    if (pExtent != nullptr) pExtent->AddToExportExtent(pObj);
    return;
  }
  pObj->Draw(pDC);
  if (pExtent != nullptr && pObj->GetKind() != KIND_COUPLING) pExtent->AddToExportExtent(pObj);
}

// ---------------------------------------------------------------------------------------
// Preparing a drawing no window has shown

namespace {

// Splices every selected object to the end of the list, in its order.
void SelectionToFront(CObList& list) {
  const std::size_t nCount = list.size();
  auto it = list.begin();
  for (std::size_t i = 0; i < nCount && it != list.end(); ++i) {
    const auto next = std::next(it);
    if ((*it)->m_bSelected) list.splice(list.end(), list, it);
    it = next;
  }
}

}  // namespace

void CPictureRenderer::Prepare(bool bLayOut) {
  if (m_pDoc == nullptr) return;
  CObList& list = m_pDoc->m_listObjects;
  SelectionToFront(list);
  CScopedWindowDC window(*m_pSurfaces);
  if (bLayOut && window.Get() != nullptr) {
    PrepareAtZoomOne(window.Get());
    const std::int64_t cx = static_cast<std::int64_t>(m_rcClient.right) - m_rcClient.left;
    const std::int64_t cy = static_cast<std::int64_t>(m_rcClient.bottom) - m_rcClient.top;
    CMemoryDC buffer(*m_pSurfaces, window.Get(), Clamp32(cx), Clamp32(cy));
    CDC* pDC = buffer.Get() != nullptr ? buffer.Get() : window.Get();
    PrepareAtZoomOne(pDC);
    pDC->SetROP2(R2_COPYPEN);
    for (const auto& p : list) {
      p->ResetDone();
      DrawOnScreen(p.get(), pDC);
    }
  }
  std::int32_t T = 0, L = 0;
  MeasureExtents(list, m_nBufferBottom, T, m_nBufferRight, L);
}

// ---------------------------------------------------------------------------------------
// The extents

void CPictureRenderer::AddToExportExtent(CKVObject* pObj) {
  const int nKind = pObj->GetKind();
  if (nKind == KIND_COUPLING) return;
  // A formula clicked in and never typed in shows nothing on paper; it makes no blank space.
  if (const auto* pFormula = dynamic_cast<const CFormula*>(pObj);
      pFormula != nullptr && pFormula->m_strText.empty())
    return;
  CRect rc = pObj->m_rcBounds;
  if (nKind == KIND_DOT) {
    const CPoint pt = pObj->GetAnchor();
    rc = CRect{pt.x, pt.y, pt.x, pt.y};
  }
  if (m_bFirstExport) {
    m_rcExport = rc;
    m_bFirstExport = false;
    return;
  }
  m_rcExport.bottom = std::min(m_rcExport.bottom, rc.bottom);
  m_rcExport.top = std::max(m_rcExport.top, rc.top);
  m_rcExport.right = std::max(m_rcExport.right, rc.right);
  m_rcExport.left = std::min(m_rcExport.left, rc.left);
}

std::optional<CExportBitmap> CPictureRenderer::RenderExtents(CDC* pDC) {
  // Pictures get no editing aids; the caller's surface is given back as it was.
  const bool bCallerForOutput = pDC->IsForOutput();
  const int dpiX = std::max(1, pDC->GetDeviceCaps(LOGPIXELSX));
  const int dpiY = std::max(1, pDC->GetDeviceCaps(LOGPIXELSY));
  const std::int64_t cw = static_cast<std::int64_t>(m_rcClient.right) - m_rcClient.left;
  const std::int64_t ch = static_cast<std::int64_t>(m_rcClient.bottom) - m_rcClient.top;
  const std::int32_t Lw = Trunc32(static_cast<double>(cw) * 1440.0 / dpiX);
  const std::int32_t Lh = Trunc32(static_cast<double>(ch) * 1440.0 / dpiY);
  // The buffer reaches from the origin to the drawing's far corner at zoom 1.0.
  const std::int32_t bw = Trunc32((m_nBufferRight + 350.0) / (1440.0 / dpiX));
  const std::int32_t bh = -Trunc32((m_nBufferBottom - 75.0) / (1440.0 / dpiY));
  CMemoryDC buffer(*m_pSurfaces, pDC, bw, bh);
  CDC* pTarget = pDC;
  if (buffer.Get() != nullptr) {
    pTarget = buffer.Get();
    m_pSurfaces->FillSolidRect(pTarget, CRect{0, 0, bw, bh}, RGB(255, 255, 255));
  }
  PrepareAtZoomOne(pTarget);
  pTarget->SetROP2(R2_COPYPEN);
  pTarget->SetForOutput(true);
  m_bFirstExport = true;
  if (m_pDoc != nullptr) {
    for (const auto& p : m_pDoc->m_listObjects) {
      p->ResetDone();
      DrawForOutput(p.get(), pTarget, *m_pDoc, this);
    }
  }
  // Nothing was drawn: the extents are those of an empty drawing, not of an earlier one.
  if (m_bFirstExport) m_rcExport = CRect{};

  std::optional<CExportBitmap> result;
  if (buffer.Get() != nullptr) {
    m_pSurfaces->BitBlt(pDC, 0, 0, Lw, Clamp32(-static_cast<std::int64_t>(Lh)), pTarget, 0, 0);
    result = Cut(pDC, pTarget, dpiX, dpiY);
  }
  pDC->SetForOutput(bCallerForOutput);
  return result;
}

std::optional<CExportBitmap> CPictureRenderer::Cut(CDC* pDC, CDC* pRendered, int dpiX, int dpiY) {
  // The rendered buffer cut to the drawing's extents and a margin.
  const CRect E = m_rcExport;
  const std::int64_t left = std::max<std::int64_t>(static_cast<std::int64_t>(E.left) - 150, 0);
  const std::int64_t top = std::min<std::int64_t>(static_cast<std::int64_t>(E.top) + 75, 0);
  const std::int64_t width = E.right - left + 150;
  const std::int64_t height = top - E.bottom + 75;
  CExportBitmap bmp;
  bmp.szPixels = CSize{Trunc32(static_cast<double>(width) / (1440.0 / dpiX)),
                       Trunc32(static_cast<double>(height) / (1440.0 / dpiY))};
  CMemoryDC cut(*m_pSurfaces, pDC, bmp.szPixels.cx, bmp.szPixels.cy);
  if (cut.Get() == nullptr) return std::nullopt;
  PrepareAtZoomOne(cut.Get());
  m_pSurfaces->BitBlt(cut.Get(), 0, 0, Clamp32(width), Clamp32(-height), pRendered, Clamp32(left),
                      Clamp32(top));
  bmp.szDimension = CSize{Clamp32(static_cast<std::int64_t>(bmp.szPixels.cx) * 2540 / dpiX / 10),
                          Clamp32(static_cast<std::int64_t>(bmp.szPixels.cy) * 2540 / dpiY / 10)};
  m_pSurfaces->SetBitmapDimension(cut.Get(), bmp.szDimension);
  return bmp;
}

CSize CPictureRenderer::GetPictureExtent() {
  {
    CScopedWindowDC dc(*m_pSurfaces);
    if (dc.Get() != nullptr) PrepareAtZoomOne(dc.Get());
    // The rendering only gathers the extents; what it draws is thrown away.
    CMeasuringDC meta(dc.Get());
    meta.SetMapMode(MM_HIMETRIC);
    RenderExtents(&meta);
  }
  const CRect E = m_rcExport;
  const std::int32_t cx = Clamp32(static_cast<std::int64_t>(E.right) - E.left + 200);
  const std::int32_t cy = Clamp32(static_cast<std::int64_t>(E.bottom) - E.top - 200);
  m_rcPictureFrame = CRect{0, 0, cx, cy};
  return CSize{cx, cy};
}

// ---------------------------------------------------------------------------------------
// The picture

void CPictureRenderer::MoveObjects(CDC* pDC, CSize offset) {
  if (m_pDoc == nullptr) return;
  if (m_bEmbedded || !m_pDoc->m_bSelectionOnly) {
    ShiftObjects(m_pDoc->m_listObjects, pDC, offset);
  } else {
    DragSelected(m_pDoc->m_listObjects, pDC, offset);
  }
}

CSize CPictureRenderer::ReportedSize(CDC* pDC, CSize ext) const {
  // A fraction of the picture in 0.01 mm.
  const double f = m_bFreshEmbedding ? 2.5 : 15.6;
  const int dpiX = std::max(1, pDC->GetDeviceCaps(LOGPIXELSX));
  const int dpiY = std::max(1, pDC->GetDeviceCaps(LOGPIXELSY));
  const CPoint dev = pDC->LPtoDP(CPoint{Round32(ext.cx / f), Round32(ext.cy / f)});
  const CPoint org = pDC->LPtoDP(CPoint{0, 0});
  return CSize{Clamp32((static_cast<std::int64_t>(dev.x) - org.x) * 2540 / dpiX),
               Clamp32(-(static_cast<std::int64_t>(dev.y) - org.y) * 2540 / dpiY)};
}

void CPictureRenderer::DrawObjects(CDC* pDC, const WorkProgress& progress) {
  if (m_pDoc == nullptr) return;
  for (const auto& p : m_pDoc->m_listObjects) p->ResetDone();
  const std::int64_t nTotal = static_cast<std::int64_t>(m_pDoc->m_listObjects.size());
  std::int64_t nDone = 0;
  for (const auto& p : m_pDoc->m_listObjects) {
    if (progress && !progress(nDone++, nTotal)) break;
    DrawForOutput(p.get(), pDC, *m_pDoc, nullptr);
  }
}

CSize CPictureRenderer::DrawPicture(CDC* pDC, std::optional<CSize> szViewportExt,
                                    const WorkProgress& progress) {
  const CSize ext = GetPictureExtent();
  const CRect E = m_rcExport;
  // The moves draw feedback frames; a scratch surface absorbs them.
  CMeasuringDC scratch(pDC);
  const CSize O{Clamp32(100 - static_cast<std::int64_t>(E.left)),
                Clamp32(-100 - static_cast<std::int64_t>(E.top))};
  MoveObjects(&scratch, O);

  PrepareAtZoomOne(pDC);
  pDC->SetWindowOrg(0, 0);
  pDC->SetWindowExt(ext.cx, ext.cy);
  const CSize vp = szViewportExt.value_or(ext);
  pDC->SetViewportExt(vp.cx, vp.cy);
  const CSize szReported = ReportedSize(pDC, ext);

  if (m_pDoc != nullptr) m_pDoc->m_bRenderingPicture = 1;
  const bool bCallerForOutput = pDC->SetForOutput(true);
  DrawObjects(pDC, progress);
  pDC->SetForOutput(bCallerForOutput);
  if (m_pDoc != nullptr) m_pDoc->m_bRenderingPicture = 0;

  MoveObjects(&scratch, CSize{Clamp32(-static_cast<std::int64_t>(O.cx)),
                              Clamp32(-static_cast<std::int64_t>(O.cy))});
  // The bonds drawn in the picture's place follow their ends back, measured as a window at
  // zoom 1.0 measures them.
  PrepareAtZoomOne(&scratch);
  if (m_pDoc != nullptr) {
    for (const auto& p : m_pDoc->m_listObjects) {
      if (p->GetKind() == KIND_COUPLING)
        static_cast<CCoupling*>(p.get())->ComputeEndPoints(&scratch);
    }
  }
  return szReported;
}
