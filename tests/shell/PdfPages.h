#pragma once

// The first page of a PDF file as an image, drawn by poppler's pdftoppm, so that a test
// can look at what a PDF shows rather than at its bytes.
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

inline QImage FirstPdfPage(const QString& strPdf, int nDpi) {
  const QString strBase = strPdf + QStringLiteral(".page");
  QProcess p;
  p.start(QStringLiteral("pdftoppm"),
          {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-r"),
           QString::number(nDpi), strPdf, strBase});
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    return {};
  }
  return QImage(strBase + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}
