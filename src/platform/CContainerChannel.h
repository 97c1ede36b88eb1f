#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdio>
#include <functional>

class QSocketNotifier;

// The lines the editor and its container exchange while the drawing is edited in place:
// the editor writes its news to standard output, one line each ("activated", "size W H",
// "deactivated"); the container asks the editor to end the editing with a line
// "deactivate" on the editor's standard input, or by closing it.
class CContainerChannel {
 public:
  // Reads requests from the file descriptor nFdIn as they arrive in the event loop and
  // writes news to pOut. The channel neither closes nor owns either of them.
  CContainerChannel(int nFdIn, std::FILE* pOut);
  CContainerChannel(const CContainerChannel&) = delete;
  CContainerChannel& operator=(const CContainerChannel&) = delete;
  ~CContainerChannel();

  // One line of news, sent at once (the container waits for it, not for a full buffer).
  // False when it could not be written (the container has gone).
  bool Send(const QString& strLine);
  bool SendSize(int cx, int cy);

  // The container wants the editing ended: a "deactivate" line, or the end of the input.
  // Called once.
  std::function<void()> m_fnDeactivate;
  // A line that is no request of the protocol (without its line end).
  std::function<void(const QString& strLine)> m_fnUnknown;

  // Whether the end of the input or a "deactivate" line has been seen.
  bool IsEnded() const { return m_bEnded; }

  // Bytes as they came from the input (at most a read's worth at a time): complete lines
  // are handled, the rest kept for the next bytes.
  void Feed(const char* pBytes, std::size_t nBytes);
  // The most a read takes at a time.
  static constexpr int kReadSize = 4096;

  // The longest request line kept; anything longer is no request and is dropped whole.
  static constexpr int kMaxLine = 4096;

 private:
  void OnReadable();
  void OnLine(const QByteArray& line);
  void End();

  int m_nFdIn;
  std::FILE* m_pOut;
  QObject m_context;  // what the channel's own queued calls go with
  QSocketNotifier* m_pNotifier = nullptr;
  QByteArray m_pending;
  bool m_bOverlong = false;
  bool m_bEnded = false;
};
