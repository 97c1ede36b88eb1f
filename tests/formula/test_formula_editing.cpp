// Editing sequences on the recording surface (metrics as in test_formula_layout.cpp: base
// bytes 120 wide and hL8 = 270, index bytes 90 wide and hL6 = 202).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "formula/CFormula.h"
#include "formula/FormulaMarkup.h"
#include "objects/CRecordingDC.h"
#include "objects/ICaretSink.h"

namespace {

class FakeSink : public ICaretSink {
 public:
  void PrepareSurface(CDC*) override {}
  void ShowCaretAt(CDC*, CPoint ptTop, int nHeight) override {
    m_shows.push_back({ptTop, nHeight});
  }

  std::vector<std::pair<CPoint, int>> m_shows;
};

struct Editing : ::testing::Test {
  Editing() { f.m_ptAnchor = CPoint{1000, 2000}; }
  void Set(const std::string& text, int caret) {
    f.m_strText = text;
    f.m_nCaret = caret;
  }
  FakeSink link;
  CRecordingDC dc;
  CFormula f;
};

}  // namespace

TEST_F(Editing, TypingALowerIndex) {
  f.InsertText("H");
  EXPECT_EQ(f.m_nCaret, 1);
  EXPECT_TRUE(f.InsertFromPalette(&dc, 1032, &link));
  EXPECT_EQ(f.m_strText, "H#idown # ");
  EXPECT_EQ(f.m_nCaret, 8);  // the end of the lower slot
  ASSERT_EQ(link.m_shows.size(), 1u);
  EXPECT_EQ(link.m_shows.back().first, (CPoint{1120, 1831}));
  EXPECT_EQ(link.m_shows.back().second, 202);
  f.InsertText("2");
  EXPECT_EQ(f.m_nCaret, 9);
  f.CaretRight(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 11);  // over the terminator and its space
  EXPECT_EQ(link.m_shows.back().first, (CPoint{1210, 2000}));
  EXPECT_EQ(link.m_shows.back().second, 270);
  f.InsertText("O");
  EXPECT_EQ(f.m_strText, "H#idown 2# O");
  EXPECT_EQ(f.m_nCaret, 12);
}

TEST_F(Editing, TemplatesGoWhole) {
  Set("H#idown 2# O", 11);
  f.DeleteBackward(&dc, &link);
  EXPECT_EQ(f.m_strText, "HO");
  EXPECT_EQ(f.m_nCaret, 1);

  Set("H#idown 2# O", 1);
  f.DeleteForward(&dc, &link);
  EXPECT_EQ(f.m_strText, "HO");
  EXPECT_EQ(f.m_nCaret, 1);

  // A foreign keyword goes whole too, up to the next base-line place.
  Set("a#xyz b", 1);
  f.DeleteForward(&dc, &link);
  EXPECT_EQ(f.m_strText, "ab");

  Set("#iudr 2-# 4# x", 13);
  f.CaretLeft(&dc, &link);  // Left enters the nearer slot end (slot 1, level with the caret) ...
  EXPECT_EQ(f.m_nCaret, 8);
  Set("#iudr 2-# 4# x", 13);
  f.DeleteBackward(&dc, &link);  // ... but Backspace after the template takes it all
  EXPECT_EQ(f.m_strText, "x");
  EXPECT_EQ(f.m_nCaret, 0);
}

TEST_F(Editing, MovingAroundATwoSlotTemplate) {
  EXPECT_TRUE(f.InsertFromPalette(&dc, 1031, &link));
  EXPECT_EQ(f.m_strText, "#iudr # # ");
  EXPECT_EQ(f.m_nCaret, 6);
  f.CaretDown(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 8);
  const std::size_t shows = link.m_shows.size();
  f.CaretDown(&dc, &link);  // nothing below the lower slot
  EXPECT_EQ(f.m_nCaret, 8);
  EXPECT_EQ(link.m_shows.size(), shows);
  f.CaretUp(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 6);
  f.CaretUp(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 6);
  f.CaretRight(&dc, &link);  // skips slot 2 and lands after the template
  EXPECT_EQ(f.m_nCaret, 10);
  f.CaretLeft(&dc, &link);  // both slot ends are equally near: the lower one
  EXPECT_EQ(f.m_nCaret, 8);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 6);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 0);
  f.CaretRight(&dc, &link);  // from before the template into its first slot
  EXPECT_EQ(f.m_nCaret, 6);
}

TEST_F(Editing, LeftEntersTheNearerSlotEnd) {
  // Slot 1 ends at x 1180 on the upper line; slot 2 is empty and sits at the same x lower.
  Set("#iudl 14# # C", 12);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 10);
  // The lower slot is the longer one: its end is straight below the caret.
  Set("#iudr 1# 234# C", 14);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 12);
  // The upper slot is the longer one: its end is level with the caret.
  Set("#iudr 123# 4# C", 14);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 9);
}

TEST_F(Editing, RefusedAndEmptyOperationsChangeNothing) {
  Set("#iup ab# ", 7);  // the end of the slot
  EXPECT_FALSE(f.InsertFromPalette(&dc, 1030, &link));
  EXPECT_EQ(f.m_strText, "#iup ab# ");
  f.DeleteForward(&dc, &link);  // Delete at a slot end
  EXPECT_EQ(f.m_strText, "#iup ab# ");
  EXPECT_EQ(f.m_nCaret, 7);
  f.m_nCaret = 5;
  f.DeleteBackward(&dc, &link);  // Backspace at a slot start
  EXPECT_EQ(f.m_strText, "#iup ab# ");
  EXPECT_EQ(f.m_nCaret, 5);
  EXPECT_FALSE(f.InsertFromPalette(&dc, 1029, &link));

  Set("HO", 1);
  link.m_shows.clear();
  f.CaretUp(&dc, &link);
  f.CaretDown(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 1);
  EXPECT_TRUE(link.m_shows.empty());  // not even the caret is shown again

  f.m_nCaret = 0;
  f.CaretLeft(&dc, &link);
  f.DeleteBackward(&dc, &link);
  f.m_nCaret = 2;
  f.CaretRight(&dc, &link);
  f.DeleteForward(&dc, &link);
  EXPECT_EQ(f.m_strText, "HO");
  EXPECT_EQ(f.m_nCaret, 2);
  EXPECT_TRUE(link.m_shows.empty());
}

TEST_F(Editing, MarkersAreTypedAsPairsAndRemovedAsPairs) {
  f.InsertText("#");
  f.InsertText("<");
  f.InsertText(">");
  EXPECT_EQ(f.m_strText, "##<<>>");
  EXPECT_EQ(f.m_nCaret, 6);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 4);
  f.DeleteBackward(&dc, &link);
  EXPECT_EQ(f.m_strText, "##>>");
  EXPECT_EQ(f.m_nCaret, 2);
  f.DeleteForward(&dc, &link);
  EXPECT_EQ(f.m_strText, "##");
  f.CaretRight(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 2);
  f.DeleteBackward(&dc, &link);
  EXPECT_EQ(f.m_strText, "");
  f.InsertText("\r");  // Enter
  EXPECT_EQ(f.m_strText, "\r");
  f.InsertText("##");  // only a single typed byte is doubled
  EXPECT_EQ(f.m_strText, "\r##");
}

TEST_F(Editing, GreekLetters) {
  Set("ac", 1);
  EXPECT_TRUE(f.InsertFromPalette(&dc, 1035, &link));  // beta
  EXPECT_EQ(f.m_strText, "a<b>c");
  EXPECT_EQ(f.m_nCaret, 4);
  f.CaretLeft(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 1);
  f.CaretRight(&dc, &link);
  EXPECT_EQ(f.m_nCaret, 4);
  f.DeleteBackward(&dc, &link);
  EXPECT_EQ(f.m_strText, "ac");
  EXPECT_TRUE(f.InsertFromPalette(&dc, 1085, &link));  // capital zeta
  f.m_nCaret = 1;
  f.DeleteForward(&dc, &link);
  EXPECT_EQ(f.m_strText, "ac");

  // A letter inserted in a slot stays there and is drawn at the index size.
  Set("X#iup # ", 6);
  EXPECT_TRUE(f.InsertFromPalette(&dc, 1049, &link));  // pi
  EXPECT_EQ(f.m_strText, "X#iup <p># ");
  EXPECT_EQ(f.m_nCaret, 9);
  EXPECT_EQ(StopKindAt(f.m_strText, 9), IndexStop);
  f.Draw(&dc);
  const auto texts = dc.RecordsOf(CRecordingDC::Op::Text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].font.strFace, "Symbol");
  EXPECT_EQ(texts[1].font.nHeight, -180);
}

TEST_F(Editing, PlaceCaretAtPointTakesTheNearestStop) {
  Set("H#idown 2# O", 0);
  f.PlaceCaretAtPoint(&dc, CPoint{1215, 1700}, &link);
  EXPECT_EQ(f.m_nCaret, 9);
  EXPECT_EQ(link.m_shows.back().first, (CPoint{1210, 1831}));
  f.PlaceCaretAtPoint(&dc, CPoint{1100, 1900}, &link);
  EXPECT_EQ(f.m_nCaret, 1);
  f.PlaceCaretAtPoint(&dc, CPoint{1060, 1865}, &link);  // halfway between 0 and 1: the first
  EXPECT_EQ(f.m_nCaret, 0);
  f.PlaceCaretAtPoint(&dc, CPoint{5000, 2000}, &link);
  EXPECT_EQ(f.m_nCaret, 12);

  // Without a sink the caret still moves; nothing is shown.
  const std::size_t shows = link.m_shows.size();
  f.PlaceCaretAtPoint(&dc, CPoint{1215, 1700}, nullptr);
  EXPECT_EQ(f.m_nCaret, 9);
  EXPECT_EQ(link.m_shows.size(), shows);
}

TEST_F(Editing, MalformedTextsKeepTheCaretOnAStop) {
  const std::vector<std::string> texts = {"#iup",
                                          "H#idown 2",
                                          "#iudr a#",
                                          "ab<",
                                          "ab>",
                                          "<",
                                          "#iudl 1#",
                                          "x#",
                                          "#iup ##",
                                          "#iudr # #",
                                          std::string("\0\xff#i ", 5),
                                          "<<<",
                                          ">><a",
                                          "#a b#c d",
                                          "#iup <a# ",
                                          "#idown <<# <"};
  using Op = void (CFormula::*)(CDC*, ICaretSink*);
  const Op ops[] = {&CFormula::CaretLeft, &CFormula::CaretRight,    &CFormula::CaretUp,
                    &CFormula::CaretDown, &CFormula::DeleteForward, &CFormula::DeleteBackward};
  for (const std::string& text : texts) {
    for (int p = 0; p <= static_cast<int>(text.size()); ++p) {
      if (StopKindAt(text, p) == NoStop) continue;
      for (Op op : ops) {
        Set(text, p);
        (f.*op)(&dc, &link);
        ASSERT_GE(f.m_nCaret, 0) << text << " at " << p;
        ASSERT_LE(f.m_nCaret, static_cast<int>(f.m_strText.size())) << text << " at " << p;
        EXPECT_NE(StopKindAt(f.m_strText, f.m_nCaret), NoStop) << text << " at " << p;
      }
      for (int m = 1030; m <= 1034; ++m) {
        Set(text, p);
        f.InsertFromPalette(&dc, m, &link);
        EXPECT_NE(StopKindAt(f.m_strText, f.m_nCaret), NoStop) << text << " msg " << m;
      }
      Set(text, p);
      f.InsertText(" ");
      EXPECT_NE(StopKindAt(f.m_strText, f.m_nCaret), NoStop) << text << " space at " << p;
    }
    // A caret left off a stop (the text replaced under it) is put back on one.
    Set(text, 1000);
    f.CaretLeft(&dc, &link);
    EXPECT_NE(StopKindAt(f.m_strText, f.m_nCaret), NoStop) << text;
  }
}
