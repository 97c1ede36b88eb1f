#pragma once

// Command identifiers of the menus, accelerators and toolbars. The numbers are the ones the
// program has always used (the framework's standard commands keep the framework's numbers),
// so that the view, the document and the frame agree on them.
namespace cmd {

// Framework commands.
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpenFramework = 57601;  // Ctrl+O: the framework's open dialog
inline constexpr int kFileSaveFramework = 57603;  // Ctrl+S: the framework's save
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileUpdate = 57610;
inline constexpr int kFileSaveCopyAs = 57611;
inline constexpr int kFileMru1 = 57616;
inline constexpr int kFileMru4 = 57619;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;

// The program's own commands.
inline constexpr int kCancelInPlace = 32769;
inline constexpr int kViewDrawBar = 32779;
inline constexpr int kEditDelete = 32787;
inline constexpr int kEditFormula = 32791;  // the formula's context command: edit it
inline constexpr int kEditCopySelection = 32794;
inline constexpr int kEditRedo = 32796;
inline constexpr int kGroup = 32797;
inline constexpr int kUngroup = 32798;
inline constexpr int kZoomIn = 32800;
inline constexpr int kZoomOut = 32801;
inline constexpr int kZoomDefault = 32804;
inline constexpr int kKeyLeft = 32813;
inline constexpr int kKeyRight = 32814;
inline constexpr int kKeyUp = 32815;
inline constexpr int kKeyDown = 32816;
inline constexpr int kCtrlLeft = 32817;
inline constexpr int kCtrlRight = 32818;
inline constexpr int kCtrlUp = 32819;
inline constexpr int kCtrlDown = 32820;
inline constexpr int kMirrorHorizontal = 32839;
inline constexpr int kMirrorVertical = 32840;
inline constexpr int kSelectAll = 32842;
inline constexpr int kCtrlAlone = 32843;
inline constexpr int kEscape = 32846;
inline constexpr int kBringFront = 32849;
inline constexpr int kBringBack = 32850;
inline constexpr int kFileOpen = 32886;
inline constexpr int kFileSave = 32887;
inline constexpr int kFileSaveAs = 32888;
inline constexpr int kLanguageCzech = 32892;
inline constexpr int kLanguageEnglish = 32893;
inline constexpr int kFileExportPicture = 32894;
// The drawing as chemistry: its molecules written as a structure file, copied as text, and
// checked.
inline constexpr int kFileExportStructure = 32895;
inline constexpr int kEditCopyAsSmiles = 32896;
inline constexpr int kEditCopyAsInchi = 32897;
inline constexpr int kEditCheckStructure = 32898;
inline constexpr int kEditCleanStructure = 32899;
// View > Zoom to Fit: the whole drawing in the window, centred.
inline constexpr int kZoomToFit = 32900;
// View > Drawing Aids: each turns one aid on or off.
inline constexpr int kAidStandardBonds = 32901;
inline constexpr int kAidClickAddsBond = 32902;
inline constexpr int kAidFuseRings = 32903;
inline constexpr int kAidKeepTools = 32904;
inline constexpr int kAidTypingMakesLabels = 32905;
inline constexpr int kEscapeShadowed = 1078;  // a second Esc entry that never takes effect
// The context menus' Cut, Copy (of the selection) and Paste.
inline constexpr int kCutContext = 32782;
inline constexpr int kCopyContext = 32783;
inline constexpr int kPasteContext = 32795;

// The editing commands that the context menus offer on the object under the mouse.
inline constexpr int kContextGroup = 32780;    // the selection, as the menu's Group
inline constexpr int kContextUngroup = 32784;  // the current group, as the menu's Ungroup
inline constexpr int kSwap = 32789;
inline constexpr int kRotate = 32812;
inline constexpr int kChangeColor = 32821;
inline constexpr int kThickness1 = 32823;
inline constexpr int kThickness15 = 32824;
inline constexpr int kThickness2 = 32825;
inline constexpr int kThickness3 = 32826;
inline constexpr int kThickness4 = 32827;
inline constexpr int kThickness5 = 32828;
inline constexpr int kThicknessCustom = 32837;
inline constexpr int kLockAspect = 32871;
inline constexpr int kThickness075 = 32878;
inline constexpr int kThickness05 = 32879;
inline constexpr int kThickness02 = 32880;
inline constexpr int kThickness01 = 32881;

// Strings of the framework's string table, and the status bar's panes.
inline constexpr int kIdsDocumentTemplate = 128;
inline constexpr int kIdsAppTitle = 57344;
inline constexpr int kIdsIdleMessage = 57345;
inline constexpr int kIndicatorCaps = 59137;
inline constexpr int kIndicatorNum = 59138;
inline constexpr int kIndicatorScroll = 59139;

}  // namespace cmd
