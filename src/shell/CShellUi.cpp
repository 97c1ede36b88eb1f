#include "shell/CShellUi.h"

#include <QFileDialog>
#include <QMessageBox>
#include <utility>

#include "shell/CFileDialogVld.h"

namespace {

CShellUi::MessageHandler& MessageHandlerSlot() {
  static CShellUi::MessageHandler handler;
  return handler;
}

CShellUi::FileHandler& FileHandlerSlot() {
  static CShellUi::FileHandler handler;
  return handler;
}

}  // namespace

void CShellUi::SetMessageHandler(MessageHandler handler) {
  MessageHandlerSlot() = std::move(handler);
}

void CShellUi::SetFileHandler(FileHandler handler) { FileHandlerSlot() = std::move(handler); }

int CShellUi::MessageBox(QWidget* pOwner, const QString& text, const QString& caption,
                         unsigned flags) {
  if (MessageHandlerSlot()) return MessageHandlerSlot()(text, caption, flags);

  QMessageBox box(pOwner);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (flags & 0xF0) {
    case kIconError:
      box.setIcon(QMessageBox::Critical);
      break;
    case kIconWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case kIconInformation:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  switch (flags & 0x0F) {
    case kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    case QMessageBox::Cancel:
      return kIdCancel;
    default:
      return (flags & 0x0F) == kOk ? kIdOk : kIdCancel;
  }
}

QString CShellUi::GetFileName(QWidget* pOwner, FileDialog kind, const QString& filter,
                              const QString& initialName, bool bEnglish) {
  if (FileHandlerSlot()) return FileHandlerSlot()(kind, filter, initialName);

  if (kind == FileDialog::Open) {
    CFileDialogVld dlg(pOwner, filter, bEnglish);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
  }
  QFileDialog dlg(pOwner);
  dlg.setNameFilters(CFileDialogVld::NameFilters(filter));
  dlg.setDefaultSuffix(QStringLiteral("vld"));
  if (kind == FileDialog::OpenFramework) {
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
  } else {
    // Saving asks before an existing file is replaced (the dialog's default).
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    if (!initialName.isEmpty()) dlg.selectFile(initialName);
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().first();
}
