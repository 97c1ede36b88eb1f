#include "platform/CClipboardMimeData.h"

#include <utility>

CClipboardMimeData::CClipboardMimeData(CClipboardSource source, PictureRenderer renderer,
                                       StructureWriter structures)
    : m_source(std::move(source)),
      m_renderer(std::move(renderer)),
      m_structureWriter(std::move(structures)) {}

const std::vector<std::pair<QString, QByteArray>>& CClipboardMimeData::Structures() const {
  if (!m_structures) {
    m_structures.emplace();
    if (m_structureWriter && m_source.HasNative())
      *m_structures = m_structureWriter(*m_source.Native());
  }
  return *m_structures;
}

QStringList CClipboardMimeData::formats() const {
  QStringList list;
  if (m_source.HasNative()) list << QString::fromLatin1(kNativeMimeType);
  if (m_source.HasPicture() && m_renderer) {
    list << QString::fromLatin1(kSvgMimeType) << QString::fromLatin1(kPngMimeType);
  }
  for (const auto& [mimeType, bytes] : Structures()) list << mimeType;
  return list;
}

bool CClipboardMimeData::hasFormat(const QString& mimeType) const {
  // The drawing's own formats are answered without writing the structures, so that a paste
  // asking for the native stream costs nothing more.
  if (mimeType == QLatin1String(kNativeMimeType)) return m_source.HasNative();
  if (mimeType == QLatin1String(kSvgMimeType) || mimeType == QLatin1String(kPngMimeType))
    return m_source.HasPicture() && m_renderer;
  return formats().contains(mimeType);
}

QVariant CClipboardMimeData::retrieveData(const QString& mimeType, QMetaType) const {
  if (!hasFormat(mimeType)) return {};
  for (const auto& [structureType, bytes] : Structures())
    if (structureType == mimeType) return bytes;
  if (mimeType == QLatin1String(kNativeMimeType)) {
    const CClipboardSource::Bytes& bytes = *m_source.Native();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
  }
  auto it = m_pictures.find(mimeType);
  if (it == m_pictures.end()) {
    it = m_pictures.emplace(mimeType, m_renderer(*m_source.PictureStream(), mimeType)).first;
  }
  if (it->second.isEmpty()) return {};
  return it->second;
}
