#pragma once

#include <optional>
#include <string>
#include <vector>

#include "objects/CDC.h"

// A surface that draws nothing and records every primitive in logical units, with the
// state that was selected when it was drawn. Text metrics are fixed and simple so that
// layouts can be checked by hand: a byte advances |height| / 2 and a cell is
// |height| + |height| / 8 high, in every face.
class CRecordingDC : public CDC {
 public:
  enum class Op { Line, Rectangle, Ellipse, Polygon, Text };

  struct Record {
    Op op;
    std::vector<CPoint> pts;  // line: from, to; rectangle/ellipse: top-left, bottom-right
    CPen pen;
    CBrush brush;
    CFont font;
    int nRop = R2_COPYPEN;
    COLORREF crText = 0;
    std::string text;
  };

  static CSize FixedExtent(const CFont& font, std::size_t nBytes);

  const std::vector<Record>& Records() const { return m_records; }
  std::vector<Record> RecordsOf(Op op) const;
  void Clear() { m_records.clear(); }

  int GetDeviceCaps(int nIndex) const override;
  void SetPixelsPerInch(int n) { m_nPixelsPerInch = n; }
  // Gives the surface a device of that many pixels, and so a clip box; without one it
  // records everything it is given, wherever it lies.
  void SetDeviceSize(CSize szPixels) { m_szDevice = szPixels; }
  std::optional<CRect> GetClipBox() const override {
    if (!m_szDevice) return std::nullopt;
    return ClipBoxOfDevice(*m_szDevice);
  }

 protected:
  void DoLine(CPoint from, CPoint to) override;
  void DoRectangle(const CRect& rc) override;
  void DoEllipse(const CRect& rc) override;
  void DoPolygon(const CPoint* pts, int nCount) override;
  CSize DoTextExtent(std::string_view text) override;
  void DoTextOut(CPoint pt, std::string_view text, CSize extent) override;

 private:
  Record Make(Op op) const;

  std::vector<Record> m_records;
  int m_nPixelsPerInch = 96;
  std::optional<CSize> m_szDevice;
};
