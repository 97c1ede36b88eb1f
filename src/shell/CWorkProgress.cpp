#include "shell/CWorkProgress.h"

#include <QApplication>
#include <QProgressDialog>
#include <algorithm>

#include "shell/CViewWidget.h"

namespace {

std::chrono::milliseconds& DelaySlot() {
  static std::chrono::milliseconds delay{500};
  return delay;
}

constexpr int kRange = 1000;

}  // namespace

void CWorkProgress::SetShowDelay(std::chrono::milliseconds delay) { DelaySlot() = delay; }

std::chrono::milliseconds CWorkProgress::ShowDelay() { return DelaySlot(); }

CWorkProgress::CWorkProgress(QWidget* pOwner, CViewWidget* pViewWidget, const QString& strLabel,
                             const QString& strCancel)
    : m_pOwner(pOwner), m_pViewWidget(pViewWidget), m_strLabel(strLabel), m_strCancel(strCancel) {
  if (m_pViewWidget != nullptr) m_pViewWidget->SetBusy(true);
  m_clock.start();
}

CWorkProgress::~CWorkProgress() {
  if (m_pDialog) {
    m_pDialog->hide();
    m_pDialog.reset();
  }
  if (m_pViewWidget != nullptr) m_pViewWidget->SetBusy(false);
}

bool CWorkProgress::Step(std::int64_t nDone, std::int64_t nTotal) {
  if (m_bCancelled) return false;
  const qint64 nElapsed = m_clock.elapsed();
  if (!m_bShown) {
    if (nElapsed < ShowDelay().count()) return true;
    m_pDialog = std::make_unique<QProgressDialog>(m_pOwner);
    m_pDialog->setObjectName(QStringLiteral("WorkProgress"));
    m_pDialog->setWindowTitle(QStringLiteral("Valendra"));
    m_pDialog->setLabelText(m_strLabel);
    m_pDialog->setWindowModality(Qt::ApplicationModal);
    m_pDialog->setAutoClose(false);
    m_pDialog->setAutoReset(false);
    m_pDialog->setMinimumDuration(0);
    m_pDialog->setRange(0, kRange);
    if (m_strCancel.isEmpty()) {
      m_pDialog->setCancelButton(nullptr);
    } else {
      m_pDialog->setCancelButtonText(m_strCancel);
    }
    m_pDialog->show();
    m_bShown = true;
  } else if (nElapsed - m_nLastUpdate < (ShowDelay().count() > 0 ? 30 : 0)) {
    // The dialog is brought up to date a few dozen times a second; more only slows the work
    // (without a delay, as tests have it, at every step).
    return true;
  }
  m_nLastUpdate = nElapsed;
  const std::int64_t n = std::clamp<std::int64_t>(nDone, 0, std::max<std::int64_t>(nTotal, 1));
  m_pDialog->setValue(static_cast<int>(nTotal > 0 ? n * kRange / nTotal : 0));
  // The dialog paints itself and hears its Cancel button; the view stays out of it.
  QCoreApplication::processEvents();
  if (!m_strCancel.isEmpty() && m_pDialog->wasCanceled()) m_bCancelled = true;
  return !m_bCancelled;
}

WorkProgress CWorkProgress::Callback() {
  return [this](std::int64_t nDone, std::int64_t nTotal) { return Step(nDone, nTotal); };
}
