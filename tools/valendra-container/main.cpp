// valendra-container: shows a Valendra drawing in a small document window and edits it in
// place with the editor, as any program that embeds Valendra can.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

#include "CContainerWindow.h"

namespace {

// The editor beside this program (an installed or a built pair), else the one on the path.
QString DefaultEditor() {
  const QString beside =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("valendra"));
  if (QFileInfo(beside).isExecutable()) return beside;
  const QString onPath = QStandardPaths::findExecutable(QStringLiteral("valendra"));
  return onPath.isEmpty() ? QStringLiteral("valendra") : onPath;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("valendra-container"));
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("A document window that embeds a Valendra drawing and edits it in place."));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the drawing (.vld)"));
  const QCommandLineOption editor(QStringLiteral("editor"),
                                  QStringLiteral("the Valendra program to edit with"),
                                  QStringLiteral("PROGRAM"), DefaultEditor());
  const QCommandLineOption trace(
      QStringLiteral("trace"),
      QStringLiteral("write every protocol line and every picture shown on standard output"));
  parser.addOption(editor);
  parser.addOption(trace);
  parser.process(app);
  if (parser.positionalArguments().size() != 1) {
    std::fprintf(stderr, "usage: valendra-container [--editor PROGRAM] [--trace] FILE\n");
    return 2;
  }
  const QString file = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
  CContainerWindow window(file, parser.value(editor), parser.isSet(trace));
  window.show();
  return QApplication::exec();
}
