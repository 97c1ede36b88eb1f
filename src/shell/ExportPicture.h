#pragma once

#include <QByteArray>
#include <QString>
#include <string>

#include "document/CClipboardSource.h"
#include "document/WorkProgress.h"

class CKvillDoc;
class IPictureSource;

// The largest picture, in pixels on a side, that an export will allocate.
constexpr int kMaxExportPixels = 16384;
// The exit status of an export that its progress stopped; nothing was written.
constexpr int kExportCancelled = 3;

// Renders a picture (the drawing with a margin of 100 units, no selection marks: the
// embedding picture of a view's drawing or a document's own) into strOut, whose extension chooses
// the format: .svg, .png (at nDpi pixels per inch) or .pdf. The file appears complete or not at
// all. The progress runs from 0 to 100; when it answers false the export stops and writes nothing.
// Returns 0, kExportCancelled, or another non-zero exit status with the reason in *pError. Needs a
// Qt application.
int ExportPicture(IPictureSource& picture, const std::string& strOut, int nDpi, std::string* pError,
                  const WorkProgress& progress = {});

// The same for a document no window shows, drawn as a window would first show it; any
// view of the process is left alone.
int ExportDocument(CKvillDoc& doc, const std::string& strOut, int nDpi, std::string* pError,
                   const WorkProgress& progress = {});

// Reads strIn as the Open command does and exports it as above.
int ExportFile(const std::string& strIn, const std::string& strOut, int nDpi, std::string* pError,
               const WorkProgress& progress = {});

// A preview for file managers: the same picture as a PNG whose longer side is nSize pixels,
// on white. Returns 0 or a non-zero exit status with the reason in *pError.
int ThumbnailFile(const std::string& strIn, const std::string& strOut, int nSize,
                  std::string* pError);

// The picture the clipboard offers for a copied drawing: the drawing of the native stream
// as SVG (kSvgMimeType) or as PNG (kPngMimeType), at kClipboardPngDpi pixels per inch and
// scaled down so that neither side exceeds kMaxClipboardPngPixels. Empty when the stream
// holds no whole drawing or the picture cannot be made. Needs a Qt application; may run
// while the editor's view exists.
constexpr int kClipboardPngDpi = 192;
constexpr int kMaxClipboardPngPixels = 8192;
QByteArray ClipboardPicture(const CClipboardSource::Bytes& stream, const QString& strMimeType);

// The command lines `--export IN OUT [--dpi N]` and `--thumbnail IN OUT SIZE` (arguments
// after the switch); they print errors on stderr and return the exit status. A long export
// shows its progress on stderr when that is a terminal.
int RunExportCommand(int argc, char* argv[]);
int RunThumbnailCommand(int argc, char* argv[]);
