#pragma once

#include <Qt>
#include <span>

// The program's resources as data: menus, accelerator tables, toolbars, status-bar prompts
// and string tables. Menus, toolbars and string tables exist in English and Czech; the
// accelerator tables and the in-place menu exist once. Texts are UTF-8; "&" marks the
// mnemonic and a tab separates an item text from its shortcut text, as in a menu resource.
namespace res {

// The interface languages by their 16-bit language identifiers.
enum class Language { English = 1033, Czech = 1029 };

// Resource sets: 128 for a normal start, 5 for an embedded document open in a window of
// its own, 4 for in-place editing.
inline constexpr int kSetMain = 128;
inline constexpr int kSetEmbedded = 5;
inline constexpr int kSetInPlace = 4;

enum class MenuItemKind { Command, Separator, Popup };

struct MenuItem {
  MenuItemKind kind;
  const char* text;                 // null for a separator
  int id;                           // command identifier; 0 for separators and popups
  std::span<const MenuItem> items;  // the items of a popup
};

constexpr MenuItem Cmd(const char* text, int id) { return {MenuItemKind::Command, text, id, {}}; }
constexpr MenuItem Sep() { return {MenuItemKind::Separator, nullptr, 0, {}}; }
constexpr MenuItem Popup(const char* text, std::span<const MenuItem> items) {
  return {MenuItemKind::Popup, text, 0, items};
}

// One accelerator: a key with exactly these modifiers gives the command. Keypad entries
// match only keys of the numeric keypad; the others match a key wherever it sits.
struct Accelerator {
  int key;  // a Qt::Key
  Qt::KeyboardModifiers modifiers;
  bool keypad;
  int id;
};

// A toolbar button; id 0 is a gap between groups.
struct ToolButton {
  int id;
};

// The top-level items of the menu bar of a set (the in-place set exists in English only).
std::span<const MenuItem> MenuBar(int nSet, Language lang);

// The context menus of the view: 298 (several objects), 300 (a group), 302 (a bond, arrow
// or curve), 303 (a formula), 304 (a junction), 335 (nothing under the mouse), 336 (an
// ellipse) and 337 (a charge). The result is the first submenu of the menu resource, the
// one that is shown; its own caption never is. Null for any other number.
const MenuItem* ContextMenu(int nId, Language lang);

// The accelerator table of a set, in table order; empty for an unknown set.
std::span<const Accelerator> Accelerators(int nSet);

// The command of the first entry of the table that matches, or 0. Entries later in the
// table that match the same key never take effect.
int TranslateAccelerator(int nSet, int key, Qt::KeyboardModifiers modifiers);

// The buttons of toolbar 128, 5 or 4, in order.
std::span<const ToolButton> ToolBar(int nSet);

// The status-bar prompt of a command: the prompt, "\n", the tooltip; some have no tooltip.
// Null when the command has no prompt.
const char* PromptString(int id, Language lang);

// A numbered string of the string table (100, 128, 57344, 57345, 59137 to 59139), or null.
const char* LoadString(int id, Language lang);

// Texts the program builds itself; the view's m_bEnglish chooses the language.
struct MessageTexts {
  const char* notFound;           // "%s was not found.", %s the full path
  const char* openCaption;        // caption of the file-not-found messages
  const char* dialogNotFound;     // open dialog: "%s\n...", %s the file name part
  const char* saveChangesTo;      // "Save changes to %s?", %s the title
  const char* openFilter;         // the Open dialog's filter, "|"-separated pairs
  const char* saveCopyFilter;     // the Save Copy As dialog's single file type
  const char* embeddedTitle;      // title of an embedded document in the Czech interface
  const char* aboutCaption;       // caption of the About box
  const char* appCaption;         // caption of the save prompts
  const char* errorCaption;       // caption of error messages
  const char* saveFailed;         // "%1" path, "%2" reason: a write that did not succeed
  const char* readFailed;         // "%1" path, "%2" reason: a read that did not succeed
  const char* notImplemented;     // status text of a command that is not available yet
  const char* exportFilter;       // the Export Picture dialog's file types
  const char* exportFailed;       // "%1" path, "%2" reason: a picture that was not written
  const char* progressOpening;    // "%1" the file: the progress of a long open
  const char* progressSaving;     // "%1" the file: the progress of a long save
  const char* progressExporting;  // "%1" the file: the progress of a long export
  const char* cancel;             // the progress dialog's button
  const char* structureFilter;    // the Export Structure dialog's file types
  const char* structureFailed;    // "%1" path, "%2" reason: a structure that was not written
  const char* noStructure;        // the reason: no molecule in the drawing
  const char* noReaction;         // the reason: an RXN file of a drawing without a reaction
  const char* noProblems;         // Check Structure found nothing
  const char* oneProblem;         // ... one atom
  const char* fewProblems;        // "%1": 2 to 4 atoms (Czech has a form of its own)
  const char* manyProblems;       // "%1": 5 and more atoms
  const char* nothingToCopy;      // Copy As found no molecule
  const char* noInchi;            // "%1" the reason: Copy As InChI found none
  const char* notStructure;       // "%1" the reader's reason: a structure file or text refused
  const char* pasteNothing;       // "%1" the reader's reason: clipboard text that is no structure
  const char* pasteTooLarge;      // clipboard text beyond what a paste reads
  const char* notCleaned;         // "%1" the reason: Clean Structure left a molecule as it was
  const char* fitToPage;          // Page Setup's check box: print the drawing fitted to the page
};
const MessageTexts& Messages(Language lang);

// The lines of the About box below its caption.
std::span<const char* const> AboutLines(Language lang);

// The window text of the toolbar (shown when it floats); one text for both languages.
inline constexpr const char* kToolBarWindowText = "Basic tools - Základní nástroje";

}  // namespace res
