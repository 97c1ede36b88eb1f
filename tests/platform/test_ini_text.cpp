// The settings file's text: read as Qt's settings classes read it, written so that they
// read back what was set, and every line but the one set kept byte for byte.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <random>

#include "platform/CIniText.h"

namespace {

// Values that need every kind of spelling: quotes, escapes, lists, the at sign, spaces at
// the ends, control characters, hex digits after an escape, UTF-8.
const std::vector<std::string> kTrickyValues = {
    "",
    "0 1 44 -1 -32000",
    "/home/x/a b,c;d=e\"q\\z \xc5\xa1\xc4\x8d\xc5\x99\ttab",
    "@at start",
    "@@two",
    " lead",
    "trail ",
    "  ",
    std::string("nul\0"
                "7after",
                10),
    "\x01"
    "a\x1f"
    "F\x7f"
    "0",
    "line\nbreak\r\n",
    "#not a comment",
    "[not a section]",
    "x=y",
};

std::string ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

void WriteFile(const QString& path, const std::string& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.data(), qint64(text.size()));
}

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

TEST(IniText, QtReadsWhatIsSetAndWeReadWhatQtWrites) {
  QTemporaryDir dir;
  const QString ours = dir.filePath("ours.ini"), theirs = dir.filePath("theirs.ini");
  const std::vector<std::string> keys = {
      "Software/Classes/Valendra/settings", "Software/Valendra/Valendra/Recent File List/File1",
      "Software/Odd Key=x;y[z]#h%u\xc5\xa1/v", "toplevel", "Sec tion \xc5\x99/k"};
  CIniText ini;
  for (std::size_t i = 0; i < kTrickyValues.size(); ++i) {
    const std::string& key = keys[i % keys.size()] + std::to_string(i);
    ini.SetValue(key, kTrickyValues[i]);
    QSettings qt(theirs, QSettings::IniFormat);
    qt.setValue(Q(key), Q(kTrickyValues[i]));
  }
  WriteFile(ours, ini.Text());
  const QSettings fromOurs(ours, QSettings::IniFormat);
  const CIniText fromTheirs(ReadFile(theirs));
  for (std::size_t i = 0; i < kTrickyValues.size(); ++i) {
    const std::string& key = keys[i % keys.size()] + std::to_string(i);
    SCOPED_TRACE(key);
    EXPECT_EQ(fromOurs.value(Q(key)).toString(), Q(kTrickyValues[i]));
    EXPECT_EQ(fromTheirs.Value(key), kTrickyValues[i]);
    EXPECT_EQ(ini.Value(key), kTrickyValues[i]);
  }
  EXPECT_EQ(fromOurs.allKeys().size(), qsizetype(kTrickyValues.size()));
  EXPECT_EQ(fromTheirs.Keys().size(), kTrickyValues.size());
}

TEST(IniText, HandWrittenFilesReadAsQtReadsThem) {
  const CIniText ini(
      "; a comment\n"
      "[Software]\n"
      "A\\b=\"x,y\"\n"
      "A\\c=x,y\n"
      "A\\d =  spaced out ; comment\n"
      "A\\e=\\x0161\\n\n"
      "A%5Cf=g\n"
      "garbage line without equals\n"
      "[software]\n"
      "A\\b=lower\n"
      "[Software]\n"
      "A\\b=again\r\n"
      "[General]\n"
      "top=1\n"
      "[Unclosed\n"
      "k=v");
  EXPECT_EQ(ini.Value("Software/A/b"), "again");
  EXPECT_EQ(ini.Value("Software/A/c"), "");  // a list
  EXPECT_EQ(ini.Value("Software/A/d"), "spaced out");
  EXPECT_EQ(ini.Value("Software/A/e"), "\xc5\xa1\n");
  EXPECT_EQ(ini.Value("Software/A\\f"), "g");
  EXPECT_EQ(ini.Value("software/A/b"), "lower");
  EXPECT_EQ(ini.Value("top"), "1");
  EXPECT_EQ(ini.Value("Unclosed/k"), "v");
  EXPECT_FALSE(ini.Value("Software/garbage line without equals").has_value());
  EXPECT_FALSE(ini.Value("Software/A").has_value());
}

TEST(IniText, SettingAValueKeepsEveryOtherLine) {
  const std::string text =
      "; kept\r\n"
      "[Other]\r\n"
      "x = \"weird\" ,spacing\r\n"
      "[Software]\r\n"
      "Classes\\Valendra\\kill=4711\r\n"
      "Classes\\Valendra\\kill=0\r\n"
      "\r\n"
      "[Tail]\r\n"
      "t=1";
  CIniText ini(text);
  ini.SetValue("Software/Classes/Valendra/kill", "123");
  ini.SetValue("Software/Classes/Valendra/settings2", "1029");
  ini.SetValue("Fresh/Recent File List/File1", "/a,b");
  EXPECT_EQ(ini.Text(),
            "; kept\r\n"
            "[Other]\r\n"
            "x = \"weird\" ,spacing\r\n"
            "[Software]\r\n"
            "Classes\\Valendra\\kill=4711\r\n"
            "Classes\\Valendra\\kill=123\r\n"
            "Classes\\Valendra\\settings2=1029\n"
            "\r\n"
            "[Tail]\r\n"
            "t=1\n"
            "\n"
            "[Fresh]\n"
            "Recent%20File%20List\\File1=\"/a,b\"\n");
  // An empty file gets Qt's layout.
  CIniText empty;
  empty.SetValue("top", "1");
  empty.SetValue("S/k", "v");
  EXPECT_EQ(empty.Text(), "[General]\ntop=1\n\n[S]\nk=v\n");
}

TEST(IniText, AnyValueComesBackAsSet) {
  std::mt19937 rng(20240611);
  for (int n = 0; n < 2000; ++n) {
    std::string value(rng() % 12, ' ');
    for (char& c : value) {
      // Mostly the characters that matter to the spelling, some of any byte.
      static const char kSpecial[] = " \t\\\"@,;=#[]%0123456789abcdefxX\n\r";
      c = rng() % 3 == 0 ? char(rng() % 256) : kSpecial[rng() % (sizeof kSpecial - 1)];
    }
    SCOPED_TRACE(testing::PrintToString(value));
    ASSERT_EQ(CIniText::UnescapeValue(CIniText::EscapeValue(value)), value);
    CIniText ini("[S]\nk=old\n");
    ini.SetValue("S/k", value);
    ASSERT_EQ(CIniText(ini.Text()).Value("S/k"), value);
  }
}
