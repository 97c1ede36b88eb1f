#pragma once

// A window drawn on images, as the widget draws it: the painting benchmarks use one of
// 1920 x 1080 pixels at the screen's 96 dots per inch; tests put it over their fake window.

#include <QImage>
#include <QPainter>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/CQtDC.h"
#include "view/CHeadlessViewHost.h"

// The surfaces of a window host Base drawn on images of its client size, with a back
// buffer kept between paints as the widget keeps it.
template <class Base>
class ImageHostOn : public Base {
 public:
  template <class... Args>
  explicit ImageHostOn(Args&&... args) : Base(std::forward<Args>(args)...) {}

  int GetPixelsPerInchX() override { return 96; }
  int GetPixelsPerInchY() override { return 96; }
  // A second surface on the window while one is open (the view measures on one and paints
  // on another) goes to a spare image, as only one painter may paint on an image at a time.
  CDC* GetDC() override {
    const CRect rc = this->GetClientRect();
    const int cx = std::max(rc.right - rc.left, 1), cy = std::max(rc.bottom - rc.top, 1);
    if (m_nWindowDCs == 0 && (m_window.width() != cx || m_window.height() != cy)) {
      m_window = QImage(cx, cy, QImage::Format_ARGB32_Premultiplied);
      m_spare = QImage(cx, cy, QImage::Format_ARGB32_Premultiplied);
      SetScreenResolution(m_window);
      SetScreenResolution(m_spare);
      m_window.fill(Qt::white);
    }
    return Make(m_nWindowDCs++ == 0 ? &m_window : &m_spare);
  }
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
  // The window's back buffer stays from one paint to the next, as the widget keeps it.
  CDC* OpenBackBuffer(CDC*, int cx, int cy, bool& bKept) override {
    bKept = m_back.width() == cx && m_back.height() == cy;
    if (!bKept) {
      m_back = QImage(cx, cy, QImage::Format_ARGB32_Premultiplied);
      SetScreenResolution(m_back);
      m_back.fill(Qt::white);
    }
    return Make(&m_back);
  }
  bool ClipToPixels(CDC* pDC, const std::vector<CRect>& rects) override {
    return static_cast<CQtDC*>(pDC)->ClipToPixels(rects);
  }
  void FillSolidRect(CDC* pDC, const CRect& rc, COLORREF cr) override {
    QPainter* p = static_cast<CQtDC*>(pDC)->GetPainter();
    p->save();
    p->resetTransform();
    p->fillRect(QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
                QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr)));
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

  // The picture the window shows now.
  const QImage& Window() const { return m_window; }

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

  QImage m_window, m_spare, m_buffer, m_back;
  int m_nWindowDCs = 0;
  std::map<CDC*, std::unique_ptr<CDC>> m_dcs;
  std::map<CDC*, QImage*> m_images;
};

// A window of 1920 x 1080 pixels.
class ImageHost : public ImageHostOn<CHeadlessViewHost> {
 public:
  ImageHost() : ImageHostOn<CHeadlessViewHost>(nullptr, CRect{0, 0, 1920, 1080}) {}
};
