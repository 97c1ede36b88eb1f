#include "shell/CFileDialogVld.h"

#include <cstdio>

#include "resources/Resources.h"
#include "shell/CShellUi.h"
#include "shell/ShellText.h"

CFileDialogVld::CFileDialogVld(QWidget* pParent, const QString& filter, bool bEnglish)
    : QFileDialog(pParent), m_bEnglish(bEnglish) {
  // Only the widget-based dialog lets the program check the name before it closes.
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::AnyFile);
  setDefaultSuffix(QStringLiteral("vld"));
  setNameFilters(NameFilters(filter));
}

QStringList CFileDialogVld::NameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i];
    QString pattern = parts[i + 1];
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    const int open = desc.lastIndexOf(QLatin1Char('('));
    if (open > 0) desc = desc.left(open).trimmed();
    out << QStringLiteral("%1 (%2)").arg(desc, pattern);
  }
  return out;
}

bool CFileDialogVld::CheckFileName(const QString& strPath, bool bEnglish) {
  const QByteArray native = strPath.toLocal8Bit();
  if (std::FILE* f = std::fopen(native.constData(), "r")) {
    std::fclose(f);
    return true;
  }
  const res::MessageTexts& m =
      res::Messages(bEnglish ? res::Language::English : res::Language::Czech);
  CShellUi::MessageBox(nullptr, FormatS(m.dialogNotFound, FileNamePart(strPath)),
                       QString::fromUtf8(m.openCaption), CShellUi::kIconWarning);
  return false;
}

void CFileDialogVld::accept() {
  const QStringList files = selectedFiles();
  if (files.isEmpty()) return;
  const QString path = files.first();
  // A folder is entered, as the dialog does by itself.
  if (QFileInfo(path).isDir()) {
    QFileDialog::accept();
    return;
  }
  if (!CheckFileName(path, m_bEnglish)) return;
  QFileDialog::accept();
}
