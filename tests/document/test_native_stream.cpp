#include <gtest/gtest.h>

#include <iterator>

#include "StreamBytes.h"
#include "StreamTestUtil.h"

namespace {

CKVObject* At(CObList& list, std::size_t i) {
  auto it = list.begin();
  std::advance(it, static_cast<long>(i));
  return it->get();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The writer

TEST(NativeStreamWriter, EmptyDrawingIsEighteenBytes) {
  CKvillDoc doc;
  doc.SetSelCount(3);
  const auto bytes = StoreDoc(doc);
  EXPECT_EQ(bytes, Bytes().header(3).end().v);
  EXPECT_EQ(bytes.size(), 18u);

  CKvillDoc back;
  Append(back.m_listObjects, MakeDot(1, 1));
  EXPECT_TRUE(LoadDoc(back, bytes));
  EXPECT_TRUE(back.m_listObjects.empty());
  EXPECT_EQ(back.GetSelCount(), 3);
  EXPECT_EQ(back.m_strLoadedMagic, "8Valendra");
}

TEST(NativeStreamWriter, CommonPartIsFortyFourBytes) {
  CKvillDoc doc;
  auto e = std::make_unique<CEllipse>();
  e->m_bSelected = 1;
  e->m_dScale = 2.5;
  e->m_rcBounds = CRect{-10, 20, 30, -40};
  e->m_ptAnchor = CPoint{-10, 20};
  e->m_crColor = 0x00FF8001;
  e->m_dThickness = 3.0;  // not part of the record: it follows the end marker
  Append(doc.m_listObjects, std::move(e));
  const auto bytes = StoreDoc(doc);
  const Bytes expected =
      Bytes().header().common(11, 1, 2.5, -10, 20, 30, -40, -10, 20, 0x00FF8001).end();
  ASSERT_EQ(bytes.size(), 14u + 44 + 4 + 24);
  EXPECT_TRUE(std::equal(expected.v.begin(), expected.v.end(), bytes.begin()));
  // "VLDEXT01", one entry: record 0, thickness 3.0.
  const Bytes block = Bytes().raw("VLDEXT01", 8).i32(1).i32(0).f64(3.0);
  EXPECT_TRUE(std::equal(block.v.begin(), block.v.end(), bytes.begin() + 62));

  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, bytes));
  auto* pE = dynamic_cast<CEllipse*>(At(back.m_listObjects, 0));
  ASSERT_NE(pE, nullptr);
  EXPECT_EQ(pE->m_dThickness, 3.0);
  EXPECT_EQ(pE->m_crColor, 0x00FF8001u);
  EXPECT_EQ(pE->m_dScale, 2.5);
}

TEST(NativeStreamWriter, BondRecordIs148BytesAfterItsEnds) {
  CKvillDoc doc;
  CDot* a = Append(doc.m_listObjects, MakeDot(100, 200));
  auto b = MakeBond(a, nullptr);
  CCoupling* bond = b.get();
  // Bonds are stored in the second pass, so the list order bond-before-end is fine.
  doc.m_listObjects.push_front(std::move(b));
  CDot* c = Append(doc.m_listObjects, MakeDot(-300, 400));
  bond->m_pEndB = c;
  bond->m_nReserved1 = 7;
  bond->m_nReserved2 = -8;
  bond->m_nReserved3 = 9;
  bond->m_nSide = 2;
  bond->m_ptA = CPoint{1, 2};
  bond->m_ptB = CPoint{3, 4};
  bond->m_nStyle = 6;
  bond->m_nPenStyle = 2;
  bond->m_nAttachDx = 5;
  bond->m_nAttachDy = 6;
  bond->m_dThickness = 2.0;
  bond->m_crColor = 0x123456;
  bond->m_rcBounds = CRect{11, 12, 13, 14};
  bond->m_ptAnchor = CPoint{15, 16};

  const auto bytes = StoreDoc(doc);
  Bytes bondRec;
  bondRec.common(12, 0, 1.0, 11, 12, 13, 14, 15, 16, 0x123456);
  bondRec.i32(7).i32(-8).i32(2).i32(1).i32(2).i32(3).i32(4).i32(6).i32(2).i32(5).i32(6).i32(9);
  bondRec.dotRef(100, 200).dotRef(-300, 400).f64(2.0);
  ASSERT_EQ(bondRec.v.size(), 148u);
  const Bytes expected =
      Bytes().header().dot(100, 200).dot(-300, 400).raw(bondRec.v.data(), 148).end();
  EXPECT_EQ(bytes, expected.v);

  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, bytes));
  ASSERT_EQ(back.m_listObjects.size(), 3u);
  auto* pBond = dynamic_cast<CCoupling*>(At(back.m_listObjects, 2));
  ASSERT_NE(pBond, nullptr);
  EXPECT_EQ(pBond->m_pEndA, At(back.m_listObjects, 0));
  EXPECT_EQ(pBond->m_pEndB, At(back.m_listObjects, 1));
  EXPECT_EQ(pBond->m_nReserved1, 7);
  EXPECT_EQ(pBond->m_nReserved2, -8);
  EXPECT_EQ(pBond->m_nReserved3, 9);
  EXPECT_EQ(pBond->m_nStyle, 6);
  EXPECT_EQ(pBond->m_dThickness, 2.0);
  EXPECT_EQ(StoreDoc(back), bytes);
}

TEST(NativeStreamWriter, FormulaAndChargeRecords) {
  CKvillDoc doc;
  auto f = std::make_unique<CFormula>();
  f->m_strText = "H_2O";
  Append(doc.m_listObjects, std::move(f));
  auto plus = std::make_unique<CPlusC>();
  plus->m_dThickness = 1.5;
  Append(doc.m_listObjects, std::move(plus));
  Append(doc.m_listObjects, std::make_unique<CMinusC>());
  const Bytes expected = Bytes()
                             .header()
                             .common(6, 0, 1.0, 0, 100, 100, 0, 100, 0, 0)
                             .i32(4)
                             .text("H_2O")
                             .common(13, 0, 1.0, 0, 0, 200, -200, 0, 0, 0)
                             .f64(1.5)
                             .common(14, 0, 1.0, 0, 0, 180, -180, 0, 0, 0)
                             .f64(1.0)
                             .end();
  EXPECT_EQ(StoreDoc(doc), expected.v);
}

TEST(NativeStreamWriter, GroupInGroupWithBondRoundTripsUnchanged) {
  CKvillDoc doc;
  auto outer = std::make_unique<CGroup>();
  outer->m_rcBounds = CRect{-30, 30, 130, -30};
  outer->m_ptAnchor = CPoint{-30, 30};
  outer->m_bSelected = 1;
  CGroup* pOuter = Append(doc.m_listObjects, std::move(outer));
  auto inner = std::make_unique<CGroup>();
  inner->m_rcBounds = CRect{-30, 30, 130, -30};
  inner->m_ptAnchor = CPoint{-30, 30};
  CGroup* pInner = AppendChild(*pOuter, std::move(inner));
  // The editor's Group command puts bonds first; files put them after the other children.
  CDot* d1 = nullptr;
  CDot* d2 = nullptr;
  auto bond = MakeBond(nullptr, nullptr);
  CCoupling* pBond = AppendChild(*pInner, std::move(bond));
  d1 = AppendChild(*pInner, MakeDot(0, 0));
  d2 = AppendChild(*pInner, MakeDot(100, 0));
  pBond->m_pEndA = d1;
  pBond->m_pEndB = d2;

  const auto bytes = StoreDoc(doc);
  const Bytes expected = Bytes()
                             .header()
                             .common(9, 1, 1.0, -30, 30, 130, -30, -30, 30, 0)
                             .common(9, 0, 1.0, -30, 30, 130, -30, -30, 30, 0)
                             .dot(0, 0)
                             .dot(100, 0)
                             .bond(0, 0, 100, 0)
                             .end()   // inner group
                             .end()   // outer group
                             .end();  // top level
  EXPECT_EQ(bytes, expected.v);

  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, bytes));
  ASSERT_EQ(back.m_listObjects.size(), 1u);
  auto* g = dynamic_cast<CGroup*>(At(back.m_listObjects, 0));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->m_bSelected, 1);
  ASSERT_EQ(g->m_listChildren.size(), 1u);
  auto* h = dynamic_cast<CGroup*>(At(g->m_listChildren, 0));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->m_pParent, g);
  ASSERT_EQ(h->m_listChildren.size(), 3u);
  auto* b = dynamic_cast<CCoupling*>(At(h->m_listChildren, 2));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->m_pEndA, At(h->m_listChildren, 0));
  EXPECT_EQ(b->m_pEndB, At(h->m_listChildren, 1));
  for (auto& p : h->m_listChildren) {
    EXPECT_EQ(p->m_pParent, h);
    EXPECT_EQ(p->m_bSelected, 0);
  }
  EXPECT_EQ(StoreDoc(back), bytes);
}

TEST(NativeStreamWriter, CopySelectionOfALoneBondWritesItsEndsFirst) {
  CKvillDoc doc;
  CDot* a = Append(doc.m_listObjects, MakeDot(0, 0));
  Append(doc.m_listObjects, MakeDot(500, 500));  // unselected and unrelated
  CDot* b = Append(doc.m_listObjects, MakeDot(100, 0));
  CCoupling* bond = Append(doc.m_listObjects, MakeBond(a, b));
  bond->m_bSelected = 1;
  doc.SetSelCount(1);
  doc.SetModifiedFlag(true);
  const auto bytes = StoreDoc(doc, {.bSelectionOnly = true});
  const Bytes expected = Bytes().header(1).dot(0, 0).dot(100, 0).bond(0, 0, 100, 0, 1).end();
  EXPECT_EQ(bytes, expected.v);
  // Copying does not touch the modified flag.
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.m_bJustSaved, 0);

  // Pasted into the same drawing, the bond attaches to the pasted copies.
  ASSERT_TRUE(LoadDoc(doc, bytes, false, {.bReplaceOnLoad = false}));
  ASSERT_EQ(doc.m_listObjects.size(), 7u);
  auto* pasted = dynamic_cast<CCoupling*>(At(doc.m_listObjects, 6));
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->m_pEndA, At(doc.m_listObjects, 4));
  EXPECT_EQ(pasted->m_pEndB, At(doc.m_listObjects, 5));
  // The count read (1) grows by the two dots that arrived unselected.
  EXPECT_EQ(doc.GetSelCount(), 3);
  for (std::size_t i = 4; i < 7; ++i) EXPECT_EQ(At(doc.m_listObjects, i)->m_bSelected, 1);
}

TEST(NativeStreamWriter, SharedUnselectedEndIsWrittenOncePerBond) {
  CKvillDoc doc;
  auto g = std::make_unique<CGroup>();
  CGroup* pGroup = Append(doc.m_listObjects, std::move(g));
  CDot* inGroup = AppendChild(*pGroup, MakeDot(0, 0));
  CDot* x = Append(doc.m_listObjects, MakeDot(100, 0));
  x->m_bSelected = 1;
  CDot* y = Append(doc.m_listObjects, MakeDot(200, 0));
  y->m_bSelected = 1;
  Append(doc.m_listObjects, MakeBond(inGroup, x))->m_bSelected = 1;
  Append(doc.m_listObjects, MakeBond(inGroup, y))->m_bSelected = 1;
  const auto bytes = StoreDoc(doc, {.bSelectionOnly = true});
  Bytes groupRec;
  groupRec.common(9, 0, 1.0, 0, 0, 0, 0, 0, 0, 0).dot(0, 0).end();
  const Bytes expected = Bytes()
                             .header()
                             .dot(100, 0, 1)
                             .dot(200, 0, 1)
                             .raw(groupRec.v.data(), groupRec.v.size())
                             .raw(groupRec.v.data(), groupRec.v.size())
                             .bond(0, 0, 100, 0, 1)
                             .bond(0, 0, 200, 0, 1)
                             .end();
  EXPECT_EQ(bytes, expected.v);
}

TEST(NativeStreamWriter, StoreToFileClearsTheModifiedFlagOnlyWithTheDefaultFlags) {
  CKvillDoc doc;
  doc.SetModifiedFlag(true);
  doc.m_bStoringToFile = 0;
  StoreDoc(doc);
  EXPECT_TRUE(doc.IsModified());
  doc.m_bStoringToFile = 1;
  doc.m_bClearModifiedOnStore = 0;  // the application's own Save
  StoreDoc(doc);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.m_bJustSaved, 0);
  doc.m_bClearModifiedOnStore = 1;
  StoreDoc(doc);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.m_bJustSaved, 1);
}

TEST(NativeStreamWriter, EstimateNativeSize) {
  CKvillDoc doc;
  EXPECT_EQ(doc.EstimateNativeSize(), 19682);  // 16402 x 1.2
  auto f = std::make_unique<CFormula>();
  f->m_strText = "abc";
  Append(doc.m_listObjects, std::move(f));                // 47
  Append(doc.m_listObjects, MakeDot(0, 0));               // 44
  Append(doc.m_listObjects, MakeBond(nullptr, nullptr));  // 140
  EXPECT_EQ(doc.EstimateNativeSize(), 19959);             // (16402 + 231) x 1.2
}

// ---------------------------------------------------------------------------------------
// The loaders: magics and older families

TEST(NativeStreamLoader, RecognisesEveryMagic) {
  for (const char* m : {"8Valendra", "7Valendra", "6Valendra", "5Valendra", "4Valendra",
                        "Valendra2", "Valendra3"}) {
    CKvillDoc doc;
    Bytes b;
    b.text(m).u8(0).i32(5).dot(0, 0, 1).end();
    EXPECT_TRUE(LoadDoc(doc, b.v)) << m;
    EXPECT_EQ(doc.m_nLoadedFamily, StreamFamily::Valendra) << m;
    EXPECT_EQ(doc.m_listObjects.size(), 1u) << m;
    EXPECT_EQ(doc.GetSelCount(), 5) << m;
  }
  // The plain "Valendra" does not look at its tenth byte.
  CKvillDoc doc;
  Bytes b;
  b.text("Valendra").u8(0).u8('Z').i32(2).end();
  EXPECT_TRUE(LoadDoc(doc, b.v));
  EXPECT_EQ(doc.m_strLoadedMagic, "Valendra");
  // Near misses are not streams.
  for (const char* m : {"9Valendra", "Valendra4", "valendra\0", "KvillDo\0\0"}) {
    Bytes bad;
    bad.raw(m, 9).u8(0).i32(0).end();
    CKvillDoc d;
    Append(d.m_listObjects, MakeDot(1, 1));
    EXPECT_FALSE(LoadDoc(d, bad.v)) << m;
    EXPECT_TRUE(d.m_listObjects.empty()) << m;  // cleared before the header was read
  }
  // "8Valendra" needs its zero byte.
  CKvillDoc d;
  EXPECT_FALSE(LoadDoc(d, Bytes().text("8ValendraX").i32(0).end().v));
}

TEST(NativeStreamLoader, KvillDocFamilyHasNoSelectionFlagsNoColourAndOldCodes) {
  Bytes b;
  b.kvillHeader();
  // code 1: formula, no selection flag, no colour
  b.i32(1).f64(1.0).i32(0).i32(100).i32(100).i32(0).i32(100).i32(0).i32(2).text("Na");
  // code 3: dot
  b.i32(3).f64(1.0).i32(-30).i32(30).i32(30).i32(-30).i32(0).i32(0);
  // code 5: ellipse whose stored anchor is not its corner
  b.i32(5).f64(1.0).i32(10).i32(90).i32(50).i32(20).i32(33).i32(44);
  // code 4: group with a dot (code 3) inside
  b.i32(4).f64(1.0).i32(170).i32(30).i32(230).i32(-30).i32(170).i32(30);
  b.i32(3).f64(1.0).i32(170).i32(30).i32(230).i32(-30).i32(200).i32(0);
  b.end();
  // code 2: bond without colour and without thickness, from the dot to the inner dot
  b.i32(2).f64(1.0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0);
  b.i32(0).i32(0).i32(1).i32(0).i32(0).i32(0).i32(0).i32(3).i32(0).i32(0).i32(0).i32(0);
  b.dotRef(0, 0).dotRef(200, 0);
  // code 7: bond with colour and no thickness
  b.i32(7).f64(1.0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0x0000FF);
  b.i32(0).i32(0).i32(1).i32(0).i32(0).i32(0).i32(0).i32(1).i32(0).i32(0).i32(0).i32(0);
  b.dotRef(0, 0).dotRef(200, 0);
  b.end();

  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v));
  EXPECT_EQ(doc.m_nLoadedFamily, StreamFamily::KvillDoc);
  EXPECT_EQ(doc.m_bRecordsHaveSelection, 0);
  EXPECT_EQ(doc.GetSelCount(), 0);
  ASSERT_EQ(doc.m_listObjects.size(), 6u);
  const int kinds[] = {6, 8, 11, 9, 12, 12};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(At(doc.m_listObjects, i)->m_nKind, kinds[i]);
  auto* f = dynamic_cast<CFormula*>(At(doc.m_listObjects, 0));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->m_strText, "Na");
  auto* e = At(doc.m_listObjects, 2);
  EXPECT_EQ(e->m_ptAnchor, (CPoint{10, 90}));
  auto* g = dynamic_cast<CGroup*>(At(doc.m_listObjects, 3));
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->m_listChildren.size(), 1u);
  EXPECT_EQ(At(g->m_listChildren, 0)->m_nKind, 8);
  auto* b2 = dynamic_cast<CCoupling*>(At(doc.m_listObjects, 4));
  ASSERT_NE(b2, nullptr);
  EXPECT_EQ(b2->m_dThickness, 1.0);
  EXPECT_EQ(b2->m_crColor, 0u);
  EXPECT_EQ(b2->m_nStyle, 3);
  EXPECT_EQ(b2->m_pEndA, At(doc.m_listObjects, 1));
  EXPECT_EQ(b2->m_pEndB, At(g->m_listChildren, 0));
  auto* b7 = dynamic_cast<CCoupling*>(At(doc.m_listObjects, 5));
  ASSERT_NE(b7, nullptr);
  EXPECT_EQ(b7->m_crColor, 0x0000FFu);
  EXPECT_EQ(b7->m_dThickness, 1.0);

  // Written again, it is a stream of the current family that reads back the same.
  const auto again = StoreDoc(doc);
  CKvillDoc back;
  ASSERT_TRUE(LoadDoc(back, again));
  EXPECT_EQ(StoreDoc(back), again);
  EXPECT_EQ(again.size(), 14u + 50 + 44 + 44 + (44 + 44 + 4) + 148 + 148 + 4);
}

TEST(NativeStreamLoader, CurrentEllipseTakesItsAnchorFromItsBoxWhateverWasStored) {
  // Code 11 at the top level and inside a group, each stored with an anchor off its corner;
  // a dot stored the same way keeps its anchor.
  Bytes b;
  b.header().common(11, 0, 1.0, 10, 90, 50, 20, 33, 44, 0x00A0B0C0);
  b.common(9, 0, 1.0, -200, 200, 0, 0, -100, 100, 0);
  b.common(11, 0, 1.0, -180, 170, -20, 30, -50, 60, 0x12).end();
  b.common(8, 0, 1.0, 300, 330, 360, 270, 333, 301, 0).end();
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v));
  ASSERT_EQ(doc.m_listObjects.size(), 3u);
  EXPECT_EQ(At(doc.m_listObjects, 0)->m_ptAnchor, (CPoint{10, 90}));
  auto* g = dynamic_cast<CGroup*>(At(doc.m_listObjects, 1));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->m_ptAnchor, (CPoint{-100, 100}));
  ASSERT_EQ(g->m_listChildren.size(), 1u);
  EXPECT_EQ(At(g->m_listChildren, 0)->m_ptAnchor, (CPoint{-180, 170}));
  EXPECT_EQ(At(doc.m_listObjects, 2)->m_ptAnchor, (CPoint{333, 301}));
  // The colour, present in a record of code 11, was read too.
  EXPECT_EQ(At(doc.m_listObjects, 0)->m_crColor, 0x00A0B0C0u);
}

TEST(NativeStreamLoader, UnknownCodesAndDroppedBonds) {
  // Plain loader: a code outside 1..14 reads an ellipse record and keeps its code.
  Bytes b;
  b.header().common(99, 0, 1.0, 0, 10, 10, 0, 5, 5, 0x77).dot(0, 0);
  b.bond(0, 0, 999, 999);  // end B matches nothing: dropped without a word
  b.end();
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v));
  ASSERT_EQ(doc.m_listObjects.size(), 2u);
  CKVObject* odd = At(doc.m_listObjects, 0);
  EXPECT_NE(dynamic_cast<CEllipse*>(odd), nullptr);
  EXPECT_EQ(odd->m_nKind, 99);
  EXPECT_EQ(odd->m_ptAnchor, (CPoint{5, 5}));  // not an ellipse code: the anchor stays
  EXPECT_EQ(odd->m_crColor, 0x77u);

  // Scanning loader: the same code is stepped over four bytes at a time.
  Bytes s;
  s.header().i32(99).i32(0).i32(1234).dot(7, 7).end();
  CKvillDoc scanned;
  ASSERT_TRUE(LoadDoc(scanned, s.v, true));
  ASSERT_EQ(scanned.m_listObjects.size(), 1u);
  EXPECT_EQ(At(scanned.m_listObjects, 0)->m_ptAnchor, (CPoint{7, 7}));
  // ...while the plain loader takes the same bytes for an ellipse record and runs dry.
  CKvillDoc plain;
  EXPECT_FALSE(LoadDoc(plain, s.v));
}

TEST(NativeStreamLoader, BondMatchingTwoIdenticalObjectsTakesTheFirst) {
  Bytes b;
  b.header().dot(0, 0).dot(0, 0).dot(50, 50).bond(0, 0, 50, 50).bond(50, 50, 0, 0).end();
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v));
  ASSERT_EQ(doc.m_listObjects.size(), 5u);
  for (std::size_t i : {3u, 4u}) {
    auto* bond = dynamic_cast<CCoupling*>(At(doc.m_listObjects, i));
    ASSERT_NE(bond, nullptr);
    CKVObject* zero = i == 3 ? bond->m_pEndA : bond->m_pEndB;
    EXPECT_EQ(zero, At(doc.m_listObjects, 0));
  }
}

TEST(NativeStreamLoader, PasteAttachesOnlyToSelectedTopLevelObjects) {
  CKvillDoc doc;
  Append(doc.m_listObjects, MakeDot(0, 0));  // identical to the pasted one, unselected
  CDot* sel = Append(doc.m_listObjects, MakeDot(50, 50));
  sel->m_bSelected = 1;
  doc.SetSelCount(1);
  Bytes b;
  b.header(0).dot(0, 0).bond(0, 0, 50, 50).bond(0, 0, 77, 77).end();
  ASSERT_TRUE(LoadDoc(doc, b.v, false, {.bReplaceOnLoad = false}));
  ASSERT_EQ(doc.m_listObjects.size(), 4u);  // the bond to (77, 77) is dropped
  auto* bond = dynamic_cast<CCoupling*>(At(doc.m_listObjects, 3));
  ASSERT_NE(bond, nullptr);
  EXPECT_EQ(bond->m_bSelected, 1);
  EXPECT_EQ(bond->m_pEndA, At(doc.m_listObjects, 2));  // the pasted dot, not the old one
  EXPECT_EQ(bond->m_pEndB, sel);                       // a selected object already there
  EXPECT_EQ(doc.GetSelCount(), 1);  // 0 read, +1 for the dot; the bond arrived selected
}

TEST(NativeStreamLoader, OutlandishSelectionCountIsKeptInRange) {
  // A count at the int32 limits, then pasted objects that each add one: nothing overflows,
  // in either loader, and a count a real drawing could hold is kept as it is.
  for (const bool bScan : {false, true}) {
    for (const std::int32_t nStored : {INT32_MAX, INT32_MIN, 12345}) {
      SCOPED_TRACE(nStored);
      Bytes b;
      b.header(nStored).dot(0, 0).dot(100, 0).end();
      CKvillDoc doc;
      ASSERT_TRUE(LoadDoc(doc, b.v, bScan, {.bReplaceOnLoad = false}));
      const std::int32_t nExpected = nStored == INT32_MAX   ? (1 << 30) + 2
                                     : nStored == INT32_MIN ? -(1 << 30) + 2
                                                            : 12347;
      EXPECT_EQ(doc.GetSelCount(), nExpected);
    }
  }
}

TEST(NativeStreamLoader, PasteSelectsTheOutermostGroupOnly) {
  Bytes b;
  b.header()
      .common(9, 0, 1.0, 0, 0, 0, 0, 0, 0, 0)
      .common(9, 1, 1.0, 0, 0, 0, 0, 0, 0, 0)
      .dot(0, 0, 1)
      .end()
      .end()
      .end();
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v, false, {.bReplaceOnLoad = false}));
  auto* g = dynamic_cast<CGroup*>(At(doc.m_listObjects, 0));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->m_bSelected, 1);
  auto* h = dynamic_cast<CGroup*>(At(g->m_listChildren, 0));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->m_bSelected, 0);
  EXPECT_EQ(At(h->m_listChildren, 0)->m_bSelected, 0);
  // The group arrived selected by the paste itself, so it is not counted again.
  EXPECT_EQ(doc.GetSelCount(), 0);
}

// ---------------------------------------------------------------------------------------
// The scanning loader

TEST(NativeStreamScanning, ThreeHundredByteFileIsReadFromOffsetTen) {
  Bytes b;
  b.header(4).dot(1, 2).end();
  b.v.resize(300, 0xAB);  // block 1 (offset 256) is garbage, not a magic
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v, true));
  EXPECT_EQ(doc.GetSelCount(), 4);
  ASSERT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_EQ(At(doc.m_listObjects, 0)->m_ptAnchor, (CPoint{1, 2}));
}

TEST(NativeStreamScanning, ALaterCompleteStreamWins) {
  Bytes b;
  b.header(1).dot(1, 1).end();
  b.v.resize(512, 0);
  b.header(2).dot(2, 2).dot(3, 3).end();
  CKvillDoc doc;
  ASSERT_TRUE(LoadDoc(doc, b.v, true));
  EXPECT_EQ(doc.GetSelCount(), 2);
  ASSERT_EQ(doc.m_listObjects.size(), 2u);
  EXPECT_EQ(At(doc.m_listObjects, 0)->m_ptAnchor, (CPoint{2, 2}));

  // A magic whose ten bytes fit counts even when the block ends early; a magic cut short
  // does not.
  Bytes c;
  c.header(1).dot(1, 1).end();
  c.v.resize(256, 0);
  c.text("KvillDoc").u8(0).u8(0).i32(10);
  CKvillDoc k;
  ASSERT_TRUE(LoadDoc(k, c.v, true));
  EXPECT_EQ(k.m_nLoadedFamily, StreamFamily::KvillDoc);
  EXPECT_TRUE(k.m_listObjects.empty());
  c.v.resize(256 + 9);
  CKvillDoc first;
  ASSERT_TRUE(LoadDoc(first, c.v, true));
  EXPECT_EQ(first.m_listObjects.size(), 1u);
}

TEST(NativeStreamScanning, MagicOnlyAtBlockBoundaries) {
  Bytes b;
  b.u8(0).header().end();  // a stream at offset 1 is not found
  CKvillDoc doc;
  Append(doc.m_listObjects, MakeDot(1, 1));
  EXPECT_FALSE(LoadDoc(doc, b.v, true));
  EXPECT_TRUE(doc.m_listObjects.empty());
  // The plain loader does not scan either.
  EXPECT_FALSE(LoadDoc(doc, b.v, false));
}

TEST(NativeStreamScanning, DataEndingBeforeTheEndMarkerKeepsWhatWasRead) {
  Bytes b;
  b.header().dot(1, 1).dot(2, 2);
  CKvillDoc doc;
  EXPECT_FALSE(LoadDoc(doc, b.v, true));
  EXPECT_EQ(doc.m_listObjects.size(), 2u);
}
