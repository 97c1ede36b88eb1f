// The document on its own, with a recording client in place of the view: what it asks of
// its client after stores and loads, and the mode flags a store or load runs with.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "StreamBytes.h"
#include "StreamTestUtil.h"
#include "document/IDocClient.h"

namespace {

// The mode flags of a document, in one comparable value.
struct Mode {
  int sel, storing, clearMod, replace, keepView, quiet, scan;
  bool operator==(const Mode&) const = default;
};
Mode ModeOf(const CKvillDoc& d) {
  return {d.m_bSelectionOnly,  d.m_bStoringToFile, d.m_bClearModifiedOnStore, d.m_bReplaceOnLoad,
          d.m_bKeepViewOnLoad, d.m_bQuietLoad,     d.m_bScanForHeader};
}

// Records every call in order, with the document's mode at the time; may throw from the
// redraw, as a failing window could.
class RecordingClient : public IDocClient {
 public:
  explicit RecordingClient(CKvillDoc& doc) : m_doc(doc) { doc.SetClient(this); }
  ~RecordingClient() override { m_doc.SetClient(nullptr); }

  void ReleaseObjects() override {
    Note("ReleaseObjects " + std::to_string(m_doc.m_listObjects.size()));
  }
  void RedrawView() override {
    Note("RedrawView");
    if (m_bThrowOnRedraw) throw std::runtime_error("no window");
  }
  void ResetZoomAndScroll() override { Note("ResetZoomAndScroll"); }
  void ScheduleScrollRefresh() override { Note("ScheduleScrollRefresh"); }
  void ScheduleHistoryReset() override { Note("ScheduleHistoryReset"); }
  void ScheduleIncompatibleFileMessage() override { Note("ScheduleIncompatibleFileMessage"); }
  void ResetForNewDocument() override { Note("ResetForNewDocument"); }
  bool IsEnglish() const override { return true; }
  int MessageBox(const std::string& strText, const std::string&, unsigned, bool) override {
    Note("MessageBox " + strText);
    return IDNO;
  }
  bool DoFileSaveAs() override { return false; }
  bool DoFileSave() override { return false; }
  void ShowMemoryError() override { Note("ShowMemoryError"); }
  bool IsEmbedded() const override { return false; }
  bool IsKillArmed() const override { return true; }
  void DisarmKill() override {}
  void UpdateContainer() override {}
  void ServerItemCreated(CKvillSrvrItem*) override {}
  void ServerItemDestroyed(CKvillSrvrItem*) override {}
  void RunKillProtocol() override { Note("RunKillProtocol"); }
  CSize GetPictureExtent() override { return CSize{}; }
  CSize DrawPicture(CDC*) override { return CSize{}; }

  std::vector<std::string> m_calls;
  std::vector<Mode> m_modes;  // the document's mode at each call
  bool m_bThrowOnRedraw = false;

 private:
  void Note(std::string strCall) {
    m_calls.push_back(std::move(strCall));
    m_modes.push_back(ModeOf(m_doc));
  }
  CKvillDoc& m_doc;
};

const std::vector<std::uint8_t> kTwoDots = Bytes().header(2).dot(0, 0, 1).dot(9, 9, 1).end().v;

TEST(DocumentClient, ReplacingLoadLetsGoFirstAndAsksForTheStepsAfterIt) {
  CKvillDoc doc;
  RecordingClient client(doc);
  Append(doc.m_listObjects, MakeDot(5, 5));
  doc.m_bQuietLoad = 0;
  ASSERT_TRUE(LoadDoc(doc, kTwoDots));
  EXPECT_EQ(client.m_calls, (std::vector<std::string>{"ReleaseObjects 1", "ScheduleHistoryReset",
                                                      "ResetZoomAndScroll", "RedrawView"}));
  // The selection count read is the document's, whoever shows it.
  EXPECT_EQ(doc.GetSelCount(), 2);
}

TEST(DocumentClient, PasteOnlyRedrawsAndAFailedOneSchedulesTheMessage) {
  CKvillDoc doc;
  RecordingClient client(doc);
  doc.m_bQuietLoad = 0;
  EXPECT_FALSE(LoadDoc(doc, Bytes().header(0).dot(5, 5).v, false, {.bReplaceOnLoad = false}));
  EXPECT_EQ(client.m_calls,
            (std::vector<std::string>{"RedrawView", "ScheduleIncompatibleFileMessage"}));
  EXPECT_EQ(doc.GetSelCount(), 1);  // the pasted dot arrived unselected and was selected
}

TEST(DocumentClient, StoreAndNewDocumentGoThroughTheClient) {
  CKvillDoc doc;
  RecordingClient client(doc);
  doc.SetSelCount(7);
  EXPECT_EQ(StoreDoc(doc), Bytes().header(7).end().v);
  EXPECT_EQ(client.m_calls, std::vector<std::string>{"ScheduleScrollRefresh"});
  client.m_calls.clear();
  EXPECT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(client.m_calls, std::vector<std::string>{"ResetForNewDocument"});
  client.m_calls.clear();
  doc.SetModifiedFlag();
  EXPECT_FALSE(doc.SaveModified());  // the client answers No to the first question
  EXPECT_EQ(client.m_calls,
            std::vector<std::string>{
                "MessageBox Drawing has not been saved. Do you want to discard it?"});
}

TEST(DocumentClient, WithoutAClientTheDocumentKeepsTheCountItself) {
  CKvillDoc doc;
  ASSERT_EQ(doc.GetClient(), nullptr);
  ASSERT_TRUE(LoadDoc(doc, kTwoDots));
  EXPECT_EQ(doc.GetSelCount(), 2);
  EXPECT_TRUE(doc.OnNewDocument());
  EXPECT_TRUE(doc.m_listObjects.empty());
}

// A drawing read beside the one a view shows (a picture, a structure) is none of its
// business: neither its count nor the steps after the load reach that view.
TEST(DocumentClient, ADrawingReadBesideTheShownOneLeavesItsClientAlone) {
  CKvillDoc shown;
  RecordingClient client(shown);
  shown.SetSelCount(5);
  CKvillDoc beside;
  ASSERT_TRUE(LoadDoc(beside, kTwoDots));
  EXPECT_EQ(beside.GetSelCount(), 2);
  EXPECT_TRUE(beside.OnNewDocument());
  EXPECT_EQ(shown.GetSelCount(), 5);
  EXPECT_TRUE(client.m_calls.empty());
}

// The options set only the flags they name, for the call only; every flag is back as it was
// when the call returns, fails or throws.
TEST(DocumentMode, OptionsHoldForTheCallAndAreUndoneOnEveryPath) {
  CKvillDoc doc;
  RecordingClient client(doc);
  doc.m_bQuietLoad = 0;
  doc.m_bKeepViewOnLoad = 1;  // a flag left set by someone else stays as it is
  const Mode before = ModeOf(doc);

  // A store that clears nothing: no scroll refresh is asked for.
  StoreDoc(doc, CSerializeOptions::SaveWhole());
  EXPECT_TRUE(client.m_calls.empty());
  EXPECT_EQ(ModeOf(doc), before);

  // A load as Open reads a file.
  ASSERT_TRUE(LoadDoc(doc, kTwoDots, true, {.bReplaceOnLoad = true}));
  Mode during = before;
  during.scan = 1;
  ASSERT_FALSE(client.m_modes.empty());
  for (const Mode& m : client.m_modes) EXPECT_EQ(m, during);
  EXPECT_EQ(ModeOf(doc), before);

  // A failing paste.
  client.m_calls.clear();
  client.m_modes.clear();
  EXPECT_FALSE(LoadDoc(doc, {1, 2, 3}, false, {.bReplaceOnLoad = false}));
  ASSERT_FALSE(client.m_modes.empty());
  EXPECT_EQ(client.m_modes.front().replace, 0);
  EXPECT_EQ(ModeOf(doc), before);

  // A history reload whose redraw throws.
  client.m_modes.clear();
  client.m_bThrowOnRedraw = true;
  EXPECT_THROW(LoadDoc(doc, kTwoDots, false, CSerializeOptions::HistoryReload()),
               std::runtime_error);
  ASSERT_FALSE(client.m_modes.empty());
  EXPECT_EQ(client.m_modes.back().quiet, 1);
  EXPECT_EQ(client.m_modes.back().keepView, 1);
  EXPECT_EQ(ModeOf(doc), before);
}

}  // namespace
