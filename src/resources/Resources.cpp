// The language-independent resources (accelerators, toolbars, the in-place menu) and the
// lookups over the per-language tables.
#include "resources/Resources.h"

#include <array>
#include <cstddef>

#include "resources/CommandIds.h"
#include "resources/ResourceTables.h"

namespace res {
namespace {

using detail::LanguageTables;
using detail::NumberedString;

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;

constexpr Accelerator Key(int key, Qt::KeyboardModifiers mods, int id) {
  return {key, mods, false, id};
}
constexpr Accelerator Pad(int key, Qt::KeyboardModifiers mods, int id) {
  return {key, mods, true, id};
}

template <std::size_t A, std::size_t B>
constexpr std::array<Accelerator, A + B> Join(const std::array<Accelerator, A>& a,
                                              const std::array<Accelerator, B>& b) {
  std::array<Accelerator, A + B> out{};
  for (std::size_t i = 0; i < A; ++i) out[i] = a[i];
  for (std::size_t i = 0; i < B; ++i) out[A + i] = b[i];
  return out;
}

// The entries both window sets share, after their letter entries.
constexpr std::array kAccelCommon = {
    Key(Qt::Key_V, kCtrl, cmd::kEditPaste),       Pad(Qt::Key_Plus, kCtrl, cmd::kZoomIn),
    Pad(Qt::Key_Minus, kCtrl, cmd::kZoomOut),     Pad(Qt::Key_Asterisk, kCtrl, cmd::kZoomDefault),
    Key(Qt::Key_Backspace, kAlt, cmd::kEditUndo), Key(Qt::Key_Z, kCtrl, cmd::kEditUndo),
    Key(Qt::Key_Control, kCtrl, cmd::kCtrlAlone), Key(Qt::Key_Delete, kNone, cmd::kEditDelete),
    Key(Qt::Key_Delete, kShift, cmd::kEditCut),   Key(Qt::Key_X, kCtrl, cmd::kEditCut),
    Key(Qt::Key_Insert, kCtrl, cmd::kEditCopy),   Key(Qt::Key_Insert, kShift, cmd::kEditPaste),
    Key(Qt::Key_Left, kNone, cmd::kKeyLeft),      Key(Qt::Key_Right, kNone, cmd::kKeyRight),
    Key(Qt::Key_Up, kNone, cmd::kKeyUp),          Key(Qt::Key_Down, kNone, cmd::kKeyDown),
    Key(Qt::Key_Left, kCtrl, cmd::kCtrlLeft),     Key(Qt::Key_Right, kCtrl, cmd::kCtrlRight),
    Key(Qt::Key_Up, kCtrl, cmd::kCtrlUp),         Key(Qt::Key_Down, kCtrl, cmd::kCtrlDown),
    Key(Qt::Key_Escape, kNone, cmd::kEscape),     Key(Qt::Key_Escape, kNone, cmd::kEscapeShadowed),
    Key(Qt::Key_F6, kNone, cmd::kNextPane),       Key(Qt::Key_F6, kShift, cmd::kPrevPane),
};

// The keys other Linux programs use for these commands, where they mean nothing else here:
// Redo, and zooming from the main keyboard (Ctrl++ is Ctrl+Shift+= on many layouts and a
// key of its own on others); and the key of Zoom to Fit, a command of ours. They come
// after the table's own entries.
constexpr std::array kAccelAliases = {
    Key(Qt::Key_Y, kCtrl, cmd::kEditRedo),    Key(Qt::Key_Z, kCtrl | kShift, cmd::kEditRedo),
    Key(Qt::Key_Plus, kCtrl, cmd::kZoomIn),   Key(Qt::Key_Plus, kCtrl | kShift, cmd::kZoomIn),
    Key(Qt::Key_Equal, kCtrl, cmd::kZoomIn),  Key(Qt::Key_Minus, kCtrl, cmd::kZoomOut),
    Key(Qt::Key_0, kCtrl, cmd::kZoomDefault), Key(Qt::Key_F, kCtrl | kShift, cmd::kZoomToFit),
};

constexpr auto kAccel128 = Join(
    std::array{
        Key(Qt::Key_A, kCtrl, cmd::kSelectAll),
        Key(Qt::Key_C, kCtrl, cmd::kEditCopySelection),
        Key(Qt::Key_E, kCtrl, cmd::kEditCopy),
        Key(Qt::Key_N, kCtrl, cmd::kFileNew),
        Key(Qt::Key_O, kCtrl, cmd::kFileOpenFramework),
        Key(Qt::Key_P, kCtrl, cmd::kFilePrint),
        Key(Qt::Key_R, kCtrl, cmd::kEditRedo),
        Key(Qt::Key_S, kCtrl, cmd::kFileSaveFramework),
    },
    Join(kAccelCommon, kAccelAliases));

// The embedding window has no New and no Open, and Ctrl+S updates the container.
constexpr auto kAccel5 = Join(
    std::array{
        Key(Qt::Key_A, kCtrl, cmd::kSelectAll),
        Key(Qt::Key_C, kCtrl, cmd::kEditCopySelection),
        Key(Qt::Key_E, kCtrl, cmd::kEditCopy),
        Key(Qt::Key_P, kCtrl, cmd::kFilePrint),
        Key(Qt::Key_R, kCtrl, cmd::kEditRedo),
        Key(Qt::Key_S, kCtrl, cmd::kFileUpdate),
    },
    Join(kAccelCommon, kAccelAliases));

constexpr Accelerator kAccel4[] = {
    Key(Qt::Key_Z, kCtrl, cmd::kEditUndo),
    Key(Qt::Key_Backspace, kAlt, cmd::kEditUndo),
    Key(Qt::Key_X, kCtrl, cmd::kEditCut),
    Key(Qt::Key_Delete, kShift, cmd::kEditCut),
    Key(Qt::Key_C, kCtrl, cmd::kEditCopy),
    Key(Qt::Key_Insert, kCtrl, cmd::kEditCopy),
    Key(Qt::Key_V, kCtrl, cmd::kEditPaste),
    Key(Qt::Key_Insert, kShift, cmd::kEditPaste),
    Key(Qt::Key_Escape, kNone, cmd::kCancelInPlace),
};

constexpr ToolButton kToolBar128[] = {
    {cmd::kFileNew},
    {cmd::kFileOpen},
    {cmd::kFileSave},
    {0},
    {cmd::kEditCut},
    {cmd::kEditCopySelection},
    {cmd::kEditPaste},
    {cmd::kEditUndo},
    {cmd::kEditRedo},
    {0},
    {cmd::kZoomIn},
    {cmd::kZoomOut},
    {cmd::kZoomDefault},
    {0},
    {cmd::kMirrorVertical},
    {cmd::kMirrorHorizontal},
    {0},
    {cmd::kFilePrint},
    {cmd::kAppAbout},
};

constexpr ToolButton kToolBar5[] = {
    {cmd::kFileUpdate},
    {cmd::kFileSaveCopyAs},
    {0},
    {cmd::kEditCut},
    {cmd::kEditCopySelection},
    {cmd::kEditPaste},
    {cmd::kEditUndo},
    {cmd::kEditRedo},
    {0},
    {cmd::kZoomIn},
    {cmd::kZoomOut},
    {cmd::kZoomDefault},
    {0},
    {cmd::kMirrorVertical},
    {cmd::kMirrorHorizontal},
    {0},
    {cmd::kFilePrint},
    {cmd::kAppAbout},
};

constexpr ToolButton kToolBar4[] = {
    {cmd::kEditCut}, {cmd::kEditCopy}, {cmd::kEditPaste}, {0}, {cmd::kAppAbout},
};

// The in-place menu exists in English only. The two separators between View and Help
// mark the menu-merge groups for the container.
constexpr MenuItem kInPlaceEdit[] = {
    Cmd("&Undo\tCtrl+Z", cmd::kEditUndo),   Sep(),
    Cmd("Cu&t\tCtrl+X", cmd::kEditCut),     Cmd("&Copy\tCtrl+C", cmd::kEditCopy),
    Cmd("&Paste\tCtrl+V", cmd::kEditPaste),
};
constexpr MenuItem kInPlaceView[] = {
    Cmd("&Toolbar", cmd::kViewToolbar),
    Cmd("&Draw bar", cmd::kViewDrawBar),
};
constexpr MenuItem kInPlaceHelp[] = {
    Cmd("&About Valendra...", cmd::kAppAbout),
};
constexpr MenuItem kMenu4[] = {
    Popup("&Edit", kInPlaceEdit), Popup("&View", kInPlaceView), Sep(), Sep(),
    Popup("&Help", kInPlaceHelp),
};

const LanguageTables& Tables(Language lang) {
  return lang == Language::Czech ? detail::kCzechTables : detail::kEnglishTables;
}

const char* Find(std::span<const NumberedString> table, int id) {
  for (const NumberedString& s : table) {
    if (s.id == id) return s.text;
  }
  return nullptr;
}

// The modifier keys themselves count as held while they are pressed.
Qt::KeyboardModifiers EffectiveModifiers(int key, Qt::KeyboardModifiers mods) {
  mods &= (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::KeypadModifier);
  if (key == Qt::Key_Control) mods |= Qt::ControlModifier;
  if (key == Qt::Key_Shift) mods |= Qt::ShiftModifier;
  if (key == Qt::Key_Alt) mods |= Qt::AltModifier;
  return mods;
}

}  // namespace

std::span<const MenuItem> MenuBar(int nSet, Language lang) {
  switch (nSet) {
    case kSetMain:
      return Tables(lang).menu128;
    case kSetEmbedded:
      return Tables(lang).menu5;
    case kSetInPlace:
      return kMenu4;
    default:
      return {};
  }
}

const MenuItem* ContextMenu(int nId, Language lang) {
  for (const detail::NumberedMenu& m : Tables(lang).contextMenus) {
    if (m.id == nId && !m.menu.empty()) return &m.menu.front();
  }
  return nullptr;
}

std::span<const Accelerator> Accelerators(int nSet) {
  switch (nSet) {
    case kSetMain:
      return kAccel128;
    case kSetEmbedded:
      return kAccel5;
    case kSetInPlace:
      return kAccel4;
    default:
      return {};
  }
}

int TranslateAccelerator(int nSet, int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers mods = EffectiveModifiers(key, modifiers);
  const bool bKeypad = mods.testFlag(Qt::KeypadModifier);
  const Qt::KeyboardModifiers held = mods & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
  for (const Accelerator& a : Accelerators(nSet)) {
    if (a.key != key || a.modifiers != held) continue;
    if (a.keypad && !bKeypad) continue;
    return a.id;
  }
  return 0;
}

std::span<const ToolButton> ToolBar(int nSet) {
  switch (nSet) {
    case kSetMain:
      return kToolBar128;
    case kSetEmbedded:
      return kToolBar5;
    case kSetInPlace:
      return kToolBar4;
    default:
      return {};
  }
}

const char* PromptString(int id, Language lang) { return Find(Tables(lang).prompts, id); }

const char* LoadString(int id, Language lang) {
  if (const char* s = Find(Tables(lang).strings, id)) return s;
  return Find(detail::kEnglishTables.strings, id);
}

const MessageTexts& Messages(Language lang) { return *Tables(lang).messages; }

std::span<const char* const> AboutLines(Language lang) { return Tables(lang).about; }

}  // namespace res
