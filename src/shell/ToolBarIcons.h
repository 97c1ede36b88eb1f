#pragma once

#include <QIcon>

// The pictures of the toolbar buttons, drawn at run time: 16 x 15 pixels each.
QIcon ToolBarIcon(int nCommand);
