#include "platform/CContainerChannel.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>

CContainerChannel::CContainerChannel(int nFdIn, std::FILE* pOut) : m_nFdIn(nFdIn), m_pOut(pOut) {
  if (::fcntl(nFdIn, F_GETFD) == -1) {
    // No input at all is an input that has ended: the container is not listening for us.
    QTimer::singleShot(0, &m_context, [this] { End(); });
    return;
  }
  m_pNotifier = new QSocketNotifier(static_cast<qintptr>(nFdIn), QSocketNotifier::Read);
  QObject::connect(m_pNotifier, &QSocketNotifier::activated, [this] { OnReadable(); });
}

CContainerChannel::~CContainerChannel() { delete m_pNotifier; }

bool CContainerChannel::Send(const QString& strLine) {
  if (m_pOut == nullptr) return false;
  const QByteArray line = strLine.toUtf8() + '\n';
  const bool bWritten = std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()),
                                    m_pOut) == static_cast<std::size_t>(line.size());
  return std::fflush(m_pOut) == 0 && bWritten;
}

bool CContainerChannel::SendSize(int cx, int cy) {
  return Send(QStringLiteral("size %1 %2").arg(cx).arg(cy));
}

void CContainerChannel::OnReadable() {
  char buffer[kReadSize];
  const ssize_t n = ::read(m_nFdIn, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) {
    End();
    return;
  }
  Feed(buffer, static_cast<std::size_t>(n));
}

void CContainerChannel::Feed(const char* pBytes, std::size_t nBytes) {
  if (m_bEnded) return;
  m_pending.append(pBytes, static_cast<qsizetype>(nBytes));
  for (;;) {
    const qsizetype nl = m_pending.indexOf('\n');
    if (nl < 0) break;
    const QByteArray line = m_pending.left(nl);
    m_pending.remove(0, nl + 1);
    if (m_bOverlong) {
      m_bOverlong = false;  // the rest of a line too long to be a request
    } else {
      OnLine(line);
    }
    if (m_bEnded) return;
  }
  if (m_pending.size() > kMaxLine) {
    m_pending.clear();
    m_bOverlong = true;
  }
}

void CContainerChannel::OnLine(const QByteArray& line) {
  const QByteArray request = line.trimmed();  // a CR LF line end as well
  if (request == "deactivate") {
    End();
  } else if (!request.isEmpty() && m_fnUnknown) {
    m_fnUnknown(QString::fromUtf8(request));
  }
}

void CContainerChannel::End() {
  if (m_bEnded) return;
  m_bEnded = true;
  if (m_pNotifier != nullptr) m_pNotifier->setEnabled(false);
  if (m_fnDeactivate) m_fnDeactivate();
}
