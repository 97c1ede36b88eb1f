#include "shell/CKvillApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <QWindow>

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "platform/CContainerChannel.h"
#include "platform/CInPlaceSite.h"
#include "platform/CProcessControl.h"
#include "platform/CRecoveryFile.h"
#include "platform/CSettingsRecord.h"
#include "resources/CommandIds.h"
#include "resources/RecoveryTexts.h"
#include "shell/CCopyRequest.h"
#include "shell/CInPlaceFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CRecoveryKeeper.h"
#include "shell/CShellUi.h"
#include "shell/CViewWidget.h"
#include "view/CKvillView.h"

namespace {

constexpr int kRecentFileCount = 4;

// The language of the interface from the language record: Czech for 1029; any other
// identifier has no tables of its own and gets the English ones; a missing or zero record
// follows the user's language.
res::Language LanguageFromRecord(const std::optional<std::string>& record) {
  const std::uint16_t wId = record ? ParseLanguageRecord(*record) : 0;
  const int nId = wId != 0 ? wId : CViewWidget::SystemUiLanguage();
  return nId == 1029 ? res::Language::Czech : res::Language::English;
}

bool IsSwitch(const QString& arg, const char* pszName) {
  for (const char* prefix : {"--", "-", "/"}) {
    if (arg.compare(QLatin1String(prefix) + QLatin1String(pszName), Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

CKvillApp::CKvillApp(std::unique_ptr<CSettingsStore> pStore)
    : m_startNewInstance(
          [](const QStringList& args) { return CProcessControl::StartNewInstance(args); }),
      m_fnOpenSite(&CInPlaceSite::Open),
      m_fnExit([](int nStatus) { QCoreApplication::exit(nStatus); }),
      m_pStore(std::move(pStore)) {
  if (!m_pStore) m_pStore = std::make_unique<CSettingsStore>();
  m_lang = LanguageFromRecord(m_pStore->Read(CSettingsStore::kLanguage));
}

CKvillApp::~CKvillApp() {
  // The in-place frame gives the view back before the main frame (with the view) goes,
  // and the frame before the document it shows.
  m_pRecovery.reset();
  m_pCopyRequest.reset();
  m_pChannel.reset();
  m_pInPlaceFrame.reset();
  m_pFrame.reset();
  m_pDoc.reset();
  if (m_pQtTranslator) QCoreApplication::removeTranslator(m_pQtTranslator.get());
}

void CKvillApp::InstallQtTranslations() {
  if (m_lang != res::Language::Czech || m_pQtTranslator) return;
  auto pTranslator = std::make_unique<QTranslator>();
  // Without the translations installed, Qt's dialogs simply stay in English.
  if (!pTranslator->load(QStringLiteral("qtbase_cs"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return;
  }
  QCoreApplication::installTranslator(pTranslator.get());
  m_pQtTranslator = std::move(pTranslator);
}

CKvillApp::CommandLine CKvillApp::ParseCommandLine(const QStringList& args) {
  CommandLine cl;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (IsSwitch(arg, "Embedding")) {
      cl.bEmbedding = true;
    } else if (IsSwitch(arg, "Automation")) {
      cl.bAutomation = true;
    } else if (IsSwitch(arg, "in-place")) {
      // The site's window, then the toolbar area's window if the container lends one.
      cl.bInPlace = true;
      for (QString* pId : {&cl.strSite, &cl.strToolBarSite}) {
        if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1Char('-'))) break;
        *pId = args[++i];
      }
    } else if (IsSwitch(arg, "recover")) {
      cl.bRecover = true;
      if (i + 1 < args.size()) cl.strRecover = args[++i];
    } else if (arg.startsWith(QLatin1Char('-'))) {
      // Other switches are not the editor's to act on.
    } else if (cl.strFile.isEmpty()) {
      cl.strFile = arg;
    }
  }
  return cl;
}

bool CKvillApp::InitInstance(const QStringList& args) {
  InstallQtTranslations();
  // Writes of the settings that were killed half-way leave nothing behind for long.
  m_pStore->RemoveLeftovers();
  // The recent-file list of four entries.
  LoadRecentFiles();

  const CommandLine cl = ParseCommandLine(args);
  m_bEmbedded = (cl.bEmbedding || cl.bAutomation) ? 1 : 0;
  if (m_bEmbedded) m_strEmbeddedPath = cl.strFile;
  // A file named on the command line opens once the window exists.
  if (!cl.strFile.isEmpty()) m_strOpenAtStart = cl.strFile;
  // A container's window that cannot be used ends the start before anything is made.
  if (cl.bInPlace && !OpenInPlaceSites(cl)) return false;

  // The document, then the frame, whose creation makes the view, the bars and reads the
  // settings record.
  m_pDoc = std::make_unique<CKvillDoc>();
  m_pFrame = std::make_unique<CMainFrame>(this, m_pDoc.get(),
                                          m_bEmbedded ? res::kSetEmbedded : res::kSetMain, m_lang);
  CMainFrame* pFrame = m_pFrame.get();
  CKvillView* pView = pFrame->View();
  // The shell command of a start is a new document (a file named is opened later).
  m_pDoc->OnNewDocument();
  m_pDoc->SetModifiedFlag(false);
  pFrame->SetDefaultTitle();

  pView->Embedding().SetEmbedded(m_bEmbedded != 0);
  pFrame->setAcceptDrops(!m_bEmbedded);
  // The container connects: it holds the document's embedded item from now on.
  if (m_bEmbedded) m_pDoc->OnGetEmbeddedItem();
  // Drawings not saved are kept for recovery; an ordinary start offers those that editors
  // now gone left behind.
  m_pRecovery = std::make_unique<CRecoveryKeeper>(pFrame, recovery::Folder());
  m_pRecovery->m_fnStartInstance = [this](const QStringList& a) { return m_startNewInstance(a); };
  m_strRecoverAtStart = cl.strRecover;
  m_bOfferRecovery = !m_bEmbedded && !cl.bInPlace && cl.strRecover.isEmpty();
  // Other programs may ask for a copy of the drawing; without a session bus nobody can.
  m_pCopyRequest = std::make_unique<CCopyRequest>(pView);
  m_pCopyRequest->Register();

  if (m_pSite) {
    if (!ActivateInPlace()) return false;
  } else {
    ShowMainFrame();
  }
  pFrame->UpdateTitle();
  pFrame->UpdateCommandUi();

  m_pDoc->m_bQuietLoad = 0;
  CViewWidget* pHost = pFrame->ViewWidget();
  pHost->SetTimer(TIMER_RESET_HISTORY, 10);
  pHost->SetTimer(TIMER_KILL_MAILBOX, 20);
  pHost->SetTimer(TIMER_CURSOR_FEEDBACK, 10);
  QTimer::singleShot(0, pFrame, [this] { OnFirstIdle(); });
  m_pRecovery->Start();
  return true;
}

void CKvillApp::RecoverAtStart() {
  if (m_bRecoveryOffered || !m_pRecovery) return;
  m_bRecoveryOffered = true;
  if (!m_strRecoverAtStart.isEmpty()) {
    m_pRecovery->RecoverFile(m_strRecoverAtStart);
  } else if (m_bOfferRecovery) {
    m_pRecovery->OfferOrphans();
  }
  if (m_pFrame) m_pFrame->UpdateTitle();
}

bool CKvillApp::WriteSetting(const char* pszRecord, const std::string& strValue) {
  QString reason;
  if (m_pStore->Write(pszRecord, strValue, &reason)) {
    m_bSettingsFailureShown = false;
    return true;
  }
  if (!m_bSettingsFailureShown) {
    m_bSettingsFailureShown = true;
    CShellUi::MessageBox(
        m_pFrame.get(),
        QString::fromUtf8(res::Recovery(m_lang).settingsFailed).arg(m_pStore->FilePath(), reason),
        QString::fromUtf8(res::Messages(m_lang).errorCaption), CShellUi::kIconError);
  }
  return false;
}

void CKvillApp::ShowMainFrame() {
  CMainFrame* pFrame = m_pFrame.get();
  CKvillView* pView = pFrame->View();
  if (pView->Settings().m_bToolBarHidden == 1) pFrame->ToolBar()->hide();
  if (pView->Settings().m_bStatusBarVisible == 0) {
    // The status bar command toggles the flag back to 0 and hides the bar.
    pView->Settings().m_bStatusBarVisible = 1;
    pFrame->OnCommand(cmd::kViewStatusBar);
  }
  if (pView->Settings().m_bMainRectValid == 1) {
    const CRect& rc = pView->Settings().m_rcMainWnd;
    pFrame->setGeometry(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    pFrame->show();
  } else {
    pView->Settings().m_bMaximized = 0;
    pFrame->show();
    const QRect r = pFrame->geometry();
    pView->Settings().m_rcMainWnd =
        CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
}

bool CKvillApp::OpenInPlaceSites(const CommandLine& cl) {
  if (!m_bEmbedded || cl.strFile.isEmpty()) {
    m_strStartError = QStringLiteral("--in-place needs --embedding FILE, the drawing to edit");
    return false;
  }
  if (cl.strSite.isEmpty()) {
    m_strStartError = QStringLiteral(
        "--in-place needs the id of the container's window (decimal, or hexadecimal with 0x)");
    return false;
  }
  m_pSite = m_fnOpenSite(cl.strSite, &m_strStartError);
  if (m_pSite && !cl.strToolBarSite.isEmpty()) {
    m_pToolBarSite = m_fnOpenSite(cl.strToolBarSite, &m_strStartError);
    if (!m_pToolBarSite) m_pSite.reset();
  }
  return m_pSite != nullptr;
}

bool CKvillApp::ActivateInPlace() {
  CMainFrame* pFrame = m_pFrame.get();
  CKvillView* pView = pFrame->View();
  // The container's double click is the verb that shows the drawing: the kill protocol is
  // for a server that nobody shows, not for one that ends with its editing.
  pView->Embedding().SetKillArmed(false);
  // The main window is not shown, so it has no state to restore.
  pView->Settings().m_bApplyShowState = 0;
  m_pInPlaceFrame = std::make_unique<CInPlaceFrame>(pFrame);
  if (!m_pInPlaceFrame->Create(std::move(m_pSite)) ||
      !m_pInPlaceFrame->CreateControlBars(std::move(m_pToolBarSite))) {
    m_strStartError = QStringLiteral("the in-place frame could not be created");
    return false;
  }
  // The drawing is read before the container may ask for it back: a request that came
  // before would write the empty drawing over the file.
  if (!m_strOpenAtStart.isEmpty()) {
    const QString path = m_strOpenAtStart;
    m_strOpenAtStart.clear();
    pFrame->OpenFileInto(path);
  }

  m_pChannel = std::make_unique<CContainerChannel>(m_nContainerIn, m_pContainerOut);
  CInPlaceFrame* pInPlace = m_pInPlaceFrame.get();
  CContainerChannel* pChannel = m_pChannel.get();
  pInPlace->m_fnSizeChanged = [pChannel](QSize sz) { pChannel->SendSize(sz.width(), sz.height()); };
  pInPlace->m_fnStatusText = [pChannel](const QString& strText) {
    const QString line = QString(strText).replace(QLatin1Char('\n'), QLatin1Char(' '));
    pChannel->Send(line.isEmpty() ? QStringLiteral("status") : QStringLiteral("status ") + line);
  };
  pInPlace->m_fnDeactivated = [this, pChannel](bool bUpdated) {
    pChannel->Send(QStringLiteral("deactivated"));
    m_fnExit(bUpdated ? 0 : 1);
  };
  pChannel->m_fnDeactivate = [pInPlace] { pInPlace->Deactivate(); };
  pChannel->m_fnUnknown = [](const QString& strLine) {
    std::fprintf(stderr, "valendra: '%s' is no request of the in-place protocol\n",
                 qPrintable(strLine));
  };
  pInPlace->Activate();
  pChannel->Send(QStringLiteral("activated"));
  return true;
}

void CKvillApp::OnFirstIdle() {
  if (!m_pFrame) return;
  m_pFrame->ViewWidget()->SetTimer(TIMER_FIRST_IDLE, 100);
  m_pFrame->ViewWidget()->SetTimer(TIMER_CZECH_TITLE, 500);
}

void CKvillApp::ExitInstance() {
  if (!m_pFrame) return;
  // A normal end: whatever was not saved was the user's to discard.
  if (m_pRecovery) m_pRecovery->EndNormally();
  // The document closes while the view still lives: its server items go, and the
  // container's item of a server still armed sets off the kill protocol as it goes.
  m_pDoc->ReleaseServerItems();
}

void CKvillApp::RunKillProtocol() {
  // Once: the new instance ends this process, whatever else goes after it.
  if (m_bKillProtocolRun) return;
  m_bKillProtocolRun = true;
  WriteSetting(CSettingsStore::kKill, std::to_string(CProcessControl::CurrentProcessId()));
  if (m_startNewInstance) m_startNewInstance({});
}

CKvillDoc* CKvillApp::OpenDocumentFile(const QString& strPath) {
  if (!m_pFrame) return nullptr;
  if (!m_pFrame->SaveModified()) return nullptr;
  return m_pFrame->OpenFileInto(strPath) ? m_pDoc.get() : nullptr;
}

void CKvillApp::LoadRecentFiles() {
  m_recentFiles.clear();
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const std::string key = std::string(kRecentFileKey) + "\\File" + std::to_string(i);
    const auto value = m_pStore->Read(key.c_str());
    if (value && !value->empty()) m_recentFiles << QString::fromStdString(*value);
  }
}

void CKvillApp::SaveRecentFiles() {
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const std::string key = std::string(kRecentFileKey) + "\\File" + std::to_string(i);
    const QString value = i <= m_recentFiles.size() ? m_recentFiles[i - 1] : QString();
    if (!WriteSetting(key.c_str(), value.toStdString())) break;
  }
}

void CKvillApp::AddToRecentFileList(const QString& strPath) {
  if (strPath.isEmpty()) return;
  m_recentFiles.removeAll(strPath);
  m_recentFiles.prepend(strPath);
  while (m_recentFiles.size() > kRecentFileCount) m_recentFiles.removeLast();
  SaveRecentFiles();
}

void CKvillApp::RemoveFromRecentFileList(int nIndex) {
  if (nIndex < 0 || nIndex >= m_recentFiles.size()) return;
  m_recentFiles.removeAt(nIndex);
  SaveRecentFiles();
}
