#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <string>
#include <vector>

#include "platform/CTextMetrics.h"

namespace {

// Measures the way it is done without any remembered state: a fresh reference font and
// fresh metrics for every call.
CTextMetrics::Metrics MeasureAfresh(const CFont& font, std::string_view text) {
  const QFontMetricsF fm(CTextMetrics::ReferenceFont(font));
  const double k = CTextMetrics::ScaleOf(font);
  CTextMetrics::Metrics m;
  m.dAscent = fm.ascent() * k;
  m.dDescent = fm.descent() * k;
  if (!text.empty()) m.dAdvance = fm.horizontalAdvance(CTextMetrics::TextFor(font, text)) * k;
  return m;
}

class CodePageGuard {
 public:
  CodePageGuard() : m_nSaved(CTextMetrics::GetCodePage()) {}
  ~CodePageGuard() { CTextMetrics::SetCodePage(m_nSaved); }

 private:
  int m_nSaved;
};

const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = {
      "",        "H",    "H2SO4",    "CH3COOH",      "AVAW Tj",      "abgdp",
      "Ca(OH)2", "\xC8", "\x8A\x9E", "\xE8\xE1\xF8", "\xA3\xB3\xBF", std::string("ab\0z", 4),
      "  ",
  };
  return texts;
}

void ExpectSame(const CTextMetrics::Metrics& a, const CTextMetrics::Metrics& b,
                const std::string& what) {
  EXPECT_EQ(a.dAdvance, b.dAdvance) << what;
  EXPECT_EQ(a.dAscent, b.dAscent) << what;
  EXPECT_EQ(a.dDescent, b.dDescent) << what;
}

}  // namespace

TEST(TextMetricsCache, RememberedResultsEqualFreshOnesForEveryFaceHeightAndCodePage) {
  CodePageGuard guard;
  CTextMetrics::ClearCache();
  for (int nCodePage : {1252, 1250}) {
    ASSERT_TRUE(CTextMetrics::SetCodePage(nCodePage));
    for (const char* face : {"Arial", "Symbol", "Times New Roman"}) {
      for (int nWeight : {400, 700}) {
        for (int h : {-1, -60, -240, 333, -480, -100000}) {
          const CFont font{face, h, nWeight};
          for (const std::string& text : Texts()) {
            const std::string what = std::string(face) + " " + std::to_string(h) + " cp" +
                                     std::to_string(nCodePage) + " '" + text + "'";
            const CTextMetrics::Metrics fresh = MeasureAfresh(font, text);
            // The first call fills the cache, the later ones are answered from it.
            for (int i = 0; i < 3; ++i) ExpectSame(CTextMetrics::Measure(font, text), fresh, what);
            const CSize ext = CTextMetrics::Extent(font, text);
            EXPECT_EQ(ext.cx, Round32(fresh.dAdvance)) << what;
            EXPECT_EQ(ext.cy, Round32(fresh.dAscent + fresh.dDescent)) << what;
          }
        }
      }
    }
  }
}

TEST(TextMetricsCache, CodePageAndFaceAreToldApartForTheSameBytes) {
  CodePageGuard guard;
  CTextMetrics::ClearCache();
  const CFont arial{"Arial", -2048, 400};
  // 0xA3 is the pound sign in the Western code page and L with stroke in the Central
  // European one; 0x8C is OE and S with acute.
  const std::string bytes = "\xA3\x8C\xA3";
  ASSERT_TRUE(CTextMetrics::SetCodePage(1252));
  const double western = CTextMetrics::Measure(arial, bytes).dAdvance;
  ASSERT_TRUE(CTextMetrics::SetCodePage(1250));
  const double central = CTextMetrics::Measure(arial, bytes).dAdvance;
  EXPECT_NE(western, central);
  EXPECT_EQ(central, MeasureAfresh(arial, bytes).dAdvance);
  ASSERT_TRUE(CTextMetrics::SetCodePage(1252));
  EXPECT_EQ(CTextMetrics::Measure(arial, bytes).dAdvance, western);

  // The same letters in the Symbol face are Greek, drawn with another family.
  const CFont symbol{"Symbol", -2048, 400};
  EXPECT_EQ(CTextMetrics::Measure(symbol, "abc").dAdvance, MeasureAfresh(symbol, "abc").dAdvance);
  EXPECT_NE(CTextMetrics::Measure(symbol, "abc").dAdvance,
            CTextMetrics::Measure(arial, "abc").dAdvance);
  // Bold is wider than regular: the weight is part of what is remembered.
  const CFont bold{"Arial", -2048, 700};
  EXPECT_GT(CTextMetrics::Measure(bold, "rrrr").dAdvance,
            CTextMetrics::Measure(arial, "rrrr").dAdvance);
  EXPECT_EQ(CTextMetrics::Measure(bold, "rrrr").dAdvance, MeasureAfresh(bold, "rrrr").dAdvance);
}

TEST(TextMetricsCache, ReferenceFaceMatchesTheReferenceFont) {
  const CFont font{"Arial", -240, 700};
  const CTextMetrics::ReferenceFace face = CTextMetrics::CachedReferenceFace(font);
  EXPECT_EQ(face.font, CTextMetrics::ReferenceFont(font));
  EXPECT_EQ(face.dAscent, QFontMetricsF(CTextMetrics::ReferenceFont(font)).ascent());
}

TEST(TextMetricsCache, StaysBounded) {
  CTextMetrics::ClearCache();
  const CFont font{"Arial", -240, 400};
  for (std::size_t i = 0; i < CTextMetrics::kMaxCachedTexts + 10; ++i) {
    CTextMetrics::Measure(font, std::to_string(i));
    ASSERT_LE(CTextMetrics::CachedTextCount(), CTextMetrics::kMaxCachedTexts);
  }
  EXPECT_GE(CTextMetrics::CachedTextCount(), 1u);
  EXPECT_EQ(CTextMetrics::Measure(font, "12345").dAdvance, MeasureAfresh(font, "12345").dAdvance);
}
