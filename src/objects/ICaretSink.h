#pragma once

#include "objects/CDC.h"

// The window a formula is typed in, as the formula's caret code sees it: measurements on a
// surface come out in drawing units once the window's mapping is given to it, and the
// caret is shown where the formula says. Editing calls take one; measuring alone needs none.
class ICaretSink {
 public:
  virtual ~ICaretSink() = default;
  // Gives a surface the window's mapping.
  virtual void PrepareSurface(CDC* pDC) = 0;
  // Shows the caret: a vertical bar nHeight drawing units high whose top is at ptTop,
  // placed through the window's mapping (pDC gives the pixels per inch).
  virtual void ShowCaretAt(CDC* pDC, CPoint ptTop, int nHeight) = 0;
};
