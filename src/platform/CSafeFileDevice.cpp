#include "platform/CSafeFileDevice.h"

bool CSafeFileDevice::Open() {
  if (!m_file.Open()) {
    setErrorString(m_file.Reason());
    return false;
  }
  return QIODevice::open(QIODevice::WriteOnly);
}

bool CSafeFileDevice::Commit() {
  if (!isOpen()) return false;
  QIODevice::close();
  if (!m_file.Commit()) {
    setErrorString(m_file.Reason());
    return false;
  }
  return true;
}

qint64 CSafeFileDevice::writeData(const char* pData, qint64 nLength) {
  if (nLength < 0 || !m_file.Write(pData, static_cast<std::size_t>(nLength))) {
    setErrorString(m_file.Reason());
    return -1;
  }
  return nLength;
}
