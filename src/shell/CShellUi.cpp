#include "shell/CShellUi.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <utility>
#include <vector>

#include "resources/CommandIds.h"
#include "resources/Resources.h"
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

CShellUi::ChoiceHandler& ChoiceHandlerSlot() {
  static CShellUi::ChoiceHandler handler;
  return handler;
}

// The Export Picture and Export Structure dialogs (see FileDialog::ExportPicture).
QString GetExportName(QWidget* pOwner, CShellUi::FileDialog kind, const QString& filter,
                      const QString& initialName, bool bEnglish) {
  const bool bPicture = kind == CShellUi::FileDialog::ExportPicture;
  QFileDialog dlg(pOwner);
  dlg.setObjectName(bPicture ? QStringLiteral("ExportPictureDialog")
                             : QStringLiteral("ExportStructureDialog"));
  // The title is the command's tooltip, "Export Picture" in the language of the menus.
  const QString prompt = QString::fromUtf8(
      res::PromptString(bPicture ? cmd::kFileExportPicture : cmd::kFileExportStructure,
                        bEnglish ? res::Language::English : res::Language::Czech));
  dlg.setWindowTitle(prompt.mid(prompt.indexOf(QLatin1Char('\n')) + 1));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  const QStringList filters = CFileDialogVld::NameFilters(filter);
  dlg.setNameFilters(filters);
  const QFileInfo initial(initialName);
  dlg.setDirectory(initial.absolutePath());
  QString suffix = initial.suffix().toLower();
  for (const QString& f : filters) {
    if (CShellUi::SuffixOfFilter(f) == suffix) dlg.selectNameFilter(f);
  }
  suffix = CShellUi::SuffixOfFilter(dlg.selectedNameFilter());
  dlg.setDefaultSuffix(suffix);
  dlg.selectFile(initial.fileName());
  const auto isOfferedType = [&filters](const QString& s) {
    for (const QString& f : filters) {
      if (CShellUi::SuffixOfFilter(f) == s.toLower()) return true;
    }
    return false;
  };
  // Choosing another type renames a file already named, as its extension would lie.
  QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&](const QString& f) {
    const QString newSuffix = CShellUi::SuffixOfFilter(f);
    dlg.setDefaultSuffix(newSuffix);
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty()) return;
    const QFileInfo name(chosen.first());
    if (isOfferedType(name.suffix())) dlg.selectFile(name.completeBaseName() + u'.' + newSuffix);
  });
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  QString path = dlg.selectedFiles().first();
  if (!isOfferedType(QFileInfo(path).suffix())) {
    path += u'.' + CShellUi::SuffixOfFilter(dlg.selectedNameFilter());
  }
  return path;
}

}  // namespace

QString CShellUi::SuffixOfFilter(const QString& nameFilter) {
  static const QRegularExpression kPattern(QStringLiteral("\\*\\.(\\w+)"));
  const QRegularExpressionMatch m = kPattern.match(nameFilter);
  return m.hasMatch() ? m.captured(1).toLower() : QString();
}

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

  if (kind == FileDialog::ExportPicture || kind == FileDialog::ExportStructure)
    return GetExportName(pOwner, kind, filter, initialName, bEnglish);
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

void CShellUi::SetChoiceHandler(ChoiceHandler handler) { ChoiceHandlerSlot() = std::move(handler); }

int CShellUi::Choose(QWidget* pOwner, const QString& text, const QString& caption,
                     const QStringList& buttons, int nDefault, int nEscape) {
  if (ChoiceHandlerSlot()) return ChoiceHandlerSlot()(text, caption, buttons);
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, pOwner);
  std::vector<QPushButton*> pushed;
  for (const QString& b : buttons) pushed.push_back(box.addButton(b, QMessageBox::ActionRole));
  if (nDefault >= 0 && nDefault < int(pushed.size())) box.setDefaultButton(pushed[nDefault]);
  if (nEscape >= 0 && nEscape < int(pushed.size())) box.setEscapeButton(pushed[nEscape]);
  box.exec();
  for (std::size_t i = 0; i < pushed.size(); ++i) {
    if (box.clickedButton() == pushed[i]) return static_cast<int>(i);
  }
  return nEscape;
}
