#include "CContainerWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <cstdio>

#include "CPictureSite.h"

namespace {

// The in-place area is at least this large, so that there is room to draw around a small
// drawing; it is the picture's size and a margin otherwise.
constexpr QSize kLeastEditSize{480, 320};
constexpr int kEditMargin = 120;
constexpr int kPageWidth = 680;

QLabel* Paragraph(const QString& strText, QWidget* pParent) {
  auto* p = new QLabel(strText, pParent);
  p->setWordWrap(true);
  p->setTextFormat(Qt::PlainText);
  return p;
}

}  // namespace

CContainerWindow::CContainerWindow(const QString& strFile, const QString& strEditor, bool bTrace)
    : m_strFile(strFile), m_strEditor(strEditor), m_bTrace(bTrace) {
  setWindowTitle(tr("%1 - Valendra Container").arg(QFileInfo(strFile).fileName()));

  QMenu* pFile = menuBar()->addMenu(tr("&File"));
  QAction* pEdit = pFile->addAction(tr("&Edit Drawing"), this, &CContainerWindow::BeginEditing);
  pFile->addSeparator();
  pFile->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

  // The container's own toolbar, and the area it lends to the editor's.
  QToolBar* pBar = addToolBar(tr("Document"));
  pBar->setMovable(false);
  pBar->addAction(pEdit);
  pBar->addSeparator();
  m_pBarArea = new QWidget(pBar);
  m_pBarArea->setObjectName(QStringLiteral("EditorToolBarArea"));
  m_pBarArea->setFixedHeight(30);
  m_pBarArea->setMinimumWidth(320);
  m_pBarArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  pBar->addWidget(m_pBarArea);

  // The page: a heading, text, the drawing, more text.
  auto* pScroll = new QScrollArea(this);
  pScroll->setBackgroundRole(QPalette::Dark);
  pScroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  auto* pDesk = new QWidget;
  pDesk->setBackgroundRole(QPalette::Dark);
  auto* pDeskLayout = new QHBoxLayout(pDesk);
  pDeskLayout->setContentsMargins(24, 24, 24, 24);
  m_pPage = new QWidget(pDesk);
  m_pPage->setObjectName(QStringLiteral("Page"));
  m_pPage->setBackgroundRole(QPalette::Window);
  m_pPage->setForegroundRole(QPalette::WindowText);
  m_pPage->setAutoFillBackground(true);
  QPalette pal = m_pPage->palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  m_pPage->setPalette(pal);
  m_pPage->setMinimumWidth(kPageWidth);
  auto* pLayout = new QVBoxLayout(m_pPage);
  pLayout->setContentsMargins(48, 40, 48, 60);
  pLayout->setSpacing(14);
  auto* pHeading = new QLabel(tr("Laboratory notes"), m_pPage);
  QFont font = pHeading->font();
  font.setPointSize(font.pointSize() + 8);
  font.setBold(true);
  pHeading->setFont(font);
  pLayout->addWidget(pHeading);
  pLayout->addWidget(Paragraph(
      tr("The drawing below is kept in %1 and edited by Valendra. Double-click it to edit it "
         "in place; press Esc, or click elsewhere on the page, to finish.")
          .arg(QFileInfo(strFile).fileName()),
      m_pPage));
  m_pPicture = new CPictureSite(m_pPage);
  pLayout->addWidget(m_pPicture, 0, Qt::AlignLeft);
  pLayout->addWidget(Paragraph(
      tr("The picture is the one Valendra writes beside the drawing whenever the editing ends, "
         "so this page shows the drawing as it was last given back."),
      m_pPage));
  pLayout->addStretch(1);
  pDeskLayout->addStretch(1);
  pDeskLayout->addWidget(m_pPage);
  pDeskLayout->addStretch(1);
  pScroll->setWidget(pDesk);
  pScroll->setWidgetResizable(true);
  setCentralWidget(pScroll);
  m_pPage->installEventFilter(this);

  statusBar()->showMessage(IdleText());
  resize(900, 700);

  connect(m_pPicture, &CPictureSite::editRequested, this, &CContainerWindow::BeginEditing);
  connect(m_pPicture, &CPictureSite::pictureShown, this, [this](QRect rc) {
    Trace(QStringLiteral("picture %1 %2 %3 %4")
              .arg(rc.x())
              .arg(rc.y())
              .arg(rc.width())
              .arg(rc.height()));
  });
  m_editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(&m_editor, &QProcess::readyReadStandardOutput, this, &CContainerWindow::OnEditorOutput);
  connect(&m_editor, &QProcess::finished, this, &CContainerWindow::OnEditorFinished);
  connect(&m_editor, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    Trace(QStringLiteral("editor failed to start"));
    QMessageBox::warning(
        this, windowTitle(),
        tr("The editor %1 could not be started: %2").arg(m_strEditor, m_editor.errorString()));
    OnEditorFinished(-1, QProcess::CrashExit);
  });
  ShowPicture();
}

QString CContainerWindow::IdleText() const { return tr("Double-click the drawing to edit it"); }

void CContainerWindow::Trace(const QString& strLine) const {
  if (!m_bTrace) return;
  std::printf("%s\n", qPrintable(strLine));
  std::fflush(stdout);
}

void CContainerWindow::ShowPicture() { m_pPicture->Load(m_strFile + QStringLiteral(".svg")); }

void CContainerWindow::BeginEditing() {
  if (IsEditing()) return;
  m_bDeactivated = false;
  m_output.clear();
  const QSize szPicture = m_pPicture->PictureSize();
  const QSize sz = (szPicture + QSize(kEditMargin, kEditMargin)).expandedTo(kLeastEditSize);
  const WId site = m_pPicture->BeginEditing(sz);
  m_pBarSite = new QWidget(m_pBarArea);
  m_pBarSite->setAttribute(Qt::WA_NativeWindow);
  m_pBarSite->setGeometry(m_pBarArea->rect());
  m_pBarSite->show();
  const QString siteId = QStringLiteral("0x%1").arg(site, 0, 16);
  const QString barId = QStringLiteral("0x%1").arg(m_pBarSite->winId(), 0, 16);
  const QStringList args{QStringLiteral("--embedding"), m_strFile, QStringLiteral("--in-place"),
                         siteId, barId};
  Trace(QStringLiteral("site %1 toolbar area %2").arg(siteId, barId));
  statusBar()->showMessage(tr("Starting the editor..."));
  m_editor.start(m_strEditor, args);
  if (m_editor.waitForStarted(-1)) {
    Trace(QStringLiteral("editor started %1").arg(m_editor.processId()));
  }
}

void CContainerWindow::RequestDeactivate() {
  if (!IsEditing() || m_bDeactivated) return;
  m_editor.write("deactivate\n");
  Trace(QStringLiteral("sent deactivate"));
}

void CContainerWindow::OnEditorOutput() {
  m_output += m_editor.readAllStandardOutput();
  for (;;) {
    const qsizetype nl = m_output.indexOf('\n');
    if (nl < 0) break;
    const QString line = QString::fromUtf8(m_output.left(nl));
    m_output.remove(0, nl + 1);
    OnEditorLine(line);
  }
}

void CContainerWindow::OnEditorLine(const QString& strLine) {
  Trace(QStringLiteral("editor: ") + strLine);
  if (strLine == QLatin1String("activated")) {
    statusBar()->showMessage(tr("Editing the drawing in place; Esc gives it back"));
  } else if (strLine == QLatin1String("deactivated")) {
    m_bDeactivated = true;
  } else if (strLine.startsWith(QLatin1String("size "))) {
    const QStringList parts = strLine.split(QLatin1Char(' '));
    bool bW = false, bH = false;
    const int w = parts.value(1).toInt(&bW);
    const int h = parts.value(2).toInt(&bH);
    if (parts.size() == 3 && bW && bH && w > 0 && h > 0) {
      m_pPicture->ResizeEditing(QSize(w, h) / devicePixelRatio());
    }
  } else if (strLine == QLatin1String("status")) {
    statusBar()->clearMessage();
  } else if (strLine.startsWith(QLatin1String("status "))) {
    statusBar()->showMessage(strLine.mid(7));
  }
}

void CContainerWindow::OnEditorFinished(int nExitCode, QProcess::ExitStatus status) {
  Trace(QStringLiteral("editor finished %1").arg(status == QProcess::NormalExit ? nExitCode : -1));
  m_pPicture->EndEditing();
  delete m_pBarSite;
  m_pBarSite = nullptr;
  ShowPicture();
  if (m_bDeactivated && status == QProcess::NormalExit && nExitCode == 0) {
    statusBar()->showMessage(IdleText());
  } else {
    statusBar()->showMessage(tr("The editor ended without giving the drawing back"));
  }
  if (m_bCloseWhenDone) close();
}

void CContainerWindow::closeEvent(QCloseEvent* pEvent) {
  if (IsEditing()) {
    // The drawing is given back first; the window closes once the editor has ended.
    m_bCloseWhenDone = true;
    RequestDeactivate();
    pEvent->ignore();
    return;
  }
  pEvent->accept();
}

bool CContainerWindow::eventFilter(QObject* pWatched, QEvent* pEvent) {
  // A click on the page outside the drawing ends the editing, as in a word processor.
  if (pWatched == m_pPage && pEvent->type() == QEvent::MouseButtonPress && IsEditing()) {
    RequestDeactivate();
  }
  return QMainWindow::eventFilter(pWatched, pEvent);
}
