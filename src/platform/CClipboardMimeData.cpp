#include "platform/CClipboardMimeData.h"

#include <utility>

CClipboardMimeData::CClipboardMimeData(CClipboardSource source, PictureRenderer renderer)
    : m_source(std::move(source)), m_renderer(std::move(renderer)) {}

QStringList CClipboardMimeData::formats() const {
  QStringList list;
  if (m_source.HasNative()) list << QString::fromLatin1(kNativeMimeType);
  if (m_source.HasPicture() && m_renderer) {
    list << QString::fromLatin1(kSvgMimeType) << QString::fromLatin1(kPngMimeType);
  }
  return list;
}

bool CClipboardMimeData::hasFormat(const QString& mimeType) const {
  return formats().contains(mimeType);
}

QVariant CClipboardMimeData::retrieveData(const QString& mimeType, QMetaType) const {
  if (!hasFormat(mimeType)) return {};
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
