#include "shell/EntryDialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "view/CKvillView.h"
#include "view/EntryParsing.h"

namespace {

// Dialog units of the templates' font to pixels: 4 horizontal units are one average
// character width (6 pixels), 8 vertical units one character height (13 pixels).
QRect Du(int x, int y, int cx, int cy) {
  return QRect{x * 6 / 4, y * 13 / 8, cx * 6 / 4, cy * 13 / 8};
}

// The texts of a template in the view's language, or bare ones without a view.
CEntryDialogText TextsOf(CKvillView* pView, int nTemplate) {
  if (pView != nullptr) return pView->EntryDialogText(nTemplate);
  CEntryDialogText text;
  text.nTemplate = nTemplate;
  return text;
}

}  // namespace

CEntryDialog* CEntryDialog::s_pOpen = nullptr;

CEntryDialog::CEntryDialog(CKvillView* pView, const CEntryDialogText& text, QWidget* pParent)
    : QDialog(pParent), m_pView(pView), m_nTemplate(text.nTemplate) {
  setWindowTitle(QString::fromStdString(text.strCaption));
  setFixedSize(Du(0, 0, 186, 61).size());
  auto* pPrompt = new QLabel(QString::fromStdString(text.strPrompt), this);
  pPrompt->setGeometry(Du(18, 9, 98, 10));
  m_pField = new QLineEdit(this);
  m_pField->setObjectName(QStringLiteral("1066"));
  m_pField->setGeometry(Du(17, 21, 151, 14));
  m_pField->installEventFilter(this);
  auto* pOk = new QPushButton(QString::fromStdString(text.strOk), this);
  pOk->setObjectName(QStringLiteral("1"));
  pOk->setGeometry(Du(31, 40, 50, 14));
  pOk->setDefault(true);
  auto* pCancel = new QPushButton(QString::fromStdString(text.strCancel), this);
  pCancel->setObjectName(QStringLiteral("2"));
  pCancel->setGeometry(Du(109, 40, 50, 14));
  connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CEntryDialog::~CEntryDialog() {
  if (s_pOpen == this) s_pOpen = nullptr;
}

void CEntryDialog::FocusField() { m_pField->setFocus(Qt::OtherFocusReason); }

void CEntryDialog::SetFieldText(const std::string& strText) {
  m_pField->setText(QString::fromStdString(strText));
  m_pField->selectAll();
  m_pField->setFocus(Qt::OtherFocusReason);
}

void CEntryDialog::HandOver() {
  if (m_pView == nullptr) return;
  const QByteArray bytes = m_pField->text().left(static_cast<qsizetype>(kEntryFieldLimit)).toUtf8();
  m_pView->OnEntryFieldKillFocus(
      m_nTemplate, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool CEntryDialog::eventFilter(QObject* pWatched, QEvent* pEvent) {
  if (pWatched == m_pField && pEvent->type() == QEvent::FocusOut) HandOver();
  return QDialog::eventFilter(pWatched, pEvent);
}

void CEntryDialog::done(int nResult) {
  // Enter in the field closes the dialog without the field losing the focus first; the
  // entry is read all the same, as it is when the dialog's window goes.
  HandOver();
  QDialog::done(nResult);
}

int CEntryDialog::Run(CKvillView* pView, const CEntryDialogText& text, QWidget* pParent) {
  std::unique_ptr<CEntryDialog> pDialog;
  if (text.nTemplate == 418) {
    pDialog = std::make_unique<Dial13>(pView, pParent);
  } else {
    pDialog = std::make_unique<NPolEnter>(pView, pParent);
  }
  s_pOpen = pDialog.get();
  const int nResult = pDialog->exec() == QDialog::Accepted ? IDOK : IDCANCEL;
  s_pOpen = nullptr;
  return nResult;
}

NPolEnter::NPolEnter(CKvillView* pView, QWidget* pParent)
    : CEntryDialog(pView, TextsOf(pView, 412), pParent) {}

Dial13::Dial13(CKvillView* pView, QWidget* pParent)
    : CEntryDialog(pView, TextsOf(pView, 418), pParent) {
  if (pView != nullptr && pView->GetDocument() != nullptr) {
    pView->Cursor().m_bHoverSuppressed = 1;
  }
}

Dial13::~Dial13() {
  if (View() != nullptr && View()->GetDocument() != nullptr) {
    View()->Cursor().m_bHoverSuppressed = 0;
  }
}
