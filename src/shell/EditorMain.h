#pragma once

class QIcon;

// The editor window: the application object, its start-up and the message loop. Returns
// the process's exit status.
int RunEditor(int argc, char* argv[]);

// Whether the editor window is wanted: a display is named, a Qt platform that shows
// windows was chosen, or VALENDRA_EDITOR asks for the window whatever the platform (tests
// and measurements run it offscreen).
bool HaveDisplay();

// Whether an argument belongs to the editor (a switch of the embedding start).
bool IsEditorSwitch(const char* pszArg);

// The program's icon in every size it is drawn in (window, About box, desktop).
QIcon ProgramIcon();
