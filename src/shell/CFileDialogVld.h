#pragma once

#include <QFileDialog>

// The Open command's file dialog: it refuses the name of a file that cannot be read, with
// the program's file-not-found message, and stays open.
class CFileDialogVld : public QFileDialog {
  Q_OBJECT
 public:
  CFileDialogVld(QWidget* pParent, const QString& filter, bool bEnglish);

  // Tries to open the path for reading. When that fails, shows the message (without owner
  // window, warning icon) naming the file name part of the path and returns false.
  static bool CheckFileName(const QString& strPath, bool bEnglish);

  // "Desc (*.a)|*.a|All (*.*)|*.*|" as Qt name filters; "*.*" becomes "*".
  static QStringList NameFilters(const QString& filter);

 protected:
  void accept() override;

 private:
  bool m_bEnglish;
};
