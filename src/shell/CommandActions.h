#pragma once

#include <QString>
#include <functional>
#include <span>
#include <utility>

#include "resources/Resources.h"

class QAction;
class QMenu;
class QToolBar;

// Menus and toolbars built from the resource tables. Every command item becomes an action
// whose data is its command id, with the status-bar prompt of the string table and, on a
// toolbar, the tooltip; the frame that builds them connects each action to its commands.

// A prompt string's two parts: the status-bar text and the tooltip after "\n".
std::pair<QString, QString> SplitPrompt(const char* pszPrompt);

// The items of a menu resource added to pMenu, popups as submenus; fnAdded is told of each
// command's action and the menu it is in.
void AddMenuItems(QMenu* pMenu, std::span<const res::MenuItem> items, res::Language lang,
                  const std::function<void(QMenu*, QAction*)>& fnAdded);

// The buttons of toolbar nSet added to pBar, its gaps as separators; fnAdded is told of
// each button's action.
void AddToolButtons(QToolBar* pBar, int nSet, res::Language lang,
                    const std::function<void(QAction*)>& fnAdded);
