#pragma once

#include <QDialog>
#include <string>

#include "view/IViewHost.h"

class CKvillView;
class QLineEdit;

// The shape the two entry dialogs share: a caption, a prompt, the edit field 1066, OK and
// Cancel, laid out as their templates in dialog units. The dialog checks nothing itself:
// whenever the field loses the focus, and when the dialog closes, it hands the field's text
// to the view, which reads it into its fields.
class CEntryDialog : public QDialog {
 public:
  CEntryDialog(CKvillView* pView, const CEntryDialogText& text, QWidget* pParent = nullptr);
  ~CEntryDialog() override;

  QLineEdit* Field() const { return m_pField; }
  CKvillView* View() const { return m_pView; }
  // Timer 1118: the focus to the field. Timer 1120: a text into the field, all selected.
  void FocusField();
  void SetFieldText(const std::string& strText);

  void done(int nResult) override;

  // What a window host needs for IViewHost::DoEntryDialog, FocusEntryField and
  // SetEntryFieldText: runs the dialog modally, remembering it as the open one.
  static int Run(CKvillView* pView, const CEntryDialogText& text, QWidget* pParent);
  static CEntryDialog* Open() { return s_pOpen; }

 protected:
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

 private:
  void HandOver();

  CKvillView* m_pView;
  int m_nTemplate;
  QLineEdit* m_pField;
  static CEntryDialog* s_pOpen;
};

// The vertex-count dialog of the polygon tools (template 412).
class NPolEnter : public CEntryDialog {
 public:
  NPolEnter(CKvillView* pView, QWidget* pParent = nullptr);
};

// The custom line thickness dialog (template 418). While it exists the view's hover
// feedback stays off.
class Dial13 : public CEntryDialog {
 public:
  Dial13(CKvillView* pView, QWidget* pParent = nullptr);
  ~Dial13() override;
};
