#include "objects/CKVObject.h"

#include <cstdlib>

#include "objects/CGroup.h"
#include "objects/CStoredRecord.h"
#include "objects/IObjectWatcher.h"

namespace {

// Lying in a box for the Intersects corner rule: the left and lower edges belong to the
// box, the right and upper edges do not. The box is normalised (left <= right, top <=
// bottom numerically, i.e. "top" here is the smaller y).
struct NormBox {
  std::int64_t x0, y0, x1, y1;
};

NormBox Normalise(const CRect& rc) {
  NormBox b{rc.left, rc.top, rc.right, rc.bottom};
  if (b.x0 > b.x1) std::swap(b.x0, b.x1);
  if (b.y0 > b.y1) std::swap(b.y0, b.y1);
  return b;
}

bool CornerIn(std::int64_t x, std::int64_t y, const NormBox& b) {
  return x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1;
}

bool AnyCornerIn(const NormBox& a, const NormBox& b) {
  return CornerIn(a.x0, a.y0, b) || CornerIn(a.x1, a.y0, b) || CornerIn(a.x0, a.y1, b) ||
         CornerIn(a.x1, a.y1, b);
}

std::int64_t Mid(std::int64_t lo, std::int64_t hi) { return lo + (hi - lo) / 2; }

bool InZone(CPoint pt, std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1) {
  return x0 <= pt.x && pt.x <= x1 && y0 <= pt.y && pt.y <= y1;
}

CRect MakeRect(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
  return CRect{Clamp32(l), Clamp32(t), Clamp32(r), Clamp32(b)};
}

}  // namespace

namespace {
// Stamps only grow; 64 bits do not wrap in any session.
std::uint64_t g_nChangeClock = 0;
// The clock as it stood when somebody last read it. Every stamp kept for a later comparison
// was read at or before then.
std::uint64_t g_nClockRead = 0;
}  // namespace

CKVObject::CKVObject(std::int32_t nKind) : m_nKind(nKind), m_nChangeStamp(++g_nChangeClock) {}

void CKVObject::MarkChanged() {
  const std::uint64_t n = ++g_nChangeClock;
  m_nChangeStamp = n;
  // An ancestor stamped since the clock was last read already compares as changed against
  // every remembered stamp, and so do its own ancestors (they were stamped in the same climb,
  // with nobody reading the clock in between). Stopping there keeps a walk over a deeply
  // nested group linear instead of climbing to the root from every member.
  for (CKVObject* p = m_pParent; p != nullptr && p->m_nChangeStamp <= g_nClockRead;
       p = p->m_pParent) {
    p->m_nChangeStamp = n;
  }
}

void CKVObject::KeepStoredRecord(std::shared_ptr<const CStoredRecord> pRecord, std::uint64_t nAt) {
  m_bStoredNotes = pRecord != nullptr && !pRecord->m_thickness.empty();
  m_pStoredRecord = std::move(pRecord);
  m_nStoredAt = nAt;
  if (CGroup* pGroup = AsGroup()) pGroup->NoteOuterEnds();
}

std::uint64_t CKVObject::LatestChangeStamp() {
  g_nClockRead = g_nChangeClock;
  return g_nChangeClock;
}

void CKVObject::ResetDone() { m_bDone = 0; }

int CKVObject::IsSelected() { return GetTop()->m_bSelected; }

void CKVObject::SetSelected(int nValue) {
  CKVObject* pTop = GetTop();
  if (pTop->m_bSelected != nValue) pTop->MarkChanged();
  pTop->m_bSelected = nValue;
}

CKVObject* CKVObject::ObjectAt(CPoint) { return this; }

CKVObject::~CKVObject() {
  // A group destroys its children while its own fields are still there: a child reads the
  // watcher from its top-level group as it goes.
  const CKVObject* pTop = GetTop();
  if (pTop->m_pWatcher != nullptr) pTop->m_pWatcher->ObjectDestroyed(this);
}

int CKVObject::HitTest(CPoint pt) {
  const CRect f = GetSelectionFrame();
  if (f.left <= pt.x && pt.x <= f.right && f.bottom <= pt.y && pt.y <= f.top) return m_nKind;
  return 0;
}

int CKVObject::HitHandle(CPoint pt) {
  const CRect f = GetSelectionFrame();
  const std::int64_t L = f.left, T = f.top, R = f.right, B = f.bottom;
  const std::int64_t midX = Mid(L, R), midY = Mid(B, T);
  int nHandle = 0;
  if (InZone(pt, R - 80, R, B, B + 80)) {
    nHandle = 1;
  } else if (m_bKeepAspect) {
    return 0;
  } else if (InZone(pt, midX - 40, midX + 40, B, B + 80)) {
    nHandle = 2;
  } else if (InZone(pt, L, L + 80, B, B + 80)) {
    nHandle = 3;
  } else if (InZone(pt, L, L + 80, midY - 40, midY + 40)) {
    nHandle = 4;
  } else if (InZone(pt, L, L + 80, T - 80, T)) {
    nHandle = 5;
  } else if (InZone(pt, midX - 40, midX + 40, T - 80, T)) {
    nHandle = 6;
  } else if (InZone(pt, R - 80, R, T - 80, T)) {
    nHandle = 7;
  } else if (InZone(pt, R - 80, R, midY - 40, midY + 40)) {
    nHandle = 8;
  }
  return nHandle;
}

void CKVObject::ResizeBy(CSize delta) {
  MarkChanged();
  // The formula rule: the larger component of the drag scales the text.
  const std::int64_t dx = delta.cx, dy = delta.cy;
  if (std::llabs(dx) > std::llabs(dy)) {
    const std::int64_t w = static_cast<std::int64_t>(m_rcBounds.right) - m_rcBounds.left;
    if (w != 0) m_dScale *= static_cast<double>(w + dx) / static_cast<double>(w);
  } else {
    const std::int64_t h = static_cast<std::int64_t>(m_rcBounds.top) - m_rcBounds.bottom;
    if (h != 0) m_dScale *= static_cast<double>(h - dy) / static_cast<double>(h);
  }
}

void CKVObject::SetScale(double dScale) {
  MarkChanged();
  m_dScale = dScale;
}

bool CKVObject::IsInside(const CRect& rc) {
  return rc.left < m_rcBounds.left && m_rcBounds.right < rc.right && m_rcBounds.top < rc.top &&
         rc.bottom < m_rcBounds.bottom;
}

int CKVObject::Intersects(const CRect& rc) {
  const NormBox mine = Normalise(m_rcBounds);
  const NormBox other = Normalise(rc);
  return (AnyCornerIn(mine, other) || AnyCornerIn(other, mine)) ? 1 : 0;
}

void CKVObject::MoveTo(CPoint pt) {
  if (m_bDone) return;
  m_bDone = 1;
  MarkChanged();
  const std::int64_t dx = static_cast<std::int64_t>(pt.x) - m_ptAnchor.x;
  const std::int64_t dy = static_cast<std::int64_t>(pt.y) - m_ptAnchor.y;
  m_rcBounds.left = SatAdd(m_rcBounds.left, dx);
  m_rcBounds.right = SatAdd(m_rcBounds.right, dx);
  m_rcBounds.top = SatAdd(m_rcBounds.top, dy);
  m_rcBounds.bottom = SatAdd(m_rcBounds.bottom, dy);
  m_ptAnchor = pt;
}

CPoint CKVObject::GetAnchor() { return m_ptAnchor; }

bool CKVObject::ShowsAllHandles() const {
  const bool bKind = m_nKind == KIND_GROUP || m_nKind == KIND_ELLIPSE || m_nKind == KIND_PLUS ||
                     m_nKind == KIND_MINUS;
  return bKind && !m_bKeepAspect;
}

void CKVObject::HandleSquares(const CRect& f, CRect out[8]) {
  const std::int64_t L = f.left, T = f.top, R = f.right, B = f.bottom;
  const std::int64_t midX = Mid(L, R), midY = Mid(B, T);
  out[0] = MakeRect(R - 80, B + 80, R - 15, B + 15);
  out[1] = MakeRect(midX - 40, B + 80, midX + 40, B + 15);
  out[2] = MakeRect(L + 15, B + 80, L + 80, B + 15);
  out[3] = MakeRect(L + 15, midY + 40, L + 80, midY - 40);
  out[4] = MakeRect(L + 15, T - 15, L + 80, T - 80);
  out[5] = MakeRect(midX - 40, T - 15, midX + 40, T - 80);
  out[6] = MakeRect(R - 80, T - 15, R - 15, T - 80);
  out[7] = MakeRect(R - 80, midY + 40, R - 15, midY - 40);
}

void CKVObject::DrawMarks(CDC* pDC) {
  if (m_bDone) return;
  const CBrush hollow{BS_HOLLOW, 0};
  const CBrush solid{BS_SOLID, RGB(0, 0, 0)};
  const CPen pen{PS_SOLID, 20, RGB(0, 0, 0)};
  {
    CSelectGuard<CBrush> brushGuard(pDC, hollow);
    CSelectGuard<CPen> penGuard(pDC, pen);
    pDC->SetROP2(R2_COPYPEN);
    const CRect f = GetSelectionFrame();
    pDC->Rectangle(f.left, f.top, f.right, f.bottom);
    CRect squares[8];
    HandleSquares(f, squares);
    pDC->SelectObject(solid);
    if (m_nKind != KIND_DOT) {
      pDC->Rectangle(squares[0].left, squares[0].top, squares[0].right, squares[0].bottom);
    }
    if (ShowsAllHandles()) {
      for (int i = 1; i < 8; ++i) {
        pDC->Rectangle(squares[i].left, squares[i].top, squares[i].right, squares[i].bottom);
      }
    }
  }
  m_bDone = 1;
}

void CKVObject::DragBy(CDC* pDC, CSize offset, int) {
  if (m_bDone) return;
  const CRect rcOld = GetSelectionFrame();
  MoveTo(CPoint{SatAdd(m_ptAnchor.x, offset.cx), SatAdd(m_ptAnchor.y, offset.cy)});
  const CRect rcNew = GetSelectionFrame();
  const bool bSkip = (m_nKind == KIND_DOT || m_nKind == KIND_GROUP) && !m_bSelected;
  if (!bSkip && pDC != nullptr) DrawDragFrames(pDC, rcOld, rcNew);
  m_bDone = 1;
}

void CKVObject::DrawDragFrames(CDC* pDC, const CRect& rcOld, const CRect& rcNew) {
  const CBrush hollow{BS_HOLLOW, 0};
  const CBrush solid{BS_SOLID, RGB(0, 0, 0)};
  CRop2Guard ropGuard(pDC, R2_NOTXORPEN);
  CSelectGuard<CBrush> brushGuard(pDC, hollow);

  const bool bHandle1 = m_nKind != KIND_DOT && m_nKind != KIND_FORMULA;
  for (const CRect* f : {&rcOld, &rcNew}) {
    pDC->SelectObject(hollow);
    pDC->Rectangle(f->left, f->top, f->right, f->bottom);
    if (bHandle1) {
      CRect squares[8];
      HandleSquares(*f, squares);
      pDC->SelectObject(solid);
      pDC->Rectangle(squares[0].left, squares[0].top, squares[0].right, squares[0].bottom);
    }
  }
  if (ShowsAllHandles()) {
    pDC->SelectObject(solid);
    for (const CRect* f : {&rcOld, &rcNew}) {
      CRect squares[8];
      HandleSquares(*f, squares);
      for (int i = 1; i < 8; ++i) {
        pDC->Rectangle(squares[i].left, squares[i].top, squares[i].right, squares[i].bottom);
      }
    }
  }
}

int CKVObject::GetKind() { return m_nKind; }

CKVObject* CKVObject::FindSame(const CRect& rc, CPoint pt) {
  return (m_rcBounds == rc && m_ptAnchor == pt) ? this : nullptr;
}

void CKVObject::Draw(CDC*) {}

void CKVObject::Deselect() {
  if (m_bSelected != 0) MarkChanged();
  m_bSelected = 0;
}

void CKVObject::SetColor(COLORREF cr) {
  MarkChanged();
  m_crColor = cr;
}

int CKVObject::GetStoredSize() { return 44; }

CKVObject* CKVObject::GetTop() {
  CKVObject* p = this;
  while (p->m_pParent != nullptr) p = p->m_pParent;
  return p;
}

void CKVObject::SetHalfSize(int hx, int hy) {
  MarkChanged();
  const std::int64_t ax = m_ptAnchor.x, ay = m_ptAnchor.y;
  m_rcBounds = MakeRect(ax - hx, ay + hy, ax + hx, ay - hy);
  m_ptAnchor = CPoint{Clamp32(ax - hx), Clamp32(ay + hy)};
}

CRect CKVObject::SelectionFrameOf(const CRect& rc) {
  return MakeRect(static_cast<std::int64_t>(rc.left) - 30, static_cast<std::int64_t>(rc.top) + 20,
                  static_cast<std::int64_t>(rc.right) + 30,
                  static_cast<std::int64_t>(rc.bottom) - 20);
}
