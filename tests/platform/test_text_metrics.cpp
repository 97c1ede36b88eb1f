#include <gtest/gtest.h>
#include <iconv.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <string>

#include "platform/CQtDC.h"
#include "platform/CSvgDC.h"
#include "platform/CTextMetrics.h"

namespace {

CFont Font(const char* face, int nHeight) { return CFont{face, nHeight, 400}; }

// Restores the process-wide code page after a test changes it.
class CodePageGuard {
 public:
  CodePageGuard() : m_nSaved(CTextMetrics::GetCodePage()) {}
  ~CodePageGuard() { CTextMetrics::SetCodePage(m_nSaved); }

 private:
  int m_nSaved;
};

// The character the C library's converter gives for one byte of a code page, or -1 when it
// has none.
int IconvByte(const char* codePage, unsigned char byte) {
  iconv_t cd = iconv_open("UTF-32LE", codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return -2;
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[8] = {};
  char* pin = in;
  char* pout = reinterpret_cast<char*>(out);
  size_t nin = 1, nout = sizeof out;
  const size_t r = iconv(cd, &pin, &nin, &pout, &nout);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || nout != sizeof out - 4) return -1;
  return out[0] | (out[1] << 8) | (out[2] << 16);
}

}  // namespace

TEST(TextFonts, ArialIsServedByLiberationSans) {
  const QFontInfo info(CTextMetrics::ReferenceFont(Font("Arial", -240)));
  ASSERT_EQ(info.family(), QStringLiteral("Liberation Sans"))
      << "The font Liberation Sans is missing (Debian package fonts-liberation2); text would "
         "be measured and drawn with '"
      << info.family().toStdString() << "' and every formula layout would be wrong.";
  EXPECT_EQ(CTextMetrics::FamilyFor("arial"), QStringLiteral("Liberation Sans"));
}

TEST(TextFonts, SymbolIsDrawnWithLiberationSerif) {
  const QFontInfo info(CTextMetrics::ReferenceFont(Font("Symbol", -240)));
  ASSERT_EQ(info.family(), QStringLiteral("Liberation Serif"))
      << "The font Liberation Serif is missing (Debian package fonts-liberation2).";
  EXPECT_TRUE(CTextMetrics::IsSymbolFace("SYMBOL"));
  EXPECT_FALSE(CTextMetrics::IsSymbolFace("Symbols"));
}

TEST(TextMetrics, CellOfDAt240Is268High) {
  const CSize d = CTextMetrics::Extent(Font("Arial", -240), "D");
  EXPECT_EQ(d.cy, 268);
  EXPECT_EQ(d.cx, 173);  // 1479 / 2048 of the height: Liberation Sans "D"
  EXPECT_EQ(CTextMetrics::Extent(Font("Arial", -180), "D").cy, 201);
  // Every string of a font has the cell height, the empty one included.
  EXPECT_EQ(CTextMetrics::Extent(Font("Arial", -240), ""), (CSize{0, 268}));
  EXPECT_EQ(CTextMetrics::Extent(Font("Arial", 240), "gh").cy, 268);
}

TEST(TextMetrics, AgreeWithUnhintedMeasurementAtTheHeightItself) {
  for (int h : {60, 180, 240, 333, 480, 1000}) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(h);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    const QFontMetricsF fm(f);
    const QString text = QStringLiteral("H2SO4 AVAW Tj");
    const CSize ext = CTextMetrics::Extent(Font("Arial", -h), "H2SO4 AVAW Tj");
    EXPECT_NEAR(ext.cx, fm.horizontalAdvance(text), 1.0) << "height " << h;
    EXPECT_NEAR(ext.cy, fm.ascent() + fm.descent(), 1.0) << "height " << h;
  }
}

TEST(TextMetrics, NoKerningSoPiecesAddUp) {
  const CFont f = Font("Arial", -240);
  const CSize whole = CTextMetrics::Extent(f, "AVAV");
  const CSize half = CTextMetrics::Extent(f, "AV");
  EXPECT_NEAR(whole.cx, 2 * half.cx, 1);
}

TEST(TextMetrics, SameOnEverySurfaceAndZoom) {
  const CFont font = Font("Arial", -240);
  const CSize expected = CTextMetrics::Extent(font, "CH3-O");

  QImage screen(200, 100, QImage::Format_ARGB32_Premultiplied);
  screen.setDotsPerMeterX(3780);
  screen.setDotsPerMeterY(3780);
  CQtDC dcScreen(&screen);
  dcScreen.SetMapMode(MM_ANISOTROPIC);
  dcScreen.SetWindowExt(2880, 2880);  // zoom 2.0
  dcScreen.SetViewportExt(96, -96);
  dcScreen.SelectObject(font);
  EXPECT_EQ(dcScreen.GetTextExtent("CH3-O"), expected);

  QImage print(200, 100, QImage::Format_ARGB32_Premultiplied);
  print.setDotsPerMeterX(23622);  // 600 dpi
  print.setDotsPerMeterY(23622);
  CQtDC dcPrint(&print);
  dcPrint.SetMapMode(MM_HIMETRIC);
  dcPrint.SelectObject(font);
  EXPECT_EQ(dcPrint.GetTextExtent("CH3-O"), expected);

  CSvgDC svg(CRect{0, 0, 1000, -1000}, 10, 10);
  svg.SelectObject(font);
  EXPECT_EQ(svg.GetTextExtent("CH3-O"), expected);
}

TEST(TextMetrics, ExtremeHeightsStayFinite) {
  EXPECT_EQ(CTextMetrics::Extent(Font("Arial", 0), "D"), (CSize{0, 0}));
  const CSize huge = CTextMetrics::Extent(Font("Arial", INT32_MIN), "DDDDDDDDDDDDDDDDDDDDDD");
  EXPECT_EQ(huge.cx, INT32_MAX);  // clamped, not wrapped
  EXPECT_GT(huge.cy, 0);
}

TEST(SymbolFace, LetterBytesBecomeGreekLetters) {
  const char* bytes = "abcdefjghiklmnopvqJrsVtuwxyzABCDEFGHIKLMNOPQRSTUWXYZ";
  const char16_t* greek = u"αβχδεφϕγηικλμνοπϖθϑρσςτυωξψζΑΒΧΔΕΦΓΗΙΚΛΜΝΟΠΘΡΣΤΥΩΞΨΖ";
  const std::u16string expected(greek);
  ASSERT_EQ(std::char_traits<char>::length(bytes), expected.size());
  const QString got = CTextMetrics::TextFor(Font("Symbol", -240), bytes);
  ASSERT_EQ(got.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(got[static_cast<qsizetype>(i)].unicode(), expected[i]) << "byte '" << bytes[i] << "'";
  }
}

TEST(SymbolFace, OtherBytesStandForThemselves) {
  const QString got = CTextMetrics::TextFor(Font("Symbol", -240), "1+[ ]^_`<>");
  EXPECT_EQ(got, QStringLiteral("1+[ ]^_`<>"));
  EXPECT_EQ(CTextMetrics::SymbolByte(0xE8), u'\u00E8');
  // Arial text is never mapped to Greek.
  EXPECT_EQ(CTextMetrics::TextFor(Font("Arial", -240), "ab"), QStringLiteral("ab"));
}

TEST(CodePages, WesternAndCentralEuropeanBytes) {
  CodePageGuard guard;
  EXPECT_EQ(CTextMetrics::GetCodePage(), 1252);
  const CFont arial = Font("Arial", -240);
  const std::string bytes = "\x8A\x9E\xE8\x8C\x80";

  EXPECT_EQ(CTextMetrics::TextFor(arial, bytes), QString::fromUtf16(u"Šžè\u0152€"));
  ASSERT_TRUE(CTextMetrics::SetCodePage(1250));
  EXPECT_EQ(CTextMetrics::TextFor(arial, bytes), QString::fromUtf16(u"Šžč\u015A€"));

  EXPECT_FALSE(CTextMetrics::SetCodePage(1251));
  EXPECT_EQ(CTextMetrics::GetCodePage(), 1250);
  // The Symbol face ignores the code page.
  EXPECT_EQ(CTextMetrics::TextFor(Font("Symbol", -240), "a"), QString::fromUtf16(u"α"));
}

TEST(CodePages, TablesAgreeWithTheSystemConverter) {
  for (int nCodePage : {1250, 1252}) {
    const std::string name = "CP" + std::to_string(nCodePage);
    ASSERT_NE(IconvByte(name.c_str(), 0x41), -2) << "no " << name << " converter";
    for (int b = 0; b < 256; ++b) {
      const int want = IconvByte(name.c_str(), static_cast<unsigned char>(b));
      const char16_t got = CTextMetrics::DecodeByte(static_cast<unsigned char>(b), nCodePage);
      if (want < 0) {
        EXPECT_EQ(got, static_cast<char16_t>(b)) << name << " undefined byte " << b;
      } else {
        EXPECT_EQ(got, static_cast<char16_t>(want)) << name << " byte " << b;
      }
    }
  }
}
