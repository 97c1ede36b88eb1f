#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/WorkProgress.h"
#include "objects/CKVObject.h"
#include "objects/CObList.h"
#include "objects/CStoredRecord.h"
#include "objects/Geometry.h"
#include "objects/IObjectWatcher.h"
#include "objects/ObjectRecords.h"

class CArchive;
class CCoupling;
class CBondEndIndex;
class CKVObject;
class CKvillSrvrItem;
class IDocClient;
struct CRecordTally;

// The magic a stream began with: the current family (selection count and selection flags
// follow) or the older "KvillDoc" family (neither).
enum class StreamFamily { None, Valendra, KvillDoc };

// The mode of one store or load: the document's flags that steer Serialize, each one set
// for the call only when it is given here.
struct CSerializeOptions {
  std::optional<bool> bSelectionOnly{};
  std::optional<bool> bStoringToFile{};
  std::optional<bool> bClearModifiedOnStore{};
  std::optional<bool> bReplaceOnLoad{};
  std::optional<bool> bKeepViewOnLoad{};
  std::optional<bool> bQuietLoad{};
  std::optional<bool> bScanForHeader{};
  // Told how far the store or load has come, when given.
  WorkProgress fnProgress{};

  // A file read as the Open command reads it: the scanning loader, replacing the drawing.
  static CSerializeOptions OpenFile() { return {.bReplaceOnLoad = true, .bScanForHeader = true}; }
  // The whole drawing written as the application's Save writes it: the modified flag is
  // left to the caller, so the store neither clears it nor re-marks the undo history.
  static CSerializeOptions SaveWhole() {
    return {.bSelectionOnly = false, .bClearModifiedOnStore = false};
  }
  // An undo or redo: the snapshot replaces the drawing, the view keeps its zoom and scroll
  // position, and no history reset follows.
  static CSerializeOptions HistoryReload() {
    return {.bReplaceOnLoad = true, .bKeepViewOnLoad = true, .bQuietLoad = true};
  }
};

// The single document: the owning, ordered list of top-level drawing objects (the drawing
// order) and the flags with which callers steer one store or load.
class CKvillDoc : public IRecordDocument, public IObjectWatcher {
 public:
  CKvillDoc();
  CKvillDoc(const CKvillDoc&) = delete;
  CKvillDoc& operator=(const CKvillDoc&) = delete;
  ~CKvillDoc() override;

  // Deletes every top-level object (a group deletes its descendants) and empties the list.
  // Callers make the view let go of the objects first (ClearForReplace does both).
  void DeleteContents() { m_listObjects.clear(); }
  // The drawing and the view's hold on it go: the edit ends, the view forgets its current
  // and hovered objects, the list empties and the selection count drops to 0. A replacing
  // load does this before anything is read, and New before it starts over.
  void ClearForReplace();

  // Stores the whole stream (or the selection) when the archive is storing; otherwise loads
  // with the scanning loader when m_bScanForHeader is set and the plain loader if not. The
  // steps after a store or load that reach the view follow. Returns false for a load that
  // found no stream or whose data ended before the end marker (an incompatible file, which
  // the view reports), and for a store whose archive could not write.
  bool Serialize(CArchive& ar);
  // Serialize with the flags that options gives set for the call. Every flag is put back
  // as it was when the call ends, whether it returns or throws, so no caller can leave the
  // document in a mode that the next store or load would inherit.
  bool Serialize(CArchive& ar, const CSerializeOptions& options);
  // The whole stream as SaveWhole writes it, as a sequence of records whose concatenation
  // is those bytes: the head (magic and selection count), one record per top-level object
  // (the bonds' after all others, as the two passes order them) and the end marker. A
  // top-level object that has not changed since it last wrote its record, and whose bond
  // ends have not either, gives that record again without writing anything. The records
  // are given by address, held by the objects (and the document, for the head) until they
  // change again: whoever keeps one takes it over with shared_from_this. Not holding them
  // here spares a count written into every record of a large drawing.
  std::vector<const CStoredRecord*> StoreRecords();
  // After a load of exactly these records (an undo or redo), each top-level object takes
  // its record over as written now, so that the next StoreRecords shares them. Nothing is
  // taken when the objects do not match the records one for one.
  void AdoptRecords(std::span<const CStoredRecordRef> records);
  // Replaces the drawing with these records (an undo or redo) the way a history reload of
  // their bytes does, ending in exactly the same state, but reading only the records that
  // differ from what the objects hold: objects that a load made and nothing changed since,
  // and whose record is the one in the same place, stay; the rest are read anew and bonds
  // find their ends as a full read would. Returns false, having changed nothing, whenever
  // that cannot be shown to give the same drawing (too much differs, an end reference that
  // could name another object, a record that does not read back whole); the caller then
  // reloads the whole stream.
  bool ReloadChanged(std::span<const CStoredRecordRef> snapshot);
  // The paint that follows a history reload may move the bond points and formula boxes of
  // the objects just read (those loaded after stamp nSince); painting them again gives the
  // same, so each is still what a reload of its record and that paint make.
  void SettleLoadedStamps(std::uint64_t nSince);
  // How many top-level objects the last ReloadChanged kept instead of reading them (0 when
  // it left the reload to a whole one).
  std::size_t m_nKeptByLastReload = 0;
  // Buffer size for a stream of the drawing: (16402 + stored sizes) x 1.2.
  virtual std::int64_t EstimateNativeSize();

  // The view that shows this drawing, which hears of its stores and loads and answers its
  // questions; null for a drawing nobody shows (command line, pictures, structures).
  void SetClient(IDocClient* pClient) { m_pClient = pClient; }
  IDocClient* GetClient() const { return m_pClient; }
  // IObjectWatcher: an object of the drawing going, passed on to the client.
  void ObjectDestroyed(const CKVObject* pObj) override;

  // The number of selected top-level objects: stored with the drawing, and kept up to date
  // by whoever selects (the view, a load, a paste).
  std::int32_t GetSelCount() const { return m_nSelCount; }
  void SetSelCount(std::int32_t n) { m_nSelCount = n; }

  // IRecordDocument: what the records need while a stream is read.
  bool RecordsHaveSelection() const override { return m_bRecordsHaveSelection != 0; }
  bool IsPastingRecords() const override { return m_bReplaceOnLoad == 0; }
  std::unique_ptr<CKVObject> CreateRecordObject(std::int32_t nKind) override;
  CKVObject* FindBondEnd(const CRect& rc, CPoint pt, bool bSelectedOnly) override;
  bool DeferBondEnd(CKVObject*& rEnd, const CRect& rc, CPoint pt, bool bSelectedOnly) override;
  void NoteLoadedObject(CKVObject* pObj) override;
  void NoteStoredRecord(const CKVObject& obj) override;
  void NoteReadRecord(CKVObject& obj) override;

  // Which magic the last load found (StreamFamily::None when it found none) and its text.
  StreamFamily m_nLoadedFamily = StreamFamily::None;
  std::string m_strLoadedMagic;

  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }

  std::int32_t m_bSelectionOnly = 0;
  std::int32_t m_bRecordsHaveSelection = 0;
  std::int32_t m_bRenderingPicture = 0;
  std::int32_t m_bReplaceOnLoad = 1;
  std::int32_t m_bKeepViewOnLoad = 0;
  std::int32_t m_bQuietLoad = 1;
  std::int32_t m_bClearModifiedOnStore = 1;
  std::int32_t m_bJustSaved = 0;
  std::int32_t m_bStoringToFile = 1;
  CKvillSrvrItem* m_pItem = nullptr;
  std::int32_t m_bScanForHeader = 0;
  CObList m_listObjects;
  // Told how far a whole stream has been read (bytes of the data) or written (top-level
  // objects) while Serialize runs; its answer is not heeded, as a half-read or half-written
  // drawing is of no use. Empty when nobody watches.
  WorkProgress m_fnProgress;

  std::string m_strTitle = "Untitled";
  std::string m_strPathName;

  // ---- The embedding server's document: new documents, save prompts, server items. ----
  // Resets the view's zoom and scroll, then empties the drawing; true when done.
  bool OnNewDocument();
  // Asks about unsaved changes; true when the drawing may be discarded.
  bool SaveModified();
  // The item a container embeds (the most recent one, with a warning, if there is one);
  // it is remembered in m_pEmbeddedItem.
  CKvillSrvrItem* OnGetEmbeddedItem();
  // The item of that name, or a new one.
  CKvillSrvrItem* OnGetLinkedItem(const std::string& strName);
  // Creates an item owned by the document; it becomes the most recent item.
  CKvillSrvrItem* CreateServerItem();
  // Deletes an item the document owns.
  void ReleaseServerItem(CKvillSrvrItem* pItem);
  // The document closes: every item goes, the container's last, each with its copies of
  // the view's embedding and kill-protocol flags brought up to date first, so that the
  // kill protocol follows the process's state at its end.
  void ReleaseServerItems();
  // The item handed to the container, while it exists.
  CKvillSrvrItem* m_pEmbeddedItem = nullptr;
  std::vector<std::shared_ptr<CKvillSrvrItem>> m_listServerItems;
  // ---- end of the server document's block ----

 private:
  bool StoreStream(CArchive& ar);
  bool LoadPlain(CArchive& ar);
  bool LoadScanning(CArchive& ar);
  // Reads the selection count after a magic of the current family.
  void BeginRecords(CArchive& ar, StreamFamily family);
  // Reads records up to the end marker, and the block after it when there is one; false
  // when the data ends before the end marker.
  bool ReadRecords(CArchive& ar, bool bSkipUnknown);
  bool ReadRecordList(CArchive& ar, bool bSkipUnknown);
  // The bond ends the load could not find when their bond was read, looked for again over
  // the whole list; the bonds whose ends are still missing are dropped, as a bond whose end
  // is not found is.
  void ResolveDeferredEnds();
  void DropBondsStillWaiting();
  // The block after the end marker for the thickness the records note, as the last of a
  // snapshot's records; kept while its bytes do not change.
  void AppendExtensionRecord(std::vector<const CStoredRecord*>& records);
  void AfterStore();
  void AfterLoad(bool bOk);

  bool m_bModified = false;
  // The head record last written, kept while the selection count does not change.
  CStoredRecordRef m_pHeadRecord;
  // The block after the end marker last written, kept while it does not change.
  CStoredRecordRef m_pExtensionRecord;
  std::int32_t m_nSelCount = 0;
  IDocClient* m_pClient = nullptr;
  // Bond-end lookup of the load in progress, built when the first bond asks.
  std::unique_ptr<CBondEndIndex> m_pEndIndex;
  // The records of the store or load in progress, counted as they pass, with what the
  // block after the end marker is to carry or may apply to; null outside one.
  CRecordTally* m_pTally = nullptr;
  bool m_bEndIndexSelectedOnly = false;
  bool m_bLoading = false;
  struct CDeferredEnd {
    CKVObject** ppEnd;
    CRect rc;
    CPoint pt;
    bool bSelectedOnly;
  };
  std::vector<CDeferredEnd> m_deferredEnds;
};

// What a selection-only copy (the clipboard's stream, its pictures and their extents)
// takes: a top-level object whose own flag is set. A bond that is selected only through a
// selected end is not copied, and brings nothing with it.
inline bool IsCopiedWithSelection(const CKVObject& top) { return top.m_bSelected != 0; }
// The top-level objects that travel with a copied bond so that the copy finds its ends:
// those of its ends that are not selected themselves (null where an end is selected or
// missing). An end shared by several copied bonds travels once with each of them.
std::array<CKVObject*, 2> EndsCopiedWithBond(const CCoupling& bond);
// An object of the class a kind code of a stream names (old codes included), or null for a
// code no class answers to.
std::unique_ptr<CKVObject> CreateObjectForKind(std::int32_t nKind);
// Whether bytes are the head this program writes (its magic and the selection count), and
// the count.
bool ReadWrittenHead(std::span<const std::uint8_t> head, std::int32_t& nSelCount);
// Which magic ten bytes hold, and its text ("8Valendra", "Valendra", "KvillDoc", ...).
StreamFamily MatchMagic(const std::uint8_t magic[10], std::string* pText = nullptr);
