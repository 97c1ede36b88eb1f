#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/WorkProgress.h"
#include "objects/CDC.h"
#include "objects/CObList.h"
#include "objects/Geometry.h"

class CKVObject;
class CKvillDoc;
class IViewSurfaces;

// The bitmap that the extents pass cuts to the drawing's extents.
struct CExportBitmap {
  CSize szPixels;
  CSize szDimension;  // 0.1 mm
};

// What makes a picture of a drawing: its extent, then the drawing on a surface. The
// renderer makes it; the editing view makes it through its renderer and keeps its own paint
// state in step. GetPictureExtent returns (cx, cy) in drawing units (cy < 0): the drawing
// plus a margin of 100 on every side. DrawPicture paints the drawing on pDC with its top-left
// corner at (100, -100), mapped so that the frame (0, 0, cx, cy) fills the viewport extent
// (by default (cx, cy) itself), and returns the reported size in 0.01 mm. The progress hears
// of every top-level object drawn; when it answers false no further object is drawn, and the
// drawing is left as it was all the same.
class IPictureSource {
 public:
  virtual ~IPictureSource() = default;
  virtual CSize GetPictureExtent() = 0;
  virtual CSize DrawPicture(CDC* pDC, std::optional<CSize> szViewportExt,
                            const WorkProgress& progress) = 0;
};

// The drawing's extents, the origin included, from every object but the bonds; with pOn,
// also who lies on each edge (bottom, top, right, left).
void MeasureExtents(const CObList& list, std::int32_t& B, std::int32_t& T, std::int32_t& R,
                    std::int32_t& L, std::array<std::vector<const CKVObject*>, 4>* pOn = nullptr);

// Maps a surface as a window at zoom 1.0 scrolled to the origin maps it.
void PrepareAtZoomOne(CDC* pDC);

// The moves of a picture, without feedback worth showing: every object but the bonds (which
// follow their ends), or the selection and the unselected ends of its bonds. Pass flags are
// cleared first.
void ShiftObjects(CObList& list, CDC* pDC, CSize offset);
void DragSelected(CObList& list, CDC* pDC, CSize offset);

// Draws an object for paper or a picture: no selection marks; of a copied selection only
// what its stream holds (a selected bond with the ends copied with it). pExtent, when
// given, hears of every object drawn that counts towards the picture's extents.
class CPictureRenderer;
void DrawForOutput(CKVObject* pObj, CDC* pDC, const CKvillDoc& doc, CPictureRenderer* pExtent);
// Draws an object as a window shows it: a selected one with its selection marks.
void DrawOnScreen(CKVObject* pObj, CDC* pDC);

// The picture of a document at zoom 1.0, for the embedding, exports and the clipboard. It
// needs the document and surfaces to measure and draw on; no window and no view. The
// objects are moved to the picture's place while it is drawn and back afterwards.
class CPictureRenderer : public IPictureSource {
 public:
  CPictureRenderer(IViewSurfaces* pSurfaces, CKvillDoc* pDoc)
      : m_pSurfaces(pSurfaces), m_pDoc(pDoc) {}

  void SetSurfaces(IViewSurfaces* pSurfaces) { m_pSurfaces = pSurfaces; }
  void SetDocument(CKvillDoc* pDoc) { m_pDoc = pDoc; }
  // The picture of an embedded drawing moves all its objects (a copied selection otherwise
  // moves only the selection); a fresh embedding, before its container was updated once,
  // reports a larger size.
  void SetEmbedding(bool bEmbedded, bool bFresh) {
    m_bEmbedded = bEmbedded;
    m_bFreshEmbedding = bFresh;
  }
  // The extents pass draws through a buffer from the origin to the drawing's right and
  // bottom extents as last measured, and copies it to a surface the size of the client
  // area rcClient.
  void SetBuffer(const CRect& rcClient, std::int32_t nRight, std::int32_t nBottom) {
    m_rcClient = rcClient;
    m_nBufferRight = nRight;
    m_nBufferBottom = nBottom;
  }
  // For a drawing no window has shown: the selection goes in front of everything, as a
  // window's update puts it; with bLayOut every object is then laid out as a window at
  // zoom 1.0 lays it out (the client area of SetBuffer is what it shows), and the buffer
  // follows the drawing's extents.
  void Prepare(bool bLayOut);

  CSize GetPictureExtent() override;
  CSize DrawPicture(CDC* pDC, std::optional<CSize> szViewportExt,
                    const WorkProgress& progress) override;
  // The extents pass: every object drawn for output at zoom 1.0 through the buffer, which
  // is then cut to the extents and a margin.
  std::optional<CExportBitmap> RenderExtents(CDC* pDC);

  // What the last extents pass found, and the picture frame (0, 0, cx, cy) of the last
  // picture extent.
  const CRect& ExportRect() const { return m_rcExport; }
  const CRect& PictureFrame() const { return m_rcPictureFrame; }
  // Widens the extents by an object drawn in the extents pass.
  void AddToExportExtent(CKVObject* pObj);

 private:
  void MoveObjects(CDC* pDC, CSize offset);
  // The reported size, in 0.01 mm, of a picture of extent ext mapped on pDC.
  CSize ReportedSize(CDC* pDC, CSize ext) const;
  void DrawObjects(CDC* pDC, const WorkProgress& progress);
  std::optional<CExportBitmap> Cut(CDC* pDC, CDC* pRendered, int dpiX, int dpiY);

  IViewSurfaces* m_pSurfaces;
  CKvillDoc* m_pDoc;
  bool m_bEmbedded = false;
  bool m_bFreshEmbedding = false;
  CRect m_rcClient{0, 0, 800, 600};
  std::int32_t m_nBufferRight = 0;
  std::int32_t m_nBufferBottom = 0;
  bool m_bFirstExport = false;
  CRect m_rcExport;
  CRect m_rcPictureFrame;
};
