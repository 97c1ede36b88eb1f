#pragma once

#include <QFont>
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

#include "objects/CDC.h"

// Fonts and text measurement shared by every Qt-backed surface (image, printer, PDF, SVG).
//
// Text is measured unhinted and without kerning, at the requested height in drawing units,
// independent of any device or zoom: the same formula lays out identically on screen at any
// zoom, on paper and in SVG. To get exact outline metrics at any height (also heights far
// beyond what a font rasteriser accepts), fonts are measured and drawn at one reference
// pixel size and scaled by |height| / reference; unhinted metrics are linear in the size.
//
// Faces: "Arial" is served by Liberation Sans, which has the same metrics. "Symbol" is not
// looked up by name: its letter bytes become the Greek letters of the Symbol encoding,
// drawn with Liberation Serif. Every other face is handed to the font system as it is.
class CTextMetrics {
 public:
  // The pixel size at which fonts are measured and drawn before scaling to their height.
  static constexpr int kReferencePixels = 2048;

  // The 8-bit code page of ordinary text bytes: 1252 (Western, the default) or 1250
  // (Central European, the Czech interface). Any other value is refused and returns false.
  static bool SetCodePage(int nCodePage);
  static int GetCodePage();

  // The Unicode character of one byte in a code page (1250 or 1252; others fall back to
  // 1252). Bytes the code page leaves undefined map to the C1 control of the same value.
  static char16_t DecodeByte(unsigned char byte, int nCodePage);
  // ---- Typing ----
  // The byte that stands for a typed Unicode character in a code page (1250 or 1252;
  // others as 1252), or -1 when the code page has no byte for it. The C1 controls, which
  // stand in for the code pages' undefined bytes, are never typed and are refused too.
  static int EncodeChar(char32_t ch, int nCodePage);
  // ----

  // The Unicode character of one byte in the Symbol face: the 52 letter bytes give Greek
  // letters; every other byte stands for itself.
  static char16_t SymbolByte(unsigned char byte);

  static bool IsSymbolFace(std::string_view face);
  // The font family that draws a face.
  static QString FamilyFor(std::string_view face);
  // The characters that the bytes of a text stand for in a font.
  static QString TextFor(const CFont& font, std::string_view text);

  // The font at the reference pixel size, unhinted and unkerned.
  static QFont ReferenceFont(const CFont& font);
  // |height| / kReferencePixels: the scale from the reference font to drawing units.
  static double ScaleOf(const CFont& font);

  struct Metrics {
    double dAdvance = 0;  // drawing units
    double dAscent = 0;
    double dDescent = 0;
  };
  // Measurements are remembered per face, weight, code page and byte string (the font
  // objects per face and weight), so repeated paints of the same formulas do not shape
  // their strings again. The results are exactly those of measuring afresh.
  static Metrics Measure(const CFont& font, std::string_view text);
  // (round(advance), round(ascent + descent)) in drawing units, clamped to int32.
  static CSize Extent(const CFont& font, std::string_view text);

  // The reference font of a face and weight with its unscaled ascent, both remembered.
  struct ReferenceFace {
    QFont font;
    double dAscent = 0;  // reference pixels
  };
  static ReferenceFace CachedReferenceFace(const CFont& font);

  // The remembered byte strings are forgotten all at once when there are more than this.
  static constexpr std::size_t kMaxCachedTexts = 100000;
  static std::size_t CachedTextCount();
  static void ClearCache();
};
