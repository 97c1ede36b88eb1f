// Typed characters turn into the bytes of the interface's code page, or are refused.

#include <gtest/gtest.h>

#include "platform/CTextMetrics.h"

TEST(TypingCodePage, AsciiAndControlsAreTheirOwnBytes) {
  for (int cp : {1250, 1252}) {
    EXPECT_EQ(CTextMetrics::EncodeChar(U'H', cp), 'H');
    EXPECT_EQ(CTextMetrics::EncodeChar(U'\r', cp), 13);
    EXPECT_EQ(CTextMetrics::EncodeChar(U'#', cp), '#');
  }
}

TEST(TypingCodePage, WesternAndCentralEuropeanLetters) {
  EXPECT_EQ(CTextMetrics::EncodeChar(U'é', 1252), 0xE9);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'é', 1250), 0xE9);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'€', 1252), 0x80);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'š', 1252), 0x9A);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'š', 1250), 0x9A);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'ř', 1250), 0xF8);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'ů', 1250), 0xF9);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'ø', 1252), 0xF8);
}

TEST(TypingCodePage, CharactersOutsideTheCodePageAreRefused) {
  EXPECT_EQ(CTextMetrics::EncodeChar(U'ř', 1252), -1);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'ø', 1250), -1);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'Ω', 1252), -1);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'中', 1250), -1);
  EXPECT_EQ(CTextMetrics::EncodeChar(U'\U0001F600', 1252), -1);
  // The undefined bytes' stand-ins are not characters anyone types.
  EXPECT_EQ(CTextMetrics::EncodeChar(char32_t{0x81}, 1252), -1);
  EXPECT_EQ(CTextMetrics::EncodeChar(char32_t{0x9D}, 1250), -1);
}

TEST(TypingCodePage, EveryDefinedByteRoundTrips) {
  for (int cp : {1250, 1252}) {
    for (int b = 0xA0; b <= 0xFF; ++b) {
      const char16_t ch = CTextMetrics::DecodeByte(static_cast<unsigned char>(b), cp);
      EXPECT_EQ(CTextMetrics::EncodeChar(ch, cp), b) << cp << " " << b;
    }
  }
}
