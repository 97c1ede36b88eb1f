#pragma once

#include <cstdint>
#include <string>

#include "objects/Geometry.h"

class CDC;
class CKVObject;
class CKvillSrvrItem;

// Message boxes: the buttons, icons and answers that the document's questions and the
// view's messages are asked with. The window system behind the client translates them.
enum : unsigned {
  MB_OK = 0x0,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONERROR = 0x10,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// What a document needs from the editing view that shows it: the selection count it stores
// and loads, the steps after a store or a load, the new-document reset, the questions
// before a drawing is discarded, and the embedding state its server items copy. The view
// implements it and makes itself its document's client (CKvillDoc::SetClient), so that the
// document reaches the view without depending on its class. A document without a client
// (command-line tools, pictures, document tests) works on its own, and a drawing read
// beside the editor's never reaches the editor's view.
class IDocClient {
 public:
  virtual ~IDocClient() = default;

  // --- The drawing's objects ---
  // The drawing is about to be emptied or replaced: the edit ends and the view forgets the
  // objects it holds (the current and the hovered one).
  virtual void ReleaseObjects() = 0;
  // An object of the drawing is being destroyed: anything the view keeps about objects may
  // name it. Only objects the view has marked as watched (CKVObject::m_pWatcher) report.
  virtual void ObjectDestroyed(const CKVObject* /*pObj*/) {}

  // --- After a store or a load ---
  // Repaints the drawing and brings extents and scroll bars up to date.
  virtual void RedrawView() = 0;
  // Zoom 1.0, scroll position (0, 0) and both scroll bars at 0.
  virtual void ResetZoomAndScroll() = 0;
  // The deferred scroll refresh, which also re-marks the undo history after a save.
  virtual void ScheduleScrollRefresh() = 0;
  // The deferred history reset that records the loaded drawing as the first snapshot.
  virtual void ScheduleHistoryReset() = 0;
  // The deferred message that the file read was not a drawing.
  virtual void ScheduleIncompatibleFileMessage() = 0;
  // A new document: zoom 1.0 and scroll position (0, 0), drawn, with the scroll refresh
  // scheduled; the edit ends, the objects are let go and the selection count drops to 0.
  virtual void ResetForNewDocument() = 0;

  // --- Questions and the application around the view ---
  // Whether the interface speaks English (otherwise Czech).
  virtual bool IsEnglish() const = 0;
  // A modal message box (texts UTF-8); returns the answer. bOwned: the view owns it.
  virtual int MessageBox(const std::string& strText, const std::string& strCaption, unsigned nFlags,
                         bool bOwned) = 0;
  // The application's Save As and Save commands; true when the drawing was written.
  virtual bool DoFileSaveAs() = 0;
  virtual bool DoFileSave() = 0;
  // The message that memory is exhausted, in the interface language.
  virtual void ShowMemoryError() = 0;

  // --- Embedding ---
  // The application runs as an embedding server; the kill protocol is armed.
  virtual bool IsEmbedded() const = 0;
  virtual bool IsKillArmed() const = 0;
  virtual void DisarmKill() = 0;
  // The container's copy is brought up to date: the flag is set and every item redrawn.
  virtual void UpdateContainer() = 0;
  // A server item has been made or is going; the view keeps the most recent one.
  virtual void ServerItemCreated(CKvillSrvrItem* pItem) = 0;
  virtual void ServerItemDestroyed(CKvillSrvrItem* pItem) = 0;
  // The server is closing while still armed: the process identifier goes into the kill
  // record and a new instance starts, which ends this one.
  virtual void RunKillProtocol() = 0;
  // The embedding picture: its extent in drawing units, and the drawing painted on pDC
  // with the picture's mapping, returning its size in 0.01 mm.
  virtual CSize GetPictureExtent() = 0;
  virtual CSize DrawPicture(CDC* pDC) = 0;
};
