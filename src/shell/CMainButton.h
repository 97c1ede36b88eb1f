#pragma once

#include <cstdint>

#include "shell/CBitmapButton.h"

// A button of the Draw bar. Its latch keeps it shown pressed after it has lost the keyboard
// focus: the button of the palette (or the formula tool) in use stays pressed while the
// user works in the drawing.
class CMainButton : public CBitmapButton {
 public:
  explicit CMainButton(QWidget* pParent = nullptr) : CBitmapButton(pParent) {}

  std::int32_t m_bLatched = 0;

 protected:
  void focusOutEvent(QFocusEvent* pEvent) override;
};
