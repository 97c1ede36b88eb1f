#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formula/CFormula.h"

// The markup of formula text: the scanning primitives, the walk that splits a text into
// base-line runs and index templates, and the caret-stop kind of every text position.
//
// Positions are byte indices 0 ... n into the text; a position outside 0 ... n - 1 holds no
// character, and a comparison with an absent character is false. Every scan is bounded by
// the text, so malformed markup (a marker with no later space, a slot without terminator,
// a lone '<' at the end) can neither loop nor read outside the string.

// The first lone c ('#' or '<') at or after nFrom, skipping pairs "cc" counted from nFrom;
// -1 when there is none.
int FindMarker(std::string_view s, char c, int nFrom);
// The first space at or after nFrom, or -1.
int FindSpace(std::string_view s, int nFrom);
// "##" -> '#', left to right; every other byte unchanged.
std::string UnescapeHashes(std::string_view s);
// "<<" -> '<' and ">>" -> '>', in one left-to-right pass.
std::string UnescapeAngles(std::string_view s);
// Whether a lone c ('<' or '>') remains at p after whole pairs "cc" counted from p; for '<'
// a Greek letter starting there does not count.
bool UnpairedAt(std::string_view s, char c, int p);

// The four index templates.
enum class FormulaTemplate { None, Up, Down, UpDownRight, UpDownLeft };

// One step of the walk over a text.
struct FormulaPiece {
  enum class Type { Run, Keyword };
  struct Slot {
    int nStart = 0;  // first byte of the slot
    int nEnd = 0;    // its terminator (a marker), or the text's end when unterminated
    bool bTerminated = true;
  };

  Type type = Type::Run;
  // Run: the bytes [nStart, nEnd); it ends at a marker at nEnd, or at the text's end when
  // bFinal is set. Keyword: the marker at nStart and the space ending the keyword at nEnd.
  int nStart = 0;
  int nEnd = 0;
  bool bFinal = false;
  FormulaTemplate tmpl = FormulaTemplate::None;  // None: a foreign keyword, drawn as text
  int nSlots = 0;
  Slot slot[2];  // not "slots": Qt reserves that word
};

// Splits text into base-line runs and keywords with their slots, in text order. A foreign
// keyword stays in the text of the run that follows it. A marker with no later space is
// taken as ordinary text up to the end; a slot without terminator runs to the end of the
// text and ends the walk.
std::vector<FormulaPiece> WalkFormula(std::string_view text);

// Where a position lies in the walk: its candidate kind before the rejection tests, the
// piece and slot holding it, the start of that run or slot, and its terminator.
struct FormulaPlace {
  CaretStop candidate = NoStop;
  int nPiece = -1;
  int nSlot = 0;
  int nStart = 0;
  int nTerminator = -1;  // -1: the text's end (final run, unterminated slot)
};
FormulaPlace PlaceInWalk(const std::vector<FormulaPiece>& pieces, int nLength, int p);

CaretStop StopKindAt(std::string_view text, int p);

// The templates as inserted, and where the caret goes afterwards: the end of the first
// slot, counted back from the end of the inserted text.
const char* TemplateText(FormulaTemplate tmpl);
int TemplateCaretBack(FormulaTemplate tmpl);

// The palette messages of formula editing (resources/WindowMessages.h): the template of an
// index message, or None.
FormulaTemplate TemplateOfMessage(int nMessage);
// The Greek letter of a Greek message, the byte X of "<X>" drawn in "Symbol"; or 0.
char GreekOfMessage(int nMessage);
