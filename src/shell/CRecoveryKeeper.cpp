#include "shell/CRecoveryKeeper.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"
#include "platform/CRecoveryFile.h"
#include "platform/CSafeFile.h"
#include "resources/CommandIds.h"
#include "resources/RecoveryTexts.h"
#include "shell/CKvillApp.h"
#include "shell/CMainFrame.h"
#include "shell/CShellUi.h"
#include "shell/CViewWidget.h"
#include "shell/ShellText.h"
#include "view/CKvillView.h"

namespace {

QString Utf8(const char* psz) { return QString::fromUtf8(psz); }

// A recovery file held under an exclusive lock while it lives: an editor that meets a
// file locked by another one leaves it to that one.
class CLockedFile {
 public:
  explicit CLockedFile(const QString& strPath)
      : m_fd(::open(QFile::encodeName(strPath).constData(), O_RDONLY | O_CLOEXEC)) {
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(m_fd);
      m_fd = -1;
    }
  }
  ~CLockedFile() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CLockedFile(const CLockedFile&) = delete;
  CLockedFile& operator=(const CLockedFile&) = delete;
  bool IsLocked() const { return m_fd >= 0; }
  // The whole file; false when it could not be read.
  bool ReadAll(std::vector<std::uint8_t>& bytes) const {
    bytes.clear();
    std::uint8_t buffer[65536];
    for (;;) {
      const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      bytes.insert(bytes.end(), buffer, buffer + n);
    }
  }

 private:
  int m_fd;
};

}  // namespace

struct CRecoveryKeeper::COrphan {
  QString strPath;
  std::unique_ptr<CLockedFile> pLock;
  CRecoveryHeader header;
  std::vector<std::uint8_t> bytes;
  std::size_t nStream = 0;
  std::span<const std::uint8_t> Stream() const {
    return std::span(bytes).subspan(std::min(nStream, bytes.size()));
  }
};

CRecoveryKeeper::CRecoveryKeeper(CMainFrame* pFrame, QString strFolder)
    : m_pFrame(pFrame), m_strFolder(std::move(strFolder)) {
  QDir().mkpath(m_strFolder);
  const QStringList delays = qEnvironmentVariable("VALENDRA_RECOVERY_DELAYS").split(u',');
  if (delays.size() == 2) {
    bool bQuiet = false, bInterval = false;
    const int nQuiet = delays[0].toInt(&bQuiet), nInterval = delays[1].toInt(&bInterval);
    if (bQuiet && bInterval && nQuiet >= 0 && nInterval >= 0) SetDelays(nQuiet, nInterval);
  }
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
  m_writer.m_fnWritten = [this] {
    QMetaObject::invokeMethod(
        this, [this] { CollectResults(); }, Qt::QueuedConnection);
  };
}

CRecoveryKeeper::~CRecoveryKeeper() {
  // Nothing the writer still does may call on this.
  m_writer.Wait();
}

void CRecoveryKeeper::SetDelays(int nQuietMs, int nIntervalMs) {
  m_nQuietMs = nQuietMs;
  m_nIntervalMs = nIntervalMs;
  m_timer.setInterval(std::clamp(std::min(nQuietMs, nIntervalMs) / 2, 10, kTickMs));
}

void CRecoveryKeeper::Start() { m_timer.start(); }

QString CRecoveryKeeper::OwnFile() const {
  return QDir(m_strFolder).filePath(recovery::OwnFileName());
}

bool CRecoveryKeeper::IsEnglish() const { return m_pFrame->Language() != res::Language::Czech; }

bool CRecoveryKeeper::MayWriteNow() const {
  // Not in the middle of anything: no dialog's loop running inside a command (the main
  // loop is level 1; tests pump events at level 0), no button held, no gesture, no long
  // work letting events through.
  if (QThread::currentThread()->loopLevel() > 1) return false;
  if (QGuiApplication::mouseButtons() != Qt::NoButton) return false;
  if (m_pFrame->View()->IsInGesture()) return false;
  return !m_pFrame->ViewWidget()->IsBusy();
}

void CRecoveryKeeper::Tick() {
  CKvillDoc* pDoc = m_pFrame->Document();
  if (!pDoc->IsModified()) {
    // Saved, or back at the saved state, or discarded: nothing to recover.
    RemoveOwnFile();
    return;
  }
  const std::uint64_t nChanges = m_pFrame->View()->History().Changes();
  if (nChanges != m_nSeenChanges || pDoc->m_strPathName != m_strSeenPath) {
    m_nSeenChanges = nChanges;
    m_strSeenPath = pDoc->m_strPathName;
    m_sinceChange.start();
    m_bStale = true;
  }
  if (!m_bStale) return;
  if (m_sinceChange.isValid() && m_sinceChange.elapsed() < m_nQuietMs) return;
  if (m_sinceWrite.isValid() && m_sinceWrite.elapsed() < m_nIntervalMs) return;
  if (!MayWriteNow()) return;
  WriteNow();
}

void CRecoveryKeeper::WriteNow(const QString& strRemoveAfter) {
  CKvillDoc* pDoc = m_pFrame->Document();
  CKvillView* pView = m_pFrame->View();
  // The snapshot of what the window shows holds every record's bytes already; only when
  // there is none (a history just reset, or emptied by a memory failure) is the drawing
  // stored anew.
  CRecoveryWriter::CRuns runs = pView->History().CurrentRuns();
  if (runs.empty()) {
    std::vector<std::uint8_t> whole;
    CArchive ar(&whole);
    pDoc->Serialize(ar, CSerializeOptions::SaveWhole());
    ar.Flush();
    runs.push_back(std::make_shared<const CRecoveryWriter::CRun>(
        CRecoveryWriter::CRun{CStoredRecord::Make(whole)}));
  }
  // A recovered drawing has no path yet; its old one is kept for the next recovery.
  const std::string strPath = !pDoc->m_strPathName.empty()
                                  ? pDoc->m_strPathName
                                  : m_pFrame->m_strSuggestedPath.toStdString();
  m_writer.Write(OwnFile(), CRecoveryHeader::ForThisProcess(strPath), std::move(runs),
                 strRemoveAfter);
  m_sinceWrite.start();
  m_bHaveFile = true;
  m_bStale = false;
}

void CRecoveryKeeper::WaitForWrites() {
  m_writer.Wait();
  CollectResults();
}

void CRecoveryKeeper::CollectResults() {
  for (const CRecoveryWriter::CResult& result : m_writer.TakeResults()) {
    if (result.bOk) {
      m_bFailureShown = false;
      ++m_nWrites;
      continue;
    }
    // Tried again at the next interval.
    m_bStale = true;
    if (m_bFailureShown) continue;
    m_bFailureShown = true;
    const res::Language lang = IsEnglish() ? res::Language::English : res::Language::Czech;
    CShellUi::MessageBox(
        m_pFrame, Utf8(res::Recovery(lang).writeFailed).arg(result.strPath, result.strReason),
        Utf8(res::Messages(lang).errorCaption), CShellUi::kIconError);
  }
}

void CRecoveryKeeper::RemoveOwnFile() {
  if (m_bHaveFile) {
    m_writer.Remove(OwnFile());
    m_bHaveFile = false;
  }
  m_bStale = true;
}

void CRecoveryKeeper::EndNormally() {
  m_timer.stop();
  RemoveOwnFile();
  m_writer.Wait();
}

void CRecoveryKeeper::PutAside(const QString& strPath, const QString& strReason) {
  const QString aside = recovery::BrokenName(strPath);
  ::rename(QFile::encodeName(strPath).constData(), QFile::encodeName(aside).constData());
  const res::Language lang = IsEnglish() ? res::Language::English : res::Language::Czech;
  CShellUi::MessageBox(m_pFrame, Utf8(res::Recovery(lang).broken).arg(strPath, strReason, aside),
                       Utf8(res::Messages(lang).errorCaption), CShellUi::kIconError);
}

void CRecoveryKeeper::OfferOrphans() {
  const QDir dir(m_strFolder);
  // What killed writes left behind goes first; then every file of an editor that is gone
  // and that no other editor holds.
  CSafeFile::RemoveLeftoversIn(m_strFolder, recovery::IsRecoveryFileName);
  std::vector<COrphan> orphans;
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
    if (!recovery::IsRecoveryFileName(name)) continue;
    COrphan orphan;
    orphan.strPath = dir.filePath(name);
    orphan.pLock = std::make_unique<CLockedFile>(orphan.strPath);
    if (!orphan.pLock->IsLocked()) continue;
    if (!orphan.pLock->ReadAll(orphan.bytes)) {
      PutAside(orphan.strPath, QString::fromLocal8Bit(std::strerror(errno)));
      continue;
    }
    std::string strError;
    const auto header = CRecoveryHeader::Parse(orphan.bytes, &orphan.nStream, &strError);
    if (!header) {
      PutAside(orphan.strPath, QString::fromStdString(strError));
      continue;
    }
    // Under its lock the file may still have been taken over since the listing.
    if (!header->IsOrphan() || !QFile::exists(orphan.strPath)) continue;
    orphan.header = *header;
    orphans.push_back(std::move(orphan));
  }
  if (orphans.empty()) return;
  std::stable_sort(orphans.begin(), orphans.end(), [](const COrphan& a, const COrphan& b) {
    return a.header.nTime > b.header.nTime;
  });

  const res::Language lang = IsEnglish() ? res::Language::English : res::Language::Czech;
  const res::RecoveryTexts& texts = res::Recovery(lang);
  const QString untitled = TemplateField(res::LoadString(cmd::kIdsDocumentTemplate, lang), 1);
  QStringList lines;
  for (const COrphan& o : orphans) {
    const QString name = o.header.strPath.empty()
                             ? untitled
                             : FileNamePart(QString::fromStdString(o.header.strPath));
    const QString time =
        QDateTime::fromSecsSinceEpoch(o.header.nTime).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    lines << QStringLiteral("    ") + Utf8(texts.entry).arg(name, time);
  }
  enum { kRecover, kDiscard, kLater };
  const int nAnswer = CShellUi::Choose(
      m_pFrame, Utf8(texts.offer).arg(lines.join(u'\n')), Utf8(res::Messages(lang).appCaption),
      {Utf8(texts.recover), Utf8(texts.discard), Utf8(texts.later)}, kRecover, kLater);
  if (nAnswer == kDiscard) {
    for (const COrphan& o : orphans) QFile::remove(o.strPath);
    return;
  }
  if (nAnswer != kRecover) return;

  CKvillDoc* pDoc = m_pFrame->Document();
  bool bWindowFree =
      !pDoc->IsModified() && pDoc->m_strPathName.empty() && pDoc->m_listObjects.empty();
  for (COrphan& o : orphans) {
    if (bWindowFree) {
      bWindowFree = false;
      OpenInWindow(o);
      continue;
    }
    // Another editor takes it. Until that one has written its own file, this one owns the
    // file (so no third editor offers it meanwhile); should the other never take it, it
    // is offered again once this editor has ended.
    CRecoveryHeader mine = CRecoveryHeader::ForThisProcess(o.header.strPath);
    mine.nTime = o.header.nTime;
    const std::span<const std::uint8_t> stream[] = {o.Stream()};
    if (!recovery::Write(o.strPath, mine, stream, nullptr)) continue;
    if (m_fnStartInstance) m_fnStartInstance({QStringLiteral("--recover"), o.strPath});
  }
}

bool CRecoveryKeeper::RecoverFile(const QString& strPath) {
  COrphan orphan;
  orphan.strPath = strPath;
  // The editor that started this one may still hold the lock for a moment.
  for (int i = 0; i < 100; ++i) {
    orphan.pLock = std::make_unique<CLockedFile>(strPath);
    if (orphan.pLock->IsLocked() || !QFile::exists(strPath)) break;
    QThread::msleep(20);
  }
  if (!orphan.pLock->IsLocked()) return false;
  if (!orphan.pLock->ReadAll(orphan.bytes)) {
    PutAside(strPath, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  std::string strError;
  const auto header = CRecoveryHeader::Parse(orphan.bytes, &orphan.nStream, &strError);
  if (!header) {
    PutAside(strPath, QString::fromStdString(strError));
    return false;
  }
  orphan.header = *header;
  return OpenInWindow(orphan);
}

bool CRecoveryKeeper::OpenInWindow(const COrphan& orphan) {
  const bool bWhole =
      m_pFrame->OpenRecovered(orphan.Stream(), QString::fromStdString(orphan.header.strPath));
  if (!bWhole) {
    // What could be read is in the window; the file stays, put aside, for whoever wants
    // to look at it.
    PutAside(
        orphan.strPath,
        Utf8(res::Recovery(IsEnglish() ? res::Language::English : res::Language::Czech).cutShort));
    return !m_pFrame->Document()->m_listObjects.empty();
  }
  // The drawing is this editor's now: its own file first, then the old one goes.
  WriteNow(orphan.strPath);
  return true;
}
