#pragma once

#include <span>
#include <string>

#include "resources/Resources.h"

// The Draw bar and its five palettes as data: every button with its dialog-unit place, its
// tooltip in both languages and the message it posts to the view.
namespace res {

// The palettes, in the order the Draw bar keeps them.
enum class PaletteKind { Indexes, Symbol1, Symbol2, Couple, Aromatic };
inline constexpr int kPaletteCount = 5;

// One button of a palette. Positions and sizes are dialog units of the palette's template.
struct PaletteButton {
  int id;
  const char* caption;  // names the button's pictures: caption + "U" / "D"
  int x, y, cx, cy;
  const char* english;  // tooltip texts; "&&" stands for one "&"
  const char* czech;
  int message;         // posted to the view when the button is pressed
  int tool;            // the tool code the view ends in; -1 when the message inserts text
  const char* letter;  // Greek buttons: the Symbol-font character; null otherwise
};

struct PaletteTemplate {
  PaletteKind kind;
  int templateId;
  int cx, cy;  // dialog units
  int background;
  std::span<const PaletteButton> buttons;
};

// One of the six buttons of the Draw bar (24 x 10 dialog units each, at the top edge).
struct DrawBarButton {
  int id;
  const char* caption;
  int x;  // dialog units
  const char* english;
  const char* czech;
  bool hasPalette;
  PaletteKind palette;  // meaningful when hasPalette
  int offset;           // the palette's left edge right of the bar's, in pixels
  int message;          // posted when pressed; 0 for none (the formula button posts two)
};

inline constexpr int kDrawBarTemplate = 146;
inline constexpr int kDrawBarCx = 192;  // dialog units
inline constexpr int kDrawBarCy = 12;
inline constexpr int kDrawBarButtonCx = 24;
inline constexpr int kDrawBarButtonCy = 10;
// The client area's height in pixels when the bar is wholly visible.
inline constexpr int kDrawBarClientHeight = 20;

std::span<const DrawBarButton> DrawBarButtons();
const PaletteTemplate& Palette(PaletteKind kind);
// The Draw bar button that opens a palette.
const DrawBarButton& DrawBarButtonOf(PaletteKind kind);

// The window caption of the Draw bar.
const char* DrawBarCaption(Language lang);

// Dialog units to pixels for the dialog font the templates were laid out with (average
// character 6 x 13 pixels): x * 6 / 4 and y * 13 / 8, rounded.
int DialogUnitsToPixelsX(int x);
int DialogUnitsToPixelsY(int y);

// A tooltip as it is shown, in the given language: "&&" becomes "&".
std::string TooltipText(const char* english, const char* czech, Language lang);

}  // namespace res
