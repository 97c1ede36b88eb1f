#pragma once

#include "platform/CClipboardMimeData.h"
#include "view/IClipboard.h"

// The system clipboard through Qt: a copy becomes our own mime data on it, a paste reads
// the native format from whichever program holds the clipboard.
class CQtClipboard : public IClipboard {
 public:
  // Objects made of what other programs put on the clipboard, their middle at a point.
  using ForeignReader = std::function<CObList(const QMimeData* pData, CPoint ptCentre)>;

  explicit CQtClipboard(CClipboardMimeData::PictureRenderer renderer,
                        CClipboardMimeData::StructureWriter structures = {},
                        ForeignReader foreign = {});

  void SetData(CClipboardSource source) override;
  bool HasNativeData() override;
  std::optional<std::vector<std::uint8_t>> GetNativeData() override;
  CObList GetForeignObjects(CPoint ptCentre) override;

 private:
  CClipboardMimeData::PictureRenderer m_renderer;
  CClipboardMimeData::StructureWriter m_structures;
  ForeignReader m_foreign;
};
