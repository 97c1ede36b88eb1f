#pragma once

#include <cstdint>

#include "objects/Geometry.h"
#include "view/DrawingAids.h"

// What the application keeps between runs and across its windows: the interface language,
// the main window's placement, the bars' placement and visibility, the drawing aids, how a
// drawing prints. The settings records are read into it at start-up and written from it;
// the view reads the language for its messages and typing, the bars' visibility for where
// the cursor feedback runs, and the aids as it draws. Plain values: each one stands for
// itself, with nothing to keep in step.
struct CAppSettings {
  // The language of the program's messages (set from the loaded menus at the first idle).
  std::int32_t m_bEnglish = 1;
  // The interface language the language record holds (1029 Czech, 1033 English, 0 unset).
  std::uint16_t m_wLanguageId = 0;
  std::int32_t m_bDrawBarPlaced = 0;
  std::int32_t m_bDrawBarVisible = 1;
  std::int32_t m_bMaximized = 0;
  CRect m_rcMainWnd;
  std::int32_t m_bToolBarHidden = 0;
  std::int32_t m_bStatusBarVisible = 1;
  std::int32_t m_bMainRectValid = 0;
  // The main window is to be shown as the record says once start-up is over.
  std::int32_t m_bApplyShowState = 0;
  // View > Drawing Aids, kept in the settings file's DrawingAids group.
  CDrawingAids m_aids;
  // Print and Print Preview scale the whole drawing to the printable area of the page
  // instead of printing it at the window's zoom and scroll position (Page Setup).
  std::int32_t m_bFitToPage = 0;
};
