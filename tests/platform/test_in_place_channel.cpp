// The container's side of in-place editing: window ids as containers write them, the
// windows they name, and the lines exchanged on the editor's standard input and output.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/CContainerChannel.h"
#include "platform/CInPlaceSite.h"
#include "tests/shell/PumpUntil.h"

namespace {

TEST(InPlaceSite, WindowIdsInDecimalAndHexadecimal) {
  struct Case {
    const char* text;
    std::optional<std::uint32_t> id;
  };
  const Case cases[] = {
      {"12345", 12345u},
      {"0x1a00003", 0x1a00003u},
      {"0X1A00003", 0x1a00003u},
      {"0xffffffff", 0xffffffffu},
      {"4294967295", 0xffffffffu},
      {"4294967296", std::nullopt},  // no X window id is that large
      {"0x100000000", std::nullopt},
      {"0", std::nullopt},  // no window
      {"0x0", std::nullopt},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"-5", std::nullopt},
      {"+5", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"12ab", std::nullopt},
      {"0x12g", std::nullopt},
      {"0x-1", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CInPlaceSite::ParseWindowId(QString::fromLatin1(c.text)), c.id) << c.text;
  }
  EXPECT_EQ(CInPlaceSite::FormatId(0x1a00003), QStringLiteral("0x1a00003"));
}

TEST(InPlaceSite, OpeningSaysWhyAWindowCannotBeUsed) {
  QString error;
  EXPECT_EQ(CInPlaceSite::Open(QStringLiteral("window"), &error), nullptr);
  EXPECT_TRUE(error.contains(QStringLiteral("'window' is not a window id"))) << error.toStdString();
  // The tests run without X11: a real id is refused with the reason and the display's name.
  ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
  error.clear();
  EXPECT_EQ(CInPlaceSite::Open(QStringLiteral("0x400001"), &error), nullptr);
  EXPECT_TRUE(error.contains(QStringLiteral("needs an X11 display"))) << error.toStdString();
  EXPECT_TRUE(error.contains(QGuiApplication::platformName())) << error.toStdString();
  EXPECT_FALSE(CInPlaceSite::Exists(0x400001));
  // A window of our own reports its own size.
  QWindow own;
  own.resize(321, 123);
  EXPECT_EQ(CInPlaceSite::Size(own), QSize(321, 123));
}

// A channel reading from a pipe the test writes into, writing into a temporary file.
class ChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::pipe(m_fds), 0);
    m_pOut = std::tmpfile();
    ASSERT_NE(m_pOut, nullptr);
    m_pChannel = std::make_unique<CContainerChannel>(m_fds[0], m_pOut);
    m_pChannel->m_fnDeactivate = [this] { ++m_nDeactivations; };
    m_pChannel->m_fnUnknown = [this](const QString& line) { m_unknown.push_back(line); };
  }
  void TearDown() override {
    m_pChannel.reset();
    CloseInput();
    ::close(m_fds[0]);
    std::fclose(m_pOut);
  }
  void Write(const std::string& text) {
    ASSERT_EQ(::write(m_fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseInput() {
    if (m_fds[1] >= 0) ::close(m_fds[1]);
    m_fds[1] = -1;
  }
  // Handles events until the channel has read everything written so far (the pipe is
  // empty; a line is handled in the same turn as its bytes are read).
  void Drain() {
    ASSERT_TRUE(PumpUntil([&] {
      int nUnread = 0;
      return ::ioctl(m_fds[0], FIONREAD, &nUnread) == 0 && nUnread == 0;
    }));
  }
  std::string Output() {
    std::fflush(m_pOut);
    std::rewind(m_pOut);
    std::string s;
    for (int ch = std::fgetc(m_pOut); ch != EOF; ch = std::fgetc(m_pOut)) s += char(ch);
    return s;
  }

  int m_fds[2] = {-1, -1};
  std::FILE* m_pOut = nullptr;
  std::unique_ptr<CContainerChannel> m_pChannel;
  int m_nDeactivations = 0;
  std::vector<QString> m_unknown;
};

TEST_F(ChannelTest, DeactivateLineEndsOnceEvenInPieces) {
  Write("deac");
  Drain();
  EXPECT_EQ(m_nDeactivations, 0);
  EXPECT_TRUE(m_unknown.empty());
  Write("\ndeact");
  Drain();
  EXPECT_EQ(m_unknown, std::vector<QString>{QStringLiteral("deac")});
  EXPECT_EQ(m_nDeactivations, 0);
  Write("ivate\r\n");
  Drain();
  EXPECT_EQ(m_nDeactivations, 1);
  EXPECT_TRUE(m_pChannel->IsEnded());
  // Whatever comes after is not read, and the end of the input does not end it again.
  Write("deactivate\n");
  CloseInput();
  QCoreApplication::processEvents();
  EXPECT_EQ(m_nDeactivations, 1);
}

TEST_F(ChannelTest, TheEndOfTheInputEndsTheEditing) {
  Write("size 10 20\n\n");
  Drain();
  EXPECT_EQ(m_unknown, std::vector<QString>{QStringLiteral("size 10 20")});  // not a request
  EXPECT_EQ(m_nDeactivations, 0);
  CloseInput();
  ASSERT_TRUE(PumpUntil([&] { return m_nDeactivations > 0; }));
  EXPECT_EQ(m_nDeactivations, 1);
}

TEST_F(ChannelTest, NearMissesAndOverlongLinesAreNoRequest) {
  Write("deactivated\n DEACTIVATE\ndeactivate now\n");
  Drain();
  EXPECT_EQ(m_unknown.size(), 3u);
  // A line longer than any request, even one ending in a request, is none, whether it
  // comes in one piece or in several.
  Write(std::string(CContainerChannel::kMaxLine + 10, 'x') + "deactivate\n");
  Drain();
  Write(std::string(CContainerChannel::kMaxLine + 10, 'x'));
  Drain();
  Write("deactivate\n");
  Drain();
  EXPECT_EQ(m_nDeactivations, 0);
  Write("deactivate\n");
  Drain();
  EXPECT_EQ(m_nDeactivations, 1);
}

TEST_F(ChannelTest, NewsGoOutAsWholeLines) {
  EXPECT_TRUE(m_pChannel->Send(QStringLiteral("activated")));
  EXPECT_TRUE(m_pChannel->SendSize(640, 480));
  EXPECT_TRUE(m_pChannel->Send(QStringLiteral("status Insert Clipboard contents")));
  EXPECT_EQ(Output(), "activated\nsize 640 480\nstatus Insert Clipboard contents\n");
}

TEST(ContainerChannel, NoInputAtAllEndsTheEditing) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  ::close(fds[1]);
  CContainerChannel channel(fds[0], nullptr);
  int nDeactivations = 0;
  channel.m_fnDeactivate = [&] { ++nDeactivations; };
  ASSERT_TRUE(PumpUntil([&] { return nDeactivations > 0; }));
  EXPECT_FALSE(channel.Send(QStringLiteral("deactivated")));  // nowhere to say it
}

}  // namespace
