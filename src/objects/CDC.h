#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "objects/Geometry.h"

// The drawing surface every object draws on. It keeps the state that the drawing calls
// select (pen, brush, font, raster operation, text colour, current position, mapping) and
// hands the primitives to an implementation: CQtDC (screen, image, printer, PDF), CSvgDC
// (SVG text) or CRecordingDC (tests). All coordinates given to it are logical units,
// which are drawing units under the view's mapping.

enum { PS_SOLID = 0, PS_DOT = 2 };
enum { BS_SOLID = 0, BS_HOLLOW = 1 };
enum { R2_NOTXORPEN = 10, R2_COPYPEN = 13 };
enum { MM_TEXT = 1, MM_HIMETRIC = 3, MM_ANISOTROPIC = 8 };
enum { LOGPIXELSX = 88, LOGPIXELSY = 90 };

struct CPen {
  int nStyle = PS_SOLID;
  int nWidth = 0;  // logical units; 0 and 1 draw one device pixel wide
  COLORREF crColor = 0;
  friend bool operator==(const CPen&, const CPen&) = default;
};

struct CBrush {
  int nStyle = BS_SOLID;
  COLORREF crColor = RGB(255, 255, 255);
  friend bool operator==(const CBrush&, const CBrush&) = default;
};

struct CFont {
  std::string strFace = "Arial";
  int nHeight = -240;  // negative: character height; positive: cell height
  int nWeight = 400;
  friend bool operator==(const CFont&, const CFont&) = default;
};

// The widest pen a surface is asked to draw, in logical units. Thicknesses come from files
// and from the user; anything wider than this (about 14 inches at zoom 1.0) is clamped so
// that painters never see absurd or non-finite widths.
constexpr int kMaxPenWidth = 20000;

class CDC {
 public:
  CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC() = default;

  // Drawing objects: selecting returns the previous one, which the caller restores.
  CPen SelectObject(const CPen& pen);
  CBrush SelectObject(const CBrush& brush);
  CFont SelectObject(const CFont& font);
  const CPen& GetCurrentPen() const { return m_pen; }
  const CBrush& GetCurrentBrush() const { return m_brush; }
  const CFont& GetCurrentFont() const { return m_font; }

  int SetROP2(int nRop);
  int GetROP2() const { return m_nRop; }
  COLORREF SetTextColor(COLORREF cr);
  COLORREF GetTextColor() const { return m_crText; }

  // Primitives.
  void MoveToEx(int x, int y);
  void LineTo(int x, int y);
  CPoint GetCurrentPosition() const { return m_ptCurrent; }
  void Rectangle(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Polygon(const CPoint* pts, int nCount);
  void PolyPolygon(const CPoint* pts, const int* pnCounts, int nPolys);
  // Single-byte text: the extent with the selected font, and output with the cell's
  // top-left corner at (x, y); the cell is painted opaque white behind the characters.
  CSize GetTextExtent(std::string_view text);
  void TextOut(int x, int y, std::string_view text);

  // Mapping from logical units to device pixels.
  int SetMapMode(int nMode);
  int GetMapMode() const { return m_nMapMode; }
  CPoint SetWindowOrg(int x, int y);
  CSize SetWindowExt(int cx, int cy);
  CPoint SetViewportOrg(int x, int y);
  CSize SetViewportExt(int cx, int cy);
  CPoint GetWindowOrg() const { return m_ptWindowOrg; }
  CSize GetWindowExt() const { return m_szWindowExt; }
  CPoint GetViewportOrg() const { return m_ptViewportOrg; }
  CSize GetViewportExt() const { return m_szViewportExt; }
  virtual int GetDeviceCaps(int nIndex) const;
  // Device pixel <-> logical unit, by the current mapping (rounded to the nearest unit).
  CPoint DPtoLP(CPoint pt) const;
  CPoint LPtoDP(CPoint pt) const;
  // Scale factors logical -> device for each axis (device = (l - wOrg) * s + vOrg).
  double ScaleX() const;
  double ScaleY() const;

  // The smallest box of logical units (left <= right, bottom <= top) outside which nothing
  // drawn can reach the device: the window, the image, the page or the picture. None when
  // anything may (a surface that records or measures). Drawing whose work grows with a
  // figure's size (a bond's dashes, a curve's samples) does only the part inside it, so a
  // figure of any size costs what the device can show of it.
  virtual std::optional<CRect> GetClipBox() const { return std::nullopt; }

  // Whether the surface is paper or a picture rather than the editor's window: what only
  // helps editing (an empty formula's frame) is not drawn on it. Setting returns the old
  // value, which the setter gives back when it is done.
  bool IsForOutput() const { return m_bForOutput; }
  bool SetForOutput(bool bForOutput) { return std::exchange(m_bForOutput, bForOutput); }

 protected:
  // What an implementation draws. Pen, brush, font, text colour and raster operation are
  // read from the accessors above; coordinates are logical.
  virtual void DoLine(CPoint from, CPoint to) = 0;
  virtual void DoRectangle(const CRect& rc) = 0;  // normalised: left <= right, bottom <= top
  virtual void DoEllipse(const CRect& rc) = 0;    // normalised as above
  virtual void DoPolygon(const CPoint* pts, int nCount) = 0;
  virtual CSize DoTextExtent(std::string_view text) = 0;
  virtual void DoTextOut(CPoint pt, std::string_view text, CSize extent) = 0;
  // Called after the mapping changed, so that an implementation can follow it.
  virtual void OnMappingChanged() {}
  // The clip box of a device of szPixels under the surface's own mapping.
  CRect ClipBoxOfDevice(CSize szPixels) const;

 private:
  CPen m_pen;
  CBrush m_brush;
  CFont m_font;
  int m_nRop = R2_COPYPEN;
  COLORREF m_crText = 0;
  CPoint m_ptCurrent;
  int m_nMapMode = MM_TEXT;
  CPoint m_ptWindowOrg;
  CSize m_szWindowExt{1, 1};
  CPoint m_ptViewportOrg;
  CSize m_szViewportExt{1, 1};
  bool m_bForOutput = false;
};

// Restores a selected drawing object or raster operation when it leaves scope.
template <typename T>
class CSelectGuard {
 public:
  CSelectGuard(CDC* pDC, const T& obj) : m_pDC(pDC), m_prev(pDC->SelectObject(obj)) {}
  CSelectGuard(const CSelectGuard&) = delete;
  CSelectGuard& operator=(const CSelectGuard&) = delete;
  ~CSelectGuard() { m_pDC->SelectObject(m_prev); }

 private:
  CDC* m_pDC;
  T m_prev;
};

class CRop2Guard {
 public:
  CRop2Guard(CDC* pDC, int nRop) : m_pDC(pDC), m_nPrev(pDC->SetROP2(nRop)) {}
  CRop2Guard(const CRop2Guard&) = delete;
  CRop2Guard& operator=(const CRop2Guard&) = delete;
  ~CRop2Guard() { m_pDC->SetROP2(m_nPrev); }

 private:
  CDC* m_pDC;
  int m_nPrev;
};
