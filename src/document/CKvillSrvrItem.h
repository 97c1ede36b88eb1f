#pragma once

#include <cstdint>
#include <string>

#include "objects/Geometry.h"

class CDC;
class CKvillDoc;

// Aspects a container asks a picture for.
enum { DVASPECT_CONTENT = 1 };

// The embedding server item: it renders the drawing as a picture for containers and the
// clipboard. Each new item becomes the document's (and the view's) most recent item and
// keeps a copy of the view's embedding and kill-protocol flags.
class CKvillSrvrItem {
 public:
  explicit CKvillSrvrItem(CKvillDoc* pDoc);
  CKvillSrvrItem(const CKvillSrvrItem&) = delete;
  CKvillSrvrItem& operator=(const CKvillSrvrItem&) = delete;
  virtual ~CKvillSrvrItem();

  CKvillDoc* GetDocument() const { return m_pDocument; }

  // The picture's extent in drawing units for the content aspect (true); (0, 0) and false
  // for any other aspect.
  bool OnGetExtent(int nAspect, CSize* pSize);
  // Draws the picture on pDC and reports its size in 0.01 mm.
  bool OnDraw(CDC* pDC, CSize* pSize);
  // The framework's answer to the show verbs: the process stays alive as a normal instance.
  void OnShow();

  std::int32_t m_bEmbedded = 0;
  std::int32_t m_bKillArmed = 0;
  // The name a link refers to the item by (empty for the embedded item).
  std::string m_strItemName;

 private:
  CKvillDoc* m_pDocument;
};
