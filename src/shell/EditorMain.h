#pragma once

// The editor window: the application object, its start-up and the message loop. Returns
// the process's exit status.
int RunEditor(int argc, char* argv[]);

// Whether a window can be shown: a display is named, or a Qt platform was chosen.
bool HaveDisplay();

// Whether an argument belongs to the editor (a switch of the embedding start).
bool IsEditorSwitch(const char* pszArg);
