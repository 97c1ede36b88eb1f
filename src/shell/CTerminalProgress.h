#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "document/WorkProgress.h"

// The progress line of the command-line tools: "valendra: exporting out.png: 45%",
// rewritten in place on standard error. It appears only when that is a terminal and the
// work has gone on for longer than a moment, so scripts and quick runs see nothing; when
// the work is done the line is completed and ends.
class CTerminalProgress {
 public:
  static constexpr std::chrono::milliseconds kShowDelay{500};

  // strWhat: what is being done ("exporting out.png"); nFd: the descriptor written to.
  explicit CTerminalProgress(std::string strWhat, int nFd = 2,
                             std::chrono::milliseconds delay = kShowDelay);
  CTerminalProgress(const CTerminalProgress&) = delete;
  CTerminalProgress& operator=(const CTerminalProgress&) = delete;
  // A line that was shown ends with the last percentage reached.
  ~CTerminalProgress();

  // Reports nDone of nTotal; always answers true (the command line has no Cancel).
  bool Step(std::int64_t nDone, std::int64_t nTotal);
  // Step as a callable for the work to report through.
  WorkProgress Callback();
  // The work has ended well: a line that was shown says 100%.
  void Finish();

  bool IsShown() const { return m_bShown; }

 private:
  void Write(int nPercent);

  std::string m_strWhat;
  int m_nFd;
  bool m_bTerminal;
  std::chrono::milliseconds m_delay;
  std::chrono::steady_clock::time_point m_start;
  std::chrono::steady_clock::time_point m_lastWrite;
  bool m_bShown = false;
  int m_nPercent = -1;
};

// Maps the progress of one stage of a longer job into the part [nFrom, nTo] of a scale of
// 0 to 100 on which whole reports.
WorkProgress StageProgress(const WorkProgress& whole, int nFrom, int nTo);
