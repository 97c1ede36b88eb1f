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
  for (int id : {cmd::kZoomIn, cmd::kZoomOut, cmd::kZoomDefault, cmd::kEditUndo, cmd::kEditRedo}) {
    EXPECT_TRUE(view.IsCommandEnabled(id)) << id;
  }
  // The frame's own commands are not the view's.
  for (int id : {cmd::kFileNew, cmd::kFileSave, cmd::kAppExit, cmd::kViewDrawBar}) {
    EXPECT_FALSE(view.IsCommandHandled(id)) << id;
  }
}

// Delete and the caret keys are taken only while a formula is edited; they stay out of the
// menus, and are routed on otherwise.
TEST_F(ViewCommands, FormulaKeysAreTakenOnlyWhileEditing) {
  for (int id : {cmd::kEditDelete, cmd::kKeyLeft, cmd::kKeyRight, cmd::kKeyUp, cmd::kKeyDown}) {
    EXPECT_FALSE(view.OnCommand(id)) << id;
    EXPECT_FALSE(view.IsCommandEnabled(id)) << id;
  }
  CFormula* f = view.CreateFormulaAt(CPoint{0, 0});
  ASSERT_NE(f, nullptr);
  for (int id : {cmd::kKeyLeft, cmd::kKeyRight, cmd::kKeyUp, cmd::kKeyDown}) {
    EXPECT_TRUE(view.OnCommand(id)) << id;
  }
  EXPECT_TRUE(view.OnCommand(cmd::kEditDelete));
  EXPECT_FALSE(view.IsCommandEnabled(cmd::kEditDelete));
}

}  // namespace
