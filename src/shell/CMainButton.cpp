#include "shell/CMainButton.h"

void CMainButton::focusOutEvent(QFocusEvent* pEvent) {
  CBitmapButton::focusOutEvent(pEvent);
  SetState(m_bLatched == 1);
}
