#pragma once

#include <QMainWindow>
#include <QPrinter>
#include <QUrl>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/Resources.h"

class CDDrawBar;
class CKvillApp;
class CSettingsRecord;
class CStructureCommands;
class CKvillDoc;
class CKvillView;
class CViewWidget;
class QAction;
class QLabel;
class QPainter;
class QMenu;
class QToolBar;

// The main window: menu bar, toolbar and status bar from the resource tables around the one
// view; it records its size and position for the settings record, filters and routes every
// command, and carries out the file and print commands.
class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  // nSet: 128 for a normal start, 5 for an embedded document in a window of its own.
  CMainFrame(CKvillApp* pApp, CKvillDoc* pDoc, int nSet, res::Language lang);
  ~CMainFrame() override;

  CKvillView* View() const { return m_pView.get(); }
  CViewWidget* ViewWidget() const { return m_pViewWidget; }
  CKvillDoc* Document() const { return m_pDoc; }
  QToolBar* ToolBar() const { return m_pToolBar; }
  int ResourceSet() const { return m_nSet; }
  // The Draw bar of the view; its window exists while the bar is shown.
  CDDrawBar* DrawBar() const { return m_pDrawBar.get(); }
  res::Language Language() const { return m_lang; }

  // Every command of menus, accelerators and toolbar comes here: the filter, then the
  // view, which runs the command's row (the frame's own come back through the view widget
  // to the handlers below).
  void OnCommand(int nId);
  // Whether a command can be chosen now (items of commands not available are disabled).
  bool IsCommandEnabled(int nId) const;
  // The menu actions of a command (the recent-file placeholder included).
  QAction* MenuAction(int nId) const;
  // Refreshes check marks and enabled states of menus and toolbar, and the caption.
  void UpdateCommandUi();
  void UpdateTitle();
  // A new document's title: the second field of the document template string; no path.
  void SetDefaultTitle();

  // Timers of the view window that the shell carries out; true when handled.
  bool OnViewTimer(int nId);
  void OnViewPainted();
  // What the frame draws over the view's picture in its window: Check Structure's frames.
  void PaintOverlay(QPainter& painter);
  // The drawing as chemistry: its commands and the status bar's formula field.
  CStructureCommands* StructureCommands() const { return m_pStructure; }
  QLabel* StructureField() const { return m_pStructureField; }
  // The status bar's zoom pane: the view's zoom in percent (100 / zoom, rounded).
  QLabel* ZoomField() const { return m_pZoomField; }
  void ShowZoom(double dZoom);
  // Writes one settings record now (a failure is reported once, as for every record).
  void KeepSetting(const char* pszRecord, const char* pszValue);
  QLabel* MessagePane() const { return m_pMessagePane; }
  bool IsEnglish() const;
  const res::MessageTexts& Messages() const;

  // File commands.
  void OnFileNew();
  // What File > New does once the drawing may go: an empty, unmodified, untitled drawing
  // with a fresh history.
  void ResetToNewDocument();
  void OnFileOpen();
  void OnFileSave();
  bool SaveAs();
  bool SaveCopyAs();
  bool WriteDocumentTo();
  void MarkSaved();
  // Save of a drawing that has a path: its file is written anew and the drawing counts as
  // saved; false, after the failure has been shown, when the file could not be written.
  bool SaveToOwnPath();
  bool OpenFileInto(const QString& strPath);
  // Reads a recovered drawing's stream into the document in place of the drawing: it is
  // modified, untitled ("NAME (recovered)") and has no file; strOldPath, its file before
  // (empty if it had none), is what Save As suggests. False when the stream did not read
  // whole (what was read stays).
  bool OpenRecovered(std::span<const std::uint8_t> stream, const QString& strOldPath);
  // Where Save As offers to write a drawing that has no file of its own yet.
  QString m_strSuggestedPath;
  void OnFrameworkSave();
  void OnFrameworkOpen();
  // File > Save Framework: the framework's Save, or in the window of an embedded drawing
  // the update of the container.
  void OnFileSaveFramework();
  void OnRecentFile(int nIndex);
  bool HasRecentFiles() const;
  // Update of the embedded drawing: the container's item writes its native stream into
  // the embedded file and draws its picture beside it (the file's name with ".svg");
  // false (after a message) when either could not be written.
  bool UpdateEmbeddedFile();
  // The kill protocol of a closing embedding server, run by the application.
  void RunKillProtocol();
  // File > Export Picture: asks for a file name (in the folder of the last export) and
  // writes the picture there as --export does; ExportPictureTo writes it and reports a
  // failure with the path and the reason. False when nothing was written.
  void OnFileExportPicture();
  bool ExportPictureTo(const QString& strPath);
  // Where the Export Picture dialog opens: the last export's folder, the drawing's name.
  QString InitialExportPath() const;
  // Where an export dialog opens: the folder of the last such export (kept under
  // pszFolderKey), else the drawing's folder or the home folder; the drawing's name (else
  // strDefaultName) with the type kept under pszTypeKey if isType takes it (else
  // strDefaultType).
  QString ExportStartPath(const char* pszFolderKey, const char* pszTypeKey,
                          const std::function<bool(const std::string&)>& isType,
                          const QString& strDefaultType, const QString& strDefaultName) const;
  // Asks for the file of an export (nDialog a CShellUi::FileDialog) and remembers its folder
  // and type under the keys; an empty path when cancelled.
  QString AskExportPath(int nDialog, const char* pszFilter, const QString& strInitial,
                        const char* pszFolderKey, const char* pszTypeKey);
  // The settings that remember the last export's folder and file type.
  static constexpr const char* kExportFolderKey = "Software\\Valendra\\Valendra\\Export\\Folder";
  static constexpr const char* kExportTypeKey = "Software\\Valendra\\Valendra\\Export\\Type";
  // PNG pictures are written at this many pixels per inch, as --export writes them.
  static constexpr int kExportDpi = 300;
  // Files dropped on the window: each is opened by name, after the save question.
  void OpenDroppedFiles(const QList<QUrl>& urls);

  // Printing: the drawing painted in direct mode, with the view's mapping or, with Fit
  // Drawing to Page on, scaled whole into the printable area and centred there.
  void PrintTo(QPrinter* pPrinter);
  QPrinter& Printer() { return m_printer; }
  void OnFilePrint();
  void OnFilePrintPreview();
  // Page Setup: Qt's page dialog with the Fit Drawing to Page check box; what is chosen
  // counts when the dialog is accepted.
  void OnFilePrintSetup();
  bool FitToPage() const;
  // Page Setup accepted: the option as chosen, recorded in the settings when it changed.
  void SetFitToPage(bool bOn);
  // The setting of Fit Drawing to Page: "1" on, anything else or none off.
  static constexpr const char* kFitToPageKey = "Printing\\FitToPage";

  void OnAbout();
  // The status bar shown or hidden, after the command's filter has turned the view's flag.
  void OnViewStatusBar();
  // The program starts anew in the language (1029 Czech, 1033 English), after the save
  // question; Cancel leaves everything as it was.
  void OnLanguage(int nLanguageId);

  // The settings record and the language record from the view's fields (the view's end).
  void SaveSettings();

  std::int32_t m_bStartingUp = 1;

 protected:
  void closeEvent(QCloseEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void moveEvent(QMoveEvent* pEvent) override;
  void changeEvent(QEvent* pEvent) override;
  // Files dropped on the window (QMainWindow keeps drops for its own docking otherwise).
  bool event(QEvent* pEvent) override;
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

 private:
  friend class CKvillApp;

  void BuildMenus();
  void AddMenuItems(QMenu* pMenu, std::span<const res::MenuItem> items);
  void BuildToolBar();
  void BuildStatusBar();
  void ReadSettings();
  // The settings record of the view's fields and the Draw bar's placement as they are now.
  CSettingsRecord RecordFromView() const;
  void RebuildRecentFiles();
  void RecordWindowState();
  // Reads a file into the document in place of the drawing and makes it the document's file;
  // a file that cannot be read is reported and changes nothing. A file that holds no
  // complete drawing leaves what was read in an untitled document and returns false.
  bool ReadFileInto(const QString& strPath);
  bool StoreTo(const QString& strPath, bool bClearModifiedOnStore);
  // The file filter of the framework's own Open and Save dialogs.
  QString FrameworkFilter() const;
  void SetDocumentPath(const QString& strPath);
  bool SaveModified();

  CKvillApp* m_pApp;
  CKvillDoc* m_pDoc;
  int m_nSet;
  res::Language m_lang;
  CViewWidget* m_pViewWidget;
  std::unique_ptr<CKvillView> m_pView;
  std::unique_ptr<CDDrawBar> m_pDrawBar;
  QToolBar* m_pToolBar = nullptr;
  QLabel* m_pMessagePane = nullptr;
  QLabel* m_pZoomField = nullptr;
  long m_nZoomShown = -1;  // the percent the zoom pane shows
  QLabel* m_pStructureField = nullptr;
  CStructureCommands* m_pStructure = nullptr;  // a child of the frame
  QMenu* m_pFileMenu = nullptr;
  QAction* m_pRecentPlaceholder = nullptr;
  std::vector<QAction*> m_recentActions;
  std::map<int, std::vector<QAction*>> m_actions;  // command -> menu and toolbar actions
  QPrinter m_printer;
  bool m_bFirstPaintSeen = false;
  // The Draw bar's placement as read from the settings record, written back unchanged.
  std::array<std::int32_t, 11> m_drawBarPlacement{};
};
