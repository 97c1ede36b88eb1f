#pragma once

#include <memory>

#include "objects/CDC.h"
#include "objects/CObList.h"

// What drawing objects need from the single editing view. The view implements it and
// registers itself here from its constructor (and clears it from its destructor), so that
// the objects reach the view without depending on its class. There is no other global.
class IViewLink {
 public:
  virtual ~IViewLink() = default;

  // The handle that the last successful HitHandle found (1 to 8).
  virtual int GetActiveHandle() const = 0;
  virtual void SetActiveHandle(int nHandle) = 0;
  // True while a handle drag (a resize) is in progress.
  virtual bool IsResizing() const = 0;

  // --- Formula caret ---
  // Whether the document is drawing its embedding picture: the surface's mapping is then
  // the picture's own and no caret is shown.
  virtual bool IsRenderingPicture() const { return false; }
  // Gives a surface the view's mapping, so that measurements come out in drawing units.
  virtual void PrepareSurface(CDC* /*pDC*/) {}
  // A surface of the view's window, or null when none can be obtained.
  virtual std::unique_ptr<CDC> GetWindowSurface() { return nullptr; }
  // Shows the caret: a vertical bar nHeight drawing units high whose top is at ptTop,
  // placed through the view's mapping (pDC gives the pixels per inch).
  virtual void ShowCaretAt(CDC* /*pDC*/, CPoint /*ptTop*/, int /*nHeight*/) {}

  // --- Groups ---
  // The document's list of top-level objects. Rotating a group replaces its ellipses by
  // polygons; bonds anywhere in the drawing that ended at such an ellipse are moved over to
  // its polygon through this list rather than left pointing at a deleted object.
  virtual CObList* GetDocumentObjects() { return nullptr; }

  // --- Objects going ---
  // The object is being destroyed: anything the view keeps about objects may name it.
  virtual void ObjectDestroyed(const CKVObject* /*pObj*/) {}
};

// The registered view, or null when there is none (tests, command-line conversions).
IViewLink* GetViewLink();
void SetViewLink(IViewLink* pLink);
