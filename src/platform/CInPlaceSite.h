#pragma once

#include <QString>
#include <QWindow>
#include <cstdint>
#include <memory>
#include <optional>

// The windows a container lends for in-place editing: the site the drawing is edited in
// and, optionally, an area for the toolbar. A container names them by their X11 window
// ids; each is checked before anything of ours is put into it, so that a wrong id ends the
// start with a message instead of an X error later.
class CInPlaceSite {
 public:
  // A window id written in decimal or in hexadecimal with 0x; nothing when the text is not
  // such a number, is 0 (no window) or does not fit in 32 bits.
  static std::optional<std::uint32_t> ParseWindowId(const QString& strId);

  // The container's window named by strId as a Qt window that ours can be a child of.
  // Null, with the reason in *pError, when the text is no window id, the display is not an
  // X11 one, the window does not exist, or it is an input-only window that shows nothing.
  static std::unique_ptr<QWindow> Open(const QString& strId, QString* pError);

  // The size of a container's window (a foreign window's as the display has it; Qt does
  // not follow a window that is not its own), or of any other window.
  static QSize Size(const QWindow& window);

  // Whether the window still exists on the display (a container that went away takes its
  // windows with it).
  static bool Exists(WId id);

  // Gives the keyboard to a window of ours inside a container's window. Qt leaves the
  // keyboard of such a window to its container; a container that does not hand it on (one
  // without the XEmbed protocol) gets this. Nothing happens off X11.
  static void TakeKeyboard(WId ourWindow);

  // The id as the messages print it.
  static QString FormatId(std::uint32_t nId);
};
