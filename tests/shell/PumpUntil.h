#pragma once

// Waiting in the Qt tests. Timers, posted messages and window events come late on a busy
// machine, so a test waits for the state it needs, never for a fixed time.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

// Handles events until the condition holds, looking at it after each round of events, or
// until the deadline has passed; returns whether the condition holds. The deadline is only
// there so that a broken program fails the test instead of hanging it.
inline bool PumpUntil(const std::function<bool()>& condition, int nDeadlineMs = 30000) {
  const QDeadlineTimer deadline(nDeadlineMs);
  // Ends a wait for events at least this often, so that the deadline is seen.
  QTimer wake;
  wake.start(10);
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (condition()) return true;
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}
