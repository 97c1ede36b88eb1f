#pragma once

// While it lives, no file of this process or of a process it starts may grow beyond a
// given size, as on a disk that fills up: a write past it fails (the signal it would raise
// is ignored, and both carry over to a started program).
#include <signal.h>
#include <sys/resource.h>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t nBytes) {
    getrlimit(RLIMIT_FSIZE, &m_saved);
    struct rlimit limit = m_saved;
    limit.rlim_cur = nBytes;
    m_oldHandler = signal(SIGXFSZ, SIG_IGN);
    m_bSet = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_saved);
    signal(SIGXFSZ, m_oldHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool IsSet() const { return m_bSet; }

 private:
  struct rlimit m_saved {};
  sighandler_t m_oldHandler = SIG_DFL;
  bool m_bSet = false;
};
