#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureCommandLine.h"
#include "document/CKvillDoc.h"
#include "document/CommandLine.h"
#include "objects/CKVObject.h"
#include "platform/CSafeFile.h"
#include "shell/CTerminalProgress.h"
#include "shell/DrawingRenderer.h"
#include "shell/EditorMain.h"
#include "shell/ExportPicture.h"
#include "shell/SampleDrawing.h"

namespace {

constexpr const char* kVersion = "0.1.0";

// The sample pictures: 192 pixels per inch of the sample's box (1440 units per inch).
constexpr int kSamplePixelsPerInch = 192;

int SamplePixels(std::int64_t nUnits) {
  return static_cast<int>(std::llabs(nUnits) * kSamplePixelsPerInch / 1440);
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: valendra [FILE]\n"
               "       valendra --embedding FILE [--in-place WINDOW [TOOLBARWINDOW]]\n"
               "       valendra [OPTION]\n"
               "Valendra, an editor for chemical structure drawings.\n"
               "\n"
               "With a display, opens the editor window; FILE opens in it after start-up.\n"
               "--embedding FILE edits FILE for another program (Update writes it back).\n"
               "--in-place WINDOW edits it inside that program's X11 window (an id in\n"
               "decimal or 0x-hex), the toolbar in TOOLBARWINDOW if given; Esc or a\n"
               "'deactivate' line on standard input ends it (see valendra(1)).\n"
               "While the editor runs, another program can have it copy the drawing to the\n"
               "clipboard: method Copy of interface org.valendra.Editor, object\n"
               "/org/valendra/Editor, service org.valendra.Editor.pidPID on the session bus\n"
               "(PID the editor's process id).\n"
               "Without a display and without arguments, exports a built-in sample drawing\n"
               "to sample.png, sample.svg and sample.pdf in the current folder, with\n"
               "sample-view.png showing it as the editor's window does, and prints their paths.\n"
               "\n"
               "  --convert IN OUT  read IN as Open does and write OUT as Save does; an OUT\n"
               "                    ending in .mol, .sdf, .smi, .inchi or .rxn gets the\n"
               "                    drawing's molecules (or its first reaction) instead\n"
               "  --info IN         summary of a drawing file and of its molecules\n"
               "  --export IN OUT [--dpi N]\n"
               "                    the drawing IN as a picture: OUT ends in .svg, .png\n"
               "                    (N pixels per inch, 300 unless given) or .pdf\n"
               "  --thumbnail IN OUT SIZE\n"
               "                    a PNG preview of IN for file managers, its longer side\n"
               "                    SIZE pixels, on white\n"
               "  --help            show this help and exit\n"
               "  --version         show the version and exit\n");
}

// Without a display the Qt platform plugin would fail to start; pictures need none.
void UseOffscreenWithoutDisplay() {
  if (std::getenv("QT_QPA_PLATFORM") != nullptr) return;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool bNoDisplay =
      (display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0');
  if (bNoDisplay) qputenv("QT_QPA_PLATFORM", "offscreen");
}

bool WriteFile(const QString& path, const QByteArray& data, QString* pError) {
  return CSafeFile::Write(path,
                          std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                    static_cast<std::size_t>(data.size())),
                          pError);
}

int WriteSamplePictures() {
  CKvillDoc doc;
  BuildSampleDrawing(doc.m_listObjects);
  const CRect box = SampleDrawingBox();
  const QDir dir = QDir::current();
  const QString viewPath = dir.absoluteFilePath(QStringLiteral("sample-view.png"));
  std::vector<QString> paths;

  // The drawing as the editor's window shows it, selection marks and all.
  const int nWidth = SamplePixels(static_cast<std::int64_t>(box.right) - box.left);
  const int nHeight = SamplePixels(static_cast<std::int64_t>(box.top) - box.bottom);
  const QImage image = RenderImage(doc.m_listObjects, box, nWidth, nHeight);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
  }
  QString error;
  if (png.isEmpty() || !WriteFile(viewPath, png, &error)) {
    std::fprintf(stderr, "valendra: cannot write %s: %s\n", qPrintable(viewPath),
                 png.isEmpty() ? "PNG encoding failed" : qPrintable(error));
    return 1;
  }
  paths.push_back(viewPath);

  // The picture of the drawing as --export writes it, in each of its formats.
  for (const char* pszName : {"sample.png", "sample.svg", "sample.pdf"}) {
    const QString path = dir.absoluteFilePath(QString::fromLatin1(pszName));
    std::string strError;
    if (ExportDocument(doc, path.toStdString(), kSamplePixelsPerInch, &strError) != 0) {
      std::fprintf(stderr, "valendra: %s\n", strError.c_str());
      return 1;
    }
    paths.push_back(path);
  }
  for (const QString& path : paths) std::printf("%s\n", qPrintable(path));
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // --convert and --info work without a window. A converted drawing is written as the
  // editor writes its files.
  const auto writeDrawing = [](const std::string& strPath, std::span<const std::uint8_t> bytes,
                               std::string* pReason) {
    QString reason;
    const bool bOk = CSafeFile::Write(QString::fromLocal8Bit(strPath.c_str()), bytes, &reason);
    if (!bOk && pReason != nullptr) *pReason = reason.toStdString();
    return bOk;
  };
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty()) {
    CTerminalProgress progress(args.size() == 3 ? "converting " + args[2] : std::string());
    const int nToolStatus =
        RunStructureTool(args, writeDrawing, std::cout, std::cerr, progress.Callback());
    if (nToolStatus == 0) progress.Finish();
    if (nToolStatus >= 0) return nToolStatus;
  }
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      // The cheminformatics library's own version: what its SMILES and MOL files follow.
      std::printf("Valendra %s\n%s\n", kVersion, ChemistryLibraryVersion().c_str());
      return 0;
    }
  }
  if (argc > 1 && std::strcmp(argv[1], "--export") == 0) {
    UseOffscreenWithoutDisplay();
    QGuiApplication app(argc, argv);
    return RunExportCommand(argc - 2, argv + 2);
  }
  if (argc > 1 && std::strcmp(argv[1], "--thumbnail") == 0) {
    // File managers run thumbnailers with a display or without; neither shows a window.
    // Their error output lands in the file manager's log, where Qt's remarks about the
    // environment (no runtime folder in a sandbox) would only be noise: our own errors stay.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
      if (type == QtFatalMsg) std::fprintf(stderr, "valendra: %s\n", qPrintable(msg));
    });
    QGuiApplication app(argc, argv);
    return RunThumbnailCommand(argc - 2, argv + 2);
  }
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] == '-' && !IsEditorSwitch(arg)) {
      std::fprintf(stderr, "valendra: unknown option '%s'\nTry 'valendra --help'.\n", arg);
      return 2;
    }
  }
  // With a display, the editor; a file named opens in it.
  if (HaveDisplay()) return RunEditor(argc, argv);
  for (int i = 1; i < argc; ++i) {
    // The last argument is a window id then, not a file.
    if (std::strcmp(argv[i], "--in-place") == 0) {
      std::fprintf(stderr, "valendra: in-place editing needs an X11 display, and none is set\n");
      return 2;
    }
  }
  if (argc > 1) {
    std::fprintf(stderr,
                 "valendra: cannot open '%s': no display for the editor window\n"
                 "Try 'valendra --help'.\n",
                 argv[argc - 1]);
    return 2;
  }

  UseOffscreenWithoutDisplay();
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName(QStringLiteral("Valendra"));
  QGuiApplication::setApplicationVersion(QString::fromLatin1(kVersion));
  return WriteSamplePictures();
}
