// The block after the end marker: an ellipse's line thickness, which its record has no
// field for, kept through every reader without changing the bytes of any other drawing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "StreamTestUtil.h"
#include "document/StreamExtension.h"
#include "objects/GroupWalk.h"

namespace {

using ByteVector = std::vector<std::uint8_t>;

// Every ellipse of the drawing, top-level objects in list order and each group's members
// depth first: the order their records keep whatever else a store and load reorder.
std::vector<CEllipse*> Ellipses(CKvillDoc& doc) {
  std::vector<CEllipse*> out;
  const auto take = [&](CKVObject* p) {
    if (auto* e = dynamic_cast<CEllipse*>(p)) out.push_back(e);
  };
  for (const auto& p : doc.m_listObjects) {
    take(p.get());
    if (CGroup* g = p->AsGroup()) {
      WalkGroup(*g, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
        take(slot.get());
        return WalkStep::Enter;
      });
    }
  }
  return out;
}

std::vector<double> Thicknesses(CKvillDoc& doc) {
  std::vector<double> out;
  for (const CEllipse* e : Ellipses(doc)) out.push_back(e->m_dThickness);
  return out;
}

// A thick ellipse on the top level, one inside a group after a bond of the group's, and a
// dot and a top-level bond that count as records before and after them.
void ThickDrawing(CKvillDoc& doc) {
  CDot* a = Append(doc.m_listObjects, MakeDot(0, 0));
  auto g = std::make_unique<CGroup>();
  CGroup* pGroup = Append(doc.m_listObjects, std::move(g));
  CDot* b = AppendChild(*pGroup, MakeDot(600, 0));
  CDot* c = AppendChild(*pGroup, MakeDot(900, 0));
  AppendChild(*pGroup, MakeBond(b, c));
  auto inner = std::make_unique<CEllipse>();
  inner->m_rcBounds = CRect{500, 400, 1000, -100};
  inner->m_ptAnchor = CPoint{500, 400};
  AppendChild(*pGroup, std::move(inner))->m_dThickness = 2.5;
  auto top = std::make_unique<CEllipse>();
  top->m_rcBounds = CRect{2000, 400, 2400, 0};
  top->m_ptAnchor = CPoint{2000, 400};
  Append(doc.m_listObjects, std::move(top))->m_dThickness = 5.0;
  Append(doc.m_listObjects, MakeBond(a, c));
}

}  // namespace

// Random drawings with a random choice of thick ellipses: each reader gives the thickness
// back, a drawing read and written again is the same stream, and the records before the
// block are exactly the bytes the same drawing writes with every ellipse at 1.0.
TEST(StreamExtension, EveryReaderKeepsTheThicknessAndNothingElseChanges) {
  const double kValues[] = {1.0, 0.1, 2.5, 5.0, 1.0, 3.0};
  int nWithBlock = 0;
  for (unsigned seed = 1; seed <= 120; ++seed) {
    CKvillDoc doc;
    RandomDrawing random(seed);
    random.Fill(doc, 14);
    const std::vector<CEllipse*> ellipses = Ellipses(doc);
    for (CEllipse* e : ellipses) e->m_dThickness = 1.0;
    const ByteVector plain = StoreDoc(doc, CSerializeOptions::SaveWhole());
    for (CEllipse* e : ellipses) e->m_dThickness = kValues[random.Int(0, 5)];
    const std::vector<double> want = Thicknesses(doc);
    const ByteVector bytes = StoreDoc(doc, CSerializeOptions::SaveWhole());
    SCOPED_TRACE("seed " + std::to_string(seed));

    ASSERT_GE(bytes.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), bytes.begin()));
    const bool bThick = std::any_of(want.begin(), want.end(), [](double t) { return t != 1.0; });
    EXPECT_EQ(bytes.size() > plain.size(), bThick);
    nWithBlock += bThick ? 1 : 0;

    for (const bool bScan : {false, true}) {
      CKvillDoc back;
      ASSERT_TRUE(LoadDoc(back, bytes, bScan, {.bReplaceOnLoad = true}));
      EXPECT_EQ(Thicknesses(back), want) << "scanning " << bScan;
      EXPECT_EQ(StoreDoc(back, CSerializeOptions::SaveWhole()), bytes) << "scanning " << bScan;
    }
    // Pasted after what a drawing holds already, the places count from the pasted records.
    CKvillDoc pasted;
    ThickDrawing(pasted);
    const std::vector<double> before = Thicknesses(pasted);
    ASSERT_TRUE(LoadDoc(pasted, bytes, false, {.bReplaceOnLoad = false}));
    std::vector<double> expected = before;
    expected.insert(expected.end(), want.begin(), want.end());
    EXPECT_EQ(Thicknesses(pasted), expected);
  }
  // The seeds cover both cases.
  EXPECT_GT(nWithBlock, 20);
  EXPECT_LT(nWithBlock, 120);
}

TEST(StreamExtension, ASelectionCopyCarriesTheThicknessOfWhatItCopies) {
  CKvillDoc doc;
  ThickDrawing(doc);
  // Only the top-level bond: its ends' top objects travel with it, the group among them.
  std::prev(doc.m_listObjects.end())->get()->m_bSelected = 1;
  const ByteVector bytes = StoreDoc(doc, {.bSelectionOnly = true});
  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, bytes, false, {.bReplaceOnLoad = false}));
  EXPECT_EQ(Thicknesses(back), (std::vector<double>{2.5}));
}

// Cut short anywhere, or with any field garbled, the block is ignored as a whole: the
// drawing reads as it does without it, by either reader.
TEST(StreamExtension, ADamagedBlockLoadsTheDrawingAndIsIgnored) {
  CKvillDoc doc;
  ThickDrawing(doc);
  const ByteVector plainBlockless = [&] {
    CKvillDoc thin;
    ThickDrawing(thin);
    for (CEllipse* e : Ellipses(thin)) e->m_dThickness = 1.0;
    return StoreDoc(thin, CSerializeOptions::SaveWhole());
  }();
  const ByteVector whole = StoreDoc(doc, CSerializeOptions::SaveWhole());
  const std::size_t nAt = plainBlockless.size();
  ASSERT_EQ(whole.size(), nAt + 8 + 4 + 2 * 12);  // tag, count, two entries

  const auto put32 = [](ByteVector& v, std::size_t at, std::int32_t n) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(n >> (8 * i));
  };
  const auto putDouble = [](ByteVector& v, std::size_t at, double d) {
    std::memcpy(v.data() + at, &d, 8);
  };
  std::vector<std::pair<std::string, ByteVector>> damaged;
  for (std::size_t n = nAt + 1; n < whole.size(); ++n) {
    damaged.emplace_back("cut at " + std::to_string(n - nAt),
                         ByteVector(whole.begin(), whole.begin() + n));
  }
  const auto garble = [&](const char* what, auto&& change) {
    ByteVector v = whole;
    change(v);
    damaged.emplace_back(what, v);
  };
  garble("tag", [&](ByteVector& v) { v[nAt + 7] ^= 1; });
  garble("count 0", [&](ByteVector& v) { put32(v, nAt + 8, 0); });
  garble("count beyond the data", [&](ByteVector& v) { put32(v, nAt + 8, 3); });
  garble("count negative", [&](ByteVector& v) { put32(v, nAt + 8, -2); });
  garble("places out of order", [&](ByteVector& v) { put32(v, nAt + 24, 0); });
  garble("place beyond the records", [&](ByteVector& v) { put32(v, nAt + 24, 9); });
  garble("place of a dot", [&](ByteVector& v) { put32(v, nAt + 12, 0); });
  garble("place of a bond", [&](ByteVector& v) { put32(v, nAt + 12, 5); });
  garble("thickness not a number",
         [&](ByteVector& v) { putDouble(v, nAt + 28, std::numeric_limits<double>::quiet_NaN()); });
  garble("thickness infinite",
         [&](ByteVector& v) { putDouble(v, nAt + 16, std::numeric_limits<double>::infinity()); });

  for (const auto& [what, bytes] : damaged) {
    for (const bool bScan : {false, true}) {
      CKvillDoc back;
      EXPECT_TRUE(LoadDoc(back, bytes, bScan, {.bReplaceOnLoad = true})) << what;
      EXPECT_EQ(Thicknesses(back), (std::vector<double>{1.0, 1.0})) << what << " " << bScan;
      EXPECT_EQ(StoreDoc(back, CSerializeOptions::SaveWhole()), plainBlockless)
          << what << " " << bScan;
    }
  }
}

// The scanning loader takes the last 256-byte block that begins with a magic for the start
// of a stream: a block that would put one at a boundary is not written.
TEST(StreamExtension, NoBlockIsWrittenThatShowsAMagicAtABlockBoundary) {
  double dLikeMagic = 0.0;
  std::memcpy(&dLikeMagic, "Valendra", 8);
  ASSERT_TRUE(std::isfinite(dLikeMagic));
  // Tag, count and the first place take 16 bytes: the first thickness begins at offset 16 of
  // the block, and the next place's low byte (256) is the magic's closing zero.
  const CThicknessNote notes[] = {{3, dLikeMagic}, {256, 2.0}};
  EXPECT_TRUE(EncodeStreamExtension(notes, 256 - 16).empty());
  EXPECT_TRUE(EncodeStreamExtension(notes, 2 * 256 - 16).empty());
  EXPECT_EQ(EncodeStreamExtension(notes, 256 - 15).size(), 36u);
  EXPECT_TRUE(EncodeStreamExtension({}, 0).empty());

  // A drawing holding that thickness still reads back, the other thickness with it or not.
  CKvillDoc doc;
  ThickDrawing(doc);
  Ellipses(doc).front()->m_dThickness = dLikeMagic;
  const ByteVector bytes = StoreDoc(doc, CSerializeOptions::SaveWhole());
  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, bytes, true, {.bReplaceOnLoad = true}));
  EXPECT_EQ(back.m_listObjects.size(), doc.m_listObjects.size());
  EXPECT_EQ(Thicknesses(back), Thicknesses(doc));
}
