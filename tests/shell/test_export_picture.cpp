#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CEllipse.h"
#include "objects/CKVObject.h"
#include "shell/ExportPicture.h"
#include "shell/SampleDrawing.h"
#include "tests/shell/PdfPages.h"

namespace {

void AddEllipse(CKvillDoc& doc, CRect rc) {
  auto e = std::make_unique<CEllipse>();
  e->m_rcBounds = rc;
  e->m_ptAnchor = CPoint{rc.left, rc.top};
  e->m_dThickness = 2.0;
  doc.m_listObjects.push_back(std::move(e));
}

bool IsWhite(const QImage& img, int x, int y) { return img.pixel(x, y) == qRgb(255, 255, 255); }

bool AnyInk(const QImage& img, QRect r) {
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      if (!IsWhite(img, x, y)) return true;
    }
  }
  return false;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes a drawing file as Save does.
void SaveDrawing(CKvillDoc& doc, const QString& path) {
  CArchive ar(path.toStdString(), CArchive::store);
  ASSERT_TRUE(ar.IsOpen());
  doc.Serialize(ar);
}

// The program started as from a terminal without a display.
void WithoutDisplay(QProcess& p) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  p.setProcessEnvironment(env);
}

}  // namespace

TEST(ExportPicture, PngIsTheDrawingWithItsMarginAtTheRequestedResolution) {
  QTemporaryDir dir;
  CKvillDoc doc;
  // 2 x 1 inches of drawing: 2880 x 1440 units, plus 200 units of margin.
  AddEllipse(doc, CRect{1000, -500, 3880, -1940});
  const std::string out = dir.filePath("e.png").toStdString();
  std::string err;
  ASSERT_EQ(ExportDocument(doc, out, 144, &err), 0) << err;
  QImage img(QString::fromStdString(out));
  ASSERT_FALSE(img.isNull());
  // (2880 + 200) * 144 / 1440 = 308, (1440 + 200) * 144 / 1440 = 164.
  EXPECT_EQ(img.width(), 308);
  EXPECT_EQ(img.height(), 164);
  // The 100-unit margin (10 pixels) is white; the ellipse touches the middle of each side.
  EXPECT_FALSE(AnyInk(img, QRect(0, 0, 308, 8)));
  EXPECT_FALSE(AnyInk(img, QRect(0, 0, 8, 164)));
  EXPECT_TRUE(AnyInk(img, QRect(150, 8, 8, 5)));  // top of the ellipse
  EXPECT_TRUE(AnyInk(img, QRect(8, 78, 5, 8)));   // its left side
  EXPECT_TRUE(IsWhite(img, 154, 82));             // its empty middle
  // The document is untouched.
  EXPECT_EQ(doc.m_listObjects.front()->m_rcBounds, (CRect{1000, -500, 3880, -1940}));
}

TEST(ExportPicture, PartOfAPixelAddsAWholePixel) {
  QTemporaryDir dir;
  CKvillDoc doc;
  // 1016 x 1082 units of drawing, 1216 x 1282 with the margin.
  AddEllipse(doc, CRect{0, 0, 1016, -1082});
  std::string err;
  const QString png = dir.filePath("f.png"), svg = dir.filePath("f.svg");
  ASSERT_EQ(ExportDocument(doc, png.toStdString(), 100, &err), 0) << err;
  ASSERT_EQ(ExportDocument(doc, svg.toStdString(), 100, &err), 0) << err;
  // 1216 * 100 / 1440 = 84.44 and 1282 * 100 / 1440 = 89.03 pixels.
  const QImage img(png);
  EXPECT_EQ(img.width(), 85);
  EXPECT_EQ(img.height(), 90);
  // The SVG's nominal size is at 96 pixels per inch: 1216 / 15 = 81.07, 1282 / 15 = 85.47.
  const QRegularExpressionMatch m =
      QRegularExpression(QStringLiteral("<svg [^>]*width=\"(\\d+)\" height=\"(\\d+)\""))
          .match(QString::fromUtf8(ReadAll(svg)));
  ASSERT_TRUE(m.hasMatch());
  EXPECT_EQ(m.captured(1).toInt(), 82);
  EXPECT_EQ(m.captured(2).toInt(), 86);
}

TEST(ExportPicture, SvgAndPdfOfEveryKind) {
  QTemporaryDir dir;
  CKvillDoc doc;
  BuildSampleDrawing(doc.m_listObjects);
  std::string err;
  const QString svg = dir.filePath("s.svg"), pdf = dir.filePath("s.pdf");
  ASSERT_EQ(ExportDocument(doc, svg.toStdString(), 300, &err), 0) << err;
  ASSERT_EQ(ExportDocument(doc, pdf.toStdString(), 300, &err), 0) << err;
  const QByteArray s = ReadAll(svg);
  EXPECT_TRUE(s.startsWith("<?xml") || s.startsWith("<svg")) << s.left(40).toStdString();
  EXPECT_TRUE(s.contains("<ellipse"));
  EXPECT_TRUE(s.contains("<text"));
  EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF"));
}

TEST(ExportPicture, OversizedPngIsRefusedBeforeAnythingIsAllocated) {
  QTemporaryDir dir;
  CKvillDoc doc;
  AddEllipse(doc, CRect{0, 0, 1000000, -1000});
  std::string err;
  const std::string out = dir.filePath("big.png").toStdString();
  EXPECT_EQ(ExportDocument(doc, out, 300, &err), 1);
  EXPECT_NE(err.find("16384"), std::string::npos) << err;
  EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
  // At a low resolution it fits: (1000000 + 200) * 20 / 1440 = 13892 pixels.
  EXPECT_EQ(ExportDocument(doc, out, 20, &err), 0) << err;
}

TEST(ExportPicture, CommandLineReadsTheFileAndReportsProblemsOnStderr) {
  QTemporaryDir dir;
  CKvillDoc doc;
  AddEllipse(doc, CRect{0, 0, 1440, -1440});
  const QString in = dir.filePath("in.vld");
  SaveDrawing(doc, in);
  QProcess p;
  WithoutDisplay(p);
  const QString out = dir.filePath("out.png");
  p.start(QStringLiteral(VALENDRA_BINARY),
          {QStringLiteral("--export"), in, out, QStringLiteral("--dpi"), QStringLiteral("72")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(QImage(out).width(), 82);  // (1440 + 200) * 72 / 1440

  const QString junk = dir.filePath("junk.vld");
  {
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(64, 'z'));
  }
  p.start(QStringLiteral(VALENDRA_BINARY), {QStringLiteral("--export"), junk, out});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_NE(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardError().contains("Incompatible file"));

  p.start(QStringLiteral(VALENDRA_BINARY),
          {QStringLiteral("--export"), in, dir.filePath("out.bmp")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_NE(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardError().contains(".svg, .png or .pdf"));
}

TEST(ThumbnailPicture, LongerSideIsTheSizeAskedForOnWhite) {
  QTemporaryDir dir;
  // A wide and a tall drawing: the longer side becomes the size either way.
  const struct {
    CRect rc;
    int nWidth, nHeight;  // (2880 + 200) x (1440 + 200) units and the other way round
  } cases[] = {{CRect{0, 0, 2880, -1440}, 128, 68}, {CRect{0, 0, 1440, -2880}, 68, 128}};
  for (const auto& c : cases) {
    CKvillDoc doc;
    AddEllipse(doc, c.rc);
    const QString in = dir.filePath("in.vld"), out = dir.filePath("thumb.png");
    SaveDrawing(doc, in);
    std::string err;
    ASSERT_EQ(ThumbnailFile(in.toStdString(), out.toStdString(), 128, &err), 0) << err;
    const QImage img(out);
    ASSERT_EQ(img.width(), c.nWidth);
    ASSERT_EQ(img.height(), c.nHeight);
    // White around and inside the ellipse, its outline where the margin ends.
    EXPECT_TRUE(IsWhite(img, 0, 0));
    EXPECT_TRUE(IsWhite(img, img.width() - 1, img.height() - 1));
    EXPECT_TRUE(IsWhite(img, img.width() / 2, img.height() / 2));
    EXPECT_TRUE(AnyInk(img, QRect(img.width() / 2 - 2, 0, 5, 8)));
    EXPECT_FALSE(img.hasAlphaChannel());
  }
}

TEST(ThumbnailPicture, RefusesWhatItCannotDraw) {
  QTemporaryDir dir;
  const QString junk = dir.filePath("junk.vld"), out = dir.filePath("t.png");
  {
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just text, no drawing");
  }
  std::string err;
  EXPECT_EQ(ThumbnailFile(junk.toStdString(), out.toStdString(), 64, &err), 1);
  EXPECT_NE(err.find("Incompatible"), std::string::npos) << err;
  EXPECT_EQ(ThumbnailFile(dir.filePath("missing.vld").toStdString(), out.toStdString(), 64, &err),
            1);
  EXPECT_EQ(ThumbnailFile(junk.toStdString(), out.toStdString(), 0, &err), 2);
  EXPECT_EQ(ThumbnailFile(junk.toStdString(), out.toStdString(), kMaxExportPixels + 1, &err), 2);
  EXPECT_FALSE(QFile::exists(out));

  // The command line: a size that is no number is a usage error, with nothing written.
  QProcess p;
  p.start(QStringLiteral(VALENDRA_BINARY),
          {QStringLiteral("--thumbnail"), junk, out, QStringLiteral("big")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_TRUE(p.readAllStandardError().contains("IN OUT SIZE"));
  EXPECT_FALSE(QFile::exists(out));
}

TEST(ThumbnailPicture, CommandLineNeedsNoDisplayAndSaysNothing) {
  QTemporaryDir dir;
  CKvillDoc doc;
  BuildSampleDrawing(doc.m_listObjects);
  const QString in = dir.filePath("sample.vld"), out = dir.filePath("sample.png");
  SaveDrawing(doc, in);
  QProcess p;
  WithoutDisplay(p);
  p.start(QStringLiteral(VALENDRA_BINARY),
          {QStringLiteral("--thumbnail"), in, out, QStringLiteral("256")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0);
  const QByteArray err = p.readAllStandardError();
  EXPECT_TRUE(err.isEmpty()) << err.toStdString();
  const QImage img(out);
  EXPECT_EQ(std::max(img.width(), img.height()), 256);
}

TEST(ExportPicture, PngIsOpaqueRgbAndCancelledExportsWriteNothing) {
  QTemporaryDir dir;
  CKvillDoc doc;
  BuildSampleDrawing(doc.m_listObjects);
  const std::string png = dir.filePath("s.png").toStdString();
  std::string err;
  std::vector<std::int64_t> seen;
  ASSERT_EQ(ExportDocument(doc, png, 150, &err,
                           [&](std::int64_t n, std::int64_t total) {
                             EXPECT_EQ(total, 100);
                             seen.push_back(n);
                             return true;
                           }),
            0)
      << err;
  // The progress climbs from 0 to 100 and never goes back.
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  const QImage img(QString::fromStdString(png));
  EXPECT_FALSE(img.hasAlphaChannel());
  EXPECT_EQ(img.dotsPerMeterX(), 5906);  // 150 pixels per inch

  // Stopped at any point before it is written, an export leaves no file of its own and no
  // temporary one: while the extents are gathered, while it is drawn, and (a PNG) while it
  // is encoded, or (a PDF) while its page goes into the file.
  for (const auto& [name, nLast] :
       {std::pair{"c.png", 90}, std::pair{"c.svg", 69}, std::pair{"c.pdf", 90}}) {
    for (const std::int64_t nStopAt :
         {std::int64_t{0}, std::int64_t{10}, std::int64_t{40}, std::int64_t{nLast}}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(nStopAt));
      const std::string out = dir.filePath(name).toStdString();
      EXPECT_EQ(ExportDocument(doc, out, 150, &err,
                               [&](std::int64_t n, std::int64_t) { return n < nStopAt; }),
                kExportCancelled);
      EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"s.png"});
    }
  }
}

TEST(ExportPicture, AnEmptyFormulaLeavesNoTraceInAnyFormat) {
  QTemporaryDir dir;
  // The empty formula above and left of an ellipse, where it would widen the picture.
  CKvillDoc doc, without;
  auto f = std::make_unique<CFormula>();
  f->MoveTo(CPoint{1000, -1000});
  doc.m_listObjects.push_back(std::move(f));
  AddEllipse(doc, CRect{3000, -3000, 4000, -4000});
  AddEllipse(without, CRect{3000, -3000, 4000, -4000});
  std::string err;
  const auto exported = [&](CKvillDoc& d, const char* name) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    EXPECT_EQ(ExportDocument(d, path.toStdString(), 144, &err), 0) << err;
    return path;
  };
  // Every format shows exactly what the drawing without the formula shows.
  const QImage img(exported(doc, "f.png"));
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img, QImage(exported(without, "e.png")));
  EXPECT_TRUE(AnyInk(img, QRect(0, 0, img.width(), img.height())));
  // The ellipse alone and the margin: 1200 units at 144 pixels per inch.
  EXPECT_EQ(img.size(), QSize(120, 120));
  const QByteArray s = ReadAll(exported(doc, "f.svg"));
  EXPECT_EQ(s, ReadAll(exported(without, "e.svg")));
  EXPECT_TRUE(s.contains("<ellipse"));
  EXPECT_FALSE(s.contains("<rect")) << s.toStdString();
  const QImage page = FirstPdfPage(exported(doc, "f.pdf"), 144);
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(page, FirstPdfPage(exported(without, "e.pdf"), 144));
}
