#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "objects/CDC.h"
#include "objects/Geometry.h"

class CArchive;
class CCoupling;
class CFormula;
class CGroup;
class IObjectWatcher;
class IRecordDocument;
struct CStoredRecord;

// Kind codes: the class of an object and its record tag in files.
enum : std::int32_t {
  KIND_FORMULA = 6,
  KIND_DOT = 8,
  KIND_GROUP = 9,
  KIND_END = 10,  // not an object: the end of a list in files
  KIND_ELLIPSE = 11,
  KIND_COUPLING = 12,
  KIND_PLUS = 13,
  KIND_MINUS = 14,
};

// Where a bond meets a formula: the extent of the reference letter "C" at the formula's
// scale, and the x of the attachment centre in drawing units.
struct CBondAttachment {
  CSize szLetter;
  std::int64_t x = 0;
};

// The common base of every drawing object. Positions are drawing units with y up; a box
// is (left, top, right, bottom) with top >= bottom.
class CKVObject {
 public:
  explicit CKVObject(std::int32_t nKind);
  CKVObject(const CKVObject&) = delete;
  CKVObject& operator=(const CKVObject&) = delete;
  // Tells the view, which must not keep pointing at it.
  virtual ~CKVObject();

  // The virtual operations, in their slot order.
  virtual void ResetDone();
  virtual int IsSelected();
  virtual void SetSelected(int nValue);
  virtual CKVObject* ObjectAt(CPoint pt);
  virtual int HitTest(CPoint pt);
  virtual int HitHandle(CPoint pt);
  virtual void ResizeBy(CSize delta);
  virtual void SetScale(double dScale);
  virtual bool IsInside(const CRect& rc);
  virtual int Intersects(const CRect& rc);
  virtual void MoveTo(CPoint pt);
  virtual CPoint GetAnchor();
  virtual void DrawMarks(CDC* pDC);
  virtual void DragBy(CDC* pDC, CSize offset, int nFlag);
  virtual void DrawDragFrames(CDC* pDC, const CRect& rcOld, const CRect& rcNew);
  virtual int GetKind();
  // One record of the native stream: Store writes it in its pass (0 for every kind but
  // bonds, 1 for bonds); Load reads it with m_nKind already set to the code read.
  virtual void Store(CArchive& ar, int nPass, IRecordDocument* pDoc);
  virtual void Load(CArchive& ar, IRecordDocument* pDoc);
  virtual CKVObject* FindSame(const CRect& rc, CPoint pt);
  virtual void Draw(CDC* pDC);
  virtual void Deselect();
  virtual void SetColor(COLORREF cr);
  virtual int GetStoredSize();

  // ---- Class tests for walks over every object of a drawing ----
  // The object as a group, bond or formula, or null: exact tests without the cost of a
  // dynamic_cast, which adds up when every object of a large drawing is visited at each
  // paint.
  virtual CGroup* AsGroup() { return nullptr; }
  virtual CCoupling* AsBond() { return nullptr; }
  virtual CFormula* AsFormula() { return nullptr; }
  // ----

  // Where a bond ending at this object meets it, for an object that measures text (a
  // formula); none for every other kind, which a bond meets at its anchor. The formula
  // engine answers it, so the bond needs nothing of the engine itself.
  virtual std::optional<CBondAttachment> GetBondAttachment(CDC* /*pDC*/) { return std::nullopt; }
  // Whether a bond ending here is clipped to the letter frame around the attachment
  // rather than drawn to the anchor: true for text a bond must not run into.
  virtual bool MeetsBondsAtLetterFrame() const { return false; }

  // The topmost ancestor (the object itself when it has no parent).
  CKVObject* GetTop();
  // Box of half-size (hx, hy) around the anchor; the anchor becomes the top-left corner.
  void SetHalfSize(int hx, int hy);
  // The box widened by 30 left and right and 20 up and down, clamped to int32.
  CRect GetSelectionFrame() const { return SelectionFrameOf(m_rcBounds); }
  static CRect SelectionFrameOf(const CRect& rc);

  std::int32_t m_nKind;
  std::int32_t m_bDone = 0;
  double m_dScale = 1.0;
  CGroup* m_pParent = nullptr;
  CRect m_rcBounds;
  CPoint m_ptAnchor;
  COLORREF m_crColor = 0;
  std::int32_t m_bKeepAspect = 1;
  std::int32_t m_nExactLeft = 0;
  std::int32_t m_nExactRight = 0;
  std::int32_t m_nExactTop = 0;
  std::int32_t m_nExactBottom = 0;
  std::int32_t m_nExactX = 0;
  std::int32_t m_nExactY = 0;
  std::int32_t m_bSelected = 0;
  // On a top-level object: told when this object, or any inside it, is destroyed. The
  // window showing the drawing sets it on the objects it remembers anything about (beside
  // the selection flag, which the same walks read).
  IObjectWatcher* m_pWatcher = nullptr;

  // ---- Change stamps ----
  // Every writer of a stored field, or of anything the object's drawing or record depends
  // on, calls MarkChanged: the object and each of its ancestors get a stamp newer than any
  // given before, so whoever remembers a stamp can tell whether a top-level object (or a
  // bond's end) changed since. A new object starts with a new stamp.
  void MarkChanged();
  // The newest stamp given so far; an object whose stamp is not above a remembered value
  // has not changed since that value was read. Whoever keeps an object's stamp to compare
  // later reads the clock here when taking it, and an object is attached to a group through
  // AddChild or marked once attached (MarkChanged relies on both).
  static std::uint64_t LatestChangeStamp();
  std::uint64_t m_nChangeStamp;
  // The record this top-level object wrote for the last undo snapshot and the stamp then
  // current: while the object's stamp is not newer, the record is still its bytes.
  std::shared_ptr<const CStoredRecord> m_pStoredRecord;
  std::uint64_t m_nStoredAt = 0;
  // Whether that record notes a thickness for the block after the end marker: kept beside
  // the record so that a snapshot learns that none does without visiting every record.
  bool m_bStoredNotes = false;
  void KeepStoredRecord(std::shared_ptr<const CStoredRecord> pRecord, std::uint64_t nAt);
  // m_nChangeStamp as it stood right after a load made the object; while the two are equal
  // nothing has touched the object (or a descendant) since, so it is still exactly what a
  // load of its record gives, fields that are not stored included. 0: not made by a load.
  std::uint64_t m_nLoadedStamp = 0;
  // ----

 protected:
  // The eight handle squares of DrawMarks and DrawDragFrames for frame f, handle 1 first.
  static void HandleSquares(const CRect& f, CRect out[8]);
  // Whether this kind offers handles 2 to 8 when its aspect is free.
  bool ShowsAllHandles() const;
};
