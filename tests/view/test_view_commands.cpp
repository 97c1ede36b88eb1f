// The view's answer to which commands it carries out: what it says it handles is what its
// command routing takes, so the frame's menus follow the view without a list of their own.
#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "resources/CommandIds.h"

namespace {

// Every command of the menus, accelerators and toolbars.
constexpr int kAllCommands[] = {
    cmd::kFileNew,
    cmd::kFileOpenFramework,
    cmd::kFileSaveFramework,
    cmd::kFilePrintSetup,
    cmd::kFilePrint,
    cmd::kFilePrintDirect,
    cmd::kFilePrintPreview,
    cmd::kFileUpdate,
    cmd::kFileSaveCopyAs,
    cmd::kFileMru1,
    cmd::kFileMru4,
    cmd::kEditCopy,
    cmd::kEditCut,
    cmd::kEditPaste,
    cmd::kEditUndo,
    cmd::kAppAbout,
    cmd::kAppExit,
    cmd::kNextPane,
    cmd::kPrevPane,
    cmd::kViewToolbar,
    cmd::kViewStatusBar,
    cmd::kCancelInPlace,
    cmd::kViewDrawBar,
    cmd::kEditDelete,
    cmd::kEditFormula,
    cmd::kEditCopySelection,
    cmd::kEditRedo,
    cmd::kGroup,
    cmd::kUngroup,
    cmd::kZoomIn,
    cmd::kZoomOut,
    cmd::kZoomDefault,
    cmd::kZoomToFit,
    cmd::kKeyLeft,
    cmd::kKeyRight,
    cmd::kKeyUp,
    cmd::kKeyDown,
    cmd::kCtrlLeft,
    cmd::kCtrlRight,
    cmd::kCtrlUp,
    cmd::kCtrlDown,
    cmd::kMirrorHorizontal,
    cmd::kMirrorVertical,
    cmd::kSelectAll,
    cmd::kCtrlAlone,
    cmd::kEscape,
    cmd::kBringFront,
    cmd::kBringBack,
    cmd::kFileOpen,
    cmd::kFileSave,
    cmd::kFileSaveAs,
    cmd::kLanguageCzech,
    cmd::kLanguageEnglish,
    cmd::kFileExportPicture,
    cmd::kEscapeShadowed,
    cmd::kContextGroup,
    cmd::kContextUngroup,
    cmd::kSwap,
    cmd::kRotate,
    cmd::kChangeColor,
    cmd::kThickness1,
    cmd::kThickness15,
    cmd::kThickness2,
    cmd::kThickness3,
    cmd::kThickness4,
    cmd::kThickness5,
    cmd::kThicknessCustom,
    cmd::kLockAspect,
    cmd::kThickness075,
    cmd::kThickness05,
    cmd::kThickness02,
    cmd::kThickness01,
};

using ViewCommands = ViewFixture;

// With no formula being edited, the routing takes exactly the commands the view names.
TEST_F(ViewCommands, HandledCommandsAreTheOnesTheRoutingTakes) {
  AddEllipse(0, 0, 400, -400);
  view.OnZoomDefault();
  view.PushSnapshot();
  for (int id : kAllCommands) {
    SCOPED_TRACE(id);
    EXPECT_EQ(view.OnCommand(id), view.IsCommandHandled(id));
    // Nothing the view offers carries a check mark, and nothing it does not carry out is
    // offered.
    EXPECT_FALSE(view.IsCommandChecked(id));
    if (!view.IsCommandHandled(id)) {
      EXPECT_FALSE(view.IsCommandEnabled(id));
    }
  }
  for (int id : {cmd::kZoomIn, cmd::kZoomOut, cmd::kZoomDefault, cmd::kZoomToFit, cmd::kEditUndo,
                 cmd::kEditRedo}) {
    EXPECT_TRUE(view.IsCommandEnabled(id)) << id;
  }
  // The frame's own commands are not the view's.
  for (int id : {cmd::kFileNew, cmd::kFileSave, cmd::kAppExit, cmd::kViewDrawBar}) {
    EXPECT_FALSE(view.IsCommandHandled(id)) << id;
  }
}

// Delete and the arrow keys are the view's with or without an edit: without one they act on
// the selection (Delete then needs one to be enabled), in an edited formula on its text.
TEST_F(ViewCommands, DeleteAndArrowsActOnTheSelectionOrTheEditedFormula) {
  for (int id : {cmd::kEditDelete, cmd::kKeyLeft, cmd::kKeyRight, cmd::kKeyUp, cmd::kKeyDown}) {
    EXPECT_TRUE(view.IsCommandHandled(id)) << id;
    EXPECT_TRUE(view.OnCommand(id)) << id;
  }
  EXPECT_FALSE(view.IsCommandEnabled(cmd::kEditDelete));
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kKeyLeft));  // with nothing selected it scrolls
  CFormula* f = view.CreateFormulaAt(CPoint{0, 0});
  ASSERT_NE(f, nullptr);
  f->m_strText = "AB";
  f->m_nCaret = 2;
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kEditDelete));
  EXPECT_TRUE(view.OnCommand(cmd::kKeyLeft));
  EXPECT_EQ(f->m_nCaret, 1);
  EXPECT_EQ(f->m_ptAnchor, (CPoint{0, 0}));  // the caret moved, not the formula
  EXPECT_TRUE(view.OnCommand(cmd::kEditDelete));
  EXPECT_EQ(f->m_strText, "A");
  EXPECT_EQ(doc.m_listObjects.size(), 1u);
}

}  // namespace
