// The palette tables as data: every button inside its palette and clear of the others,
// identifiers unique, and the letters and templates the buttons name agree with what the
// formula engine inserts for their messages.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "formula/CFormula.h"
#include "objects/CRecordingDC.h"
#include "resources/PaletteTables.h"

namespace {

using res::PaletteKind;

constexpr PaletteKind kAll[] = {PaletteKind::Indexes, PaletteKind::Symbol1, PaletteKind::Symbol2,
                                PaletteKind::Couple, PaletteKind::Aromatic};

bool Overlap(const res::PaletteButton& a, const res::PaletteButton& b) {
  return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

TEST(PaletteTables, ButtonsLieInsideTheirPaletteAndApartFromEachOther) {
  for (PaletteKind kind : kAll) {
    const res::PaletteTemplate& tmpl = res::Palette(kind);
    SCOPED_TRACE(tmpl.templateId);
    std::set<int> ids;
    for (const res::PaletteButton& b : tmpl.buttons) {
      SCOPED_TRACE(b.caption);
      EXPECT_TRUE(ids.insert(b.id).second);
      EXPECT_GE(b.x, 0);
      EXPECT_GE(b.y, 0);
      EXPECT_LE(b.x + b.cx, tmpl.cx);
      EXPECT_LE(b.y + b.cy, tmpl.cy);
      for (const res::PaletteButton& other : tmpl.buttons) {
        if (&other != &b) {
          EXPECT_FALSE(Overlap(b, other)) << other.caption;
        }
      }
    }
  }
  EXPECT_EQ(res::Palette(PaletteKind::Indexes).buttons.size(), 4u);
  EXPECT_EQ(res::Palette(PaletteKind::Couple).buttons.size(), 10u);
  EXPECT_EQ(res::Palette(PaletteKind::Aromatic).buttons.size(), 24u);
  EXPECT_EQ(res::Palette(PaletteKind::Symbol1).buttons.size(), 28u);
  EXPECT_EQ(res::Palette(PaletteKind::Symbol2).buttons.size(), 24u);
}

TEST(PaletteTables, DialogUnitsRoundToTheBarsPixelSizes) {
  EXPECT_EQ(res::DialogUnitsToPixelsX(res::kDrawBarCx), 288);
  EXPECT_EQ(res::DialogUnitsToPixelsY(res::kDrawBarCy), res::kDrawBarClientHeight);
  // Each palette's offset is its bar button's left edge plus the bar's three-pixel frame.
  for (const res::DrawBarButton& b : res::DrawBarButtons()) {
    if (b.hasPalette) {
      EXPECT_EQ(b.offset, res::DialogUnitsToPixelsX(b.x) + 3) << b.caption;
    }
  }
  EXPECT_EQ(res::DialogUnitsToPixelsX(55), 83);   // 82.5 rounds up
  EXPECT_EQ(res::DialogUnitsToPixelsY(76), 124);  // 123.5 rounds up
}

TEST(PaletteTables, TooltipsShowOneAmpersandAndTheirLanguage) {
  EXPECT_EQ(res::TooltipText("Aromatic && cyclic compounds", "x", res::Language::English),
            "Aromatic & cyclic compounds");
  EXPECT_EQ(res::TooltipText("a", "Fí", res::Language::Czech), "Fí");
  EXPECT_EQ(res::TooltipText("&&&&", "", res::Language::English), "&&");
}

TEST(PaletteTables, InsertionButtonsAgreeWithTheFormulaEngine) {
  const char* templates[] = {"#iup # ", "#iudr # # ", "#idown # ", "#iudl # # "};
  for (PaletteKind kind : {PaletteKind::Indexes, PaletteKind::Symbol1, PaletteKind::Symbol2}) {
    for (const res::PaletteButton& b : res::Palette(kind).buttons) {
      SCOPED_TRACE(b.caption);
      CRecordingDC dc;
      CFormula f;
      ASSERT_TRUE(f.InsertFromPalette(&dc, b.message, nullptr));
      if (b.letter != nullptr) {
        EXPECT_EQ(f.m_strText, std::string("<") + b.letter + ">");
      } else {
        ASSERT_GE(b.message, 1030);
        ASSERT_LE(b.message, 1033);
        EXPECT_EQ(f.m_strText, templates[b.message - 1030]);
      }
      EXPECT_EQ(b.tool, -1);
    }
  }
}

}  // namespace
