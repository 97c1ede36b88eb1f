#include "shell/CCopyRequest.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include "view/CKvillView.h"

CCopyRequest::CCopyRequest(CKvillView* pView, QObject* pParent)
    : QObject(pParent), m_pView(pView) {}

CCopyRequest::~CCopyRequest() {
  if (!m_bRegistered) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(ObjectPath());
  bus.unregisterService(ServiceName());
}

QString CCopyRequest::ServiceName() {
  return QStringLiteral("org.valendra.Editor.pid%1").arg(QCoreApplication::applicationPid());
}

bool CCopyRequest::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(
          ObjectPath(), this,
          QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllSlots)) {
    return false;
  }
  if (!bus.registerService(ServiceName())) {
    bus.unregisterObject(ObjectPath());
    return false;
  }
  m_bRegistered = true;
  return true;
}

bool CCopyRequest::Copy() { return m_pView != nullptr && m_pView->OnCopyData(); }
