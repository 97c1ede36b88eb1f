#include "objects/CArchive.h"

#include <algorithm>

CArchive::CArchive(std::span<const std::uint8_t> data) : m_mode(load) {
  m_pRdBegin = m_pRdCur = data.data();
  m_pRdEnd = data.data() + data.size();
  m_nSize = data.size();
}

CArchive::CArchive(std::vector<std::uint8_t>* pOut)
    : m_mode(store), m_pOut(pOut), m_buf(new std::uint8_t[kBufSize]) {
  m_pWrCur = m_buf.get();
  m_pWrEnd = m_buf.get() + kBufSize;
}

CArchive::CArchive(const std::string& strPath, Mode mode)
    : m_mode(mode), m_strPath(strPath), m_buf(new std::uint8_t[kBufSize]) {
  m_pFile = std::fopen(strPath.c_str(), mode == store ? "wb" : "rb");
  m_bOpen = m_pFile != nullptr;
  if (mode == store) {
    m_pWrCur = m_buf.get();
    m_pWrEnd = m_buf.get() + kBufSize;
    m_bWriteError = !m_bOpen;
    return;
  }
  m_pRdBegin = m_pRdCur = m_pRdEnd = m_buf.get();
  if (!m_bOpen) return;
  if (std::fseek(m_pFile, 0, SEEK_END) == 0) {
    const long nEnd = std::ftell(m_pFile);
    if (nEnd > 0) m_nSize = static_cast<std::uint64_t>(nEnd);
  }
  FillFrom(0);
}

CArchive::~CArchive() {
  if (m_mode == store) Flush();
  if (m_pFile) std::fclose(m_pFile);
}

// ---------------------------------------------------------------------------------------
// Storing

bool CArchive::Flush() {
  if (m_mode != store) return true;
  const std::size_t n = static_cast<std::size_t>(m_pWrCur - m_buf.get());
  m_pWrCur = m_buf.get();
  m_nWritten += n;
  if (n == 0) return !m_bWriteError;
  if (m_pOut) {
    m_pOut->insert(m_pOut->end(), m_buf.get(), m_buf.get() + n);
  } else if (m_pFile && !m_bWriteError) {
    if (std::fwrite(m_buf.get(), 1, n, m_pFile) != n) m_bWriteError = true;
  } else {
    m_bWriteError = true;
  }
  if (m_pFile && !m_bWriteError && std::fflush(m_pFile) != 0) m_bWriteError = true;
  return !m_bWriteError;
}

void CArchive::WriteSlow(const void* p, std::size_t n) {
  if (m_mode != store) return;
  Flush();
  if (n < kBufSize) {
    std::memcpy(m_pWrCur, p, n);
    m_pWrCur += n;
    return;
  }
  // Large blocks go to the sink directly.
  m_nWritten += n;
  const auto* pBytes = static_cast<const std::uint8_t*>(p);
  if (m_pOut) {
    m_pOut->insert(m_pOut->end(), pBytes, pBytes + n);
  } else if (m_pFile && !m_bWriteError) {
    if (std::fwrite(pBytes, 1, n, m_pFile) != n) m_bWriteError = true;
  } else {
    m_bWriteError = true;
  }
}

// ---------------------------------------------------------------------------------------
// Loading

std::uint64_t CArchive::GetPosition() const {
  return m_nWindowStart + static_cast<std::uint64_t>(m_pRdCur - m_pRdBegin);
}

std::uint64_t CArchive::GetRemaining() const {
  if (m_mode != load || m_bCutShort) return 0;
  const std::uint64_t pos = GetPosition();
  return pos < m_nSize ? m_nSize - pos : 0;
}

void CArchive::SetCutShort() {
  m_bCutShort = true;
  m_pRdEnd = m_pRdCur;  // the fast path of Read now fails at once
}

bool CArchive::FillFrom(std::uint64_t pos) {
  std::uint8_t* pBuf = m_buf.get();
  m_nWindowStart = pos;
  m_pRdBegin = m_pRdCur = m_pRdEnd = pBuf;
  if (!m_pFile || pos >= m_nSize) return false;
  if (std::fseek(m_pFile, static_cast<long>(pos), SEEK_SET) != 0) return false;
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(kBufSize, m_nSize - pos));
  const std::size_t got = std::fread(pBuf, 1, want, m_pFile);
  m_pRdEnd = pBuf + got;
  return got > 0;
}

bool CArchive::ReadSlow(void* p, std::size_t n) {
  if (m_mode != load || m_bCutShort) return false;
  if (GetRemaining() < n) {
    // Not enough data: consume what is left and fail from now on.
    m_pRdCur = m_pRdEnd;
    SetCutShort();
    return false;
  }
  auto* pOut = static_cast<std::uint8_t*>(p);
  while (n > 0) {
    std::size_t avail = static_cast<std::size_t>(m_pRdEnd - m_pRdCur);
    if (avail == 0) {
      // Only a file window can run dry while data remains.
      if (!m_pFile || !FillFrom(GetPosition())) {
        SetCutShort();
        return false;
      }
      avail = static_cast<std::size_t>(m_pRdEnd - m_pRdCur);
    }
    const std::size_t take = std::min(avail, n);
    std::memcpy(pOut, m_pRdCur, take);
    m_pRdCur += take;
    pOut += take;
    n -= take;
  }
  return true;
}

bool CArchive::Skip(std::uint64_t n) {
  if (m_mode != load || m_bCutShort) return false;
  if (GetRemaining() < n) {
    m_pRdCur = m_pRdEnd;
    SetCutShort();
    return false;
  }
  const std::uint64_t avail = static_cast<std::uint64_t>(m_pRdEnd - m_pRdCur);
  if (n <= avail) {
    m_pRdCur += n;
    return true;
  }
  return Seek(GetPosition() + n);
}

bool CArchive::Seek(std::uint64_t pos) {
  if (m_mode != load || pos > m_nSize) return false;
  m_bCutShort = false;
  if (!m_pFile) {
    // Memory: the window is the whole data again.
    m_pRdBegin -= 0;
    m_pRdEnd = m_pRdBegin + m_nSize;
    m_pRdCur = m_pRdBegin + pos;
    return true;
  }
  if (pos >= m_nWindowStart &&
      pos < m_nWindowStart + static_cast<std::uint64_t>(m_pRdEnd - m_pRdBegin)) {
    m_pRdCur = m_pRdBegin + (pos - m_nWindowStart);
    return true;
  }
  FillFrom(pos);
  return true;
}
