#pragma once

#include <QMainWindow>
#include <QProcess>
#include <QString>

class CPictureSite;
class QLabel;

// A document window with an embedded Valendra drawing: a page of text with the drawing's
// picture in it, and a toolbar with an area the editor may put its own toolbar into. A
// double click on the picture starts the editor in place; the editor's news come as lines
// on its standard output, and the container asks it to finish with a line on its standard
// input (README, "Embedding Valendra").
class CContainerWindow : public QMainWindow {
  Q_OBJECT
 public:
  // strFile: the drawing; strEditor: the editor's program; bTrace: every line exchanged and
  // every picture shown is written on standard output.
  CContainerWindow(const QString& strFile, const QString& strEditor, bool bTrace);

  // Starts editing the drawing in place (the double click on it does this).
  void BeginEditing();
  // Asks the editor to give the drawing back (a click on the page outside it does this).
  void RequestDeactivate();
  bool IsEditing() const { return m_editor.state() != QProcess::NotRunning; }

 protected:
  void closeEvent(QCloseEvent* pEvent) override;
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

 private:
  void OnEditorOutput();
  void OnEditorLine(const QString& strLine);
  void OnEditorFinished(int nExitCode, QProcess::ExitStatus status);
  void ShowPicture();
  void Trace(const QString& strLine) const;
  QString IdleText() const;

  QString m_strFile;
  QString m_strEditor;
  bool m_bTrace;
  CPictureSite* m_pPicture;
  QWidget* m_pBarArea;            // where the editor's toolbar goes
  QWidget* m_pBarSite = nullptr;  // the native window lent for it while editing
  QWidget* m_pPage;
  QProcess m_editor;
  QByteArray m_output;
  bool m_bDeactivated = false;
  bool m_bCloseWhenDone = false;
};
