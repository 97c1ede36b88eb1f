#include "view/commands/CommandTable.h"

#include <algorithm>
#include <iterator>

#include "objects/CGroup.h"
#include "resources/CommandIds.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"
#include "view/DrawingAids.h"
#include "view/IViewHost.h"
#include "view/commands/LineThickness.h"

namespace {

using enum CommandOwner;
using enum UndoStep;
using enum PaintRest;

// A command that changes nothing the history keeps.
template <void (CKvillView::*Handler)()>
bool Just(CKvillView& v, int) {
  (v.*Handler)();
  return false;
}

// ---- When a command can be chosen and when it shows a check mark

bool HasSelection(const CKvillView& v, int) { return v.SelCount() > 0; }
bool HasCurrent(const CKvillView& v, int) { return v.Current() != nullptr; }
bool CurrentIsGroup(const CKvillView& v, int) {
  return v.Current() != nullptr && v.Current()->AsGroup() != nullptr;
}
bool CurrentHasThickness(const CKvillView& v, int) {
  return LineThicknessOf(v.Current()) != nullptr;
}

bool ThicknessIsPreset(const CKvillView& v, int nId) {
  const double* pThickness = LineThicknessOf(v.Current());
  return pThickness != nullptr && *pThickness == FindThicknessPreset(nId)->dValue;
}

// Custom is checked when the thickness is none of the presets, exactly.
bool ThicknessIsCustom(const CKvillView& v, int) {
  const double* pThickness = LineThicknessOf(v.Current());
  return pThickness != nullptr &&
         std::none_of(std::begin(kThicknessPresets), std::end(kThicknessPresets),
                      [&](const ThicknessPreset& t) { return *pThickness == t.dValue; });
}

bool Deletable(const CKvillView& v, int) {
  return v.SelCount() > 0 || v.EditedFormula() != nullptr;
}
bool TwoSelected(const CKvillView& v, int) { return v.SelCount() >= 2; }
bool HasGroupToUngroup(const CKvillView& v, int) { return v.GroupToUngroup() != nullptr; }
bool CurrentGroupAlone(const CKvillView& v, int n) {
  return CurrentIsGroup(v, n) && v.SelCount() == 1;
}
bool CurrentIsBond(const CKvillView& v, int) {
  return v.Current() != nullptr && v.Current()->AsBond() != nullptr;
}
bool KeepsAspect(const CKvillView& v, int) {
  return v.Current() != nullptr && v.Current()->m_bKeepAspect != 0;
}

bool ToolBarShown(const CKvillView& v, int) {
  // In place the container lends the toolbar's room; the main window's setting, which the
  // settings record keeps for the next start, is not this toolbar's.
  return v.Frame().IsInPlaceActive() ? v.Frame().IsToolBarShown()
                                     : v.Settings().m_bToolBarHidden == 0;
}

bool AidOn(const CKvillView& v, int nId) {
  const DrawingAidRow* pAid = FindDrawingAid(nId);
  return pAid != nullptr && v.Settings().m_aids.*pAid->pFlag != 0;
}

// ---- How the view's commands run

// A drawing aid turned on or off, and kept so at once: the next start, or another window
// started now, draws with it as this one does.
bool ToggleAid(CKvillView& v, int nId) {
  const DrawingAidRow* pAid = FindDrawingAid(nId);
  if (pAid == nullptr) return false;
  std::int32_t& bOn = v.Settings().m_aids.*pAid->pFlag;
  bOn = bOn ? 0 : 1;
  v.Frame().KeepSetting(pAid->pszRecord, bOn ? "1" : "0");
  return false;
}

bool ToggleToolBar(CKvillView& v, int) {
  if (v.Frame().IsInPlaceActive()) {
    v.Frame().ShowToolBar(!v.Frame().IsToolBarShown());
  } else {
    v.Settings().m_bToolBarHidden = v.Settings().m_bToolBarHidden ? 0 : 1;
    v.Frame().ShowToolBar(v.Settings().m_bToolBarHidden == 0);
  }
  return false;
}

bool DeactivateInPlace(CKvillView& v, int) {
  // Esc while editing in place: the container gets the drawing back.
  v.Frame().DeactivateInPlace();
  return false;
}
bool EndEdit(CKvillView& v, int) {
  v.Window().PostMessage(msg::kEndEdit, 0, 0);
  return false;
}
bool SelectAll(CKvillView& v, int) {
  v.OnSelectAll();
  return true;
}
bool Cut(CKvillView& v, int) { return v.OnEditCut(); }
bool Paste(CKvillView& v, int) { return v.OnEditPaste(); }
bool Delete(CKvillView& v, int) { return v.OnEditDelete(); }
bool Group(CKvillView& v, int) { return v.OnGroup(); }
bool Ungroup(CKvillView& v, int) { return v.OnUngroup(v.GroupToUngroup()); }
bool UngroupCurrent(CKvillView& v, int) {
  return v.OnUngroup(v.Current() != nullptr ? v.Current()->AsGroup() : nullptr);
}
bool MirrorVertical(CKvillView& v, int) { return v.OnMirror(true); }
bool MirrorHorizontal(CKvillView& v, int) { return v.OnMirror(false); }
bool Swap(CKvillView& v, int) { return v.OnSwap(); }
bool CustomThickness(CKvillView& v, int) { return v.OnThicknessCustom(); }
bool SetThickness(CKvillView& v, int nId) {
  return v.OnThickness(FindThicknessPreset(nId)->dValue);
}
bool Nudge(CKvillView& v, int nId) { return v.OnNudge(nId); }

// ---- How the frame's commands run and when they can be chosen

// A command the frame carries out; whatever it changes, the frame sees to the history.
template <auto Handler>
bool OnFrame(CKvillView& v, int) {
  (v.Frame().*Handler)();
  return false;
}

bool OpenRecentFile(CKvillView& v, int nId) {
  v.Frame().OpenRecentFile(nId - cmd::kFileMru1);
  return false;
}
bool SwitchLanguage(CKvillView& v, int nId) {
  v.Frame().SwitchLanguage(nId == cmd::kLanguageCzech ? 1029 : 1033);
  return false;
}

// The first entry of the recent files stands for the list: while it is empty its item
// shows, disabled, where the list would be.
bool HasRecentFiles(const CKvillView& v, int) { return v.Frame().HasRecentFiles(); }
bool InEmbeddedWindow(const CKvillView& v, int) { return v.Frame().IsEmbeddedWindow(); }
bool CanCleanStructure(const CKvillView& v, int) { return v.Frame().CanCleanStructure(); }

// ---- The rows

// A command on the drawing: the resting paint ends before it runs.
constexpr CommandRow Edit(int nId, CommandRun run, UndoStep undo, CommandState enabled = nullptr,
                          CommandState checked = nullptr) {
  return {nId, View, run, enabled, checked, undo, Ended};
}
// A command of the window or the history, which see to the resting paint themselves.
constexpr CommandRow Window(int nId, CommandRun run, CommandState checked = nullptr) {
  return {nId, View, run, nullptr, checked, None, Kept};
}
// A command of the frame's: the resting paint ends before the frame's handler runs.
constexpr CommandRow FrameCommand(int nId, CommandRun run, CommandState enabled = nullptr,
                                  UndoStep undo = None) {
  return {nId, Frame, run, enabled, nullptr, undo, Ended};
}

const CommandRow kRows[] = {
    // The view and the history
    Window(cmd::kZoomIn, Just<&CKvillView::OnZoomIn>),
    Window(cmd::kZoomOut, Just<&CKvillView::OnZoomOut>),
    Window(cmd::kZoomDefault, Just<&CKvillView::OnZoomDefault>),
    Window(cmd::kZoomToFit, Just<&CKvillView::OnZoomToFit>),
    Window(cmd::kAidStandardBonds, ToggleAid, AidOn),
    Window(cmd::kAidClickAddsBond, ToggleAid, AidOn),
    Window(cmd::kAidFuseRings, ToggleAid, AidOn),
    Window(cmd::kAidKeepTools, ToggleAid, AidOn),
    Window(cmd::kAidTypingMakesLabels, ToggleAid, AidOn),
    Window(cmd::kEditUndo, Just<&CKvillView::Undo>),
    Window(cmd::kEditRedo, Just<&CKvillView::Redo>),
    Window(cmd::kViewToolbar, ToggleToolBar, ToolBarShown),
    Window(cmd::kCancelInPlace, DeactivateInPlace),
    // The container is told, and every embedding item shows the drawing as it is now: in
    // the window of an embedded drawing only.
    {cmd::kFileUpdate, View, Just<&CKvillView::UpdateContainer>, InEmbeddedWindow},

    // The clipboard
    Edit(cmd::kEditCopy, Just<&CKvillView::OnEditCopy>, None),
    Edit(cmd::kEditCopySelection, Just<&CKvillView::OnEditCopySelection>, None),
    Edit(cmd::kCopyContext, Just<&CKvillView::OnEditCopySelection>, None),
    Edit(cmd::kEditCut, Cut, Recorded),
    Edit(cmd::kCutContext, Cut, Recorded),
    Edit(cmd::kEditPaste, Paste, Recorded),
    Edit(cmd::kPasteContext, Paste, Recorded),

    // Selecting and formula editing
    Edit(cmd::kSelectAll, SelectAll, Recorded),
    Edit(cmd::kEditFormula, Just<&CKvillView::OnEditFormula>, None),
    Edit(cmd::kEscape, EndEdit, None),

    // Editing the selection and the current object
    Edit(cmd::kEditDelete, Delete, Recorded, Deletable),
    Edit(cmd::kGroup, Group, Recorded, TwoSelected),
    Edit(cmd::kContextGroup, Group, Recorded, TwoSelected),
    Edit(cmd::kUngroup, Ungroup, Recorded, HasGroupToUngroup),
    Edit(cmd::kContextUngroup, UngroupCurrent, Recorded, CurrentGroupAlone),
    // Front and back take effect as the drawing is next painted; no step of their own.
    Edit(cmd::kBringFront, Just<&CKvillView::OnBringFront>, None, HasSelection),
    Edit(cmd::kBringBack, Just<&CKvillView::OnBringBack>, None, HasSelection),
    // The mirrors say themselves when nothing is selected.
    Edit(cmd::kMirrorVertical, MirrorVertical, Recorded),
    Edit(cmd::kMirrorHorizontal, MirrorHorizontal, Recorded),
    // Rotate mode is recorded when it ends, by whatever ends it.
    Edit(cmd::kRotate, Just<&CKvillView::OnRotate>, None, CurrentIsGroup),
    Edit(cmd::kLockAspect, Just<&CKvillView::OnLockAspect>, None, HasCurrent, KeepsAspect),
    // The colour is recorded as soon as the dialog's choice is set, before the repaint.
    Edit(cmd::kChangeColor, Just<&CKvillView::OnChangeColor>, RecordedByHandler, HasCurrent),
    Edit(cmd::kSwap, Swap, Recorded, CurrentIsBond),
    Edit(cmd::kThicknessCustom, CustomThickness, Recorded, CurrentHasThickness, ThicknessIsCustom),
    Edit(cmd::kThickness01, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness02, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness05, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness075, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness1, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness15, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness2, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness3, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness4, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    Edit(cmd::kThickness5, SetThickness, Recorded, CurrentHasThickness, ThicknessIsPreset),
    // The arrow keys move the selection; with nothing selected they scroll, and in an
    // edited formula they move the caret (neither of which is a step).
    Edit(cmd::kKeyLeft, Nudge, Recorded),
    Edit(cmd::kKeyRight, Nudge, Recorded),
    Edit(cmd::kKeyUp, Nudge, Recorded),
    Edit(cmd::kKeyDown, Nudge, Recorded),
    Edit(cmd::kCtrlLeft, Nudge, Recorded),
    Edit(cmd::kCtrlRight, Nudge, Recorded),
    Edit(cmd::kCtrlUp, Nudge, Recorded),
    Edit(cmd::kCtrlDown, Nudge, Recorded),

    // The frame's and the application's
    FrameCommand(cmd::kFileNew, OnFrame<&IFrameServices::NewFile>),
    FrameCommand(cmd::kFileOpen, OnFrame<&IFrameServices::OpenFile>),
    FrameCommand(cmd::kFileOpenFramework, OnFrame<&IFrameServices::OpenFramework>),
    FrameCommand(cmd::kFileSave, OnFrame<&IFrameServices::SaveFile>),
    FrameCommand(cmd::kFileSaveFramework, OnFrame<&IFrameServices::SaveFramework>),
    FrameCommand(cmd::kFileSaveAs, OnFrame<&IFrameServices::DoFileSaveAs>),
    FrameCommand(cmd::kFileSaveCopyAs, OnFrame<&IFrameServices::SaveCopyAs>),
    FrameCommand(cmd::kFileExportPicture, OnFrame<&IFrameServices::ExportPicture>),
    FrameCommand(cmd::kFilePrintSetup, OnFrame<&IFrameServices::PrintSetup>),
    FrameCommand(cmd::kFilePrint, OnFrame<&IFrameServices::Print>),
    FrameCommand(cmd::kFilePrintDirect, OnFrame<&IFrameServices::Print>),
    FrameCommand(cmd::kFilePrintPreview, OnFrame<&IFrameServices::PrintPreview>),
    FrameCommand(cmd::kFileMru1, OpenRecentFile, HasRecentFiles),
    FrameCommand(cmd::kFileMru1 + 1, OpenRecentFile),
    FrameCommand(cmd::kFileMru1 + 2, OpenRecentFile),
    FrameCommand(cmd::kFileMru4, OpenRecentFile),
    FrameCommand(cmd::kAppAbout, OnFrame<&IFrameServices::ShowAbout>),
    FrameCommand(cmd::kAppExit, OnFrame<&IFrameServices::Exit>),
    FrameCommand(cmd::kViewStatusBar, OnFrame<&IFrameServices::ToggleStatusBar>),
    FrameCommand(cmd::kViewDrawBar, OnFrame<&IFrameServices::ToggleDrawBar>),
    FrameCommand(cmd::kLanguageCzech, SwitchLanguage),
    FrameCommand(cmd::kLanguageEnglish, SwitchLanguage),
    FrameCommand(cmd::kFileExportStructure, OnFrame<&IFrameServices::ExportStructure>),
    FrameCommand(cmd::kEditCopyAsSmiles, OnFrame<&IFrameServices::CopyAsSmiles>),
    FrameCommand(cmd::kEditCopyAsInchi, OnFrame<&IFrameServices::CopyAsInchi>),
    FrameCommand(cmd::kEditCheckStructure, OnFrame<&IFrameServices::CheckStructure>),
    // The molecules drawn afresh replace the old ones as one step of the history.
    FrameCommand(cmd::kEditCleanStructure, OnFrame<&IFrameServices::CleanStructure>,
                 CanCleanStructure, RecordedByHandler),
};

}  // namespace

std::span<const CommandRow> CommandRows() { return kRows; }

const CommandRow* FindCommandRow(int nId) {
  const auto it = std::find_if(std::begin(kRows), std::end(kRows),
                               [nId](const CommandRow& row) { return row.nId == nId; });
  return it != std::end(kRows) ? &*it : nullptr;
}
