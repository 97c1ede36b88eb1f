// The view's side of formula editing (typing, keys, palette insertions, starting and
// ending an edit), the Draw bar's tool messages, and the two entry dialogs.

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"
#include "view/EntryParsing.h"
#include "view/IViewHost.h"

namespace {

constexpr int kVertexDialog = 412;
constexpr int kThicknessDialog = 418;
constexpr int kMaxVertices = 1000;

// The tool that each tool message selects; every one of them clears the Draw bar's latches.
struct ToolMessage {
  int nMessage;
  int nTool;
};
constexpr ToolMessage kToolMessages[] = {
    {msg::kToolSingleBond, TOOL_SINGLE_BOND},
    {msg::kToolDoubleBond, TOOL_DOUBLE_BOND},
    {msg::kToolTripleBond, TOOL_TRIPLE_BOND},
    {msg::kToolDottedBond, TOOL_DOTTED_BOND},
    {msg::kToolWedge, TOOL_WEDGE},
    {msg::kToolHexane, TOOL_HEXANE},
    {msg::kToolBenzene, TOOL_BENZENE},
    {msg::kToolAromaticBenzene, TOOL_AROMATIC_BENZENE},
    {msg::kToolHexane90, TOOL_HEXANE_90},
    {msg::kToolBenzene90, TOOL_BENZENE_90},
    {msg::kToolAromaticBenzene90, TOOL_AROMATIC_BENZENE_90},
    {msg::kToolNaphthalene, TOOL_NAPHTHALENE},
    {msg::kToolAnthracene, TOOL_ANTHRACENE},
    {msg::kToolTetracene, TOOL_TETRACENE},
    {msg::kToolPhenanthrene, TOOL_PHENANTHRENE},
    {msg::kToolChrysene, TOOL_CHRYSENE},
    {msg::kToolPentane, TOOL_PENTANE},
    {msg::kToolPentane180, TOOL_PENTANE_180},
    {msg::kToolArrow, TOOL_ARROW},
    {msg::kToolPentane90, TOOL_PENTANE_90},
    {msg::kToolPentane270, TOOL_PENTANE_270},
    {msg::kToolAromaticPentane, TOOL_AROMATIC_PENTANE},
    {msg::kToolAromaticPentane90, TOOL_AROMATIC_PENTANE_90},
    {msg::kToolAromaticPentane180, TOOL_AROMATIC_PENTANE_180},
    {msg::kToolAromaticPentane270, TOOL_AROMATIC_PENTANE_270},
    {msg::kToolDashedWedge, TOOL_DASHED_WEDGE},
    {msg::kToolEllipse, TOOL_ELLIPSE},
    {msg::kToolDoubleArrow, TOOL_DOUBLE_ARROW},
    {msg::kToolWideDashedBond, TOOL_WIDE_DASHED_BOND},
    {msg::kToolPlus, TOOL_PLUS},
    {msg::kToolMinus, TOOL_MINUS},
    {msg::kToolHarmonic, TOOL_HARMONIC},
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Messages and timers

bool CKvillView::OnDrawBarMessage(int nMessage) {
  Unsettle();
  if (nMessage == msg::kToolFormula) {
    m_tracker.SetTool(TOOL_FORMULA);
    return true;
  }
  if (nMessage == msg::kToolSelect) {
    m_tracker.SetTool(TOOL_SELECT);
    return true;
  }
  if (nMessage >= msg::kInsertUpperIndex && nMessage <= msg::kGreekLast) {
    m_formula.InsertFromPalette(nMessage);
    return true;
  }
  if (nMessage == msg::kEndEdit) {
    m_formula.End();
    return true;
  }
  if (nMessage == msg::kBondsPalette) {
    m_pWindow->HideCaret();
    m_pCurrent = nullptr;
    m_tracker.SetTool(TOOL_SELECT);
    m_nEditState = 0;
    if (m_tracker.Rotating()) {
      m_tracker.SetRotating(0);
      PushSnapshot();
    }
    return true;
  }
  if (nMessage == msg::kAskPolygon || nMessage == msg::kAskAromaticPolygon) {
    AskVertexCount(nMessage);
    return true;
  }
  for (const ToolMessage& t : kToolMessages) {
    if (t.nMessage == nMessage) {
      m_tracker.SetTool(t.nTool);
      m_pFrame->ClearDrawBarLatches();
      return true;
    }
  }
  return false;
}

bool CKvillView::OnInteractionTimer(int nId) {
  if (nId == TIMER_CURSOR_FEEDBACK) {
    m_cursor.Update();
    return true;
  }
  if (nId == TIMER_FOCUS_VERTEX_DIALOG) {
    m_pWindow->KillTimer(nId);
    if (m_nOpenEntryDialog == kVertexDialog) m_pWindow->FocusEntryField();
    return true;
  }
  if (nId == TIMER_FILL_THICKNESS_DIALOG) {
    m_pWindow->KillTimer(nId);
    if (m_nOpenEntryDialog == kThicknessDialog) {
      char buf[50];
      std::snprintf(buf, sizeof buf, "%.2f", m_dCustomThickness);
      m_pWindow->SetEntryFieldText(buf);
    }
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// The entry dialogs

CEntryDialogText CKvillView::EntryDialogText(int nTemplate) const {
  CEntryDialogText t;
  t.nTemplate = nTemplate;
  const bool bEnglish = m_pSettings->m_bEnglish != 0;
  if (nTemplate == kVertexDialog) {
    t.strCaption = bEnglish ? "Polygon" : "Mnohoúhelník";
    t.strPrompt = bEnglish ? "Enter nuber of vertices:" : "Zadejte počet vrcholů:";
  } else {
    t.strCaption = bEnglish ? "Line" : "Čára";
    t.strPrompt = bEnglish ? "Enter line thickness:" : "Zadejte tloušťku čáry:";
  }
  t.strOk = "OK";
  t.strCancel = bEnglish ? "Cancel" : "Zrušit";
  return t;
}

void CKvillView::OnEntryFieldKillFocus(int nTemplate, std::string_view strText) {
  Unsettle();
  const std::string_view entry = strText.substr(0, kEntryFieldLimit);
  if (nTemplate == kVertexDialog) {
    m_nPolyVertices = 0;
    const CIntEntry e = ScanIntEntry(entry);
    m_dPolyParsed = e.nResult;
    if (e.nResult == 1) m_nPolyVertices = e.nValue;
    m_cursor.m_bHoverSuppressed = 0;
  } else if (nTemplate == kThicknessDialog) {
    m_dCustomThickness = 0.0;
    const double d = ScanDoubleEntry(entry);
    m_dPolyParsed = d > 0.0 ? 1.0 : 0.0;
    if (m_dPolyParsed == 1.0) m_dCustomThickness = d;
  }
}

int CKvillView::RunThicknessDialog() {
  m_cursor.m_bHoverSuppressed = 1;
  m_nOpenEntryDialog = kThicknessDialog;
  m_pWindow->SetTimer(TIMER_FILL_THICKNESS_DIALOG, 10);
  const int nResult = m_pWindow->DoEntryDialog(EntryDialogText(kThicknessDialog));
  m_nOpenEntryDialog = 0;
  m_cursor.m_bHoverSuppressed = 0;
  return nResult;
}

void CKvillView::AskVertexCount(int nMessage) {
  m_pFrame->ClearDrawBarLatches();
  m_dPolyParsed = 0.0;
  m_nPolyVertices = 0;
  const bool bEnglish = m_pSettings->m_bEnglish != 0;
  const char* pszCaption = bEnglish ? "Valendra Error" : "Chyba Valendra";
  // Counts above 1000 would build rings of millions of objects from one typo.
  while (m_dPolyParsed <= 0.0 || m_nPolyVertices < 3 || m_nPolyVertices > kMaxVertices) {
    m_cursor.m_bHoverSuppressed = 1;
    m_nOpenEntryDialog = kVertexDialog;
    m_pWindow->SetTimer(TIMER_FOCUS_VERTEX_DIALOG, 10);
    const int nResult = m_pWindow->DoEntryDialog(EntryDialogText(kVertexDialog));
    m_nOpenEntryDialog = 0;
    if (nResult != IDOK) {
      m_dPolyParsed = 0.0;
      break;
    }
    if (m_dPolyParsed <= 0.0) {
      m_pWindow->MessageBox(bEnglish ? "Error: Not a number." : "Chyba: Zadaná hodnota není číslo.",
                            pszCaption, MB_ICONERROR, false);
    } else if (m_nPolyVertices < 3) {
      m_pWindow->MessageBox(bEnglish ? "Error: Entered value cannot be less than three."
                                     : "Chyba: Zadaná hodnota nesmí být menší než tři.",
                            pszCaption, MB_ICONERROR, false);
    } else if (m_nPolyVertices > kMaxVertices) {
      m_pWindow->MessageBox(bEnglish ? "Error: Entered value cannot be greater than 1000."
                                     : "Chyba: Zadaná hodnota nesmí být větší než 1000.",
                            pszCaption, MB_ICONERROR, false);
    }
  }
  if (m_dPolyParsed == 0.0) {
    m_tracker.SetTool(TOOL_SELECT);
  } else {
    m_pWindow->SetCursor(IDI_TEMPLATE_CURSOR);
    m_tracker.SetTool(nMessage == msg::kAskPolygon ? TOOL_POLYGON : TOOL_AROMATIC_POLYGON);
  }
}
