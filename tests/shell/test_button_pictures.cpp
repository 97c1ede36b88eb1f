// The button pictures: every caption of the tables names a picture with something drawn in
// it, pressed and released differ, and a higher device pixel ratio gives more pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <string>
#include <vector>

#include "objects/CCoupling.h"
#include "objects/CKVObject.h"
#include "resources/PaletteTables.h"
#include "shell/ButtonPictures.h"

namespace {

std::vector<std::pair<std::string, QSize>> AllButtons() {
  std::vector<std::pair<std::string, QSize>> out;
  const QSize sizeBar(res::DialogUnitsToPixelsX(res::kDrawBarButtonCx),
                      res::DialogUnitsToPixelsY(res::kDrawBarButtonCy));
  for (const res::DrawBarButton& b : res::DrawBarButtons()) out.emplace_back(b.caption, sizeBar);
  for (res::PaletteKind kind :
       {res::PaletteKind::Indexes, res::PaletteKind::Symbol1, res::PaletteKind::Symbol2,
        res::PaletteKind::Couple, res::PaletteKind::Aromatic}) {
    for (const res::PaletteButton& b : res::Palette(kind).buttons) {
      out.emplace_back(b.caption,
                       QSize(res::DialogUnitsToPixelsX(b.cx), res::DialogUnitsToPixelsY(b.cy)));
    }
  }
  return out;
}

// Pixels of the well (inside the two-pixel edge) that are neither white paper nor face.
int InkPixels(const QImage& image, int nInset) {
  int n = 0;
  for (int y = nInset; y < image.height() - nInset; ++y) {
    for (int x = nInset; x < image.width() - nInset; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() < 160 && c.green() < 160 && c.blue() < 160) ++n;
    }
  }
  return n;
}

TEST(ButtonPictures, EveryButtonOfTheTablesShowsSomething) {
  for (const auto& [caption, size] : AllButtons()) {
    SCOPED_TRACE(caption);
    CPictureContent content;
    ASSERT_TRUE(BuildPictureContent(caption, content));
    EXPECT_FALSE(content.list.empty());
    EXPECT_GT(content.box.right, content.box.left);
    EXPECT_GT(content.box.top, content.box.bottom);
    // Drawn large enough to tell, the picture has ink inside its well.
    const QImage big = DrawButtonPicture(caption, false, QSize(96, 96), 1.0);
    EXPECT_GT(InkPixels(big, 4), 20);
    const QImage released = DrawButtonPicture(caption, false, size, 1.0);
    const QImage pressed = DrawButtonPicture(caption, true, size, 1.0);
    EXPECT_EQ(released.size(), size);
    EXPECT_NE(released, pressed);
  }
}

TEST(ButtonPictures, DistinctButtonsHaveDistinctPictures) {
  std::set<std::string> seen;
  std::vector<std::string> duplicates;
  for (const auto& [caption, size] : AllButtons()) {
    const QImage image = DrawButtonPicture(caption, false, QSize(64, 64), 1.0);
    const std::string bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    if (!seen.insert(bytes).second) duplicates.push_back(caption);
  }
  EXPECT_TRUE(duplicates.empty()) << duplicates.front();
}

TEST(ButtonPictures, PicturesFollowTheDevicePixelRatio) {
  const QImage one = DrawButtonPicture("BENZEN2", false, QSize(18, 20), 1.0);
  const QImage two = DrawButtonPicture("BENZEN2", false, QSize(18, 20), 2.0);
  EXPECT_EQ(one.size(), QSize(18, 20));
  EXPECT_EQ(two.size(), QSize(36, 40));
  EXPECT_EQ(two.devicePixelRatio(), 2.0);
  EXPECT_EQ(two.deviceIndependentSize(), QSizeF(18, 20));
  // Lines stay one device pixel wide, so the doubled picture has about twice the ink of
  // the single one, not four times a blurred copy.
  const int nOne = InkPixels(one, 2), nTwo = InkPixels(two, 4);
  EXPECT_GT(nTwo, nOne);
  EXPECT_LT(nTwo, 4 * nOne);
}

TEST(ButtonPictures, BondPicturesDrawTheStyleOfTheirTool) {
  struct Row {
    const char* caption;
    int nStyle;
    int nSide;
    int nPenStyle;
  };
  const Row rows[] = {{"1C", 1, 1, PS_SOLID},     {"2C", 2, 1, PS_SOLID},
                      {"3C", 3, 1, PS_SOLID},     {"DC", 1, 1, PS_DOT},
                      {"TC3", 9, 1, PS_SOLID},    {"TC", 4, 1, PS_SOLID},
                      {"TC2", 7, 1, PS_SOLID},    {"TC4", 10, 1, PS_SOLID},
                      {"ARROW1", 6, 2, PS_SOLID}, {"ARROW2", 8, 1, PS_SOLID}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caption);
    CPictureContent content;
    ASSERT_TRUE(BuildPictureContent(row.caption, content));
    std::vector<const CKVObject*> dots;
    const CCoupling* pBond = nullptr;
    for (const auto& p : content.list) {
      if (p->m_nKind == KIND_DOT) dots.push_back(p.get());
      if (p->m_nKind == KIND_COUPLING) {
        EXPECT_EQ(pBond, nullptr);
        pBond = static_cast<const CCoupling*>(p.get());
      }
    }
    ASSERT_NE(pBond, nullptr);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(pBond->m_pEndA, dots[0]);
    EXPECT_EQ(pBond->m_pEndB, dots[1]);
    EXPECT_EQ(pBond->m_nStyle, row.nStyle);
    EXPECT_EQ(pBond->m_nSide, row.nSide);
    EXPECT_EQ(pBond->m_nPenStyle, row.nPenStyle);
  }
}

TEST(ButtonPictures, UnknownCaptionGivesTheBareFace) {
  CPictureContent content;
  EXPECT_FALSE(BuildPictureContent("NOSUCH", content));
  const QImage image = DrawButtonPicture("NOSUCH", false, QSize(30, 30), 1.0);
  EXPECT_EQ(InkPixels(image, 3), 0);
}

}  // namespace
