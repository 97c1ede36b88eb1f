#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objects/Geometry.h"

class CArchive;
class CClipboardSource;
class CDC;
class CKvillDoc;
class IDocClient;
struct CSerializeOptions;

// Aspects a container asks a picture for.
enum { DVASPECT_CONTENT = 1 };

// The embedding server item: the one object through which the drawing leaves the program,
// for containers and for the clipboard. It writes and reads the native stream and renders
// the drawing as a picture. Each new item becomes the document's (and the view's) most
// recent item and keeps a copy of the view's embedding and kill-protocol flags; the
// document owns it, and the document and the view let go of it when it is destroyed.
class CKvillSrvrItem {
 public:
  explicit CKvillSrvrItem(CKvillDoc* pDoc);
  CKvillSrvrItem(const CKvillSrvrItem&) = delete;
  CKvillSrvrItem& operator=(const CKvillSrvrItem&) = delete;
  // An item of an embedding server whose kill protocol is still armed ends the process
  // through a new instance (the kill record and the restart).
  virtual ~CKvillSrvrItem();

  CKvillDoc* GetDocument() const { return m_pDocument; }

  // The native stream for a container or the clipboard: the document's Serialize with
  // m_bStoringToFile clear (so the modified flag is left alone) and the other flags of
  // options. False as the document's Serialize reports it.
  bool Serialize(CArchive& ar);
  bool Serialize(CArchive& ar, const CSerializeOptions& options);

  // The picture's extent in drawing units for the content aspect (true); (0, 0) and false
  // for any other aspect.
  bool OnGetExtent(int nAspect, CSize* pSize);
  // Draws the picture on pDC and reports its size in 0.01 mm.
  bool OnDraw(CDC* pDC, CSize* pSize);

  // What a copy of the drawing offers: the native stream (CacheNativeData) and the
  // picture formats. Null when the item has no document. Links, an offset and a size are
  // the container's business; nothing here depends on them.
  std::unique_ptr<CClipboardSource> OnGetClipboardData(bool bIncludeLink, const CPoint* pOffset,
                                                       const CSize* pSize);
  // Caches the native stream (with the document's current selection-only flag) in
  // pSource. When no buffer can be had for it, the memory message is shown and nothing is
  // cached.
  virtual void CacheNativeData(CClipboardSource* pSource);

  // The framework's answer to the show verbs: the process stays alive as a normal instance.
  void OnShow();

  std::int32_t m_bEmbedded = 0;
  std::int32_t m_bKillArmed = 0;
  // The name a link refers to the item by (empty for the embedded item).
  std::string m_strItemName;

 protected:
  // An empty block with room for nBytes of native stream. Throws std::bad_alloc (or
  // std::length_error for a size no block can have) when the memory cannot be had.
  virtual std::shared_ptr<std::vector<std::uint8_t>> NewNativeBlock(std::int64_t nBytes);

 private:
  // The formats the item offers besides the native one: the picture, drawn from the
  // native stream when there is one and from a stream of its own otherwise.
  void GetClipboardData(CClipboardSource* pSource);
  // The view that shows the item's document, or null.
  IDocClient* Client() const;

  CKvillDoc* m_pDocument;
};
