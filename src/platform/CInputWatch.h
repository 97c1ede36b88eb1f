#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>

// Tells whether the pointer or the keyboard may have changed since it was last asked. Asking
// the X server where the pointer is, or which keys are down, costs a round trip; the cursor
// feedback asks a hundred times a second, and at rest the answer never changes. Every
// pointer or keyboard event that reaches the program is news; without news the last answer
// is still good. The pointer can also move over other programs' windows unseen, but there
// it is outside the program's windows either way. On a window system whose events cannot be
// watched there is always news.
class CInputWatch : public QAbstractNativeEventFilter {
 public:
  CInputWatch();
  ~CInputWatch() override;
  CInputWatch(const CInputWatch&) = delete;
  CInputWatch& operator=(const CInputWatch&) = delete;

  // Whether news came since the last call; the next call says false until more comes.
  bool TakePointerNews();
  bool TakeKeyboardNews();

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  bool m_bWatching = false;
  bool m_bPointerNews = true;
  bool m_bKeyboardNews = true;
};
