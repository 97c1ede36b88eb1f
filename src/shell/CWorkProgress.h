#pragma once

#include <QElapsedTimer>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>

#include "document/WorkProgress.h"

class CViewWidget;
class QProgressDialog;
class QWidget;

// The progress of long work in the editor (opening, saving, exporting a picture): a modal
// dialog that comes up once the work has gone on for about half a second, with a Cancel
// button when the work can stop. While it exists the view window is busy: the events the
// dialog lets through can neither repaint from a drawing in mid-change nor run the view's
// timers and messages.
class CWorkProgress {
 public:
  // strCancel empty: the work cannot be cancelled and the dialog has no button.
  CWorkProgress(QWidget* pOwner, CViewWidget* pViewWidget, const QString& strLabel,
                const QString& strCancel);
  CWorkProgress(const CWorkProgress&) = delete;
  CWorkProgress& operator=(const CWorkProgress&) = delete;
  ~CWorkProgress();

  // Reports nDone of nTotal; false once the user has cancelled.
  bool Step(std::int64_t nDone, std::int64_t nTotal);
  WorkProgress Callback();
  bool WasCancelled() const { return m_bCancelled; }
  bool WasShown() const { return m_bShown; }

  // How long work runs before the dialog comes up; tests make it zero, and the dialog then
  // follows every step.
  static void SetShowDelay(std::chrono::milliseconds delay);
  static std::chrono::milliseconds ShowDelay();

 private:
  QWidget* m_pOwner;
  CViewWidget* m_pViewWidget;
  QString m_strLabel;
  QString m_strCancel;
  QElapsedTimer m_clock;
  qint64 m_nLastUpdate = -1;
  std::unique_ptr<QProgressDialog> m_pDialog;
  bool m_bShown = false;
  bool m_bCancelled = false;
};
