// The English resource tables.
#include "resources/CommandIds.h"
#include "resources/ResourceTables.h"

namespace res::detail {
namespace {

constexpr MenuItem kFile128[] = {
    Cmd("&New\tCtrl+N", cmd::kFileNew),
    Cmd("&Open...\tCtrl+O", cmd::kFileOpen),
    Cmd("&Save\tCtrl+S", cmd::kFileSave),
    Cmd("Save &As...", cmd::kFileSaveAs),
    Cmd("&Export Picture...", cmd::kFileExportPicture),
    Cmd("Export S&tructure...", cmd::kFileExportStructure),
    Sep(),
    Cmd("&Print...\tCtrl+P", cmd::kFilePrint),
    Cmd("Print Pre&view", cmd::kFilePrintPreview),
    Cmd("P&rint Setup...", cmd::kFilePrintSetup),
    Sep(),
    Cmd("Recent File", cmd::kFileMru1),
    Sep(),
    Cmd("E&xit", cmd::kAppExit),
};

constexpr MenuItem kFile5[] = {
    Cmd("&Update\tCtrl+S", cmd::kFileUpdate),
    Cmd("Save Copy &As...", cmd::kFileSaveCopyAs),
    Cmd("&Export Picture...", cmd::kFileExportPicture),
    Cmd("Export S&tructure...", cmd::kFileExportStructure),
    Sep(),
    Cmd("&Print...\tCtrl+P", cmd::kFilePrint),
    Cmd("Print Pre&view", cmd::kFilePrintPreview),
    Cmd("P&rint Setup...", cmd::kFilePrintSetup),
    Sep(),
    Cmd("E&xit", cmd::kAppExit),
};

constexpr MenuItem kEdit[] = {
    Cmd("&Undo\tCtrl+Z", cmd::kEditUndo),
    Cmd("&Redo\tCtrl+R", cmd::kEditRedo),
    Sep(),
    Cmd("Zoom In\tCtrl++", cmd::kZoomIn),
    Cmd("Zoom Out\tCtrl+-", cmd::kZoomOut),
    Cmd("Default Zoom\tCtrl+*", cmd::kZoomDefault),
    Sep(),
    Cmd("Select &All\tCtrl+A", cmd::kSelectAll),
    Cmd("Cu&t\tCtrl+X", cmd::kEditCut),
    Cmd("&Copy\tCtrl+E", cmd::kEditCopy),
    Cmd("Copy &Selection\tCtrl+C", cmd::kEditCopySelection),
    Cmd("Copy As S&MILES", cmd::kEditCopyAsSmiles),
    Cmd("Cop&y As InChI", cmd::kEditCopyAsInchi),
    Cmd("&Paste\tCtrl+V", cmd::kEditPaste),
    Cmd("&Delete\tDel", cmd::kEditDelete),
    Sep(),
    Cmd("Bring &Front", cmd::kBringFront),
    Cmd("Bring &Back", cmd::kBringBack),
    Sep(),
    Cmd("&Group", cmd::kGroup),
    Cmd("U&ngroup", cmd::kUngroup),
    Sep(),
    Cmd("Vert&ical Mirror", cmd::kMirrorVertical),
    Cmd("&Horizontal Mirror", cmd::kMirrorHorizontal),
    Sep(),
    Cmd("Chec&k Structure", cmd::kEditCheckStructure),
    Cmd("C&lean Structure", cmd::kEditCleanStructure),
};

constexpr MenuItem kDrawingAidItems[] = {
    Cmd("&Standard Bonds", cmd::kAidStandardBonds),
    Cmd("&Click Adds a Bond", cmd::kAidClickAddsBond),
    Cmd("&Fuse Rings", cmd::kAidFuseRings),
    Cmd("&Keep Tools", cmd::kAidKeepTools),
    Cmd("&Type Labels on Atoms", cmd::kAidTypingMakesLabels),
};

constexpr MenuItem kView[] = {
    Cmd("&Toolbar", cmd::kViewToolbar),
    Cmd("&Status Bar", cmd::kViewStatusBar),
    Cmd("&Draw Bar", cmd::kViewDrawBar),
    Sep(),
    Cmd("Zoom to &Fit\tCtrl+Shift+F", cmd::kZoomToFit),
    Popup("Drawing &Aids", kDrawingAidItems),
};

// The English menu has always spelt the Czech item without its accent.
constexpr MenuItem kLanguageItems[] = {
    Cmd("&Ceština", cmd::kLanguageCzech),
    Cmd("&English", cmd::kLanguageEnglish),
};

constexpr MenuItem kHelp128[] = {
    Cmd("&About Valendra...", cmd::kAppAbout),
    Popup("&Language", kLanguageItems),
};

constexpr MenuItem kHelp5[] = {
    Cmd("&About Valendra...", cmd::kAppAbout),
};

constexpr MenuItem kMenu128[] = {
    Popup("&File", kFile128),
    Popup("&Edit", kEdit),
    Popup("&View", kView),
    Popup("&Help", kHelp128),
};

constexpr MenuItem kMenu5[] = {
    Popup("&File", kFile5),
    Popup("&Edit", kEdit),
    Popup("&View", kView),
    Popup("&Help", kHelp5),
};

constexpr NumberedString kPrompts[] = {
    {cmd::kFileNew, "Create a new document\nNew"},
    {cmd::kFileOpen, "Open an existing document\nOpen"},
    {cmd::kFileSave, "Save the active document\nSave"},
    {cmd::kFileSaveAs, "Save the active document with a new name\nSave As"},
    {cmd::kFilePrint, "Print the active document\nPrint"},
    {cmd::kFilePrintPreview, "Display full pages\nPrint Preview"},
    {cmd::kFilePrintSetup, "Change the printer and printing options\nPrint Setup"},
    {cmd::kFileUpdate, "Update the container to show any changes\nUpdate"},
    {cmd::kFileSaveCopyAs, "Save a copy of the active document with a new name\nSave copy"},
    {cmd::kFileExportPicture, "Export the drawing as an SVG, PNG or PDF picture\nExport Picture"},
    {cmd::kFileExportStructure,
     "Export the drawing's molecules as MOL, SDF, SMILES, InChI or RXN\nExport Structure"},
    {cmd::kEditCopyAsSmiles,
     "Copy the selected molecules, or all of them, as SMILES text\nCopy As SMILES"},
    {cmd::kEditCopyAsInchi,
     "Copy the selected molecules, or all of them, as InChI text\nCopy As InChI"},
    {cmd::kEditCheckStructure,
     "Mark every atom with a wrong valence or a label not understood\nCheck Structure"},
    {cmd::kEditCleanStructure,
     "Draw the selected molecules again with fresh coordinates\nClean Structure"},
    {cmd::kFileMru1, "Open this document"},
    {cmd::kFileMru1 + 1, "Open this document"},
    {cmd::kFileMru1 + 2, "Open this document"},
    {cmd::kFileMru4, "Open this document"},
    {cmd::kAppExit, "Quit the application; prompts to save documents\nExit"},
    {cmd::kEditUndo, "Undo the last action\nUndo"},
    {cmd::kEditRedo, "Redo the last action\nRedo"},
    {cmd::kZoomIn, "Zoom in\nZoom in"},
    {cmd::kZoomOut, "Zoom out\nZoom out"},
    {cmd::kZoomDefault, "Default zoom\nDefault zoom"},
    {cmd::kSelectAll, "Select all objects\nSelect all"},
    {cmd::kEditCut, "Cut the selection and put it on the Clipboard\nCut"},
    {cmd::kEditCopy, "Copy all data and put it on the Clipboard\nCopy"},
    {cmd::kEditCopySelection, "Copy selection to the Clipboard\nCopy selection"},
    {cmd::kEditPaste, "Insert Clipboard contents\nPaste"},
    {cmd::kEditDelete, "Delete selected items"},
    {cmd::kBringFront, "Bring selected objects front"},
    {cmd::kBringBack, "Bring selected objects back"},
    {cmd::kGroup, "Group selected items"},
    {cmd::kUngroup, "Ungroup item"},
    {cmd::kMirrorVertical, "Vertical mirror\nVertical mirror"},
    {cmd::kMirrorHorizontal, "Horizontal mirror\nHorizontal mirror"},
    {cmd::kViewToolbar, "Show or hide the toolba\nToggle ToolBar"},
    {cmd::kViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
    {cmd::kViewDrawBar, "Show or hide draw bar\nToggle ToolBar1"},
    {cmd::kZoomToFit, "Zoom so that the whole drawing fits the window\nZoom to fit"},
    {cmd::kAidStandardBonds,
     "Snap a bond's free end to the standard length and to steps of 15 degrees (Shift: free)\n"
     "Standard bonds"},
    {cmd::kAidClickAddsBond,
     "A click with a bond tool on a junction or formula adds a bond from it\nClick adds a bond"},
    {cmd::kAidFuseRings,
     "A ring template pressed on a bond or junction is built onto it\nFuse rings"},
    {cmd::kAidKeepTools, "Keep the tool chosen after it created an object, until Esc\nKeep tools"},
    {cmd::kAidTypingMakesLabels,
     "Typing over a junction makes a label there, with indices for digits and charges\n"
     "Type labels on atoms"},
    {cmd::kAppAbout, "Display program information and version\nAbout"},
};

constexpr NumberedString kStrings[] = {
    {100, "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    {128,
     "Valendra\nnoname\nValendra Document\nValendra Files (*.vld)\n.vld\nValendra.Document\n"
     "Valendra Document\nVLDR\nValendra Files"},
    {57344, "Valendra"},
    {57345, "Ready"},
    {59137, "CAP"},
    {59138, "NUM"},
    {59139, "SCRL"},
};

constexpr MessageTexts kMessages = {
    "%s was not found.",
    "Open",
    "%s\nFile not found.\nPlease verify the correct file name was given.",
    "Save changes to %s?",
    "Valendra Documents (*.vld)|*.vld|Kvill Documents (*.kvl)|*.kvl|"
    "Chemical structures (*.mol;*.sdf;*.smi;*.smiles;*.rxn;*.cdxml)|"
    "*.mol *.sdf *.smi *.smiles *.rxn *.cdxml|All Files (*.*)|*.*|",
    "Valendra Documents (*.vld)|*.vld|",
    "Valendra dokument",
    "About Valendra",
    "Valendra",
    "Valendra Error",
    "%1 could not be saved.\n%2\nThe previous file, if there was one, is unchanged.",
    "%1 could not be read.\n%2",
    "This command is not available yet.",
    "SVG Pictures (*.svg)|*.svg|PNG Pictures (*.png)|*.png|PDF Documents (*.pdf)|*.pdf|",
    "%1 could not be exported.\n%2",
    "Opening %1...",
    "Saving %1...",
    "Exporting %1...",
    "Cancel",
    "MDL Molfiles (*.mol)|*.mol|SD Files (*.sdf)|*.sdf|SMILES (*.smi)|*.smi|"
    "InChI (*.inchi)|*.inchi|MDL Reaction Files (*.rxn)|*.rxn|",
    "%1 could not be exported.\n%2",
    "There is no structure in the drawing.",
    "There is no reaction in the drawing.",
    "No problems",
    "1 problem",
    "%1 problems",
    "%1 problems",
    "No structure to copy",
    "No InChI: %1",
    "Error: Not a chemical structure file.\n%1",
    "Nothing to paste: %1",
    "Nothing pasted: the clipboard holds more than 10 MB of text.",
    "Not cleaned: %1",
    "Fit drawing to page",
};

constexpr const char* kAbout[] = {
    "Valendra 0.1",
    "An editor for chemical structure drawings and reaction schemes.",
};

// The context menus: the first submenu of each is what shows.
constexpr MenuItem kThickness[] = {
    Cmd("0.1x", cmd::kThickness01),        Cmd("0.2x", cmd::kThickness02),
    Cmd("0.5x", cmd::kThickness05),        Cmd("0.75x", cmd::kThickness075),
    Cmd("1x", cmd::kThickness1),           Cmd("1.5x", cmd::kThickness15),
    Cmd("2x", cmd::kThickness2),           Cmd("3x", cmd::kThickness3),
    Cmd("4x", cmd::kThickness4),           Cmd("5x", cmd::kThickness5),
    Cmd("Cu&stom", cmd::kThicknessCustom),
};
constexpr MenuItem kContextSeveral[] = {
    Cmd("Cu&t", cmd::kCutContext),         Cmd("&Copy", cmd::kCopyContext),
    Cmd("&Delete", cmd::kEditDelete),      Sep(),
    Cmd("&Group", cmd::kContextGroup),     Sep(),
    Cmd("Bring &Front", cmd::kBringFront), Cmd("Bring &Back", cmd::kBringBack),
};
constexpr MenuItem kContextGroupItems[] = {
    Cmd("Cu&t", cmd::kCutContext),
    Cmd("&Copy", cmd::kCopyContext),
    Cmd("&Delete", cmd::kEditDelete),
    Sep(),
    Cmd("&Ungroup", cmd::kContextUngroup),
    Sep(),
    Cmd("&Rotate", cmd::kRotate),
    Cmd("&Lock Aspect Ratio", cmd::kLockAspect),
    Cmd("Change Co&lor", cmd::kChangeColor),
    Sep(),
    Cmd("Bring &Front", cmd::kBringFront),
    Cmd("Bring &Back", cmd::kBringBack),
};
constexpr MenuItem kContextBond[] = {
    Cmd("Cu&t", cmd::kCutContext),
    Cmd("&Copy", cmd::kCopyContext),
    Cmd("&Delete", cmd::kEditDelete),
    Sep(),
    Cmd("&Swap", cmd::kSwap),
    Cmd("Change Co&lor", cmd::kChangeColor),
    Popup("&Thickness", kThickness),
    Sep(),
    Cmd("Bring &Front", cmd::kBringFront),
    Cmd("Bring &Back", cmd::kBringBack),
};
constexpr MenuItem kContextFormula[] = {
    Cmd("Cu&t", cmd::kCutContext),
    Cmd("&Copy", cmd::kCopyContext),
    Cmd("&Delete", cmd::kEditDelete),
    Sep(),
    Cmd("&Edit", cmd::kEditFormula),
    Cmd("Change Co&lor", cmd::kChangeColor),
    Sep(),
    Cmd("Bring &Front", cmd::kBringFront),
    Cmd("Bring &Back", cmd::kBringBack),
};
constexpr MenuItem kContextDot[] = {
    Cmd("Cu&t", cmd::kCutContext),         Cmd("&Copy", cmd::kCopyContext),
    Cmd("&Delete", cmd::kEditDelete),      Sep(),
    Cmd("Bring &Front", cmd::kBringFront), Cmd("Bring &Back", cmd::kBringBack),
};
constexpr MenuItem kContextNothing[] = {
    Cmd("&Paste", cmd::kPasteContext),
};
constexpr MenuItem kContextShape[] = {
    Cmd("Cu&t", cmd::kCutContext),
    Cmd("&Copy", cmd::kCopyContext),
    Cmd("&Delete", cmd::kEditDelete),
    Sep(),
    Cmd("&Lock Aspect Ratio", cmd::kLockAspect),
    Cmd("Change Co&lor", cmd::kChangeColor),
    Popup("&Thickness", kThickness),
    Sep(),
    Cmd("Bring &Front", cmd::kBringFront),
    Cmd("Bring &Back", cmd::kBringBack),
};
constexpr MenuItem kContext298[] = {Popup("Pre group", kContextSeveral)};
constexpr MenuItem kContext300[] = {Popup("Group", kContextGroupItems)};
constexpr MenuItem kContext302[] = {Popup("Coupling", kContextBond)};
constexpr MenuItem kContext303[] = {Popup("Formula", kContextFormula)};
constexpr MenuItem kContext304[] = {Popup("Dot", kContextDot)};
constexpr MenuItem kContext335[] = {Popup("No Item", kContextNothing)};
constexpr MenuItem kContext336[] = {Popup("Ellipse", kContextShape)};
constexpr MenuItem kContext337[] = {Popup("Charge", kContextShape)};
constexpr NumberedMenu kContextMenus[] = {
    {298, kContext298}, {300, kContext300}, {302, kContext302}, {303, kContext303},
    {304, kContext304}, {335, kContext335}, {336, kContext336}, {337, kContext337},
};

}  // namespace

const LanguageTables kEnglishTables = {kMenu128,   kMenu5, kPrompts,     kStrings,
                                       &kMessages, kAbout, kContextMenus};

}  // namespace res::detail
