#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "objects/CEllipse.h"
#include "objects/CStoredRecord.h"

// The records of one store or load, counted in stream order: the ellipses whose thickness
// the block after the end marker carries (storing) or may set (loading).
struct CRecordTally {
  std::uint32_t nRecords = 0;
  std::vector<CThicknessNote> stored;
  std::vector<std::pair<std::uint32_t, CEllipse*>> read;

  void Stored(const CKVObject& obj) {
    // An ellipse with a code no class answers to is no real ellipse, and a thickness that
    // is not a number has nothing to keep. The code is asked first: every record of a
    // store passes here, and a cast of each cost a full store a third of its time.
    const auto* pEllipse =
        obj.m_nKind == KIND_ELLIPSE ? dynamic_cast<const CEllipse*>(&obj) : nullptr;
    if (pEllipse != nullptr && pEllipse->m_dThickness != 1.0 &&
        std::isfinite(pEllipse->m_dThickness))
      stored.push_back(CThicknessNote{nRecords, pEllipse->m_dThickness});
    ++nRecords;
  }
  void Read(CKVObject& obj) {
    if (obj.m_nKind == 5 || obj.m_nKind == KIND_ELLIPSE) {
      if (auto* pEllipse = dynamic_cast<CEllipse*>(&obj)) read.emplace_back(nRecords, pEllipse);
    }
    ++nRecords;
  }
  // Sets the thickness the notes give, all or none: a note that finds no ellipse at its
  // place says the block is not of this stream.
  static bool Apply(std::span<const CThicknessNote> notes,
                    std::span<const std::pair<std::uint32_t, CEllipse*>> ellipses) {
    std::vector<CEllipse*> targets;
    targets.reserve(notes.size());
    auto it = ellipses.begin();
    for (const CThicknessNote& n : notes) {
      while (it != ellipses.end() && it->first < n.nPlace) ++it;
      if (it == ellipses.end() || it->first != n.nPlace) return false;
      targets.push_back(it->second);
    }
    for (std::size_t i = 0; i < notes.size(); ++i) targets[i]->m_dThickness = notes[i].dThickness;
    return true;
  }
};
