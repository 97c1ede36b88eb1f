#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

#include "document/CClipboardSource.h"

// A copied drawing on the clipboard: the native stream as it was copied, and the picture as
// SVG and as PNG. A picture is drawn from the stream kept at the copy only when a program
// asks for it, and only once; a copy itself costs no more than its stream.
class CClipboardMimeData : public QMimeData {
  Q_OBJECT
 public:
  // Draws the picture of a stream in a picture format (kSvgMimeType or kPngMimeType);
  // empty when it cannot.
  using PictureRenderer =
      std::function<QByteArray(const CClipboardSource::Bytes& stream, const QString& mimeType)>;

  CClipboardMimeData(CClipboardSource source, PictureRenderer renderer);

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;
  // How many pictures have been drawn so far.
  int PicturesDrawn() const { return static_cast<int>(m_pictures.size()); }

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  CClipboardSource m_source;
  PictureRenderer m_renderer;
  mutable std::map<QString, QByteArray> m_pictures;
};
