#include "platform/CInPlaceSite.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

namespace {

// The display's connection when the program runs on X11, else null.
xcb_connection_t* X11Connection() {
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 != nullptr ? x11->connection() : nullptr;
}

enum class WindowState { Missing, InputOnly, Usable };

// Asked of the server and answered at once: a reply or an error comes back for this
// request alone, so a missing window is no X error that reaches Qt's own handler.
WindowState QueryWindow(xcb_connection_t* c, std::uint32_t nId) {
  xcb_generic_error_t* pError = nullptr;
  xcb_get_window_attributes_reply_t* pReply =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, nId), &pError);
  std::free(pError);
  if (pReply == nullptr) return WindowState::Missing;
  const bool bInputOnly = pReply->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
  std::free(pReply);
  return bInputOnly ? WindowState::InputOnly : WindowState::Usable;
}

}  // namespace

std::optional<std::uint32_t> CInPlaceSite::ParseWindowId(const QString& strId) {
  bool bOk = false;
  qulonglong n = 0;
  if (strId.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    const QString digits = strId.mid(2);
    // toULongLong accepts signs and blanks; an id is digits only.
    for (QChar ch : digits) {
      if (!ch.isDigit() && !(ch.toLower() >= u'a' && ch.toLower() <= u'f')) return std::nullopt;
    }
    n = digits.toULongLong(&bOk, 16);
  } else {
    for (QChar ch : strId) {
      if (!ch.isDigit()) return std::nullopt;
    }
    n = strId.toULongLong(&bOk, 10);
  }
  if (!bOk || n == 0 || n > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(n);
}

QString CInPlaceSite::FormatId(std::uint32_t nId) { return QStringLiteral("0x%1").arg(nId, 0, 16); }

std::unique_ptr<QWindow> CInPlaceSite::Open(const QString& strId, QString* pError) {
  const std::optional<std::uint32_t> id = ParseWindowId(strId);
  if (!id) {
    *pError =
        QStringLiteral("'%1' is not a window id (decimal, or hexadecimal with 0x)").arg(strId);
    return nullptr;
  }
  xcb_connection_t* c = X11Connection();
  if (c == nullptr) {
    *pError = QStringLiteral(
                  "in-place editing needs an X11 display, and the display here is '%1'; "
                  "start the program with QT_QPA_PLATFORM=xcb")
                  .arg(QGuiApplication::platformName());
    return nullptr;
  }
  switch (QueryWindow(c, *id)) {
    case WindowState::Missing:
      *pError = QStringLiteral("the container's window %1 does not exist").arg(FormatId(*id));
      return nullptr;
    case WindowState::InputOnly:
      *pError = QStringLiteral(
                    "the container's window %1 is an input-only window and cannot "
                    "show the drawing")
                    .arg(FormatId(*id));
      return nullptr;
    case WindowState::Usable:
      break;
  }
  std::unique_ptr<QWindow> pWindow(QWindow::fromWinId(static_cast<WId>(*id)));
  if (!pWindow) {
    *pError = QStringLiteral("the container's window %1 cannot be used").arg(FormatId(*id));
  }
  return pWindow;
}

QSize CInPlaceSite::Size(const QWindow& window) {
  xcb_connection_t* c = X11Connection();
  if (window.type() != Qt::ForeignWindow || c == nullptr) return window.size();
  xcb_generic_error_t* pError = nullptr;
  xcb_get_geometry_reply_t* pReply = xcb_get_geometry_reply(
      c, xcb_get_geometry(c, static_cast<xcb_drawable_t>(window.winId())), &pError);
  std::free(pError);
  if (pReply == nullptr) return {};
  const QSize size(pReply->width, pReply->height);
  std::free(pReply);
  // The display's pixels, in the units of Qt's geometry.
  return size / window.devicePixelRatio();
}

void CInPlaceSite::TakeKeyboard(WId ourWindow) {
  xcb_connection_t* c = X11Connection();
  if (c == nullptr) return;
  // When our window goes, the keyboard goes back to the container's window it was in.
  xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(ourWindow),
                      XCB_CURRENT_TIME);
  xcb_flush(c);
}

bool CInPlaceSite::Exists(WId id) {
  xcb_connection_t* c = X11Connection();
  return c != nullptr && QueryWindow(c, static_cast<std::uint32_t>(id)) != WindowState::Missing;
}
