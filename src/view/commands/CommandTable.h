#pragma once

#include <span>

class CKvillView;

// Every command of the menus, the toolbars and the accelerators that the program carries
// out, one row each: who carries it out, how it runs, when it can be chosen, when it shows
// a check mark and whether it is one step of the undo history. The view's command routing
// and the frame's menus read this table and keep no list of their own.

// The frame's commands (files, printing, windows, language, the structure commands) run
// the frame's own handlers, which their rows reach through the view's IFrameServices; the
// view's run its own.
enum class CommandOwner { Frame, View };

// A recorded command is one undo step: the routing records the snapshot after the handler,
// when the handler says that it changed the drawing. A few handlers record their step
// themselves, at a moment the routing cannot see (inside a dialog's answer, or within the
// frame's work).
enum class UndoStep { None, Recorded, RecordedByHandler };

// Most commands end the view's resting paint before they run, as they may change what is
// drawn; zoom, the history and the window's own commands leave it to themselves.
enum class PaintRest { Kept, Ended };

// A command's handler, given the view and the command's id; it answers whether it changed
// the drawing (false: it found nothing to do, and nothing is recorded). A frame command's
// handler passes the command on to the view's frame.
using CommandRun = bool (*)(CKvillView& view, int nId);
using CommandState = bool (*)(const CKvillView& view, int nId);

struct CommandRow {
  int nId;
  CommandOwner owner;
  CommandRun run = nullptr;
  CommandState enabled = nullptr;  // null: always
  CommandState checked = nullptr;  // null: never checked
  UndoStep undo = UndoStep::None;
  PaintRest rest = PaintRest::Kept;
};

// All rows, each command id once.
std::span<const CommandRow> CommandRows();

// The row of a command; null for an id that no one carries out.
const CommandRow* FindCommandRow(int nId);
