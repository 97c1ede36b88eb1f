#pragma once

#include <QAbstractButton>
#include <QImage>
#include <string>

// A picture button: its caption names a released and a pressed picture, which are drawn at
// run time for the screen the button is on. It shows the pressed picture while the mouse
// holds it down and while its state is set (SetState), the released one otherwise.
class CBitmapButton : public QAbstractButton {
 public:
  explicit CBitmapButton(QWidget* pParent = nullptr);

  // Attaches the button to its control: identifier, caption and the size of its pictures
  // in device-independent pixels.
  void AutoLoad(int nId, const std::string& strCaption, QSize sizePicture);

  int GetDlgCtrlID() const { return m_nId; }
  const std::string& GetCaption() const { return m_strCaption; }

  // The "pushed" state of the button, shown as its pressed picture.
  void SetState(bool bPressed);
  bool GetState() const { return m_bState; }
  // Whether the pressed picture is what the button shows now.
  bool ShowsPressed() const { return m_bState || isDown(); }

  QSize sizeHint() const override { return m_sizePicture; }

 protected:
  void paintEvent(QPaintEvent* pEvent) override;

 private:
  const QImage& Picture(bool bPressed);

  int m_nId = 0;
  std::string m_strCaption;
  QSize m_sizePicture;
  bool m_bState = false;
  // The two pictures, drawn for m_dDrawnRatio.
  QImage m_pictures[2];
  qreal m_dDrawnRatio = 0.0;
};
