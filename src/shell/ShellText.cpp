#include "shell/ShellText.h"

#include <QStringList>

QString FormatS(const char* pszFormat, const QString& arg) {
  QString text = QString::fromUtf8(pszFormat);
  const int at = text.indexOf(QLatin1String("%s"));
  if (at >= 0) text.replace(at, 2, arg);
  return text;
}

QString FileNamePart(const QString& strPath) {
  const int slash =
      std::max(strPath.lastIndexOf(QLatin1Char('/')), strPath.lastIndexOf(QLatin1Char('\\')));
  return slash < 0 ? strPath : strPath.mid(slash + 1);
}

QString TemplateField(const char* pszTemplate, int n) {
  const QStringList fields = QString::fromUtf8(pszTemplate).split(QLatin1Char('\n'));
  return n >= 0 && n < fields.size() ? fields[n] : QString();
}
