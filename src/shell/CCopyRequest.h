#pragma once

#include <QObject>
#include <QString>

class CKvillView;

// The copy request of other programs: a method Copy on the session bus, at a service name
// of this process's own, that puts the whole drawing on the clipboard as the Copy command
// does. Whatever the caller sends along is not read. Without a session bus the editor
// runs as before and nobody can ask.
class CCopyRequest : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.valendra.Editor")
 public:
  explicit CCopyRequest(CKvillView* pView, QObject* pParent = nullptr);
  ~CCopyRequest() override;

  // "org.valendra.Editor.pid" followed by the process id, and the object's path.
  static QString ServiceName();
  static QString ObjectPath() { return QStringLiteral("/org/valendra/Editor"); }
  // Puts the service on the session bus; false when there is none or the name is taken.
  bool Register();
  bool IsRegistered() const { return m_bRegistered; }

 public Q_SLOTS:
  // True when the drawing was handed to the clipboard.
  bool Copy();

 private:
  CKvillView* m_pView;
  bool m_bRegistered = false;
};
