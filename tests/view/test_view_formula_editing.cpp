// Formula editing in the view: typing, keys, palette insertions, starting and ending.

#include <algorithm>

#include "InteractFixture.h"
#include "objects/CRecordingDC.h"

class ViewFormulaEditing : public InteractFixture {
 protected:
  // A new formula made with the formula tool, being edited.
  CFormula* NewFormula() {
    Tool(1029);
    Press(CPoint{1500, -1500});
    return Last<CFormula>(KIND_FORMULA);
  }
  void Type(const char* psz) {
    for (; *psz != '\0'; ++psz) view.OnChar(static_cast<unsigned char>(*psz));
  }
};

TEST_F(ViewFormulaEditing, WaterWithTheLowerIndexTemplate) {
  CFormula* f = NewFormula();
  ASSERT_NE(f, nullptr);
  Type("H");
  Tool(1032);
  EXPECT_EQ(f->m_strText, "H#idown # ");
  EXPECT_EQ(f->m_nCaret, 8);
  Type("2");
  EXPECT_EQ(f->m_nCaret, 9);
  view.OnCommand(32814);  // Right
  EXPECT_EQ(f->m_nCaret, 11);
  Type("O");
  EXPECT_EQ(f->m_strText, "H#idown 2# O");
  EXPECT_EQ(view.EditState(), 1);
  EXPECT_GE(host.m_nReleases, 1);  // the palette insertion released the Draw bar's buttons
}

TEST_F(ViewFormulaEditing, TemplateRecordsNoSnapshotUntilTheNextChange) {
  CFormula* f = NewFormula();
  const std::size_t nAfterCreate = Snapshots();
  Tool(1030);
  EXPECT_EQ(f->m_strText, "#iup # ");
  EXPECT_EQ(Snapshots(), nAfterCreate);
  EXPECT_TRUE(doc.IsModified());
  // Whether the newest snapshot holds str.
  const auto Holds = [this](const std::string& str) {
    const std::vector<std::uint8_t> snap = view.History().BytesAt(view.History().Size() - 1);
    return std::search(snap.begin(), snap.end(), str.begin(), str.end()) != snap.end();
  };
  EXPECT_FALSE(Holds("#iup"));
  Type("3");
  EXPECT_EQ(Snapshots(), nAfterCreate + 1);
  // The first snapshot that holds the template is the one of the change that followed.
  EXPECT_TRUE(Holds("#iup 3# "));
  // A Greek letter is recorded at once.
  Tool(1034);
  EXPECT_EQ(f->m_strText, "#iup 3<a># ");
  EXPECT_EQ(Snapshots(), nAfterCreate + 2);
}

TEST_F(ViewFormulaEditing, IndexTemplateInsideASlotInsertsNothing) {
  CFormula* f = NewFormula();
  Tool(1031);
  EXPECT_EQ(f->m_strText, "#iudr # # ");
  EXPECT_EQ(f->m_nCaret, 6);
  const int nReleases = host.m_nReleases;
  Tool(1030);
  EXPECT_EQ(f->m_strText, "#iudr # # ");
  EXPECT_EQ(f->m_nCaret, 6);
  EXPECT_EQ(host.m_nReleases, nReleases + 1);
  // Down goes to the lower slot, Right from slot 1 leaves the template.
  view.OnCommand(32816);
  EXPECT_EQ(f->m_nCaret, 8);
  view.OnCommand(32815);
  EXPECT_EQ(f->m_nCaret, 6);
  view.OnCommand(32814);
  EXPECT_EQ(f->m_nCaret, 10);
}

TEST_F(ViewFormulaEditing, BackspaceDeletesAndSkipsItsCharacterMessage) {
  CFormula* f = NewFormula();
  Type("CO#");
  EXPECT_EQ(f->m_strText, "CO##");
  const std::size_t n = Snapshots();
  view.OnKeyDown(VK_BACK);
  EXPECT_EQ(f->m_strText, "CO");
  EXPECT_TRUE(view.FormulaSession().IsNextCharSkipped());
  view.OnChar(8);  // the character message that follows the key
  EXPECT_EQ(f->m_strText, "CO");
  EXPECT_FALSE(view.FormulaSession().IsNextCharSkipped());
  EXPECT_EQ(Snapshots(), n + 1);
  view.OnCommand(32813);  // Left
  view.OnKeyDown(VK_DELETE);
  EXPECT_EQ(f->m_strText, "C");
  EXPECT_EQ(Snapshots(), n + 2);
  // The Delete accelerator while editing deletes in the text too (here at its end: nothing).
  EXPECT_TRUE(view.OnCommand(32787));
  EXPECT_EQ(f->m_strText, "C");
}

TEST_F(ViewFormulaEditing, EveryByteIsInsertedAndForeignCharactersAreRefused) {
  CFormula* f = NewFormula();
  view.OnChar(13);    // Enter
  view.OnChar(0xE9);  // é in both code pages
  view.OnChar(0x9A);  // š in 1252, the byte as it comes
  EXPECT_EQ(f->m_strText, "\r\xE9\x9A");
  const std::size_t n = Snapshots();
  view.OnChar(-1);
  view.OnChar(0x3A9);
  EXPECT_EQ(host.m_nBeeps, 2);
  EXPECT_EQ(f->m_strText, "\r\xE9\x9A");
  EXPECT_EQ(Snapshots(), n);
  EXPECT_EQ(view.TypingCodePage(), 1252);
  view.Settings().m_bEnglish = 0;
  EXPECT_EQ(view.TypingCodePage(), 1250);
}

TEST_F(ViewFormulaEditing, TypingWithoutAnEditChangesNothing) {
  CFormula* f = AddFormula(300, -300, 420, -570, "C");
  view.OnChar('x');
  view.OnKeyDown(VK_BACK);
  EXPECT_EQ(f->m_strText, "C");
  EXPECT_EQ(Snapshots(), 0u);
  EXPECT_EQ(host.m_nBeeps, 0);
  // Without an edit the arrow keys and Delete act on the selection, and nothing is selected.
  EXPECT_TRUE(view.OnCommand(32814));
  EXPECT_TRUE(view.OnCommand(32787));
  EXPECT_EQ(f->m_strText, "C");
  EXPECT_EQ(f->m_ptAnchor, (CPoint{300, -300}));
  EXPECT_EQ(CountKind(KIND_FORMULA), 1);
  EXPECT_EQ(Snapshots(), 0u);
}

TEST_F(ViewFormulaEditing, EscapeOnANewEmptyFormulaLeavesItsFrame) {
  CFormula* f = NewFormula();
  view.OnKeyDown(VK_ESCAPE);
  EXPECT_EQ(view.EditState(), 1);  // posted, not yet handled
  host.PumpMessages();
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_FALSE(f->m_bSelected);
  ASSERT_EQ(CountKind(KIND_FORMULA), 1);
  // Drawn unselected, the empty formula shows its frame.
  CRecordingDC dc;
  f->ResetDone();
  f->Draw(&dc);
  EXPECT_FALSE(dc.RecordsOf(CRecordingDC::Op::Rectangle).empty());
  EXPECT_GT(host.m_nCaretHidden, 0);
}

TEST_F(ViewFormulaEditing, EndOfEditRedrawsOnlyWhenAllowed) {
  NewFormula();
  view.m_bRedrawOnEndEdit = 0;
  const std::size_t nSurfaces = host.m_surfaces.size();
  Tool(1095);
  EXPECT_EQ(host.m_surfaces.size(), nSurfaces);
  EXPECT_EQ(view.m_bRedrawOnEndEdit, 1);
  Tool(1095);
  EXPECT_GT(host.m_surfaces.size(), nSurfaces);
}

TEST_F(ViewFormulaEditing, EditCommandPutsTheCaretAtTheEnd) {
  CFormula* f = AddFormula(300, -300, 420, -570, "NaCl");
  CEllipse* e = AddEllipse(900, -300, 1200, -600);
  e->m_bSelected = 1;
  view.SetCurrent(f);
  view.OnCommand(32791);
  EXPECT_EQ(view.EditState(), 1);
  EXPECT_EQ(f->m_nCaret, 4);
  EXPECT_TRUE(f->m_bSelected);
  EXPECT_FALSE(e->m_bSelected);
  EXPECT_EQ(view.SelCount(), 1);
  Type("2");
  EXPECT_EQ(f->m_strText, "NaCl2");
}

TEST_F(ViewFormulaEditing, CaretIsHiddenAroundEveryRepaintWhileEditing) {
  NewFormula();
  const int nHidden = host.m_nCaretHidden;
  const int nShown = host.m_nCaretShown;
  view.UpdateView();
  EXPECT_EQ(host.m_nCaretHidden, nHidden + 1);
  EXPECT_EQ(host.m_nCaretShown, nShown + 1);
}

TEST_F(ViewFormulaEditing, ClickOnAnotherObjectEndsTheEdit) {
  CEllipse* e = AddEllipse(300, -300, 600, -600);
  NewFormula();
  Click(CPoint{450, -450});
  EXPECT_EQ(view.EditState(), 0);
  EXPECT_TRUE(e->m_bSelected);
}
