// Feeds arbitrary bytes, in reads of arbitrary sizes, to the container channel's request
// reader: only a whole "deactivate" line (or the end) ends the editing, once, and nothing
// after it is heard; no line handed on is longer than the reader keeps.

#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/CContainerChannel.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  int fds[2];
  if (::pipe(fds) != 0) return 0;
  std::FILE* out = std::fopen("/dev/null", "w");
  {
    CContainerChannel channel(fds[0], out);
    int nDeactivations = 0;
    bool bHeardAfterEnd = false;
    channel.m_fnDeactivate = [&] { ++nDeactivations; };
    channel.m_fnUnknown = [&](const QString& line) {
      if (channel.IsEnded()) bHeardAfterEnd = true;
      if (line.toUtf8().size() > CContainerChannel::kMaxLine + CContainerChannel::kReadSize) {
        std::abort();
      }
      if (line.trimmed() == QLatin1String("deactivate")) std::abort();
    };
    // The first byte chooses how the rest is cut into reads.
    const std::size_t nStep = 1 + (data[0] * 37u) % CContainerChannel::kReadSize;
    const char* p = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;
    while (left > 0) {
      const std::size_t n = left < nStep ? left : nStep;
      channel.Feed(p, n);
      p += n;
      left -= n;
    }
    if (nDeactivations > 1 || bHeardAfterEnd) std::abort();
    if (nDeactivations == 1 && !channel.IsEnded()) std::abort();
    channel.Send(QStringLiteral("status fuzzing"));
  }
  std::fclose(out);
  ::close(fds[0]);
  ::close(fds[1]);
  return 0;
}
