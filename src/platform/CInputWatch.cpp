#include "platform/CInputWatch.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>

CInputWatch::CInputWatch() {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return;
  QCoreApplication::instance()->installNativeEventFilter(this);
  m_bWatching = true;
}

CInputWatch::~CInputWatch() {
  if (m_bWatching && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
}

bool CInputWatch::TakePointerNews() {
  const bool bNews = m_bPointerNews || !m_bWatching;
  m_bPointerNews = false;
  return bNews;
}

bool CInputWatch::TakeKeyboardNews() {
  const bool bNews = m_bKeyboardNews || !m_bWatching;
  m_bKeyboardNews = false;
  return bNews;
}

bool CInputWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
  const auto* e = static_cast<const xcb_generic_event_t*>(message);
  switch (e->response_type & 0x7F) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT:
    case XCB_KEYMAP_NOTIFY:
      m_bKeyboardNews = true;
      break;
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY:
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY:
    // The input extension's pointer events (Qt takes the mouse through it where it can).
    case XCB_GE_GENERIC:
      m_bPointerNews = true;
      break;
    default:
      // The keyboard extension's state changes come as events of a number of their own.
      if ((e->response_type & 0x7F) >= 64) m_bKeyboardNews = true;
      break;
  }
  return false;
}
