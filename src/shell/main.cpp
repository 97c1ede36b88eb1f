#include <QGuiApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("Valendra %s\n", "0.1.0");
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0) {
      std::printf("Usage: valendra [FILE]\n");
      return 0;
    }
  }
  QGuiApplication app(argc, argv);
  return 0;
}
