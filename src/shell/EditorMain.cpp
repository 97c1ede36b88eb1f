#include "shell/EditorMain.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/CTextMetrics.h"
#include "shell/CKvillApp.h"

QIcon ProgramIcon() {
  // The icon drawn for the program, in the sizes rendered from it at build time.
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/valendra-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

bool HaveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "VALENDRA_EDITOR"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  // A Qt platform chosen by name counts, except the ones that show nothing.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || *platform == '\0') return false;
  const std::string name(platform);
  return name.rfind("offscreen", 0) != 0 && name.rfind("minimal", 0) != 0;
}

bool IsEditorSwitch(const char* pszArg) {
  const QStringList one{QString::fromLocal8Bit(pszArg)};
  const CKvillApp::CommandLine cl = CKvillApp::ParseCommandLine(one);
  return cl.bEmbedding || cl.bAutomation || cl.bInPlace || cl.bRecover;
}

int RunEditor(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Valendra"));
  // The desktop matches the window with the installed desktop entry and shows its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("valendra"));
  QApplication::setWindowIcon(ProgramIcon());
  // The language record decides the interface before any text is loaded.
  CKvillApp theApp;
  // Formula bytes typed and drawn in the Czech interface are Central European.
  CTextMetrics::SetCodePage(theApp.InterfaceLanguage() == res::Language::Czech ? 1250 : 1252);
  if (!theApp.InitInstance(QApplication::arguments().mid(1))) {
    if (!theApp.m_strStartError.isEmpty()) {
      std::fprintf(stderr, "valendra: %s\n", qPrintable(theApp.m_strStartError));
    }
    return 1;
  }
  const int nStatus = QApplication::exec();
  theApp.ExitInstance();
  return nStatus;
}
