// The command table against what the commands do: a row that says it records an undo step
// records exactly one when its command acts, and every other row records none; a row of
// the frame's passes its command on to the frame's handler of it, and no other.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "InteractFixture.h"
#include "objects/CGroup.h"
#include "resources/CommandIds.h"
#include "view/commands/CommandTable.h"

namespace {

// The state a command is tried in: nothing chosen, or the object a context menu would be
// opened on picked, or two dots selected, or the group made of them picked; the dialogs
// the colour and the custom thickness open are answered; the view is in the window of an
// embedded drawing.
enum class State {
  Nothing,
  Ellipse,
  Bond,
  Formula,
  TwoDots,
  Group,
  ColourChosen,
  ThicknessTyped,
  EmbeddedWindow
};

struct CommandCase {
  int nId;
  UndoStep undo;  // what the table must say
  State state;
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << "command " << c.nId; }

using enum UndoStep;
using enum State;

// Every command of the view, in a state where it is enabled and acts.
const CommandCase kCases[] = {
    {cmd::kZoomIn, None, Nothing},
    {cmd::kZoomOut, None, Nothing},
    {cmd::kZoomDefault, None, Nothing},
    {cmd::kZoomToFit, None, Nothing},
    {cmd::kAidStandardBonds, None, Nothing},
    {cmd::kAidClickAddsBond, None, Nothing},
    {cmd::kAidFuseRings, None, Nothing},
    {cmd::kAidKeepTools, None, Nothing},
    {cmd::kAidTypingMakesLabels, None, Nothing},
    {cmd::kEditUndo, None, Nothing},
    {cmd::kEditRedo, None, Nothing},
    {cmd::kViewToolbar, None, Nothing},
    {cmd::kCancelInPlace, None, Nothing},
    {cmd::kFileUpdate, None, EmbeddedWindow},
    {cmd::kEditCopy, None, Ellipse},
    {cmd::kEditCopySelection, None, Ellipse},
    {cmd::kCopyContext, None, Ellipse},
    {cmd::kEditCut, Recorded, Ellipse},
    {cmd::kCutContext, Recorded, Ellipse},
    {cmd::kEditPaste, Recorded, Nothing},
    {cmd::kPasteContext, Recorded, Nothing},
    {cmd::kSelectAll, Recorded, Nothing},
    {cmd::kEditFormula, None, Formula},
    {cmd::kEscape, None, Nothing},
    {cmd::kEditDelete, Recorded, Ellipse},
    {cmd::kGroup, Recorded, TwoDots},
    {cmd::kContextGroup, Recorded, TwoDots},
    {cmd::kUngroup, Recorded, Group},
    {cmd::kContextUngroup, Recorded, Group},
    {cmd::kBringFront, None, Ellipse},
    {cmd::kBringBack, None, Ellipse},
    {cmd::kMirrorVertical, Recorded, TwoDots},
    {cmd::kMirrorHorizontal, Recorded, TwoDots},
    {cmd::kRotate, None, Group},
    {cmd::kLockAspect, None, Ellipse},
    {cmd::kChangeColor, RecordedByHandler, ColourChosen},
    {cmd::kSwap, Recorded, Bond},
    {cmd::kThicknessCustom, Recorded, ThicknessTyped},
    {cmd::kThickness01, Recorded, Bond},
    {cmd::kThickness02, Recorded, Bond},
    {cmd::kThickness05, Recorded, Bond},
    {cmd::kThickness075, Recorded, Bond},
    {cmd::kThickness1, Recorded, Bond},
    {cmd::kThickness15, Recorded, Bond},
    {cmd::kThickness2, Recorded, Bond},
    {cmd::kThickness3, Recorded, Bond},
    {cmd::kThickness4, Recorded, Bond},
    {cmd::kThickness5, Recorded, Bond},
    {cmd::kKeyLeft, Recorded, Ellipse},
    {cmd::kKeyRight, Recorded, Ellipse},
    {cmd::kKeyUp, Recorded, Ellipse},
    {cmd::kKeyDown, Recorded, Ellipse},
    {cmd::kCtrlLeft, Recorded, Ellipse},
    {cmd::kCtrlRight, Recorded, Ellipse},
    {cmd::kCtrlUp, Recorded, Ellipse},
    {cmd::kCtrlDown, Recorded, Ellipse},
};

class CommandTableTest : public InteractFixture, public ::testing::WithParamInterface<CommandCase> {
 protected:
  // Two dots joined by a bond, an ellipse, a formula, and two dots that can be grouped.
  CommandTableTest() {
    CDot* a = AddDot(0, 0);
    CDot* b = AddDot(1500, 0);
    bond = AddBond(a, b);
    ellipse = AddEllipse(3000, 600, 3600, 0);
    formula = AddFormula(5000, 300, 5300, 0, "OH");
    c = AddDot(0, 3000);
    d = AddDot(1500, 3000);
    view.UpdateView();
  }
  void Enter(State state) {
    switch (state) {
      case Nothing:
        break;
      case Ellipse:
        Pick(ellipse);
        break;
      case Bond:
        Pick(bond);
        break;
      case Formula:
        Pick(formula);
        break;
      case TwoDots:
      case Group:
        view.DeselectAll();
        c->m_bSelected = d->m_bSelected = 1;
        view.SetSelCount(2);
        view.SetCurrent(nullptr);
        if (state == Group) {
          ASSERT_TRUE(view.OnGroup());
        }
        break;
      case ColourChosen:
        Pick(ellipse);
        host.m_colorAnswers.push_back(RGB(255, 0, 0));
        break;
      case ThicknessTyped:
        Pick(bond);
        host.m_entries = {{"2.5", IDOK}};
        break;
      case EmbeddedWindow:
        host.m_bEmbeddedWindow = true;
        break;
    }
  }

  CDot* c = nullptr;
  CDot* d = nullptr;
  CCoupling* bond = nullptr;
  CEllipse* ellipse = nullptr;
  CFormula* formula = nullptr;
};

TEST_P(CommandTableTest, RecordsTheUndoStepsItsRowSays) {
  const CommandCase& c = GetParam();
  const CommandRow* pRow = FindCommandRow(c.nId);
  ASSERT_NE(pRow, nullptr);
  ASSERT_EQ(pRow->owner, CommandOwner::View);
  EXPECT_EQ(pRow->undo, c.undo);
  Enter(c.state);
  view.PushSnapshot();
  const std::size_t n = Snapshots();
  ASSERT_TRUE(view.IsCommandEnabled(c.nId));
  ASSERT_TRUE(view.OnCommand(c.nId));
  EXPECT_EQ(Snapshots() - n, c.undo == None ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryViewCommand, CommandTableTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandCase>& info) {
                           return "Id" + std::to_string(info.param.nId);
                         });

// Every command of the frame's: the call that reaches the frame, by the name the fake
// frame records, and the frame's answer that decides whether it can be chosen (null:
// always).
struct FrameCase {
  int nId;
  const char* pszCall;
  bool FakeViewHost::*pAnswer = nullptr;
};

const FrameCase kFrameCases[] = {
    {cmd::kFileNew, "NewFile"},
    {cmd::kFileOpen, "OpenFile"},
    {cmd::kFileOpenFramework, "OpenFramework"},
    {cmd::kFileSave, "SaveFile"},
    {cmd::kFileSaveFramework, "SaveFramework"},
    {cmd::kFileSaveAs, "DoFileSaveAs"},
    {cmd::kFileSaveCopyAs, "SaveCopyAs"},
    {cmd::kFileExportPicture, "ExportPicture"},
    {cmd::kFilePrintSetup, "PrintSetup"},
    {cmd::kFilePrint, "Print"},
    {cmd::kFilePrintDirect, "Print"},
    {cmd::kFilePrintPreview, "PrintPreview"},
    {cmd::kFileMru1, "OpenRecentFile 0", &FakeViewHost::m_bHasRecentFiles},
    {cmd::kFileMru1 + 1, "OpenRecentFile 1"},
    {cmd::kFileMru1 + 2, "OpenRecentFile 2"},
    {cmd::kFileMru4, "OpenRecentFile 3"},
    {cmd::kAppAbout, "ShowAbout"},
    {cmd::kAppExit, "Exit"},
    {cmd::kViewStatusBar, "ToggleStatusBar"},
    {cmd::kViewDrawBar, "ToggleDrawBar"},
    {cmd::kLanguageCzech, "SwitchLanguage 1029"},
    {cmd::kLanguageEnglish, "SwitchLanguage 1033"},
    {cmd::kFileExportStructure, "ExportStructure"},
    {cmd::kEditCopyAsSmiles, "CopyAsSmiles"},
    {cmd::kEditCopyAsInchi, "CopyAsInchi"},
    {cmd::kEditCheckStructure, "CheckStructure"},
    {cmd::kEditCleanStructure, "CleanStructure", &FakeViewHost::m_bCanCleanStructure},
};

using FrameCommandTable = InteractFixture;

// Each frame command reaches exactly its handler of the frame, once; the view says it was
// not its own and records no step for it (what the frame changes, the frame records).
TEST_F(FrameCommandTable, EachFrameRowRunsItsHandlerOfTheFrame) {
  view.PushSnapshot();
  for (const FrameCase& c : kFrameCases) {
    SCOPED_TRACE(c.pszCall);
    const CommandRow* pRow = FindCommandRow(c.nId);
    ASSERT_NE(pRow, nullptr) << c.nId;
    EXPECT_EQ(pRow->owner, CommandOwner::Frame);
    host.m_frameCalls.clear();
    const std::size_t n = Snapshots();
    EXPECT_FALSE(view.OnCommand(c.nId));
    EXPECT_EQ(host.m_frameCalls, std::vector<std::string>{c.pszCall});
    EXPECT_EQ(Snapshots(), n);
  }
}

// A frame command can be chosen when the frame's answer for it says so, and always when it
// has none; the view's own enabled states stay those of its own commands.
TEST_F(FrameCommandTable, EachFrameRowCanBeChosenAsTheFrameAnswers) {
  for (const FrameCase& c : kFrameCases) {
    SCOPED_TRACE(c.pszCall);
    if (c.pAnswer != nullptr) {
      host.*c.pAnswer = false;
      EXPECT_FALSE(view.CanChooseCommand(c.nId));
      host.*c.pAnswer = true;
    }
    EXPECT_TRUE(view.CanChooseCommand(c.nId));
    EXPECT_FALSE(view.IsCommandEnabled(c.nId));
  }
  // File > Update is the view's, in the window of an embedded drawing only.
  EXPECT_FALSE(view.CanChooseCommand(cmd::kFileUpdate));
  EXPECT_FALSE(view.IsCommandEnabled(cmd::kFileUpdate));
  host.m_bEmbeddedWindow = true;
  EXPECT_TRUE(view.CanChooseCommand(cmd::kFileUpdate));
  EXPECT_TRUE(view.IsCommandEnabled(cmd::kFileUpdate));
  // An id no row carries out is never offered.
  EXPECT_FALSE(view.CanChooseCommand(cmd::kIndicatorCaps));
}

// The cases above are every command, the view's and the frame's; every row runs, and no
// id has two rows.
TEST(CommandTable, EveryRowHasACaseAndEachIdOneRow) {
  std::set<int> cases;
  for (const CommandCase& c : kCases) cases.insert(c.nId);
  std::set<int> frameCases;
  for (const FrameCase& c : kFrameCases) frameCases.insert(c.nId);
  std::set<int> ids;
  for (const CommandRow& row : CommandRows()) {
    EXPECT_TRUE(ids.insert(row.nId).second) << "two rows for " << row.nId;
    EXPECT_NE(row.run, nullptr) << row.nId;
    const std::set<int>& rowCases = row.owner == CommandOwner::View ? cases : frameCases;
    EXPECT_EQ(rowCases.count(row.nId), 1u) << row.nId;
  }
  EXPECT_EQ(cases.size(), std::size(kCases));
  EXPECT_EQ(frameCases.size(), std::size(kFrameCases));
}

}  // namespace
