#pragma once

// Feeds arbitrary bytes to a loader, in replace and in paste mode, and writes back whatever
// was read. Any crash, sanitizer report or runaway allocation is a bug.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CDot.h"

inline void LoadAndStoreBack(const std::uint8_t* data, std::size_t size, bool bScan) {
  for (int replace : {1, 0}) {
    CKvillDoc doc;
    // Something to paste next to, selected so pasted bonds may attach to it.
    auto dot = std::make_unique<CDot>();
    dot->m_rcBounds = CRect{-30, 30, 30, -30};
    dot->m_bSelected = 1;
    doc.m_listObjects.push_back(std::move(dot));
    CArchive in{std::span<const std::uint8_t>(data, size)};
    doc.Serialize(in, {.bReplaceOnLoad = replace != 0, .bScanForHeader = bScan});
    std::vector<std::uint8_t> out;
    CArchive ar(&out);
    doc.Serialize(ar);
  }
}
