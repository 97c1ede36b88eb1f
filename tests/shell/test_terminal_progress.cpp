// The command line's progress line: shown on a terminal once the work has taken a moment,
// rewritten in place and ended with a newline; never written anywhere else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "shell/CTerminalProgress.h"

namespace {

// Everything the other end of a descriptor has received so far.
std::string Drain(int fd) {
  std::string out;
  char buf[256];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

class Pty {
 public:
  Pty() {
    EXPECT_EQ(::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr), 0);
    // Reading must not wait once everything written has been read.
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
  }
  ~Pty() {
    ::close(m_master);
    ::close(m_slave);
  }
  int Terminal() const { return m_slave; }
  std::string Read() {
    ::fcntl(m_master, F_SETFL, O_NONBLOCK);
    return Drain(m_master);
  }

 private:
  int m_master = -1, m_slave = -1;
};

}  // namespace

TEST(TerminalProgress, ALineOnATerminalEndedByANewline) {
  Pty pty;
  {
    CTerminalProgress progress("exporting out.png", pty.Terminal(), std::chrono::milliseconds(0));
    WorkProgress report = progress.Callback();
    EXPECT_TRUE(report(0, 200));
    EXPECT_TRUE(progress.IsShown());
    EXPECT_TRUE(report(100, 200));  // too soon after the last line to be written
    progress.Finish();
  }
  const std::string out = pty.Read();
  EXPECT_EQ(out, "\rvalendra: exporting out.png:   0%\rvalendra: exporting out.png: 100%\n");
}

TEST(TerminalProgress, NothingForQuickWorkOrAnythingButATerminal) {
  {
    // Work that ends before the delay shows nothing, not even at its end.
    Pty pty;
    {
      CTerminalProgress progress("converting x.vld", pty.Terminal(), std::chrono::hours(1));
      for (int i = 0; i <= 100; ++i) progress.Step(i, 100);
      progress.Finish();
      EXPECT_FALSE(progress.IsShown());
    }
    EXPECT_EQ(pty.Read(), "");
  }
  {
    // A pipe (a script reading stderr) never sees the line.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
      CTerminalProgress progress("exporting y.png", fds[1], std::chrono::milliseconds(0));
      progress.Step(50, 100);
      progress.Finish();
      EXPECT_FALSE(progress.IsShown());
    }
    ::close(fds[1]);
    EXPECT_EQ(Drain(fds[0]), "");
    ::close(fds[0]);
  }
}

TEST(TerminalProgress, StagesShareOneScale) {
  std::vector<std::int64_t> seen;
  const WorkProgress whole = [&](std::int64_t n, std::int64_t total) {
    EXPECT_EQ(total, 100);
    seen.push_back(n);
    return n < 60;
  };
  const WorkProgress reading = StageProgress(whole, 0, 10);
  const WorkProgress drawing = StageProgress(whole, 10, 70);
  EXPECT_TRUE(reading(0, 4000));
  EXPECT_TRUE(reading(4000, 4000));
  EXPECT_TRUE(drawing(1, 3));
  // The answer of the whole comes back through the stage.
  EXPECT_FALSE(drawing(3, 3));
  // Out-of-range reports stay within the stage.
  EXPECT_TRUE(reading(9000, 4000));
  EXPECT_TRUE(reading(5, 0));
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 10, 30, 70, 10, 0}));
  EXPECT_FALSE(StageProgress({}, 0, 50));
}
