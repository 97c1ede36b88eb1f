#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document/IDocClient.h"
#include "document/WorkProgress.h"
#include "objects/CDC.h"
#include "objects/CObList.h"
#include "objects/Geometry.h"
#include "resources/WindowMessages.h"
#include "view/CAppSettings.h"
#include "view/CCursorFeedback.h"
#include "view/CEmbeddingState.h"
#include "view/CFormulaSession.h"
#include "view/CMouseTracker.h"
#include "view/CPictureRenderer.h"
#include "view/CScreenPainter.h"
#include "view/CUndoHistory.h"
#include "view/CViewport.h"
#include "view/IViewHost.h"

class CArchive;

class CFormula;
class CGroup;
class CKVObject;
class CKvillDoc;
class CKvillSrvrItem;
class CMeasuringDC;
class IViewHost;

// Timers of the view window.
enum {
  TIMER_FOCUS_VERTEX_DIALOG = 1118,
  TIMER_FILL_THICKNESS_DIALOG = 1120,
  TIMER_SCROLL_REFRESH = 1121,
  TIMER_RESET_HISTORY = 1122,
  TIMER_CURSOR_FEEDBACK = 1123,
  TIMER_INCOMPATIBLE_FILE = 1127,
  TIMER_FIRST_IDLE = 1128,
  TIMER_KILL_MAILBOX = 1130,
  TIMER_CZECH_TITLE = 1131,
};

// An editing view. It keeps its own zoom and scroll positions, maps every surface itself
// and drives the scroll bars; it reaches its window through IViewWindow, the frame around
// it through IFrameServices (a host gives both), and its drawing through the document,
// whose client it is. Nothing of it is process-wide: objects hear of it only through the
// caret sink they are handed (its formula session) and as their document's client;
// pictures are drawn by a renderer that needs no view.
class CKvillView : public IDocClient, public IPictureSource {
  // The cursor reads the tool and the gesture under way, and the view's hit tests.
  friend class CCursorFeedback;
  // The screen paint reads the zoom, the scroll position, the tool and the document.
  friend class CScreenPainter;
  // The zoom and scroll commands repaint through the view.
  friend class CViewport;
  // The mouse's gestures work on the drawing, the selection and the formula being typed.
  friend class CMouseTracker;

 public:
  // pSettings: the application's settings, which outlive the view (null: the view's own).
  explicit CKvillView(IViewHost* pHost = nullptr, CKvillDoc* pDoc = nullptr,
                      CAppSettings* pSettings = nullptr);
  CKvillView(const CKvillView&) = delete;
  CKvillView& operator=(const CKvillView&) = delete;
  ~CKvillView() override;

  // The window the view lives in and the frame around it; without a host, a window-less
  // one of the view's own.
  void SetHost(IViewHost* pHost);
  IViewWindow& Window() const { return *m_pWindow; }
  IFrameServices& Frame() const { return *m_pFrame; }
  // The view shows pDoc from now on and is its client; the document shown before has none.
  void SetDocument(CKvillDoc* pDoc);
  CKvillDoc* GetDocument() const { return m_pDocument; }

  // ======== What the layers below reach ========
  // A surface of the window, or null when none can be obtained.
  std::unique_ptr<CDC> GetWindowSurface();
  // Typing in a formula: the caret sink of its editing calls.
  CFormulaSession& FormulaSession() { return m_formula; }
  // The cursor over the drawing, and what the mouse, menus, dialogs and the Draw bar note
  // for it.
  CCursorFeedback& Cursor() { return m_cursor; }
  const CCursorFeedback& Cursor() const { return m_cursor; }
  // The container this instance serves, if it was started for an embedded drawing.
  CEmbeddingState& Embedding() { return m_embedding; }
  const CEmbeddingState& Embedding() const { return m_embedding; }

  // IDocClient: the document.
  // Any watched object destroyed ends the rest and drops the index, so a repaint never goes
  // by an index naming it; but while an undo or redo replaces a few objects, the index is
  // kept and brought up to date with the new list afterwards (ReindexReplaced). Every walk
  // that lets the view remember objects (the update's walk, a whole paint, the hit index,
  // the extents) marks them watched first.
  void ObjectDestroyed(const CKVObject* pObj) override;
  // Ends in-place formula editing, if any, and lets go of the current and hovered objects.
  void ReleaseObjects() override;
  // Repaints the drawing and brings extents and scroll bars up to date. Not while a paste
  // reads its objects: it moves them and repaints afterwards, which would paint over this
  // at once (a second whole paint of a large drawing).
  void RedrawView() override {
    if (!m_bPasteReading) UpdateView();
  }
  // Zoom 1.0, scroll position (0, 0) and both scroll bars at 0.
  void ResetZoomAndScroll() override { m_viewport.ResetZoomAndScroll(); }
  void ScheduleScrollRefresh() override { m_viewport.ScheduleScrollRefresh(); }
  void ScheduleHistoryReset() override;
  void ScheduleIncompatibleFileMessage() override;
  void ResetForNewDocument() override;
  bool IsEnglish() const override { return m_pSettings->m_bEnglish != 0; }
  int MessageBox(const std::string& strText, const std::string& strCaption, unsigned nFlags,
                 bool bOwned) override;
  bool DoFileSaveAs() override;
  bool DoFileSave() override;
  bool IsEmbedded() const override { return m_embedding.IsEmbedded(); }
  bool IsKillArmed() const override { return m_embedding.IsKillArmed(); }
  void DisarmKill() override { m_embedding.SetKillArmed(false); }
  void UpdateContainer() override;
  void ServerItemCreated(CKvillSrvrItem* pItem) override { m_embedding.SetServerItem(pItem); }
  void ServerItemDestroyed(CKvillSrvrItem* pItem) override;
  void RunKillProtocol() override { m_pFrame->RunKillProtocol(); }
  // The embedding picture and exports of the shown drawing (IPictureSource), drawn by the
  // view's picture renderer; the paint state the next screen paint builds on starts anew.
  CSize GetPictureExtent() override;
  CSize DrawPicture(CDC* pDC) override { return DrawPicture(pDC, std::nullopt, {}); }
  CSize DrawPicture(CDC* pDC, std::optional<CSize> szViewportExt,
                    const WorkProgress& progress) override;
  // The extents pass of the picture on pDC (tests).
  std::optional<CExportBitmap> RenderPictureExtents(CDC* pDC);
  // The renderer, set up for the shown drawing, this window and the embedding.
  CPictureRenderer& Picture();

  // ======== Window events delivered by the host ========
  void OnTimer(int nId);
  void OnPostedMessage(int nMessage, std::intptr_t wParam, std::intptr_t lParam);
  // A command of the menus, keys, buttons or context menus: run by its row of the command
  // table, which also says whether it is one undo step (recorded here, not by the handler).
  // The frame's commands run the same way, their rows passing them on to Frame(). True
  // for the view's own commands; false for the frame's and unknown ones.
  bool OnCommand(int nId);
  // The commands the view carries out itself, and whether each can be chosen now and shows
  // a check mark; the frame's menus and toolbar follow these.
  bool IsCommandHandled(int nId) const;
  bool IsCommandEnabled(int nId) const;
  bool IsCommandChecked(int nId) const;
  // Whether a command, the view's or the frame's, can be chosen now; false for an unknown
  // one.
  bool CanChooseCommand(int nId) const;

  // ======== Coordinates, zoom and scrolling ========
  // The zoom, the scroll position, the extents and the scroll bars.
  CViewport& Viewport() { return m_viewport; }
  const CViewport& Viewport() const { return m_viewport; }
  // Each is the viewport's.
  int ScrollOffsetX() const { return m_viewport.ScrollOffsetX(); }
  int ScrollOffsetY() const { return m_viewport.ScrollOffsetY(); }
  CPoint DeviceToLogical(CPoint ptClient) const { return m_viewport.DeviceToLogical(ptClient); }
  CPoint LogicalToDevice(CPoint ptLogical, const CDC* pDC = nullptr) const {
    return m_viewport.LogicalToDevice(ptLogical, pDC);
  }
  void OnPrepareDC(CDC* pDC) const { m_viewport.OnPrepareDC(pDC); }
  void OnZoomIn() { m_viewport.OnZoomIn(); }
  void OnZoomOut() { m_viewport.OnZoomOut(); }
  void OnZoomDefault() { m_viewport.OnZoomDefault(); }
  void OnZoomToFit() { m_viewport.OnZoomToFit(); }
  void OnMouseWheel(int nDelta) { m_viewport.OnMouseWheel(nDelta); }
  void OnSize() { m_viewport.OnSize(); }
  void OnHScroll(int nCode, int nPos) { m_viewport.OnScroll(true, nCode, nPos); }
  void OnVScroll(int nCode, int nPos) { m_viewport.OnScroll(false, nCode, nPos); }
  // Brings the selection to the front, repaints what changed, and has the extents and the
  // scroll bars follow the drawing.
  void UpdateView();
  void NormalizePosition() { m_viewport.NormalizePosition(); }

  // ======== Painting ========
  void OnDraw(CDC* pDC);
  // Paints the drawing on pDC: through the window's back buffer, or with m_bDirectRender
  // straight on pDC for paper.
  void RenderDrawing(CDC* pDC, CKvillDoc* pDoc) { m_painter.RenderDrawing(pDC, pDoc); }
  // Whatever may change an object calls this, so that the next repaints bring every
  // changed object up to date again before the drawing counts as at rest.
  void Unsettle();
  // Whether a repaint that changes nothing but the window's place, zoom or exposure
  // visits only the objects the window can show.
  bool IsDrawingAtRest() const { return m_painter.IsDrawingAtRest(); }
  // How many screen paints brought up to date only what had changed since the paint
  // before, instead of every object.
  std::uint64_t ChangedOnlyPaints() const { return m_painter.ChangedOnlyPaints(); }
  // Paints that redrew a damaged part of the kept back buffer and nothing else (tests,
  // benchmarks).
  std::uint64_t DamageOnlyPaints() const { return m_painter.DamageOnlyPaints(); }
  // How many updates found the drawing's extents from the objects changed since the
  // update before, instead of from every object (tests, benchmarks).
  std::uint64_t ExtentsFollowedFromChanges() const {
    return m_viewport.ExtentsFollowedFromChanges();
  }
  // The next paint starts from white paper, whatever the back buffer holds.
  void ForgetBackBuffer() { m_painter.ForgetBackBuffer(); }
  // Whether the view holds an index of where the objects paint, for the paint after a
  // change to go by.
  bool HasPaintIndex() const { return m_painter.HasPaintIndex(); }

  std::int32_t m_bPaintEnabled = 1;
  std::int32_t m_bPainting = 0;
  std::int32_t m_bDirectRender = 0;

  // ======== Interaction: hit testing, selection, tools and the mouse ========
  // What FindObjectAt found.
  using CHit = CObjectHit;
  // Hit testing and selection. Non-bonds win over bonds; among equals the last one wins.
  CHit FindObjectAt(CPoint pt);
  // The first selected top-level object with a handle at pt; Mouse().Handle() says which. Every
  // handle met on the way is noted there, and none is found while a resize goes on.
  CKVObject* FindHandleAt(CPoint pt);
  // A click with the select tool (or a template tool) on an object, with the message's
  // key flags.
  // The click selection. With bDeferCtrlDeselect, a Ctrl-click on a selected object only
  // remembers it (the tracker's CtrlToggle()) for the release instead of deselecting it now.
  void ClickSelect(CKVObject* pObj, unsigned nFlags, bool bDeferCtrlDeselect = false);
  void OnSelectAll();  // the Select All command records the step

  // The number of selected top-level objects, which the document keeps (and stores); 0
  // and nothing kept without a document.
  std::int32_t SelCount() const;
  void SetSelCount(std::int32_t n);
  void AddToSelCount(std::int32_t n);
  // Selection upkeep shared by the moves.
  void ResetAllDone();
  void DeselectAll();
  void CountSelection();
  void DragSelection(CDC* pDC, CSize offset);
  // The tool and the gesture of the mouse under way.
  CMouseTracker& Mouse() { return m_tracker; }
  const CMouseTracker& Mouse() const { return m_tracker; }
  // The mouse, with the message's key flags (MK_*) and the client pixel point: the
  // tracker's.
  void OnLButtonDown(unsigned nFlags, CPoint ptClient) {
    m_tracker.OnLButtonDown(nFlags, ptClient);
  }
  void OnMouseMove(unsigned nFlags, CPoint ptClient) { m_tracker.OnMouseMove(nFlags, ptClient); }
  void OnLButtonUp(unsigned nFlags, CPoint ptClient) { m_tracker.OnLButtonUp(nFlags, ptClient); }
  void OnLButtonDblClk(unsigned nFlags, CPoint ptClient) {
    m_tracker.OnLButtonDblClk(nFlags, ptClient);
  }
  // Window messages from the Draw bar and the palettes (resources/WindowMessages.h): true
  // if handled.
  bool OnDrawBarMessage(int nMessage);
  // Ends in-place formula editing, if any.
  void EndFormulaEditing();

  // The current object: the one selected alone, the formula being typed in (edit state
  // 1, the caret shown in it), or the bond being placed (held by the mouse tracker, not
  // yet in the drawing); otherwise null or an object of the shown drawing. Whatever takes
  // an object out of the drawing lets go of it first.
  CKVObject* Current() const { return m_pCurrent; }
  void SetCurrent(CKVObject* pObj) { m_pCurrent = pObj; }
  std::int32_t EditState() const { return m_nEditState; }
  void SetEditState(std::int32_t nState) { m_nEditState = nState; }
  // The object under the mouse, which a replacing load lets go of. While no button is
  // held and no gesture is under way the window shows a light frame around it, drawn over
  // the window's picture after each paint and never into a picture, a print or the back
  // buffer.
  CKVObject* Hover() const { return m_pHover; }
  void SetHoverForTest(CKVObject* pObj) { m_pHover = pObj; }
  // The pointer left the window: nothing is under it.
  void OnMouseLeave() { SetHover(nullptr); }
  // The frame around the object under the pointer, in client pixels of pDC (left, top,
  // right, bottom, all drawn); nothing when the window shows none now.
  std::optional<CRect> HoverFrame(const CDC* pDC) const;
  static constexpr COLORREF kHoverFrameColour = RGB(150, 180, 230);
  // How far the frame stands off the object's box, in pixels.
  static constexpr int kHoverFrameGap = 2;

  std::int32_t m_bSendToBack = 0;

  // ======== Editing: formulas, templates and the entry dialogs ========
  // A new formula with its anchor at pt, edited from caret 0.
  CFormula* CreateFormulaAt(CPoint pt) { return m_tracker.CreateFormulaAt(pt); }
  // Fills a new group with the template of a template tool at pt.
  void PlaceTemplate(int nTool, CPoint pt, CGroup& group);
  // The polygon messages: ask for the vertex count until it is good or cancelled.
  void AskVertexCount(int nMessage);
  // The two entry dialogs: their texts in the interface language, and the reading of the
  // edit field when it loses the focus (412 vertex count, 418 line thickness).
  CEntryDialogText EntryDialogText(int nTemplate) const;
  void OnEntryFieldKillFocus(int nTemplate, std::string_view strText);
  // Runs the thickness dialog once, as the custom-thickness command does; IDOK/IDCANCEL.
  int RunThicknessDialog();
  // Takes the selected top-level objects out of the drawing: first every bond that is
  // selected or ends on a selected object, then every other selected object. With bDestroy
  // they are deleted (and so are bonds anywhere in the drawing left ending on them) and the
  // view is redrawn; otherwise the unlinked objects are handed back in their list order,
  // the bonds of the first step not among them (they are always deleted).
  std::vector<std::unique_ptr<CKVObject>> RemoveSelected(bool bDestroy);
  // Formula editing. OnChar takes a byte of the typing code page; any other value is a
  // character that code page cannot hold and is refused with a beep. Keys that the
  // accelerators turn into commands (Escape, Delete, the arrows) bring no character.
  int TypingCodePage() const { return m_pSettings->m_bEnglish ? 1252 : 1250; }
  // Each is the formula session's.
  void OnChar(int nChar) { m_formula.Type(nChar); }
  void OnKeyDown(int nVirtualKey) { m_formula.KeyDown(nVirtualKey); }
  void OnEndEdit() { m_formula.End(); }        // the end-of-edit message
  void OnEditFormula() { m_formula.Begin(); }  // the edit-formula command
  // The formula being typed in, if any.
  CFormula* EditedFormula() const { return m_formula.EditedFormula(); }
  // An index template or a Greek letter.
  void OnPaletteInsert(int nMessage) { m_formula.InsertFromPalette(nMessage); }
  // The entry dialogs' timers and the cursor feedback's; true if handled.
  bool OnInteractionTimer(int nId);

  // A change not yet marked: the next UpdateView sets the document's modified flag.
  std::int32_t m_bPendingModified = 1;
  std::int32_t m_nPolyVertices = 0;
  double m_dPolyParsed = 0.0;
  double m_dCustomThickness = 0.0;
  std::int32_t m_bRedrawOnEndEdit = 1;

  // ======== Editing commands on the selection ========
  // Each one is carried out by OnCommand with its id, whichever menu, key, button or
  // context menu sent it; these are the handlers behind it. Those that answer a bool say
  // whether they changed the drawing: OnCommand then records the undo step.
  // The selection goes (or, while a formula is edited, the character after the caret);
  // the clipboard's Cut deletes through it too.
  bool OnEditDelete();
  bool OnGroup();
  // Takes the group apart (nothing unless it is the one selected top-level object).
  bool OnUngroup(CGroup* G);
  // The group Edit > Ungroup takes apart: the current object when it is a group, else the
  // one selected top-level object when it is a group; null when there is none.
  CGroup* GroupToUngroup() const;
  // Replaces objects of the drawing by new ones as one undo step (a molecule drawn afresh):
  // the objects in gone leave the drawing wherever they stand, groups they leave empty go
  // too, a bond that stays and ended on an old object of ends ends on its new one, and the
  // added objects arrive at the top level, selected. Nothing happens without added objects.
  void ReplaceObjects(const std::unordered_set<const CKVObject*>& gone,
                      const std::vector<std::pair<const CKVObject*, CKVObject*>>& ends,
                      CObList added);
  void OnBringFront();
  void OnBringBack();
  // Mirror the selection about the vertical (or horizontal) centre line of its span.
  bool OnMirror(bool bVertical);
  // Rotate mode for the current group: every mouse move turns it about its centre.
  void OnRotate();
  void RotateStep(CPoint ptMouse);
  void OnLockAspect();
  // Records its own undo step as soon as the colour chosen is set, before the repaint.
  void OnChangeColor();
  bool OnThickness(double dThickness);
  bool OnThicknessCustom();
  bool OnSwap();
  // The arrow keys (32813 to 32816) and Ctrl with them (32817 to 32820); only a move of the
  // selection changes the drawing, not the caret's move or the scroll.
  bool OnNudge(int nId);

  // Where the next rotation step measures from: set where the context menu that chose
  // Rotate was opened, and moved along with every step taken.
  CPoint m_ptRotate;

  // ======== The clipboard ========
  // Copy puts the whole drawing on the clipboard; Copy Selection the selection with the
  // ends its bonds need; Cut is Copy Selection, then the selection is deleted as Delete
  // deletes it. Each offers the native stream and the picture (drawn when a program asks).
  void OnEditCopy();
  void OnEditCopySelection();
  bool OnEditCut();
  // Paste: the paste routine with the wait cursor shown, then the drawing is marked
  // modified; true (the command records a snapshot) whether or not the clipboard held a
  // drawing.
  bool OnEditPaste();
  // The paste routine: the clipboard's native stream is read in paste mode, everything it
  // brings is selected (a lone object becomes the current one) and moved by (1000, -1000).
  // False, and nothing changed, when the clipboard holds no drawing.
  bool PasteNative();
  // Without a drawing on the clipboard: what other programs put there (structures), as the
  // clipboard makes objects of it, placed selected in the middle of the window. False, and
  // nothing changed, when it made none.
  bool PasteForeign();
  // Reads a native stream in paste mode: what was edited, current or selected gives way,
  // the objects read arrive selected and counted (the one object read becomes current), and
  // they are moved by offset. read runs the load on the archive over data.
  void PlaceStreamAsSelection(std::span<const std::uint8_t> data, CSize offset,
                              const std::function<void(CArchive&)>& read);
  // A Ctrl-press on an object is dragged: the selection is copied in its place, and the
  // copies, selected, are what the drag moves; the release records the one undo step.
  void DuplicateSelectionForDrag();

  // ======== History ========
  // The view writes and reloads the snapshots the history keeps.
  CUndoHistory& History() { return m_history; }
  const CUndoHistory& History() const { return m_history; }
  void PushSnapshot();
  // An object about to leave the drawing while the view goes on (a junction a typed label
  // replaces): nothing the view holds may point at it.
  void ForgetObject(const CKVObject* pObj);
  // Whether a gesture of the mouse is under way (a move, a resize, a rotation, a selection
  // rectangle, a bond whose second end is still to come): the drawing is between two of
  // its states until it ends.
  bool IsInGesture() const { return m_tracker.IsInGesture(); }
  void Undo();
  void Redo();
  void ClearHistory();
  void MarkSavedSnapshot();
  // Reloads the document from a snapshot as Undo and Redo do: only the records that differ
  // from what the drawing holds, or the whole stream when that cannot be done exactly or
  // bWholeStream asks for it (the reference the partial reload is held to).
  void ReloadFrom(const CUndoHistory::CReload& snapshot, bool bWholeStream = false);
  // How many screen paints went through every object (for tests: the paint after a
  // partial reload should not).
  std::uint64_t PaintsOfEveryObject() const { return m_painter.PaintsOfEveryObject(); }

  // ======== Context menus, focus and the view window's own commands ========
  // The context menu at a screen point; a negative coordinate means that the keyboard asked
  // for it, and the menu opens at the object the selection names.
  void OnContextMenu(CPoint ptScreen);
  // The check marks of a popup that offers line thicknesses, for a thickness d: the preset
  // equal to d, or Custom when none is.
  static std::vector<CMenuCheck> ThicknessMarks(double dThickness);
  // A command sent to the view window itself, such as the item chosen in a context menu.
  void OnWindowCommand(int nId);
  void OnSetFocus();
  void OnKillFocus();
  // Another program's request to copy the drawing to the clipboard; true when it was taken.
  bool OnCopyData();

  // ======== Language, settings, start-up ========
  // The application's settings the view reads and the shell keeps in them (without any
  // given, the view's own).
  CAppSettings& Settings() { return *m_pSettings; }
  const CAppSettings& Settings() const { return *m_pSettings; }
  // Message boxes in the interface language (texts are UTF-8).
  void ShowMemoryError() override;
  void ShowIncompatibleFile();

  // The file named on the command line, opened by the first history reset.
  std::string m_strOpenAtStart;
  unsigned m_cfNative = 0;

 private:
  // ---- State used only inside the view and its parts ----
  std::int32_t m_nEditState = 0;
  CKVObject* m_pCurrent = nullptr;
  CKVObject* m_pHover = nullptr;
  // A new object under the pointer (or none): the window repaints, so the frame follows.
  void SetHover(CKVObject* pObj);
  // The server item of the latest copy or paste; the one before it goes when a new one is
  // made, so that items do not pile up over a session.
  CKvillSrvrItem* m_pTransferItem = nullptr;
  // Set while the paste routine reads the clipboard's stream.
  std::int32_t m_bPasteReading = 0;
  double m_dStartAngle = 0.0;
  // The entry dialog that is open (its template number), or 0.
  int m_nOpenEntryDialog = 0;
  unsigned m_cfObjectDescriptor = 0;

  // ---- Helpers of the clipboard ----
  CKvillSrvrItem* NewTransferItem();
  void ReleaseTransferItem();

  // Makes the shown document hear of pObj's destruction (and of any object inside it).
  void Watch(CKVObject* pObj) const;
  // Whether pObj has a handle at pt (never during a resize), noted as the tracker's handle.
  bool NoteHandleAt(CKVObject* pObj, CPoint pt);

  // The context menu asked for by the keyboard: the object the selection names (null when
  // none), and the screen point of its menu (W: the view window on the screen).
  CKVObject* KeyboardMenuObject(const CObList& list) const;
  CPoint KeyboardMenuPoint(CKVObject* O, const CRect& W) const;
  // A click's context menu on an unselected object selects it alone (a bond with its ends).
  void SelectAlone(CKVObject* O);
  // Shows the caret of the edited formula again after painting.
  void RestoreEditCaret(CDC* pDC);
  // Before a picture pass over the shown drawing: the objects will be drawn and moved
  // elsewhere, so the next screen paint starts from a full one.
  void BeforePicturePass();
  // Test builds: the records of a snapshot, concatenated, are a full store of the drawing;
  // a difference ends the program with the record that differs.
  void CheckRecordsAgainstFullStore(std::span<const CStoredRecord* const> records);
  void CheckReloadAgainstSnapshot(std::span<const std::uint8_t> snapshot, bool bWhole);

  CUndoHistory m_history;
  CPictureRenderer m_picture{nullptr, nullptr};
  CFormulaSession m_formula{*this};
  CScreenPainter m_painter{*this};
  CViewport m_viewport{*this};
  CMouseTracker m_tracker{*this};
  CCursorFeedback m_cursor{*this};
  CEmbeddingState m_embedding;
  CAppSettings m_ownSettings;
  CAppSettings* m_pSettings = &m_ownSettings;

  IViewWindow* m_pWindow = nullptr;
  IFrameServices* m_pFrame = nullptr;
  std::unique_ptr<IViewHost> m_pOwnHost;  // used while no window host is given
  CKvillDoc* m_pDocument = nullptr;
};
