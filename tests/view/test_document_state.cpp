#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "ViewFixture.h"
#include "document/CKvillSrvrItem.h"
#include "objects/CArchive.h"

using DocumentPrompts = ViewFixture;

TEST_F(DocumentPrompts, UnmodifiedDrawingIsDiscardedWithoutAsking) {
  EXPECT_TRUE(doc.SaveModified());
  EXPECT_TRUE(host.m_boxes.empty());
}

TEST_F(DocumentPrompts, NoToTheFirstQuestionKeepsTheDrawing) {
  doc.SetModifiedFlag();
  host.m_answers = {IDNO};
  EXPECT_FALSE(doc.SaveModified());
  ASSERT_EQ(host.m_boxes.size(), 1u);
  EXPECT_EQ(host.m_boxes[0].strText, "Drawing has not been saved. Do you want to discard it?");
  EXPECT_EQ(host.m_boxes[0].strCaption, "Valendra");
  EXPECT_EQ(host.m_boxes[0].nFlags, static_cast<unsigned>(MB_ICONWARNING | MB_YESNO));
  EXPECT_TRUE(host.m_boxes[0].bOwned);
}

TEST_F(DocumentPrompts, YesThenNoDiscardsWithoutSaving) {
  doc.SetModifiedFlag();
  doc.m_strTitle = "rings.vld";
  host.m_answers = {IDYES, IDNO};
  EXPECT_TRUE(doc.SaveModified());
  ASSERT_EQ(host.m_boxes.size(), 2u);
  EXPECT_EQ(host.m_boxes[1].strText, "Save changes to rings.vld?");
  EXPECT_EQ(host.m_boxes[1].nFlags, static_cast<unsigned>(MB_ICONWARNING | MB_YESNOCANCEL));
  EXPECT_EQ(host.m_nSaveAsCalls, 0);
}

TEST_F(DocumentPrompts, YesThenCancelKeepsTheDrawing) {
  doc.SetModifiedFlag();
  host.m_answers = {IDYES, IDCANCEL};
  EXPECT_FALSE(doc.SaveModified());
}

TEST_F(DocumentPrompts, CzechWording) {
  view.Settings().m_bEnglish = 0;
  doc.SetModifiedFlag();
  doc.m_strTitle = "kruhy";
  host.m_answers = {IDYES, IDCANCEL};
  doc.SaveModified();
  ASSERT_EQ(host.m_boxes.size(), 2u);
  EXPECT_EQ(host.m_boxes[0].strText, "Dokument nebyl uložen. Chcete ho zrušit?");
  EXPECT_EQ(host.m_boxes[1].strText, "Uložit změny do kruhy?");
  EXPECT_EQ(host.m_boxes[1].strCaption, "Valendra");
}

TEST_F(DocumentPrompts, SavingAnUntitledDrawingRunsSaveAs) {
  doc.SetModifiedFlag();
  host.m_answers = {IDYES, IDYES};
  host.m_bSaveAsResult = false;  // the user cancelled the file dialog
  EXPECT_FALSE(doc.SaveModified());
  EXPECT_EQ(host.m_nSaveAsCalls, 1);
  host.m_answers = {IDYES, IDYES};
  host.m_bSaveAsResult = true;
  EXPECT_TRUE(doc.SaveModified());
}

TEST_F(DocumentPrompts, SavingANamedDrawingGoesThroughTheApplicationsSave) {
  AddEllipse(0, 0, 400, -400);
  doc.SetModifiedFlag();
  const std::string strPath = ::testing::TempDir() + "prompt_save.vld";
  std::remove(strPath.c_str());
  doc.m_strPathName = strPath;
  host.m_answers = {IDYES, IDYES};
  EXPECT_TRUE(doc.SaveModified());
  EXPECT_EQ(host.m_nSaveCalls, 1);
  EXPECT_EQ(host.m_nSaveAsCalls, 0);
  // The document writes nothing itself: the one writer of drawing files is the
  // application's, which writes beside the old file and reports a failure.
  EXPECT_FALSE(std::ifstream(strPath).good());
  EXPECT_EQ(doc.m_bClearModifiedOnStore, 1);
  EXPECT_EQ(doc.m_bSelectionOnly, 0);
}

TEST_F(DocumentPrompts, UnwritableFileKeepsTheDrawing) {
  AddEllipse(0, 0, 400, -400);
  doc.SetModifiedFlag();
  doc.m_strPathName = "/nonexistent-folder/x/prompt_save.vld";
  host.m_answers = {IDYES, IDYES};
  host.m_bSaveResult = false;
  EXPECT_FALSE(doc.SaveModified());
  EXPECT_EQ(host.m_nSaveCalls, 1);
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentPrompts, EmbeddedDrawingUpdatesItsContainerInstead) {
  view.Embedding().SetEmbedded(true);
  doc.SetModifiedFlag();
  CKvillSrvrItem* pItem = doc.CreateServerItem();
  view.Embedding().SetKillArmed(false);
  EXPECT_TRUE(doc.SaveModified());
  EXPECT_TRUE(host.m_boxes.empty());
  EXPECT_TRUE(view.Embedding().IsContainerUpdated());
  EXPECT_EQ(host.m_nUpdateAllItems, 1);
  // The item's copies follow the view.
  EXPECT_EQ(pItem->m_bEmbedded, 1);
  EXPECT_EQ(pItem->m_bKillArmed, 0);
}

using DocumentNew = ViewFixture;

TEST_F(DocumentNew, NewDocumentResetsZoomScrollAndDrawing) {
  CEllipse* e = AddEllipse(0, 0, 400, -400);
  e->m_bSelected = 1;
  view.SetSelCount(1);
  view.SetCurrent(e);
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(100);
  view.Viewport().SetScrollY(200);
  doc.m_strPathName = "/tmp/old.vld";
  doc.SetModifiedFlag();
  EXPECT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(view.Viewport().Zoom(), 1.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 0);
  EXPECT_TRUE(host.IsTimerRunning(TIMER_SCROLL_REFRESH));
  EXPECT_EQ(view.Viewport().RefreshPending(), 1);
  EXPECT_TRUE(doc.m_listObjects.empty());
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(doc.m_strPathName.empty());
  host.FireTimer(TIMER_SCROLL_REFRESH);
  EXPECT_EQ(view.Viewport().RefreshPending(), 0);
}

using DocumentItems = ViewFixture;

TEST_F(DocumentItems, EmbeddedItemIsMadeOnceThenReusedWithAWarning) {
  CKvillSrvrItem* pFirst = doc.OnGetEmbeddedItem();
  ASSERT_NE(pFirst, nullptr);
  EXPECT_EQ(doc.m_pItem, pFirst);
  EXPECT_TRUE(host.m_boxes.empty());
  EXPECT_EQ(doc.OnGetEmbeddedItem(), pFirst);
  ASSERT_EQ(host.m_boxes.size(), 1u);
  EXPECT_EQ(host.m_boxes[0].strText, "OnGetEmbeddedItem: pItemRoot != NULL");
  EXPECT_EQ(host.m_boxes[0].strCaption, "Valendra");
  EXPECT_EQ(host.m_boxes[0].nFlags, static_cast<unsigned>(MB_ICONWARNING));
}

TEST_F(DocumentItems, LinkedItemIsFoundByNameOrMade) {
  CKvillSrvrItem* pNamed = doc.CreateServerItem();
  pNamed->m_strItemName = "drawing";
  EXPECT_EQ(doc.OnGetLinkedItem("drawing"), pNamed);
  CKvillSrvrItem* pOther = doc.OnGetLinkedItem("elsewhere");
  EXPECT_NE(pOther, pNamed);
  EXPECT_EQ(doc.m_pItem, pOther);
  doc.ReleaseServerItem(pOther);
  EXPECT_EQ(doc.m_pItem, nullptr);
  EXPECT_EQ(doc.m_listServerItems.size(), 1u);
}
