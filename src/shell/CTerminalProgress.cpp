#include "shell/CTerminalProgress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

int PercentOf(std::int64_t nDone, std::int64_t nTotal) {
  if (nTotal <= 0) return 0;
  const std::int64_t n = std::clamp<std::int64_t>(nDone, 0, nTotal);
  return static_cast<int>(n * 100 / nTotal);
}

}  // namespace

CTerminalProgress::CTerminalProgress(std::string strWhat, int nFd, std::chrono::milliseconds delay)
    : m_strWhat(std::move(strWhat)),
      m_nFd(nFd),
      m_bTerminal(::isatty(nFd) == 1),
      m_delay(delay),
      m_start(std::chrono::steady_clock::now()) {}

CTerminalProgress::~CTerminalProgress() {
  if (m_bShown) {
    const char nl = '\n';
    [[maybe_unused]] const ssize_t n = ::write(m_nFd, &nl, 1);
  }
}

bool CTerminalProgress::Step(std::int64_t nDone, std::int64_t nTotal) {
  if (!m_bTerminal) return true;
  const int nPercent = PercentOf(nDone, nTotal);
  if (nPercent == m_nPercent) return true;
  const auto now = std::chrono::steady_clock::now();
  if (!m_bShown && now - m_start < m_delay) return true;
  // A terminal need not be rewritten more often than the eye can follow.
  if (m_bShown && now - m_lastWrite < std::chrono::milliseconds(100)) return true;
  m_lastWrite = now;
  Write(nPercent);
  return true;
}

WorkProgress CTerminalProgress::Callback() {
  return [this](std::int64_t nDone, std::int64_t nTotal) { return Step(nDone, nTotal); };
}

void CTerminalProgress::Finish() {
  if (m_bShown && m_nPercent != 100) Write(100);
}

void CTerminalProgress::Write(int nPercent) {
  m_nPercent = nPercent;
  m_bShown = true;
  char line[512];
  const int n =
      std::snprintf(line, sizeof line, "\rvalendra: %s: %3d%%", m_strWhat.c_str(), nPercent);
  if (n > 0) {
    [[maybe_unused]] const ssize_t w =
        ::write(m_nFd, line, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1));
  }
}

WorkProgress StageProgress(const WorkProgress& whole, int nFrom, int nTo) {
  if (!whole) return {};
  return [whole, nFrom, nTo](std::int64_t nDone, std::int64_t nTotal) {
    const double f = nTotal > 0 ? std::clamp(static_cast<double>(nDone) / nTotal, 0.0, 1.0) : 0.0;
    return whole(static_cast<std::int64_t>(nFrom + f * (nTo - nFrom) + 0.5), 100);
  };
}
