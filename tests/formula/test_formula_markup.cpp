#include <gtest/gtest.h>

#include <string>

#include "formula/FormulaMarkup.h"

namespace {

// One character per position 0 ... n: 'B' base stop, 'I' index stop, '.' no stop.
std::string Stops(const std::string& text) {
  std::string out;
  for (int p = 0; p <= static_cast<int>(text.size()); ++p) {
    switch (StopKindAt(text, p)) {
      case BaseStop:
        out += 'B';
        break;
      case IndexStop:
        out += 'I';
        break;
      default:
        out += '.';
    }
  }
  return out;
}

}  // namespace

TEST(FormulaScan, FindMarkerTakesPairsFromTheStart) {
  EXPECT_EQ(FindMarker("<<<a>", '<', 0), 2);
  EXPECT_EQ(FindMarker("<<<a>", '<', 1), -1);  // from 1 the pair is 1-2 and 3 is a letter
  EXPECT_EQ(FindMarker("###", '#', 0), 2);
  EXPECT_EQ(FindMarker("##", '#', 0), -1);
  EXPECT_EQ(FindMarker("H#idown 2# O", '#', 0), 1);
  EXPECT_EQ(FindMarker("H#idown 2# O", '#', 8), 9);
  EXPECT_EQ(FindMarker("ab#", '#', 3), -1);
  EXPECT_EQ(FindMarker("ab#", '#', 40), -1);
  EXPECT_EQ(FindMarker("", '#', 0), -1);
  EXPECT_EQ(FindMarker("x<", '<', 0), 1);
}

TEST(FormulaScan, FindSpaceIsAPlainSearch) {
  EXPECT_EQ(FindSpace("#iup # ", 0), 4);
  EXPECT_EQ(FindSpace("#iup # ", 5), 6);
  EXPECT_EQ(FindSpace("#iup", 0), -1);
  EXPECT_EQ(FindSpace("ab ", 3), -1);
}

TEST(FormulaScan, Unescaping) {
  EXPECT_EQ(UnescapeHashes("a###b##"), "a##b#");
  EXPECT_EQ(UnescapeHashes("<<>>"), "<<>>");
  EXPECT_EQ(UnescapeAngles("<<<>>>"), "<<>>");
  EXPECT_EQ(UnescapeAngles("a<<b>>c##"), "a<b>c##");
  EXPECT_EQ(UnescapeAngles("<"), "<");
  const std::string withZero("a\0##\xff", 5);
  EXPECT_EQ(UnescapeHashes(withZero), std::string("a\0#\xff", 4));
}

TEST(FormulaScan, UnpairedAt) {
  EXPECT_TRUE(UnpairedAt("a<<b", '<', 2));    // the second half of a pair
  EXPECT_FALSE(UnpairedAt("a<<b", '<', 1));   // a whole pair
  EXPECT_FALSE(UnpairedAt("<<<a>", '<', 2));  // a Greek letter begins there
  EXPECT_TRUE(UnpairedAt("<<<<<", '<', 0));
  EXPECT_FALSE(UnpairedAt("<<<<", '<', 0));
  EXPECT_TRUE(UnpairedAt("a>>b", '>', 2));
  EXPECT_FALSE(UnpairedAt(">", '<', 0));
  EXPECT_TRUE(UnpairedAt("<", '<', 0));  // a lone '<' at the end
}

TEST(FormulaWalk, SplitsRunsAndTemplates) {
  const std::string text = "SO#iudr 2-# 4# x";
  const std::vector<FormulaPiece> pieces = WalkFormula(text);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].type, FormulaPiece::Type::Run);
  EXPECT_EQ(pieces[0].nStart, 0);
  EXPECT_EQ(pieces[0].nEnd, 2);
  EXPECT_FALSE(pieces[0].bFinal);
  EXPECT_EQ(pieces[1].tmpl, FormulaTemplate::UpDownRight);
  EXPECT_EQ(pieces[1].nStart, 2);
  EXPECT_EQ(pieces[1].nEnd, 7);
  ASSERT_EQ(pieces[1].nSlots, 2);
  EXPECT_EQ(pieces[1].slot[0].nStart, 8);
  EXPECT_EQ(pieces[1].slot[0].nEnd, 10);
  EXPECT_EQ(pieces[1].slot[1].nStart, 12);
  EXPECT_EQ(pieces[1].slot[1].nEnd, 13);
  EXPECT_TRUE(pieces[2].bFinal);
  EXPECT_EQ(pieces[2].nStart, 15);
  EXPECT_EQ(pieces[2].nEnd, 16);
}

TEST(FormulaWalk, ForeignKeywordStaysInTheNextRun) {
  const std::vector<FormulaPiece> pieces = WalkFormula("a#x y#iup 2# ");
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces[1].tmpl, FormulaTemplate::None);
  EXPECT_EQ(pieces[1].nEnd, 3);
  // The run after the foreign keyword starts at its marker and ends at the next one.
  EXPECT_EQ(pieces[2].nStart, 1);
  EXPECT_EQ(pieces[2].nEnd, 5);
  EXPECT_EQ(pieces[3].tmpl, FormulaTemplate::Up);
  EXPECT_EQ(pieces[4].nStart, 13);
}

TEST(FormulaStops, TablesOfTheMarkup) {
  EXPECT_EQ(Stops(""), "B");
  EXPECT_EQ(Stops("H#idown 2# O"), "BB......II.BB");
  EXPECT_EQ(Stops("#iudr # # "), "B.....I.I.B");
  EXPECT_EQ(Stops("a<b>c"), "BB..BB");
  EXPECT_EQ(Stops("a<<b"), "BB.BB");
  EXPECT_EQ(Stops("a>>b"), "BB.BB");
  EXPECT_EQ(Stops("x###iup 2# "), "BB.B....II.B");
  EXPECT_EQ(Stops("#abc def"), "B....BBBB");
  EXPECT_EQ(Stops("SO#iudr 2-# 4# "), "BBB.....III.II.B");
  EXPECT_EQ(Stops("#iudl 14# # C"), "B.....III.I.BB");
}

TEST(FormulaStops, InsideEveryEscapedPairIsNoStop) {
  // Between the two bytes of any escaped pair the caret would split it into markers.
  EXPECT_EQ(Stops("a##b"), "BB.BB");
  EXPECT_EQ(Stops("<<<a>"), "B.B..B");
  EXPECT_EQ(Stops("#iup a##b# "), "B....II.II.B");
  // After a pair, the gap before a lone '>' is refused as well.
  EXPECT_EQ(Stops(">>>"), "B..B");
}

TEST(FormulaStops, MalformedMarkupStillHasStops) {
  // A marker with no later space: ordinary text to the end.
  EXPECT_EQ(Stops("#iup"), "BBBBB");
  // A slot without terminator runs to the end of the text.
  EXPECT_EQ(Stops("H#idown 2"), "BB......II");
  // A terminator at the very end leaves no place after the template.
  EXPECT_EQ(Stops("#iudr a#"), "B.....II.");
  // A lone '<' or '>' at the end, bytes 0 and 255.
  EXPECT_EQ(Stops("ab<"), "BBBB");
  EXPECT_EQ(Stops("ab>"), "BBBB");
  EXPECT_EQ(Stops(std::string("\0\xff#", 3)), "BBBB");
  EXPECT_EQ(StopKindAt("abc", -1), NoStop);
  EXPECT_EQ(StopKindAt("abc", 4), NoStop);
}

TEST(FormulaTables, TemplatesAndGreekLetters) {
  EXPECT_STREQ(TemplateText(TemplateOfMessage(1030)), "#iup # ");
  EXPECT_STREQ(TemplateText(TemplateOfMessage(1031)), "#iudr # # ");
  EXPECT_STREQ(TemplateText(TemplateOfMessage(1032)), "#idown # ");
  EXPECT_STREQ(TemplateText(TemplateOfMessage(1033)), "#iudl # # ");
  EXPECT_EQ(TemplateOfMessage(1034), FormulaTemplate::None);
  // The caret lands at the end of slot 1: start + 5, 6, 7, 6.
  EXPECT_EQ(7 - TemplateCaretBack(FormulaTemplate::Up), 5);
  EXPECT_EQ(10 - TemplateCaretBack(FormulaTemplate::UpDownRight), 6);
  EXPECT_EQ(9 - TemplateCaretBack(FormulaTemplate::Down), 7);
  EXPECT_EQ(10 - TemplateCaretBack(FormulaTemplate::UpDownLeft), 6);

  EXPECT_EQ(GreekOfMessage(1034), 'a');
  EXPECT_EQ(GreekOfMessage(1040), 'j');
  EXPECT_EQ(GreekOfMessage(1050), 'v');
  EXPECT_EQ(GreekOfMessage(1052), 'J');
  EXPECT_EQ(GreekOfMessage(1055), 'V');
  EXPECT_EQ(GreekOfMessage(1061), 'z');
  EXPECT_EQ(GreekOfMessage(1062), 'A');
  EXPECT_EQ(GreekOfMessage(1071), 'K');
  EXPECT_EQ(GreekOfMessage(1085), 'Z');
  EXPECT_EQ(GreekOfMessage(1086), 0);
  EXPECT_EQ(GreekOfMessage(1033), 0);
  std::string all;
  for (int m = 1034; m <= 1085; ++m) all += GreekOfMessage(m);
  EXPECT_EQ(all.size(), 52u);
  for (char c : all) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
}
