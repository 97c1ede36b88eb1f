#pragma once

// The window the painting benchmarks draw into: 1920 x 1080 pixels on an image, at the
// screen's 96 dots per inch.

#include <QImage>
#include <QPainter>
#include <map>
#include <memory>

#include "platform/CQtDC.h"
#include "view/CHeadlessViewHost.h"

// A window of 1920 x 1080 pixels on an image, with a back buffer kept between paints as a
// widget keeps it.
class ImageHost : public CHeadlessViewHost {
 public:
  ImageHost() : CHeadlessViewHost(nullptr, CRect{0, 0, 1920, 1080}) {
    SetScreenResolution(m_window);
    SetScreenResolution(m_spare);
    m_window.fill(Qt::white);
  }

  int GetPixelsPerInchX() override { return 96; }
  int GetPixelsPerInchY() override { return 96; }
  // A second surface on the window while one is open (the view measures on one and paints
  // on another) goes to a spare image, as only one painter may paint on an image at a time.
  CDC* GetDC() override { return Make(m_nWindowDCs++ == 0 ? &m_window : &m_spare); }
  void ReleaseDC(CDC* pDC) override {
    --m_nWindowDCs;
    Drop(pDC);
  }
  CDC* CreateMemoryDC(CDC*, int cx, int cy) override {
    if (m_buffer.width() != cx || m_buffer.height() != cy) {
      m_buffer = QImage(cx, cy, QImage::Format_ARGB32_Premultiplied);
      SetScreenResolution(m_buffer);
    }
    return Make(&m_buffer);
  }
  void DeleteMemoryDC(CDC* pDC) override { Drop(pDC); }
  void FillSolidRect(CDC* pDC, const CRect& rc, COLORREF) override {
    QPainter* p = static_cast<CQtDC*>(pDC)->GetPainter();
    p->save();
    p->resetTransform();
    p->fillRect(QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top), Qt::white);
    p->restore();
  }
  void BitBlt(CDC* pDest, int x, int y, int cx, int cy, CDC* pSrc, int xs, int ys) override {
    const CPoint d0 = pDest->LPtoDP(CPoint{x, y});
    const CPoint d1 = pDest->LPtoDP(CPoint{x + cx, y + cy});
    const CPoint s0 = pSrc->LPtoDP(CPoint{xs, ys});
    QPainter* p = static_cast<CQtDC*>(pDest)->GetPainter();
    p->save();
    p->resetTransform();
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(QRect(d0.x, d0.y, d1.x - d0.x, d1.y - d0.y), *m_images[pSrc],
                 QRect(s0.x, s0.y, d1.x - d0.x, d1.y - d0.y));
    p->restore();
  }

 private:
  // The window's images have the resolution the host reports, as on the screen; an image's
  // own default of 72 dots per inch would show a third more of the drawing.
  static void SetScreenResolution(QImage& image) {
    image.setDotsPerMeterX(3780);  // 96 dots per inch
    image.setDotsPerMeterY(3780);
  }

  CDC* Make(QImage* pImage) {
    auto dc = std::make_unique<CQtDC>(pImage);
    CDC* p = dc.get();
    m_images[p] = pImage;
    m_dcs[p] = std::move(dc);
    return p;
  }
  void Drop(CDC* pDC) {
    m_dcs.erase(pDC);
    m_images.erase(pDC);
  }

  QImage m_window{1920, 1080, QImage::Format_ARGB32_Premultiplied};
  QImage m_spare{1920, 1080, QImage::Format_ARGB32_Premultiplied};
  int m_nWindowDCs = 0;
  QImage m_buffer;
  std::map<CDC*, std::unique_ptr<CDC>> m_dcs;
  std::map<CDC*, QImage*> m_images;
};
