#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <set>

#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CRecordingDC.h"
#include "shell/DrawingRenderer.h"
#include "shell/SampleDrawing.h"
#include "tests/shell/ProgramRun.h"

namespace {

struct ProcessResult {
  int exitCode = -1;
  QString out;
  QString err;
};

ProcessResult RunValendra(const QString& folder, const QStringList& args) {
  const ProgramRun run = RunProgramWithoutDisplay(folder, args);
  return {run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
}

}  // namespace

TEST(SampleProgram, ExportsThePictureInEveryFormatAndTheViewAndPrintsTheirPaths) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const ProcessResult run = RunValendra(dir.path(), {});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

  const QString view = dir.filePath(QStringLiteral("sample-view.png"));
  const QString png = dir.filePath(QStringLiteral("sample.png"));
  const QString svg = dir.filePath(QStringLiteral("sample.svg"));
  const QString pdf = dir.filePath(QStringLiteral("sample.pdf"));
  const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
  EXPECT_EQ(QFileInfo(lines[0]).canonicalFilePath(), QFileInfo(view).canonicalFilePath());
  EXPECT_EQ(QFileInfo(lines[1]).canonicalFilePath(), QFileInfo(png).canonicalFilePath());
  EXPECT_EQ(QFileInfo(lines[2]).canonicalFilePath(), QFileInfo(svg).canonicalFilePath());
  EXPECT_EQ(QFileInfo(lines[3]).canonicalFilePath(), QFileInfo(pdf).canonicalFilePath());

  QFile pdfFile(pdf);
  ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdfFile.read(5) == "%PDF-");

  // The picture leaves out the selection marks that the window shows: the window's look
  // has more black than the picture of the same drawing at the same scale.
  QImage viewImage, image;
  ASSERT_TRUE(viewImage.load(view)) << "sample-view.png does not load";
  ASSERT_TRUE(image.load(png)) << "sample.png does not load";
  const auto countDark = [](const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y).lightness() < 40 ? 1 : 0;
    }
    return n;
  };
  EXPECT_GT(countDark(viewImage), countDark(image));
  EXPECT_GT(image.width(), 100);
  // Not blank: black, and the red, green and blue of the coloured objects all appear.
  int dark = 0;
  std::set<int> hues;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.lightness() < 40) ++dark;
      if (c.saturation() > 200 && c.value() > 100) hues.insert(c.hue() / 60);
    }
  }
  EXPECT_GT(dark, 1000);
  EXPECT_TRUE(hues.count(0) || hues.count(5)) << "no red";
  EXPECT_TRUE(hues.count(2) || hues.count(1)) << "no green";
  EXPECT_TRUE(hues.count(4) || hues.count(3)) << "no blue";

  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  int elements = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement) ++elements;
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_GT(elements, 20);
}

TEST(SampleProgram, HelpVersionAndBadArguments) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const ProcessResult version = RunValendra(dir.path(), {QStringLiteral("--version")});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.startsWith(QStringLiteral("Valendra "))) << version.out.toStdString();
  EXPECT_TRUE(version.out.contains(QStringLiteral("\nRDKit 20"))) << version.out.toStdString();

  const ProcessResult help = RunValendra(dir.path(), {QStringLiteral("--help")});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.contains(QStringLiteral("Usage: valendra")));

  const ProcessResult bad = RunValendra(dir.path(), {QStringLiteral("--frobnicate")});
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_TRUE(bad.out.isEmpty());
  EXPECT_TRUE(bad.err.contains(QStringLiteral("--frobnicate")));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("sample.png"))));
}

TEST(SampleDrawing, HasEveryKindSelectedAndNot) {
  CObList list;
  BuildSampleDrawing(list);
  std::set<int> kinds, selectedKinds, plainKinds;
  std::set<double> thicknesses;
  std::set<COLORREF> colours;
  const CRect box = SampleDrawingBox();
  for (const auto& obj : list) {
    kinds.insert(obj->m_nKind);
    (obj->m_bSelected ? selectedKinds : plainKinds).insert(obj->m_nKind);
    colours.insert(obj->m_crColor);
    // A bond's box means nothing; its ends are checked as objects of their own.
    if (obj->m_nKind == KIND_COUPLING) continue;
    const CRect f = obj->GetSelectionFrame();
    EXPECT_TRUE(box.left <= f.left && f.right <= box.right && box.bottom <= f.bottom &&
                f.top <= box.top)
        << "kind " << obj->m_nKind << " leaves the picture";
  }
  const std::set<int> expected{KIND_FORMULA,  KIND_DOT,  KIND_GROUP, KIND_ELLIPSE,
                               KIND_COUPLING, KIND_PLUS, KIND_MINUS};
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(selectedKinds, expected);
  EXPECT_EQ(plainKinds, expected);
  EXPECT_GE(colours.size(), 4u);
}

TEST(DrawingRenderer, BoxFillsThePicture) {
  CRecordingDC dc;
  MapBoxToPicture(&dc, CRect{-100, 200, 8540, -4120}, 1152, 576);
  EXPECT_EQ(dc.LPtoDP(CPoint{-100, 200}), (CPoint{0, 0}));
  EXPECT_EQ(dc.LPtoDP(CPoint{8540, -4120}), (CPoint{1152, 576}));
  EXPECT_EQ(dc.LPtoDP(CPoint{4220, -1960}), (CPoint{576, 288}));
}

TEST(DrawingRenderer, SelectedObjectsDrawThenShowMarks) {
  CObList list;
  auto dot = std::make_unique<CDot>();
  dot->MoveTo(CPoint{0, 0});
  dot->m_bSelected = 1;
  list.push_back(std::move(dot));
  auto ellipse = std::make_unique<CEllipse>();
  ellipse->m_rcBounds = CRect{0, 0, 400, -400};
  ellipse->m_bSelected = 1;
  list.push_back(std::move(ellipse));
  auto plain = std::make_unique<CEllipse>();
  plain->m_rcBounds = CRect{1000, 0, 1400, -400};
  list.push_back(std::move(plain));
  for (auto& obj : list) obj->m_bDone = 1;  // painting starts a pass of its own

  CRecordingDC dc;
  dc.SetROP2(R2_NOTXORPEN);
  PaintObjects(&dc, list);
  using Op = CRecordingDC::Op;
  std::vector<Op> ops;
  for (const auto& r : dc.Records()) ops.push_back(r.op);
  // Dot: frame only. Ellipse: itself, frame, handle 1. Plain ellipse: itself.
  const std::vector<Op> expected{Op::Rectangle, Op::Ellipse, Op::Rectangle, Op::Rectangle,
                                 Op::Ellipse};
  EXPECT_EQ(ops, expected);
  for (const auto& r : dc.Records()) EXPECT_EQ(r.nRop, R2_COPYPEN);
}
