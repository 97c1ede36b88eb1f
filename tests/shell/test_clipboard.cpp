#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StreamStructure.h"
#include "chemistry/StructureReader.h"
#include "document/CClipboardSource.h"
#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "platform/CClipboardMimeData.h"
#include "platform/CQtClipboard.h"
#include "shell/CStructureCommands.h"
#include "shell/ExportPicture.h"
#include "tests/shell/ShellFixture.h"

namespace {

using Bytes = CClipboardSource::Bytes;

const QString kNative = QString::fromLatin1(kNativeMimeType);
const QString kSvg = QString::fromLatin1(kSvgMimeType);
const QString kPng = QString::fromLatin1(kPngMimeType);

// The native stream of a drawing of one ellipse with box rc, as Save writes it.
Bytes EllipseStream(CRect rc) {
  CKvillDoc doc;
  auto e = std::make_unique<CEllipse>();
  e->m_rcBounds = rc;
  e->m_ptAnchor = CPoint{rc.left, rc.top};
  doc.m_listObjects.push_back(std::move(e));
  Bytes bytes;
  CArchive ar(&bytes);
  doc.Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return bytes;
}

QByteArray AsQBytes(const Bytes& b) {
  return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

CClipboardSource SourceOf(const Bytes& stream, bool bNative = true) {
  CClipboardSource source;
  auto p = std::make_shared<const Bytes>(stream);
  if (bNative) source.CacheNative(p);
  source.OfferPicture(p);
  return source;
}

// What --export writes for the same stream.
QByteArray Exported(const QTemporaryDir& dir, const Bytes& stream, const char* pszOut,
                    int nDpi = 96) {
  const QString in = dir.filePath(QStringLiteral("in.vld"));
  QFile f(in);
  if (!f.open(QIODevice::WriteOnly) || f.write(AsQBytes(stream)) != qint64(stream.size()))
    return {};
  f.close();
  const QString out = dir.filePath(QString::fromLatin1(pszOut));
  std::string strError;
  if (ExportFile(in.toStdString(), out.toStdString(), nDpi, &strError) != 0) return {};
  QFile r(out);
  return r.open(QIODevice::ReadOnly) ? r.readAll() : QByteArray();
}

}  // namespace

// ---- The mime data of a copy ----

TEST(ClipboardMimeData, OffersTheStreamAndDrawsEachPictureOnceWhenAsked) {
  const Bytes stream = EllipseStream(CRect{500, 3000, 2500, 1000});
  int nDrawn = 0;
  CClipboardMimeData data(SourceOf(stream), [&](const Bytes& s, const QString& type) {
    ++nDrawn;
    return QByteArray("picture of ") + type.toLatin1() + " from " + QByteArray::number(s.size());
  });
  EXPECT_EQ(data.formats(), (QStringList{kNative, kSvg, kPng}));
  EXPECT_EQ(data.data(kNative), AsQBytes(stream));
  EXPECT_EQ(nDrawn, 0);
  const QByteArray svg = data.data(kSvg);
  EXPECT_EQ(svg, "picture of image/svg+xml from " + QByteArray::number(stream.size()));
  EXPECT_EQ(data.data(kSvg), svg);
  EXPECT_EQ(nDrawn, 1);
  data.data(kPng);
  EXPECT_EQ(nDrawn, 2);
  EXPECT_EQ(data.PicturesDrawn(), 2);
  EXPECT_FALSE(data.hasFormat(QStringLiteral("text/plain")));
  EXPECT_TRUE(data.data(QStringLiteral("text/plain")).isEmpty());
}

TEST(ClipboardMimeData, WithoutTheStreamOnlyThePicturesAndAFailedPictureIsNothing) {
  const Bytes stream = EllipseStream(CRect{0, 0, 400, -400});
  CClipboardMimeData data(SourceOf(stream, false),
                          [](const Bytes&, const QString&) { return QByteArray(); });
  EXPECT_EQ(data.formats(), (QStringList{kSvg, kPng}));
  EXPECT_FALSE(data.hasFormat(kNative));
  EXPECT_TRUE(data.data(kSvg).isEmpty());
}

// ---- The pictures, as --export draws them ----

TEST(ClipboardPictures, TheSvgIsTheExportsSvg) {
  QTemporaryDir dir;
  const Bytes stream = EllipseStream(CRect{500, 3000, 2500, 1000});
  const QByteArray svg = ClipboardPicture(stream, kSvg);
  ASSERT_FALSE(svg.isEmpty());
  EXPECT_EQ(svg, Exported(dir, stream, "out.svg"));
  // Its size is a physical one: 2200 units of 1/1440 inch are 146.67 CSS pixels.
  EXPECT_TRUE(svg.contains("width=\"147\"")) << svg.left(300).toStdString();
}

TEST(ClipboardPictures, ThePngIsAt192PixelsPerInch) {
  QTemporaryDir dir;
  const Bytes stream = EllipseStream(CRect{500, 3000, 2500, 1000});
  QImage png;
  ASSERT_TRUE(png.loadFromData(ClipboardPicture(stream, kPng), "PNG"));
  QImage exported;
  ASSERT_TRUE(exported.loadFromData(Exported(dir, stream, "out.png", 192), "PNG"));
  EXPECT_EQ(png.size(), exported.size());
  // 2200 units at 192 per inch.
  EXPECT_NEAR(png.width(), 2200 * 192 / 1440, 1);
  EXPECT_NEAR(png.dotsPerMeterX(), 192 / 0.0254, 1);
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
            exported.convertToFormat(QImage::Format_RGB32));
}

TEST(ClipboardPictures, AWidePngIsScaledDownToFit) {
  // 144000 units wide: 19200 pixels at 192 per inch, 15 pixels high plus the margin.
  const Bytes stream = EllipseStream(CRect{0, 0, 144000, -100});
  QImage png;
  ASSERT_TRUE(png.loadFromData(ClipboardPicture(stream, kPng), "PNG"));
  EXPECT_EQ(png.width(), 8192);
  const double f = 8192.0 / ((144000 + 200) * 192.0 / 1440);
  EXPECT_NEAR(png.height(), 300 * 192.0 / 1440 * f, 1.5);
}

TEST(ClipboardPictures, NoPictureOfWhatIsNoDrawing) {
  EXPECT_TRUE(ClipboardPicture(Bytes{1, 2, 3}, kSvg).isEmpty());
  EXPECT_TRUE(ClipboardPicture(EllipseStream(CRect{0, 0, 400, -400}), QStringLiteral("text/plain"))
                  .isEmpty());
}

// ---- The system clipboard ----

TEST(QtClipboard, ACopyGoesOnTheClipboardAndComesBack) {
  const Bytes stream = EllipseStream(CRect{0, 0, 400, -400});
  CQtClipboard clipboard(ClipboardPicture);
  clipboard.SetData(SourceOf(stream));
  const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(pData, nullptr);
  EXPECT_EQ(pData->formats(), (QStringList{kNative, kSvg, kPng}));
  EXPECT_TRUE(clipboard.HasNativeData());
  EXPECT_EQ(clipboard.GetNativeData(), stream);

  // Another program's text: no drawing to paste.
  QGuiApplication::clipboard()->setText(QStringLiteral("H2O"));
  EXPECT_FALSE(clipboard.HasNativeData());
  EXPECT_FALSE(clipboard.GetNativeData().has_value());
}

class ClipboardCommands : public ShellFixture {
 protected:
  static void PressKey(QWidget* w, int key, Qt::KeyboardModifiers mods) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &press);
  }
  static QByteArray ClipboardNative() {
    const QMimeData* p = QGuiApplication::clipboard()->mimeData();
    return p != nullptr ? p->data(kNative) : QByteArray();
  }
};

TEST_F(ClipboardCommands, TheMainWindowsKeysAndMenuCopyCutAndPaste) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  QGuiApplication::clipboard()->clear();
  CKvillDoc* doc = frame->Document();
  CKvillView* view = frame->View();
  QWidget* client = frame->ViewWidget()->Client();
  auto e = std::make_unique<CEllipse>();
  e->m_rcBounds = CRect{0, 0, 400, -400};
  e->m_ptAnchor = CPoint{0, 0};
  CKVObject* pEllipse = e.get();
  doc->m_listObjects.push_back(std::move(e));
  view->UpdateView();

  // Ctrl+E: the whole drawing.
  PressKey(client, Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(ClipboardNative().size(), qsizetype(EllipseStream(CRect{0, 0, 400, -400}).size()));
  // Ctrl+C with nothing selected: an empty selection.
  PressKey(client, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(ClipboardNative().size(), 18);
  // The Edit menu's Copy Selection and Ctrl+V: the selected ellipse once more.
  pEllipse->m_bSelected = 1;
  view->SetSelCount(1);
  frame->MenuAction(32794)->trigger();
  PressKey(client, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(doc->m_listObjects.size(), 2u);
  EXPECT_EQ(doc->m_listObjects.back()->m_rcBounds, (CRect{1000, -1000, 1400, -1400}));
  EXPECT_TRUE(doc->IsModified());
  // Ctrl+X takes the pasted one away again.
  PressKey(client, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(doc->m_listObjects.size(), 1u);
  EXPECT_EQ(ClipboardNative().size(), qsizetype(EllipseStream(CRect{0, 0, 400, -400}).size()));
}

// The SMILES of the selected molecules, joined by '.'.
std::string SelectedSmiles(const CKvillDoc& doc) {
  const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(s);
  std::string out;
  for (std::size_t m = 0; m < s.molecules.size(); ++m) {
    const CKVObject* pTop = s.atoms[s.molecules[m].atoms[0]].pSource;
    while (pTop->m_pParent != nullptr) pTop = pTop->m_pParent;
    if (pTop->m_bSelected) out += (out.empty() ? "" : ".") + set.Smiles(static_cast<int>(m));
  }
  return out;
}

TEST_F(ClipboardCommands, OtherProgramsStructuresArePastedAndTheirTextIsNeverTrusted) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  frame->View()->Settings().m_bEnglish = 1;
  CKvillDoc* doc = frame->Document();
  QWidget* client = frame->ViewWidget()->Client();
  const auto put = [](const QString& type, const QByteArray& bytes) {
    auto* p = new QMimeData;
    p->setData(type, bytes);
    QGuiApplication::clipboard()->setMimeData(p);
  };
  const auto paste = [&] {
    frame->MessagePane()->clear();
    PressKey(client, Qt::Key_V, Qt::ControlModifier);
  };
  const std::string ethanol = *CanonicalSmiles("CCO");
  const std::string benzene = *CanonicalSmiles("c1ccccc1");
  // Plain text, one SMILES a line, and the SMILES type: placed selected, one group each.
  put(QStringLiteral("text/plain"), "CCO ethanol\nc1ccccc1\n");
  paste();
  ASSERT_EQ(doc->m_listObjects.size(), 2u);
  EXPECT_EQ(SelectedSmiles(*doc), ethanol + "." + benzene);
  CDrawingStructure s = ReadDrawingStructure(doc->m_listObjects);
  CMoleculeSet set(s);
  const QByteArray mol = QByteArray::fromStdString(set.MolBlock({0}, "ethanol"));
  put(QString::fromLatin1(kSmilesMimeType), "c1ccccc1");
  paste();
  ASSERT_EQ(doc->m_listObjects.size(), 3u);
  EXPECT_EQ(SelectedSmiles(*doc), benzene) << "only the newest paste is selected";
  // A MOL record, as chemical/x-mdl-molfile and as plain text (each into an empty drawing:
  // two pastes of one molecule land on each other).
  for (const QString& type :
       {QString::fromLatin1(kMolfileMimeType), QStringLiteral("text/plain")}) {
    frame->ResetToNewDocument();
    put(type, mol);
    paste();
    EXPECT_EQ(doc->m_listObjects.size(), 1u) << type.toStdString();
    EXPECT_EQ(SelectedSmiles(*doc), ethanol) << type.toStdString();
  }
  // Prose, broken SMILES and too much text: nothing placed, the status bar says why.
  const struct {
    QByteArray text;
    QString said;
  } refused[] = {
      {"the mixture was stirred overnight",
       QStringLiteral("Nothing to paste: the text is neither a MOL record nor SMILES")},
      {"C1CC(", QStringLiteral("Nothing to paste: 'C1CC(' is not valid SMILES")},
      {QByteArray(CStructureCommands::kMaxPasteBytes + 1, 'C'),
       QStringLiteral("Nothing pasted: the clipboard holds more than 10 MB of text.")},
  };
  for (const auto& r : refused) {
    put(QStringLiteral("text/plain"), r.text);
    paste();
    EXPECT_EQ(doc->m_listObjects.size(), 1u);
    EXPECT_EQ(frame->MessagePane()->text(), r.said);
  }
  // Our own drawing on the clipboard comes first, whatever text lies beside it.
  PressKey(client, Qt::Key_E, Qt::ControlModifier);
  paste();
  EXPECT_EQ(doc->m_listObjects.size(), 2u);
}
