#include "shell/ExportPicture.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "document/CArchive.h"
#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "platform/CQtDC.h"
#include "platform/CSvgDC.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

enum class Format { None, Svg, Png, Pdf };

Format FormatOf(const std::string& strPath) {
  const QString path = QString::fromStdString(strPath).toLower();
  if (path.endsWith(QStringLiteral(".svg"))) return Format::Svg;
  if (path.endsWith(QStringLiteral(".png"))) return Format::Png;
  if (path.endsWith(QStringLiteral(".pdf"))) return Format::Pdf;
  return Format::None;
}

// Device units for a length in drawing units (1440 per inch), rounded up.
std::int64_t DeviceUnits(std::int64_t nUnits, int nDpi) {
  return (std::llabs(nUnits) * nDpi + 1439) / 1440;
}

bool WriteBytes(const std::string& strPath, const QByteArray& data, std::string* pError) {
  QSaveFile file(QString::fromStdString(strPath));
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
    *pError = "cannot write " + strPath + ": " + file.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace

int ExportDocument(CKvillDoc& doc, const std::string& strOut, int nDpi, std::string* pError) {
  const Format format = FormatOf(strOut);
  if (format == Format::None) {
    *pError = "the output file must end in .svg, .png or .pdf: " + strOut;
    return 2;
  }
  if (nDpi < 1 || nDpi > 9600) {
    *pError = "--dpi must be between 1 and 9600";
    return 2;
  }

  // Text is measured as the Qt and SVG surfaces measure it, on a reference surface.
  QImage reference(1, 1, QImage::Format_ARGB32_Premultiplied);
  const int nDotsPerMeter = static_cast<int>(std::lround(nDpi / 0.0254));
  reference.setDotsPerMeterX(nDotsPerMeter);
  reference.setDotsPerMeterY(nDotsPerMeter);
  CQtDC referenceDC(&reference);
  CHeadlessViewHost host(&referenceDC);
  CKvillView view(&host, &doc);
  view.OnZoomDefault();

  const CSize ext = view.GetPictureExtent();
  switch (format) {
    case Format::Png: {
      const std::int64_t w = DeviceUnits(ext.cx, nDpi), h = DeviceUnits(ext.cy, nDpi);
      if (w > kMaxExportPixels || h > kMaxExportPixels) {
        *pError = "the picture would be " + std::to_string(w) + " x " + std::to_string(h) +
                  " pixels at " + std::to_string(nDpi) + " pixels per inch, more than " +
                  std::to_string(kMaxExportPixels) +
                  " on a side; choose a smaller --dpi or export SVG or PDF";
        return 1;
      }
      QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32_Premultiplied);
      if (image.isNull()) {
        *pError = "not enough memory for a picture of " + std::to_string(w) + " x " +
                  std::to_string(h) + " pixels";
        return 1;
      }
      image.setDotsPerMeterX(nDotsPerMeter);
      image.setDotsPerMeterY(nDotsPerMeter);
      image.fill(Qt::white);
      {
        CQtDC dc(&image);
        view.DrawPicture(&dc, CSize{static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)});
      }
      QSaveFile file(QString::fromStdString(strOut));
      if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        *pError = "cannot write " + strOut;
        return 1;
      }
      return 0;
    }
    case Format::Svg: {
      // The nominal size is that of the picture at 96 pixels per inch.
      const std::int64_t w = std::max<std::int64_t>(1, DeviceUnits(ext.cx, 96));
      const std::int64_t h = std::max<std::int64_t>(1, DeviceUnits(ext.cy, 96));
      CSvgDC dc(CRect{0, 0, ext.cx, ext.cy}, static_cast<int>(std::min<std::int64_t>(w, 1 << 30)),
                static_cast<int>(std::min<std::int64_t>(h, 1 << 30)));
      view.DrawPicture(&dc);
      const std::string svg = dc.GetSvg();
      return WriteBytes(strOut, QByteArray(svg.data(), static_cast<qsizetype>(svg.size())), pError)
                 ? 0
                 : 1;
    }
    case Format::Pdf: {
      // One page the size of the picture; 1200 device units per inch keep strokes exact.
      constexpr int kPdfDpi = 1200;
      QPdfWriter pdf(QString::fromStdString(strOut));
      pdf.setResolution(kPdfDpi);
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      const QSizeF points(std::abs(ext.cx) / 20.0, std::abs(ext.cy) / 20.0);
      if (!pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch))) {
        *pError = "the picture is too large for a PDF page";
        return 1;
      }
      const std::int64_t w = DeviceUnits(ext.cx, kPdfDpi), h = DeviceUnits(ext.cy, kPdfDpi);
      {
        CQtDC dc(&pdf);
        view.DrawPicture(&dc, CSize{Clamp32(w), Clamp32(h)});
      }
      if (!QFile::exists(QString::fromStdString(strOut))) {
        *pError = "cannot write " + strOut;
        return 1;
      }
      return 0;
    }
    case Format::None:
      break;
  }
  return 2;
}

int ExportFile(const std::string& strIn, const std::string& strOut, int nDpi, std::string* pError) {
  CKvillDoc doc;
  {
    CArchive ar(strIn, CArchive::load);
    if (!ar.IsOpen()) {
      *pError = "cannot open " + strIn;
      return 1;
    }
    doc.m_bScanForHeader = 1;
    doc.m_bReplaceOnLoad = 1;
    const bool bOk = doc.Serialize(ar);
    doc.m_bScanForHeader = 0;
    if (!bOk) {
      *pError = "Error: Incompatible file.";
      return 1;
    }
  }
  return ExportDocument(doc, strOut, nDpi, pError);
}

int RunExportCommand(int argc, char* argv[]) {
  std::string strIn, strOut;
  int nDpi = 300;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--dpi") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || n < 1 || n > 9600) {
        std::fprintf(stderr, "valendra: --dpi needs a number from 1 to 9600\n");
        return 2;
      }
      nDpi = static_cast<int>(n);
    } else if (strIn.empty()) {
      strIn = arg;
    } else if (strOut.empty()) {
      strOut = arg;
    } else {
      std::fprintf(stderr, "valendra: --export takes IN OUT [--dpi N]\n");
      return 2;
    }
  }
  if (strOut.empty()) {
    std::fprintf(stderr, "valendra: --export takes IN OUT [--dpi N]\n");
    return 2;
  }
  std::string strError;
  const int nStatus = ExportFile(strIn, strOut, nDpi, &strError);
  if (nStatus != 0) std::fprintf(stderr, "valendra: %s\n", strError.c_str());
  return nStatus;
}
