#pragma once

#include <cstdint>

#include "objects/IViewLink.h"

// The single editing view. It registers itself as the objects' view link while it lives.
class CKvillView : public IViewLink {
 public:
  CKvillView();
  CKvillView(const CKvillView&) = delete;
  CKvillView& operator=(const CKvillView&) = delete;
  ~CKvillView() override;

  // The view of the process, or null when none exists.
  static CKvillView* GetView();

  int GetActiveHandle() const override { return m_nActiveHandle; }
  void SetActiveHandle(int nHandle) override { m_nActiveHandle = nHandle; }
  bool IsResizing() const override { return m_bResizing != 0; }

  std::int32_t m_nActiveHandle = 0;
  std::int32_t m_bResizing = 0;

  // --- Formula caret ---
  // The formula engine's request to show the caret, kept until the window shows it: the
  // caret's top in drawing units, its height and how many requests came.
  void ShowCaretAt(CDC* pDC, CPoint ptTop, int nHeight) override;
  CPoint m_ptCaretTop;
  std::int32_t m_nCaretHeight = 0;
  std::int32_t m_nCaretRequests = 0;
};
