#include "shell/DrawingRenderer.h"

#include <algorithm>
#include <cstdlib>

#include "objects/CKVObject.h"
#include "platform/CQtDC.h"
#include "platform/CSvgDC.h"

void MapBoxToPicture(CDC* pDC, const CRect& rcBox, int nWidth, int nHeight) {
  const std::int64_t w =
      std::max<std::int64_t>(std::llabs(static_cast<std::int64_t>(rcBox.right) - rcBox.left), 1);
  const std::int64_t h =
      std::max<std::int64_t>(std::llabs(static_cast<std::int64_t>(rcBox.top) - rcBox.bottom), 1);
  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowOrg(rcBox.left, rcBox.top);
  pDC->SetWindowExt(Clamp32(w), Clamp32(h));
  pDC->SetViewportOrg(0, 0);
  pDC->SetViewportExt(std::max(nWidth, 1), -std::max(nHeight, 1));
}

void PaintObjects(CDC* pDC, CObList& list) {
  for (auto& obj : list) obj->ResetDone();
  pDC->SetROP2(R2_COPYPEN);
  for (auto& obj : list) {
    if (!obj->m_bSelected) {
      obj->Draw(pDC);
      continue;
    }
    if (obj->m_nKind != KIND_DOT) obj->Draw(pDC);
    if (obj->m_nKind != KIND_COUPLING) obj->DrawMarks(pDC);
  }
}

QImage RenderImage(CObList& list, const CRect& rcBox, int nWidth, int nHeight) {
  QImage image(std::max(nWidth, 1), std::max(nHeight, 1), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    CQtDC dc(&image);
    MapBoxToPicture(&dc, rcBox, image.width(), image.height());
    PaintObjects(&dc, list);
  }
  return image;
}

std::string RenderSvg(CObList& list, const CRect& rcBox, int nWidth, int nHeight) {
  CSvgDC dc(rcBox, nWidth, nHeight);
  MapBoxToPicture(&dc, rcBox, nWidth, nHeight);
  PaintObjects(&dc, list);
  return dc.GetSvg();
}
