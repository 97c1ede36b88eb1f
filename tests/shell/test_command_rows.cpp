// Every command the menus and toolbars offer has its row in the command table, whichever
// set and language the frame is built in.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <set>

#include "resources/CommandIds.h"
#include "resources/Resources.h"
#include "tests/shell/ShellFixture.h"
#include "view/commands/CommandTable.h"

namespace {

using CommandRowsTest = ShellFixture;

void AddIds(const QList<QAction*>& actions, std::set<int>& ids) {
  for (const QAction* a : actions) {
    if (a->menu() != nullptr) AddIds(a->menu()->actions(), ids);
    if (!a->isSeparator() && a->menu() == nullptr) ids.insert(a->data().toInt());
  }
}

void AddIds(std::span<const res::MenuItem> items, std::set<int>& ids) {
  for (const res::MenuItem& item : items) {
    if (item.kind == res::MenuItemKind::Popup) AddIds(item.items, ids);
    if (item.kind == res::MenuItemKind::Command) ids.insert(item.id);
  }
}

// The ids of the frame's menu bar and toolbar as built.
std::set<int> FrameIds(CMainFrame* frame) {
  std::set<int> ids;
  AddIds(frame->menuBar()->actions(), ids);
  AddIds(frame->ToolBar()->actions(), ids);
  return ids;
}

::testing::AssertionResult AllHaveRows(const std::set<int>& ids) {
  std::string missing;
  for (int id : ids) {
    if (FindCommandRow(id) == nullptr) missing += " " + std::to_string(id);
  }
  if (missing.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no row for" << missing;
}

TEST_F(CommandRowsTest, EveryItemOfTheMainWindowHasARow) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  const std::set<int> ids = FrameIds(Start().MainFrame());
  // The walk reached the whole menu bar: File's first item and Help's last.
  EXPECT_EQ(ids.count(cmd::kFileNew), 1u);
  EXPECT_EQ(ids.count(cmd::kAppAbout), 1u);
  EXPECT_TRUE(AllHaveRows(ids));
}

TEST_F(CommandRowsTest, EveryItemOfTheCzechEmbeddingWindowHasARow) {
  Store().Write(CSettingsStore::kLanguage, "1029");
  const std::set<int> ids = FrameIds(Start({"--embedding"}).MainFrame());
  EXPECT_EQ(ids.count(cmd::kFileUpdate), 1u);
  EXPECT_TRUE(AllHaveRows(ids));
}

// The context menus and the in-place set are built from the same tables when shown.
TEST(CommandRows, EveryContextMenuItemAndInPlaceItemHasARow) {
  std::set<int> ids;
  for (res::Language lang : {res::Language::English, res::Language::Czech}) {
    for (int nMenu : {298, 300, 302, 303, 304, 335, 336, 337}) {
      const res::MenuItem* pMenu = res::ContextMenu(nMenu, lang);
      ASSERT_NE(pMenu, nullptr) << nMenu;
      AddIds(pMenu->items, ids);
    }
  }
  AddIds(res::MenuBar(res::kSetInPlace, res::Language::English), ids);
  for (const res::ToolButton& b : res::ToolBar(res::kSetInPlace)) {
    if (b.id != 0) ids.insert(b.id);
  }
  EXPECT_EQ(ids.count(cmd::kThicknessCustom), 1u);
  EXPECT_TRUE(AllHaveRows(ids));
}

}  // namespace
