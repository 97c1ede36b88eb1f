#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

// A byte stream of little-endian values over memory or a file, in one direction.
//
// Loading never reads outside its data: a read that cannot be satisfied in full returns
// false, leaves the destination untouched, consumes what was left and marks the archive as
// cut short, so that every later read fails as well. Storing goes through a buffer that is
// handed to the sink (a byte vector or a file) when it fills and at Flush or destruction.
class CArchive {
 public:
  enum Mode { store, load };

  // Loading from bytes owned by the caller, which must outlive the archive.
  explicit CArchive(std::span<const std::uint8_t> data);
  // Storing by appending to a byte vector owned by the caller.
  explicit CArchive(std::vector<std::uint8_t>* pOut);
  // A file archive; IsOpen tells whether the file could be opened.
  CArchive(const std::string& strPath, Mode mode);
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;
  ~CArchive();

  bool IsStoring() const { return m_mode == store; }
  bool IsLoading() const { return m_mode == load; }
  bool IsOpen() const { return m_bOpen; }
  const std::string& GetFilePath() const { return m_strPath; }

  // --- storing ---
  void Write(const void* p, std::size_t n) {
    if (n <= static_cast<std::size_t>(m_pWrEnd - m_pWrCur)) {
      std::memcpy(m_pWrCur, p, n);
      m_pWrCur += n;
    } else {
      WriteSlow(p, n);
    }
  }
  void WriteInt32(std::int32_t v) { WriteLE<std::uint32_t>(static_cast<std::uint32_t>(v)); }
  void WriteUInt32(std::uint32_t v) { WriteLE<std::uint32_t>(v); }
  void WriteDouble(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    WriteLE<std::uint64_t>(u);
  }
  // Hands buffered bytes to the sink. False when a file write failed (now or earlier).
  bool Flush();
  bool HasWriteError() const { return m_bWriteError; }
  // Storing: how many bytes have been written since the archive was made.
  std::uint64_t GetWrittenSize() const {
    return m_nWritten + static_cast<std::uint64_t>(m_pWrCur - m_buf.get());
  }

  // --- loading ---
  // Reads exactly n bytes, or returns false (see the class comment).
  bool Read(void* p, std::size_t n) {
    if (n <= static_cast<std::size_t>(m_pRdEnd - m_pRdCur)) {
      std::memcpy(p, m_pRdCur, n);
      m_pRdCur += n;
      return true;
    }
    return ReadSlow(p, n);
  }
  bool ReadInt32(std::int32_t& v) {
    std::uint32_t u;
    if (!ReadLE(u)) return false;
    v = static_cast<std::int32_t>(u);
    return true;
  }
  bool ReadUInt32(std::uint32_t& v) { return ReadLE(v); }
  bool ReadDouble(double& v) {
    std::uint64_t u;
    if (!ReadLE(u)) return false;
    std::memcpy(&v, &u, 8);
    return true;
  }
  // Skips n bytes; false (and cut short) when fewer are left.
  bool Skip(std::uint64_t n);
  // Bytes between the read position and the end of the data.
  std::uint64_t GetRemaining() const;
  // Absolute read position from the start of the data.
  std::uint64_t GetPosition() const;
  // Moves the read position; clears the cut-short state. False beyond the end.
  bool Seek(std::uint64_t pos);
  // Marks the data as ending here: every later read fails.
  void SetCutShort();
  bool IsCutShort() const { return m_bCutShort; }

 private:
  template <typename T>
  void WriteLE(T v) {
    std::uint8_t b[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
    Write(b, sizeof(T));
  }
  template <typename T>
  bool ReadLE(T& v) {
    std::uint8_t b[sizeof(T)];
    if (!Read(b, sizeof(T))) return false;
    T r = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) r |= static_cast<T>(b[i]) << (8 * i);
    v = r;
    return true;
  }
  void WriteSlow(const void* p, std::size_t n);
  bool ReadSlow(void* p, std::size_t n);
  // File loading: fills the buffer from file offset pos.
  bool FillFrom(std::uint64_t pos);

  static constexpr std::size_t kBufSize = 4096;

  Mode m_mode;
  bool m_bOpen = true;
  bool m_bCutShort = false;
  bool m_bWriteError = false;
  std::string m_strPath;
  std::FILE* m_pFile = nullptr;
  std::vector<std::uint8_t>* m_pOut = nullptr;
  std::unique_ptr<std::uint8_t[]> m_buf;

  // Storing: free room of the buffer [m_pWrCur, m_pWrEnd).
  std::uint8_t* m_pWrCur = nullptr;
  std::uint8_t* m_pWrEnd = nullptr;
  std::uint64_t m_nWritten = 0;  // handed on to the sink, or dropped on a write error

  // Loading: the window [m_pRdBegin, m_pRdEnd) holds the bytes from offset m_nWindowStart
  // of the data; for memory it is the whole data, for a file the last buffer filled.
  const std::uint8_t* m_pRdBegin = nullptr;
  const std::uint8_t* m_pRdCur = nullptr;
  const std::uint8_t* m_pRdEnd = nullptr;
  std::uint64_t m_nWindowStart = 0;
  std::uint64_t m_nSize = 0;  // total size of the data being loaded
};
