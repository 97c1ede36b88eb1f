#pragma once

#include <QDialog>

#include "resources/Resources.h"

// The About box: the program's picture, its caption in the interface language, a few lines
// and an OK button.
class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CAboutDlg(QWidget* pParent, res::Language lang);
};
