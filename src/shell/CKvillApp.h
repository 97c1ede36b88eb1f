#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "platform/CSettingsStore.h"
#include "resources/Resources.h"
#include "view/CAppSettings.h"

class CContainerChannel;
class CCopyRequest;
class CRecoveryKeeper;
class CInPlaceFrame;
class CKvillDoc;
class CMainFrame;
class QTranslator;
class QWindow;

// The application object: chooses the interface language from the language record before
// any text is loaded, parses the command line, creates the document, the main frame and the
// view in the start-up order, keeps the recent-file list and opens documents by name.
class CKvillApp {
 public:
  // Reads the language record of the store (the default store when none is given).
  explicit CKvillApp(std::unique_ptr<CSettingsStore> pStore = nullptr);
  CKvillApp(const CKvillApp&) = delete;
  CKvillApp& operator=(const CKvillApp&) = delete;
  ~CKvillApp();

  // The command line: the embedding or automation switch in any of its spellings, the
  // file to open, and the container's windows of an in-place start (--in-place WINDOW
  // [TOOLBARWINDOW]). Unknown switches are ignored.
  struct CommandLine {
    bool bEmbedding = false;
    bool bAutomation = false;
    QString strFile;
    bool bInPlace = false;
    QString strSite;
    QString strToolBarSite;
    // --recover FILE: the recovery file an editor that offered it handed to this one.
    bool bRecover = false;
    QString strRecover;
  };
  static CommandLine ParseCommandLine(const QStringList& args);

  // The start-up sequence; args without the program name. False ends the process, with
  // the reason in m_strStartError when it is the command line's fault.
  bool InitInstance(const QStringList& args);
  QString m_strStartError;
  // The first idle moment of the message loop.
  void OnFirstIdle();
  // The end of the program: an embedding server that is still armed leaves its identifier
  // in the kill record for a new instance to end it.
  void ExitInstance();
  // The kill protocol of an embedding server that closes: its process identifier goes into
  // the kill record and a new instance starts, which ends this one. Runs once.
  void RunKillProtocol();

  // Opens a document by name after the save question; null when it was not opened.
  CKvillDoc* OpenDocumentFile(const QString& strPath);

  // The recent-file list of four entries, the most recent first.
  const QStringList& RecentFiles() const { return m_recentFiles; }
  void AddToRecentFileList(const QString& strPath);
  void RemoveFromRecentFileList(int nIndex);

  CMainFrame* MainFrame() const { return m_pFrame.get(); }
  // The in-place frame of an in-place start, else null.
  CInPlaceFrame* InPlaceFrame() const { return m_pInPlaceFrame.get(); }
  CKvillDoc* Document() const { return m_pDoc.get(); }
  // The language, window and bar placement kept between runs; the view reads them.
  CAppSettings& Settings() { return m_settings; }
  CSettingsStore& Store() const { return *m_pStore; }
  // Writes a record of the settings; a failure is shown once until a write succeeds again
  // (the settings are written often, and saying it again helps nobody).
  bool WriteSetting(const char* pszRecord, const std::string& strValue);
  // The recovery of drawings that were not saved.
  CRecoveryKeeper* Recovery() const { return m_pRecovery.get(); }
  // Once the start-up has reset the history (and opened the file named, if any): offers
  // the recovery files of editors that are gone, or opens the one handed to this editor.
  void RecoverAtStart();
  res::Language InterfaceLanguage() const { return m_lang; }

  // Starts another instance of the program with the given arguments (the language switch,
  // the kill protocol).
  std::function<bool(const QStringList& args)> m_startNewInstance;
  // The program whose instances the kill protocol may end (this executable).
  QString m_strProgramFile;

  // In-place editing: how a container's window named on the command line is opened (null
  // with the reason when it cannot be used), where the container's requests come from and
  // its news go, and how the process ends once the editing is over.
  std::function<std::unique_ptr<QWindow>(const QString& strId, QString* pError)> m_fnOpenSite;
  int m_nContainerIn = 0;
  std::FILE* m_pContainerOut = stdout;
  std::function<void(int nStatus)> m_fnExit;

  std::int32_t m_bEmbedded = 0;
  QString m_strOpenAtStart;   // the file named on the command line, opened by timer 1122
  QString m_strEmbeddedPath;  // the embedded drawing's file, written back by Update

  // The framework's record of the recent files, beside the program's own records.
  static constexpr const char* kRecentFileKey = "Software\\Valendra\\Valendra\\Recent File List";

 private:
  void LoadRecentFiles();
  void SaveRecentFiles();
  // Qt's own texts (standard buttons, file, print and colour dialogs) in the interface's
  // language, when Qt has them in it.
  void InstallQtTranslations();
  void ShowMainFrame();
  // The container's windows of an in-place start, opened before anything else is made.
  bool OpenInPlaceSites(const CommandLine& cl);
  bool ActivateInPlace();

  std::unique_ptr<CSettingsStore> m_pStore;
  res::Language m_lang = res::Language::English;
  QStringList m_recentFiles;
  // Before the frame and the view, which keep pointers to it until they go.
  CAppSettings m_settings;
  std::unique_ptr<CKvillDoc> m_pDoc;
  std::unique_ptr<CMainFrame> m_pFrame;
  std::unique_ptr<QTranslator> m_pQtTranslator;
  std::unique_ptr<QWindow> m_pSite;
  std::unique_ptr<QWindow> m_pToolBarSite;
  std::unique_ptr<CContainerChannel> m_pChannel;
  std::unique_ptr<CCopyRequest> m_pCopyRequest;
  std::unique_ptr<CInPlaceFrame> m_pInPlaceFrame;
  std::unique_ptr<CRecoveryKeeper> m_pRecovery;
  bool m_bKillProtocolRun = false;
  bool m_bSettingsFailureShown = false;
  bool m_bRecoveryOffered = false;
  bool m_bOfferRecovery = false;
  QString m_strRecoverAtStart;
};
