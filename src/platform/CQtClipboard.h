#pragma once

#include "platform/CClipboardMimeData.h"
#include "view/IClipboard.h"

// The system clipboard through Qt: a copy becomes our own mime data on it, a paste reads
// the native format from whichever program holds the clipboard.
class CQtClipboard : public IClipboard {
 public:
  explicit CQtClipboard(CClipboardMimeData::PictureRenderer renderer,
                        CClipboardMimeData::StructureWriter structures = {});

  void SetData(CClipboardSource source) override;
  bool HasNativeData() override;
  std::optional<std::vector<std::uint8_t>> GetNativeData() override;

 private:
  CClipboardMimeData::PictureRenderer m_renderer;
  CClipboardMimeData::StructureWriter m_structures;
};
