#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>

// The hatched border around a drawing edited in place, with eight handles: one at each
// corner and one in the middle of each side. Dragging a handle resizes the window the bar
// lives in (the whole in-place area) by the pointer's movement in the handle's directions;
// the area keeps its top-left corner, where the container placed it, and the container is
// told the new size when the handle is let go.
class CResizeBar : public QWidget {
 public:
  // The child window identifier of the bar in the in-place frame.
  static constexpr int kId = 59395;
  // The width of the hatched border; the handles are squares of this side.
  static constexpr int kBorder = 7;

  enum Handle {
    kNone = -1,
    kTopLeft,
    kTop,
    kTopRight,
    kRight,
    kBottomRight,
    kBottom,
    kBottomLeft,
    kLeft,
    kHandleCount
  };

  explicit CResizeBar(QWidget* pParent);

  // The widget inside the border (the view's window).
  void SetClient(QWidget* pClient);

  // The handle's square in the bar's coordinates, and the handle at a point (kNone).
  QRect HandleRect(int nHandle) const;
  int HandleAt(QPoint pt) const;
  // Whether the handle is being dragged now.
  bool IsTracking() const { return m_nTracking != kNone; }

  // The size of an area of size sz after handle nHandle moved by delta: the handle's sides
  // follow the pointer, the other sides stay; never below szMin.
  static QSize ResizedBy(QSize sz, int nHandle, QPoint delta, QSize szMin);

  // The area's new size, once a drag that changed it has ended.
  std::function<void(QSize)> m_fnResized;

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void mousePressEvent(QMouseEvent* pEvent) override;
  void mouseMoveEvent(QMouseEvent* pEvent) override;
  void mouseReleaseEvent(QMouseEvent* pEvent) override;

 private:
  void ShowHandleCursor(int nHandle);

  int m_nTracking = kNone;
  QPoint m_ptStart;  // the pointer on the screen when the drag began
  QSize m_szStart;   // the area's size then
};
