#include "platform/CQtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <utility>

namespace {

const QMimeData* ClipboardData() {
  const QClipboard* pClipboard = QGuiApplication::clipboard();
  return pClipboard != nullptr ? pClipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

}  // namespace

CQtClipboard::CQtClipboard(CClipboardMimeData::PictureRenderer renderer,
                           CClipboardMimeData::StructureWriter structures, ForeignReader foreign)
    : m_renderer(std::move(renderer)),
      m_structures(std::move(structures)),
      m_foreign(std::move(foreign)) {}

void CQtClipboard::SetData(CClipboardSource source) {
  if (QClipboard* pClipboard = QGuiApplication::clipboard()) {
    // The clipboard owns the data from here on.
    pClipboard->setMimeData(new CClipboardMimeData(std::move(source), m_renderer, m_structures),
                            QClipboard::Clipboard);
  }
}

bool CQtClipboard::HasNativeData() {
  const QMimeData* pData = ClipboardData();
  return pData != nullptr && pData->hasFormat(QString::fromLatin1(kNativeMimeType));
}

std::optional<std::vector<std::uint8_t>> CQtClipboard::GetNativeData() {
  const QMimeData* pData = ClipboardData();
  if (pData == nullptr) return std::nullopt;
  const QByteArray bytes = pData->data(QString::fromLatin1(kNativeMimeType));
  // Nothing came: the program holding the clipboard did not answer, or has no drawing.
  if (bytes.isEmpty()) return std::nullopt;
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  return std::vector<std::uint8_t>(p, p + bytes.size());
}

CObList CQtClipboard::GetForeignObjects(CPoint ptCentre) {
  const QMimeData* pData = ClipboardData();
  if (pData == nullptr || !m_foreign) return {};
  return m_foreign(pData, ptCentre);
}
