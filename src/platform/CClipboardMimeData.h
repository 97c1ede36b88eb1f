#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "document/CClipboardSource.h"

// A copied drawing on the clipboard: the native stream as it was copied, the picture as SVG
// and as PNG, and, when the copied part holds molecules, their structure in the chemical
// formats. A picture is drawn from the stream kept at the copy only when a program asks for
// it, and only once; the structures are written the first time a program asks which formats
// there are. A copy itself costs no more than its stream.
class CClipboardMimeData : public QMimeData {
  Q_OBJECT
 public:
  // Draws the picture of a stream in a picture format (kSvgMimeType or kPngMimeType);
  // empty when it cannot.
  using PictureRenderer =
      std::function<QByteArray(const CClipboardSource::Bytes& stream, const QString& mimeType)>;

  // The chemical formats of a stream and their bytes; none when it holds no molecule.
  using StructureWriter = std::function<std::vector<std::pair<QString, QByteArray>>(
      const CClipboardSource::Bytes& stream)>;

  CClipboardMimeData(CClipboardSource source, PictureRenderer renderer,
                     StructureWriter structures = {});

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;
  // How many pictures have been drawn so far.
  int PicturesDrawn() const { return static_cast<int>(m_pictures.size()); }
  // Whether the structures have been written.
  bool StructuresWritten() const { return m_structures.has_value(); }

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  CClipboardSource m_source;
  PictureRenderer m_renderer;
  mutable std::map<QString, QByteArray> m_pictures;
  StructureWriter m_structureWriter;
  mutable std::optional<std::vector<std::pair<QString, QByteArray>>> m_structures;
  // The structures, written on the first call.
  const std::vector<std::pair<QString, QByteArray>>& Structures() const;
};
