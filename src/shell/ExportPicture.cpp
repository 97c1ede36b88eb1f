#include "shell/ExportPicture.h"

#include <png.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"
#include "platform/CQtDC.h"
#include "platform/CSafeFileDevice.h"
#include "platform/CSvgDC.h"
#include "shell/CTerminalProgress.h"
#include "view/CMeasuringDC.h"
#include "view/CPictureRenderer.h"

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

int DotsPerMeter(int nDpi) { return static_cast<int>(std::lround(nDpi / 0.0254)); }

// The parts of an export on the progress scale of 0 to 100: gathering the extents, drawing,
// and encoding and writing the file.
constexpr int kExtentsDone = 10;
constexpr int kDrawingDone = 70;

bool Report(const WorkProgress& progress, int nPercent) {
  return !progress || progress(nPercent, 100);
}

// A file written beside its target that takes the target's place only when complete.
class CPictureFile {
 public:
  explicit CPictureFile(const std::string& strPath) : m_file(QString::fromStdString(strPath)) {}
  bool Open() { return m_file.Open(); }
  QIODevice* Device() { return &m_file; }
  bool Commit() { return m_file.Commit(); }
  QString ErrorString() const { return m_file.errorString(); }

 private:
  CSafeFileDevice m_file;
};

int CannotWrite(const std::string& strOut, const QString& reason, std::string* pError) {
  *pError = "cannot write " + strOut + (reason.isEmpty() ? "" : ": " + reason.toStdString());
  return 1;
}

// A white picture of w x h pixels showing the whole picture frame, in *pImage; 0,
// kExportCancelled, or 1 with the reason.
int DrawPng(IPictureSource& picture, std::int64_t w, std::int64_t h, int nDpi, QImage* pImage,
            std::string* pError, const WorkProgress& progress) {
  QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
  if (image.isNull()) {
    *pError = "not enough memory for a picture of " + std::to_string(w) + " x " +
              std::to_string(h) + " pixels";
    return 1;
  }
  image.setDotsPerMeterX(DotsPerMeter(nDpi));
  image.setDotsPerMeterY(DotsPerMeter(nDpi));
  image.fill(Qt::white);
  bool bCancelled = false;
  {
    CQtDC dc(&image);
    const WorkProgress drawing = StageProgress(progress, kExtentsDone, kDrawingDone);
    picture.DrawPicture(&dc, CSize{static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)},
                        [&](std::int64_t nDone, std::int64_t nTotal) {
                          bCancelled = drawing && !drawing(nDone, nTotal);
                          return !bCancelled;
                        });
  }
  if (bCancelled) return kExportCancelled;
  *pImage = std::move(image);
  return 0;
}

// The picture of extent ext as an SVG document in *pSvg, its nominal size that of the
// picture at 96 pixels per inch (CSS pixels, so the size is the physical one); false when
// the progress stopped it.
bool DrawSvg(IPictureSource& picture, CSize ext, std::string* pSvg, const WorkProgress& progress) {
  const std::int64_t w = std::max<std::int64_t>(1, DeviceUnits(ext.cx, 96));
  const std::int64_t h = std::max<std::int64_t>(1, DeviceUnits(ext.cy, 96));
  CSvgDC dc(CRect{0, 0, ext.cx, ext.cy}, static_cast<int>(std::min<std::int64_t>(w, 1 << 30)),
            static_cast<int>(std::min<std::int64_t>(h, 1 << 30)));
  bool bCancelled = false;
  picture.DrawPicture(&dc, std::nullopt, [&](std::int64_t nDone, std::int64_t nTotal) {
    bCancelled = progress && !progress(nDone, nTotal);
    return !bCancelled;
  });
  if (bCancelled) return false;
  *pSvg = dc.GetSvg();
  return true;
}

// PNG encoding goes straight to libpng rather than through Qt's writer: Qt lets libpng
// try every row filter on every row and keeps the alpha channel of an opaque picture,
// which made encoding most of the time of a large export. Unfiltered rows at a moderate
// compression level give files of the same size for drawings (long runs of white) in a
// fraction of the time, and the rows report progress as they go.
constexpr int kPngCompression = 3;

struct CPngSink {
  QIODevice* pDevice;
  bool bWriteFailed = false;
};

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
  auto* pSink = static_cast<CPngSink*>(png_get_io_ptr(png));
  if (pSink->pDevice->write(reinterpret_cast<const char*>(data), static_cast<qint64>(n)) !=
      static_cast<qint64>(n)) {
    pSink->bWriteFailed = true;
    png_error(png, "write failed");
  }
}

void PngFlush(png_structp) {}

void PngWarning(png_structp, png_const_charp) {}

// Encodes an opaque picture as 8-bit RGB with its resolution; 0, 1 (with the reason) or
// kExportCancelled. libpng reports errors by a jump back to the setjmp below, so nothing
// between the two owns anything that needs destroying.
int EncodePng(const QImage& image, int nDpi, QIODevice* pDevice, std::string* pError,
              const WorkProgress& progress) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, &info);
    *pError = "not enough memory to encode the picture";
    return 1;
  }
  const int w = image.width(), h = image.height();
  std::vector<png_byte> row(static_cast<std::size_t>(w) * 3);
  CPngSink sink{pDevice};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *pError = sink.bWriteFailed ? pDevice->errorString().toStdString() : "PNG encoding failed";
    return 1;
  }
  png_set_write_fn(png, &sink, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const auto dpm = static_cast<png_uint_32>(DotsPerMeter(nDpi));
  png_set_pHYs(png, info, dpm, dpm, PNG_RESOLUTION_METER);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, kPngCompression);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    png_byte* dst = row.data();
    for (int x = 0; x < w; ++x) {
      *dst++ = static_cast<png_byte>(qRed(src[x]));
      *dst++ = static_cast<png_byte>(qGreen(src[x]));
      *dst++ = static_cast<png_byte>(qBlue(src[x]));
    }
    png_write_row(png, row.data());
    if (progress && !progress(y + 1, h)) {
      png_destroy_write_struct(&png, &info);
      return kExportCancelled;
    }
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return 0;
}

int WritePng(const QImage& image, int nDpi, const std::string& strOut, std::string* pError,
             const WorkProgress& progress) {
  CPictureFile file(strOut);
  if (!file.Open()) return CannotWrite(strOut, file.ErrorString(), pError);
  std::string strReason;
  const int nStatus = EncodePng(image, nDpi, file.Device(), &strReason, progress);
  if (nStatus == kExportCancelled) return nStatus;  // the file is never committed
  if (nStatus != 0) return CannotWrite(strOut, QString::fromStdString(strReason), pError);
  if (!file.Commit()) return CannotWrite(strOut, file.ErrorString(), pError);
  return 0;
}

// The picture of extent ext as a PDF file of one page the size of the picture; 0,
// kExportCancelled, or 1 with the reason.
int WritePdf(IPictureSource& picture, CSize ext, const std::string& strOut, std::string* pError,
             const WorkProgress& progress) {
  // 1200 device units per inch keep strokes exact. The writer fills a file beside the
  // target, which replaces it once the page is done.
  constexpr int kPdfDpi = 1200;
  CPictureFile file(strOut);
  if (!file.Open()) return CannotWrite(strOut, file.ErrorString(), pError);
  bool bCancelled = false;
  {
    QPdfWriter pdf(file.Device());
    pdf.setResolution(kPdfDpi);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    const QSizeF points(std::abs(ext.cx) / 20.0, std::abs(ext.cy) / 20.0);
    if (!pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch))) {
      *pError = "the picture is too large for a PDF page";
      return 1;
    }
    const std::int64_t w = DeviceUnits(ext.cx, kPdfDpi), h = DeviceUnits(ext.cy, kPdfDpi);
    CQtDC dc(&pdf);
    const WorkProgress drawing = StageProgress(progress, kExtentsDone, 95);
    picture.DrawPicture(&dc, CSize{Clamp32(w), Clamp32(h)},
                        [&](std::int64_t nDone, std::int64_t nTotal) {
                          bCancelled = drawing && !drawing(nDone, nTotal);
                          return !bCancelled;
                        });
  }
  // The file is left uncommitted when cancelled, and so disappears.
  if (bCancelled) return kExportCancelled;
  if (!file.Commit()) return CannotWrite(strOut, file.ErrorString(), pError);
  Report(progress, 100);
  return 0;
}

// A document's picture made without a window or a view: its surfaces measure text as the
// Qt and SVG surfaces measure it, on a reference surface of the picture's resolution.
class CDocumentPicture {
 public:
  CDocumentPicture(CKvillDoc& doc, int nDpi)
      : m_reference(1, 1, QImage::Format_ARGB32_Premultiplied),
        m_referenceDC(Prepared(m_reference, nDpi)),
        m_surfaces(&m_referenceDC),
        m_renderer(&m_surfaces, &doc) {}
  CPictureRenderer& Renderer() { return m_renderer; }

 private:
  static QImage* Prepared(QImage& image, int nDpi) {
    image.setDotsPerMeterX(DotsPerMeter(nDpi));
    image.setDotsPerMeterY(DotsPerMeter(nDpi));
    return &image;
  }

  QImage m_reference;
  CQtDC m_referenceDC;
  CMeasuringSurfaces m_surfaces;
  CPictureRenderer m_renderer;
};

// A drawing read from a native stream and its picture. It may be made beside the editor's
// view, which never hears of it.
class CStreamPicture {
 public:
  CStreamPicture(const CClipboardSource::Bytes& stream, int nDpi) : m_picture(m_doc, nDpi) {
    CArchive ar{std::span<const std::uint8_t>(stream)};
    m_bRead = m_doc.Serialize(ar, {.bReplaceOnLoad = true});
    // Drawn in the order a window keeps it in; the picture lays it out itself.
    if (m_bRead) Renderer().Prepare(false);
  }
  // Whether the stream held a whole drawing.
  bool IsRead() const { return m_bRead; }
  CPictureRenderer& Renderer() { return m_picture.Renderer(); }

 private:
  CKvillDoc m_doc;
  CDocumentPicture m_picture;
  bool m_bRead = false;
};

// Reads a file as the Open command does; false with the reason when it holds no drawing.
bool ReadDrawing(CKvillDoc& doc, const std::string& strIn, std::string* pError,
                 const WorkProgress& progress) {
  CArchive ar(strIn, CArchive::load);
  if (!ar.IsOpen()) {
    *pError = "cannot open " + strIn;
    return false;
  }
  CSerializeOptions options = CSerializeOptions::OpenFile();
  options.fnProgress = progress;
  const bool bOk = doc.Serialize(ar, options);
  if (!bOk) *pError = "Error: Incompatible file.";
  return bOk;
}

// A whole number from lo to hi, or nothing.
std::optional<int> ParseNumber(const char* psz, long lo, long hi) {
  char* end = nullptr;
  const long n = std::strtol(psz, &end, 10);
  if (end == psz || *end != '\0' || n < lo || n > hi) return std::nullopt;
  return static_cast<int>(n);
}

}  // namespace

int ExportPicture(IPictureSource& picture, const std::string& strOut, int nDpi, std::string* pError,
                  const WorkProgress& progress) {
  const Format format = FormatOf(strOut);
  if (format == Format::None) {
    *pError = "the output file must end in .svg, .png or .pdf: " + strOut;
    return 2;
  }
  if (nDpi < 1 || nDpi > 9600) {
    *pError = "--dpi must be between 1 and 9600";
    return 2;
  }
  if (!Report(progress, 0)) return kExportCancelled;
  const CSize ext = picture.GetPictureExtent();
  if (!Report(progress, kExtentsDone)) return kExportCancelled;

  switch (format) {
    case Format::Png: {
      const std::int64_t w = DeviceUnits(ext.cx, nDpi), h = DeviceUnits(ext.cy, nDpi);
      if (w > kMaxExportPixels || h > kMaxExportPixels) {
        *pError = "the picture would be " + std::to_string(w) + " x " + std::to_string(h) +
                  " pixels at " + std::to_string(nDpi) + " pixels per inch, more than " +
                  std::to_string(kMaxExportPixels) +
                  " on a side; choose a smaller resolution or export SVG or PDF";
        return 1;
      }
      QImage image;
      const int nStatus = DrawPng(picture, w, h, nDpi, &image, pError, progress);
      if (nStatus != 0) return nStatus;
      if (!Report(progress, kDrawingDone)) return kExportCancelled;
      const int nWritten =
          WritePng(image, nDpi, strOut, pError, StageProgress(progress, kDrawingDone, 100));
      if (nWritten == 0) Report(progress, 100);
      return nWritten;
    }
    case Format::Svg: {
      std::string svg;
      if (!DrawSvg(picture, ext, &svg, StageProgress(progress, kExtentsDone, kDrawingDone)) ||
          !Report(progress, kDrawingDone)) {
        return kExportCancelled;
      }
      CPictureFile file(strOut);
      if (!file.Open()) return CannotWrite(strOut, file.ErrorString(), pError);
      const auto nSize = static_cast<qint64>(svg.size());
      if (file.Device()->write(svg.data(), nSize) != nSize || !file.Commit()) {
        return CannotWrite(strOut, file.ErrorString(), pError);
      }
      Report(progress, 100);
      return 0;
    }
    case Format::Pdf:
      return WritePdf(picture, ext, strOut, pError, progress);
    case Format::None:
      break;
  }
  return 2;
}

int ExportDocument(CKvillDoc& doc, const std::string& strOut, int nDpi, std::string* pError,
                   const WorkProgress& progress) {
  CDocumentPicture picture(doc, std::clamp(nDpi, 1, 9600));
  // Drawn in the order and laid out as a window would first show it.
  picture.Renderer().Prepare(true);
  return ExportPicture(picture.Renderer(), strOut, nDpi, pError, progress);
}

int ExportFile(const std::string& strIn, const std::string& strOut, int nDpi, std::string* pError,
               const WorkProgress& progress) {
  CKvillDoc doc;
  if (!ReadDrawing(doc, strIn, pError, StageProgress(progress, 0, 10))) return 1;
  return ExportDocument(doc, strOut, nDpi, pError, StageProgress(progress, 10, 100));
}

int ThumbnailFile(const std::string& strIn, const std::string& strOut, int nSize,
                  std::string* pError) {
  if (nSize < 1 || nSize > kMaxExportPixels) {
    *pError = "the size must be from 1 to " + std::to_string(kMaxExportPixels);
    return 2;
  }
  CKvillDoc doc;
  if (!ReadDrawing(doc, strIn, pError, {})) return 1;
  // The picture's own resolution does not matter: it is scaled to the size asked for.
  CDocumentPicture picture(doc, 96);
  CPictureRenderer& renderer = picture.Renderer();
  renderer.Prepare(true);
  const CSize ext = renderer.GetPictureExtent();
  const double cx = std::abs(static_cast<double>(ext.cx));
  const double cy = std::abs(static_cast<double>(ext.cy));
  const double longer = std::max({cx, cy, 1.0});
  const auto side = [&](double d) {
    return std::clamp<std::int64_t>(std::llround(d * nSize / longer), 1, nSize);
  };
  const std::int64_t w = side(cx), h = side(cy);
  QImage image;
  const int nDpi =
      static_cast<int>(std::clamp<double>(std::round(nSize * 1440.0 / longer), 1, 9600));
  const int nStatus = DrawPng(renderer, w, h, nDpi, &image, pError, {});
  if (nStatus != 0) return nStatus;
  return WritePng(image, nDpi, strOut, pError, {});
}

int RunExportCommand(int argc, char* argv[]) {
  std::string strIn, strOut;
  int nDpi = 300;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--dpi") == 0 && i + 1 < argc) {
      const std::optional<int> n = ParseNumber(argv[++i], 1, 9600);
      if (!n) {
        std::fprintf(stderr, "valendra: --dpi needs a number from 1 to 9600\n");
        return 2;
      }
      nDpi = *n;
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
  int nStatus = 0;
  {
    CTerminalProgress progress("exporting " + strOut);
    nStatus = ExportFile(strIn, strOut, nDpi, &strError, progress.Callback());
    if (nStatus == 0) progress.Finish();
  }
  if (nStatus != 0) std::fprintf(stderr, "valendra: %s\n", strError.c_str());
  return nStatus;
}

int RunThumbnailCommand(int argc, char* argv[]) {
  const std::optional<int> nSize =
      argc == 3 ? ParseNumber(argv[2], 1, kMaxExportPixels) : std::nullopt;
  if (!nSize) {
    std::fprintf(stderr, "valendra: --thumbnail takes IN OUT SIZE, SIZE from 1 to %d\n",
                 kMaxExportPixels);
    return 2;
  }
  std::string strError;
  const int nStatus = ThumbnailFile(argv[0], argv[1], *nSize, &strError);
  if (nStatus != 0) std::fprintf(stderr, "valendra: %s\n", strError.c_str());
  return nStatus;
}

QByteArray ClipboardPicture(const CClipboardSource::Bytes& stream, const QString& strMimeType) {
  const bool bSvg = strMimeType == QLatin1String(kSvgMimeType);
  if (!bSvg && strMimeType != QLatin1String(kPngMimeType)) return {};
  CStreamPicture picture(stream, kClipboardPngDpi);
  if (!picture.IsRead()) return {};
  CPictureRenderer& renderer = picture.Renderer();
  const CSize ext = renderer.GetPictureExtent();
  if (bSvg) {
    std::string svg;
    if (!DrawSvg(renderer, ext, &svg, {})) return {};
    return QByteArray(svg.data(), static_cast<qsizetype>(svg.size()));
  }
  // A large drawing is scaled down until its longer side fits, at a resolution to match.
  std::int64_t w = DeviceUnits(ext.cx, kClipboardPngDpi);
  std::int64_t h = DeviceUnits(ext.cy, kClipboardPngDpi);
  int nDpi = kClipboardPngDpi;
  const std::int64_t longer = std::max(w, h);
  if (longer > kMaxClipboardPngPixels) {
    const double f = static_cast<double>(kMaxClipboardPngPixels) / static_cast<double>(longer);
    w = std::clamp<std::int64_t>(std::llround(static_cast<double>(w) * f), 1,
                                 kMaxClipboardPngPixels);
    h = std::clamp<std::int64_t>(std::llround(static_cast<double>(h) * f), 1,
                                 kMaxClipboardPngPixels);
    nDpi = std::max(1, static_cast<int>(std::lround(kClipboardPngDpi * f)));
  }
  QImage image;
  std::string strError;
  if (DrawPng(renderer, w, h, nDpi, &image, &strError, {}) != 0) return {};
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (EncodePng(image, nDpi, &buffer, &strError, {}) != 0) return {};
  return buffer.data();
}
