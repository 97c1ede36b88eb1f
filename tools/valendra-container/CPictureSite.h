#pragma once

#include <QSize>
#include <QSvgRenderer>
#include <QWidget>

// The embedded drawing on the page: its picture (the SVG the editor writes beside the
// drawing) while it rests, and, while it is edited in place, a native window of the
// container's that the editor puts its own window into.
class CPictureSite : public QWidget {
  Q_OBJECT
 public:
  explicit CPictureSite(QWidget* pParent);

  // Reads the picture; without one (a drawing never updated) a placeholder is shown.
  // The next paint announces the picture with pictureShown.
  bool Load(const QString& strSvgPath);
  QSize PictureSize() const;

  // The window lent to the editor, of the given size; the site takes that size too.
  WId BeginEditing(QSize sz);
  void ResizeEditing(QSize sz);
  // The lent window goes, and with it whatever the editor left in it.
  void EndEditing();
  bool IsEditing() const { return m_pEditSite != nullptr; }

 signals:
  void editRequested();
  // The picture has been painted on the screen, at this place (screen pixels).
  void pictureShown(QRect rcScreen);

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
  void enterEvent(QEnterEvent* pEvent) override;
  void leaveEvent(QEvent* pEvent) override;

 private:
  QSvgRenderer m_renderer;
  bool m_bHasPicture = false;
  bool m_bHover = false;
  bool m_bAnnounce = false;
  QWidget* m_pEditSite = nullptr;
};
