#include "objects/CRecordingDC.h"

#include <cstdlib>

CSize CRecordingDC::FixedExtent(const CFont& font, std::size_t nBytes) {
  const std::int64_t h = std::llabs(static_cast<long long>(font.nHeight));
  return CSize{Clamp32(static_cast<std::int64_t>(nBytes) * (h / 2)), Clamp32(h + h / 8)};
}

std::vector<CRecordingDC::Record> CRecordingDC::RecordsOf(Op op) const {
  std::vector<Record> out;
  for (const Record& r : m_records) {
    if (r.op == op) out.push_back(r);
  }
  return out;
}

int CRecordingDC::GetDeviceCaps(int nIndex) const {
  if (nIndex == LOGPIXELSX || nIndex == LOGPIXELSY) return m_nPixelsPerInch;
  return 0;
}

CRecordingDC::Record CRecordingDC::Make(Op op) const {
  Record r{op, {}, GetCurrentPen(), GetCurrentBrush(), GetCurrentFont(), GetROP2(), GetTextColor(),
           {}};
  return r;
}

void CRecordingDC::DoLine(CPoint from, CPoint to) {
  Record r = Make(Op::Line);
  r.pts = {from, to};
  m_records.push_back(std::move(r));
}

void CRecordingDC::DoRectangle(const CRect& rc) {
  Record r = Make(Op::Rectangle);
  r.pts = {CPoint{rc.left, rc.top}, CPoint{rc.right, rc.bottom}};
  m_records.push_back(std::move(r));
}

void CRecordingDC::DoEllipse(const CRect& rc) {
  Record r = Make(Op::Ellipse);
  r.pts = {CPoint{rc.left, rc.top}, CPoint{rc.right, rc.bottom}};
  m_records.push_back(std::move(r));
}

void CRecordingDC::DoPolygon(const CPoint* pts, int nCount) {
  Record r = Make(Op::Polygon);
  r.pts.assign(pts, pts + nCount);
  m_records.push_back(std::move(r));
}

CSize CRecordingDC::DoTextExtent(std::string_view text) {
  return FixedExtent(GetCurrentFont(), text.size());
}

void CRecordingDC::DoTextOut(CPoint pt, std::string_view text, CSize extent) {
  Record r = Make(Op::Text);
  r.pts = {pt,
           CPoint{SatAdd(pt.x, extent.cx), SatAdd(pt.y, -static_cast<std::int64_t>(extent.cy))}};
  r.text = std::string(text);
  m_records.push_back(std::move(r));
}
