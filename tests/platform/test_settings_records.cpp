// The three records kept between runs: their exact text, their defaults, and the INI file
// that holds them.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/CSettingsRecord.h"
#include "platform/CSettingsStore.h"

TEST(SettingsRecord, DefaultsAndExactText) {
  const CSettingsRecord def;
  EXPECT_EQ(def.Format(), "0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1");

  CSettingsRecord r;
  r.m_bDrawBarPlaced = 1;
  r.m_bDrawBarVisible = 0;
  r.m_wpDrawBar = {44, 0, 1, -1, -1, -32000, -32000, 900, 120, 1000, 600};
  r.m_bMaximized = 1;
  r.m_rcMainWnd = {10, 20, 1210, 920};
  r.m_bToolBarHidden = 1;
  r.m_bStatusBarVisible = 0;
  const std::string text = r.Format();
  EXPECT_EQ(text, "1 0 44 0 1 -1 -1 -32000 -32000 900 120 1000 600 1 10 20 1210 920 1 0");

  CSettingsRecord back;
  EXPECT_EQ(back.Parse(text), 20);
  EXPECT_EQ(back, r);
  EXPECT_EQ(back.Format(), text);
}

TEST(SettingsRecord, ScanningKeepsItemsThatWereNotRead) {
  CSettingsRecord r;
  r.m_bToolBarHidden = 1;
  // Three items, then something that is not a number: the rest keep their values.
  EXPECT_EQ(r.Parse("1  0\t44 x 5"), 3);
  EXPECT_EQ(r.m_bDrawBarPlaced, 1);
  EXPECT_EQ(r.m_bDrawBarVisible, 0);
  EXPECT_EQ(r.m_wpDrawBar[0], 44);
  EXPECT_EQ(r.m_wpDrawBar[1], 0);
  EXPECT_EQ(r.m_bToolBarHidden, 1);
  EXPECT_EQ(r.m_bStatusBarVisible, 1);

  CSettingsRecord s;
  EXPECT_EQ(s.Parse(""), 0);
  EXPECT_EQ(s, CSettingsRecord());
  // A number too large for 32 bits is not read, and stops the scan.
  EXPECT_EQ(s.Parse("7 99999999999 3"), 1);
  EXPECT_EQ(s.m_bDrawBarPlaced, 7);
  EXPECT_EQ(s.m_bDrawBarVisible, 1);
  // Extra items beyond twenty are ignored.
  EXPECT_EQ(s.Parse("1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1"), 20);
}

TEST(SettingsRecord, LanguageAndKillRecords) {
  EXPECT_EQ(ParseLanguageRecord("1029"), 1029);
  EXPECT_EQ(ParseLanguageRecord(" 1033"), 1033);
  EXPECT_EQ(ParseLanguageRecord("0"), 0);
  EXPECT_EQ(ParseLanguageRecord(""), 0);
  EXPECT_EQ(ParseLanguageRecord("abc"), 0);
  // The identifier is a 16-bit word.
  EXPECT_EQ(ParseLanguageRecord("66565"), 1029);
  EXPECT_EQ(FormatLanguageRecord(1029), "1029");
  EXPECT_EQ(FormatLanguageRecord(65535), "65535");

  EXPECT_EQ(ParseKillRecord("0"), 0);
  EXPECT_EQ(ParseKillRecord("4711"), 4711);
  EXPECT_EQ(ParseKillRecord(""), 0);
  EXPECT_EQ(ParseKillRecord("12a"), 0);
  EXPECT_EQ(ParseKillRecord("-5"), 0);
  EXPECT_EQ(ParseKillRecord("99999999999"), 0);
}

TEST(SettingsStore, RecordsRoundTripThroughTheIniFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("sub/valendra.ini");
  const CSettingsStore store(path);

  // A missing record reads as missing, so the caller applies its defaults.
  EXPECT_FALSE(store.Read(CSettingsStore::kSettings).has_value());
  EXPECT_FALSE(store.Read(CSettingsStore::kLanguage).has_value());

  CSettingsRecord r;
  r.m_rcMainWnd = {5, 6, 805, 606};
  r.m_bStatusBarVisible = 0;
  ASSERT_TRUE(store.Write(CSettingsStore::kSettings, r.Format()));
  ASSERT_TRUE(store.Write(CSettingsStore::kLanguage, FormatLanguageRecord(1029)));
  ASSERT_TRUE(store.Write(CSettingsStore::kKill, "0"));

  // A second store on the same file (another instance) reads exactly the texts written.
  const CSettingsStore other(path);
  EXPECT_EQ(other.Read(CSettingsStore::kSettings).value_or(""),
            "0 1 0 0 0 0 0 0 0 0 0 0 0 0 5 6 805 606 0 0");
  EXPECT_EQ(other.Read(CSettingsStore::kLanguage).value_or(""), "1029");
  EXPECT_EQ(other.Read(CSettingsStore::kKill).value_or(""), "0");

  // The three records are separate values under the one key path.
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray ini = file.readAll();
  EXPECT_TRUE(ini.contains("Classes\\Valendra\\settings=")) << ini.constData();
  EXPECT_TRUE(ini.contains("Classes\\Valendra\\settings2=1029")) << ini.constData();
}

TEST(SettingsStore, EnvironmentNamesTheFile) {
  QTemporaryDir dir;
  const QByteArray old = qgetenv("VALENDRA_SETTINGS");
  qputenv("VALENDRA_SETTINGS", dir.filePath("x.ini").toLocal8Bit());
  EXPECT_EQ(CSettingsStore::DefaultFilePath(), dir.filePath("x.ini"));
  EXPECT_EQ(CSettingsStore().FilePath(), dir.filePath("x.ini"));
  if (old.isEmpty()) {
    qunsetenv("VALENDRA_SETTINGS");
  } else {
    qputenv("VALENDRA_SETTINGS", old);
  }
  EXPECT_TRUE(CSettingsStore::DefaultFilePath().endsWith("Valendra/valendra.ini"));
}

TEST(SettingsStore, UnwritableFileIsReported) {
  QTemporaryDir dir;
  // A folder where the file should be: the write cannot succeed.
  ASSERT_TRUE(QDir(dir.path()).mkpath("blocked.ini"));
  const CSettingsStore store(dir.filePath("blocked.ini"));
  EXPECT_FALSE(store.Write(CSettingsStore::kKill, "0"));
}
