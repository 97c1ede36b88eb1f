#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "document/CArchive.h"
#include "document/CKvillDoc.h"
#include "objects/CEllipse.h"
#include "objects/CKVObject.h"
#include "shell/ExportPicture.h"
#include "shell/SampleDrawing.h"

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
  {
    CArchive ar(in.toStdString(), CArchive::store);
    ASSERT_TRUE(ar.IsOpen());
    doc.Serialize(ar);
  }
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  p.setProcessEnvironment(env);
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
