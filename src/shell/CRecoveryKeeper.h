#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/CRecoveryWriter.h"

class CMainFrame;

// Keeps a drawing that is not saved from being lost by a crash, a killed process or a
// power cut. While the drawing is modified, its stream is written in idle time to this
// process's recovery file (5 s after the last change, at most every 30 s, never while a
// gesture, a dialog or long work is under way), from the undo history's records of what
// the window shows, so that after one change in a large drawing the write costs what the
// snapshot did and not a store of every object. The file goes when the drawing is saved or
// discarded and when the editor ends normally.
//
// At start-up, the files of editors that are gone are offered in one question: Recover
// opens each as a modified, untitled drawing "NAME (recovered)" whose Save As suggests its
// old path; Discard deletes them; Later keeps them. Each file offered is locked while the
// question is open, so two editors started at once never offer the same file. A file
// that does not read is reported and put aside as NAME.broken, never deleted.
class CRecoveryKeeper : public QObject {
 public:
  // strFolder: where the recovery files live (made when missing).
  CRecoveryKeeper(CMainFrame* pFrame, QString strFolder);
  ~CRecoveryKeeper() override;
  CRecoveryKeeper(const CRecoveryKeeper&) = delete;
  CRecoveryKeeper& operator=(const CRecoveryKeeper&) = delete;

  // Starts the idle writes (a look every 500 ms).
  void Start();
  // One look: removes the file of a drawing no longer modified, writes one whose drawing
  // changed and has been quiet long enough.
  void Tick();
  // Writes the file now, as the drawing is, on the writer's thread: the window hands over
  // the history's records and goes on. When it is written, strRemoveAfter goes. A failure
  // is shown (once until a write succeeds again) when the window next handles its events.
  void WriteNow(const QString& strRemoveAfter = {});
  // Waits for the writes handed over, and shows what became of them.
  void WaitForWrites();
  // The editor ends normally: the file goes.
  void EndNormally();

  // The start-up question about the files of editors that are gone. The first drawing
  // recovered opens in this window when it holds nothing yet, each other one in an editor
  // of its own (started with --recover FILE).
  void OfferOrphans();
  // Opens a recovery file in this window (the --recover of a new instance). False when
  // nothing could be read from it.
  bool RecoverFile(const QString& strPath);

  QString Folder() const { return m_strFolder; }
  QString OwnFile() const;
  // Writes done, for tests.
  int WritesDone() const { return m_nWrites; }

  // How long the drawing must have been quiet and how long since the last write before
  // the next one (the environment variable VALENDRA_RECOVERY_DELAYS="QUIET,INTERVAL", in
  // milliseconds, sets them at start-up: tests that kill the editor want them short).
  void SetDelays(int nQuietMs, int nIntervalMs);
  static constexpr int kQuietMs = 5000;
  static constexpr int kIntervalMs = 30000;
  static constexpr int kTickMs = 500;

  // Starts an editor that recovers the file given (the application's way by default).
  std::function<bool(const QStringList& args)> m_fnStartInstance;

 private:
  struct COrphan;
  bool MayWriteNow() const;
  // What became of the writes: a failure is shown, once until one succeeds again.
  void CollectResults();
  void RemoveOwnFile();
  // Loads a recovery file's stream into this window as a recovered drawing; false when it
  // did not read whole (what was read stays).
  bool OpenInWindow(const COrphan& orphan);
  // Puts a file that does not read aside, and says so.
  void PutAside(const QString& strPath, const QString& strReason);
  bool IsEnglish() const;

  CMainFrame* m_pFrame;
  QString m_strFolder;
  QTimer m_timer;
  int m_nQuietMs = kQuietMs;
  int m_nIntervalMs = kIntervalMs;
  // What the file holds: the history's change count and the drawing's path then.
  bool m_bStale = true;
  bool m_bHaveFile = false;
  std::uint64_t m_nSeenChanges = ~std::uint64_t(0);
  std::string m_strSeenPath;
  QElapsedTimer m_sinceChange;
  QElapsedTimer m_sinceWrite;
  bool m_bFailureShown = false;
  int m_nWrites = 0;
  // Last, so that its thread ends before anything it may call on goes.
  CRecoveryWriter m_writer;
};
