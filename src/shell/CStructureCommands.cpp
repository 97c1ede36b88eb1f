#include "shell/CStructureCommands.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPen>
#include <QTimer>
#include <span>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StreamStructure.h"
#include "chemistry/StructureClean.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureFile.h"
#include "chemistry/StructureOutput.h"
#include "chemistry/StructureReader.h"
#include "chemistry/StructureSelection.h"
#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "platform/CSafeFile.h"
#include "shell/CMainFrame.h"
#include "shell/CShellUi.h"
#include "shell/CViewWidget.h"
#include "shell/CWorkProgress.h"
#include "shell/ShellText.h"
#include "view/CKvillView.h"

namespace {

QString Utf8(const char* psz) { return QString::fromUtf8(psz); }

// The molecules a Copy As command copies: the selected ones, or all when nothing is
// selected; formulas alone have no structure to copy.
std::vector<int> MoleculesToCopy(const CDrawingStructure& s, bool bAll) {
  std::vector<int> out;
  for (int m : bAll ? StructureMolecules(s) : SelectedMolecules(s))
    if (!s.molecules[static_cast<std::size_t>(m)].bFormulaOnly) out.push_back(m);
  return out;
}

}  // namespace

CStructureCommands::CStructureCommands(CMainFrame* pFrame, QLabel* pField)
    : QObject(pFrame), m_pFrame(pFrame), m_pField(pField), m_pFieldTimer(new QTimer(this)) {
  m_pFieldTimer->setSingleShot(true);
  connect(m_pFieldTimer, &QTimer::timeout, this, &CStructureCommands::UpdateField);
}

// ---------------------------------------------------------------------------------------
// Export Structure

QString CStructureCommands::InitialExportPath() const {
  return m_pFrame->ExportStartPath(
      kFolderKey, kTypeKey,
      [](const std::string& t) { return StructureFormatOf("x." + t) != CStructureFormat::None; },
      QStringLiteral("mol"), QStringLiteral("structure"));
}

void CStructureCommands::OnExportStructure() {
  const QString path = m_pFrame->AskExportPath(
      static_cast<int>(CShellUi::FileDialog::ExportStructure), m_pFrame->Messages().structureFilter,
      InitialExportPath(), kFolderKey, kTypeKey);
  if (!path.isEmpty()) ExportStructureTo(path);
}

bool CStructureCommands::ExportStructureTo(const QString& strPath) {
  const res::MessageTexts& texts = m_pFrame->Messages();
  const auto fail = [&](const QString& reason) {
    CShellUi::MessageBox(m_pFrame, Utf8(texts.structureFailed).arg(strPath, reason),
                         Utf8(texts.errorCaption), CShellUi::kIconError);
    return false;
  };
  const CKvillDoc* pDoc = m_pFrame->Document();
  const CDrawingStructure s = ReadDrawingStructure(pDoc->m_listObjects);
  CMoleculeSet set(s);
  const QString title = QFileInfo(QString::fromStdString(pDoc->m_strTitle)).completeBaseName();
  const CStructureText text =
      WriteStructureText(StructureFormatOf(strPath.toStdString()), set, title.toStdString());
  if (text.status == CStructureText::Status::NoStructure) return fail(Utf8(texts.noStructure));
  if (text.status == CStructureText::Status::NoReaction) return fail(Utf8(texts.noReaction));
  QString reason;
  const std::span<const std::uint8_t> bytes(
      reinterpret_cast<const std::uint8_t*>(text.strText.data()), text.strText.size());
  if (!CSafeFile::Write(strPath, bytes, &reason)) return fail(reason);
  // What could not be read or written as the drawing shows it.
  if (!text.warnings.empty()) ShowMessage(QString::fromStdString(text.warnings.front()));
  return true;
}

// ---------------------------------------------------------------------------------------
// Copy As SMILES, Copy As InChI

void CStructureCommands::PutTextOnClipboard(const QString& text) {
  if (QClipboard* pClipboard = QGuiApplication::clipboard())
    pClipboard->setText(text, QClipboard::Clipboard);
}

bool CStructureCommands::IsStructureFile(const QString& strPath) {
  return StructureFileSource(QFile::encodeName(strPath).toStdString()) != CStructureSource::None;
}

bool CStructureCommands::OpenStructureFile(const QString& strPath) {
  const std::string path = QFile::encodeName(strPath).toStdString();
  const res::MessageTexts& texts = m_pFrame->Messages();
  CObList objects;
  CStructureFileReading r;
  {
    CWorkProgress progress(m_pFrame, m_pFrame->ViewWidget(),
                           Utf8(texts.progressOpening).arg(FileNamePart(strPath)),
                           Utf8(texts.cancel));
    r = ReadStructureFile(path, StructureFileSource(path), objects, kStructureTopLeft,
                          progress.Callback());
  }
  if (r.bCancelled) return false;
  if (!r.bOk) {
    CShellUi::MessageBox(m_pFrame,
                         Utf8(texts.notStructure).arg(QString::fromStdString(r.strReason)),
                         Utf8(texts.errorCaption), CShellUi::kIconError);
    return false;
  }
  m_pFrame->ResetToNewDocument();
  CKvillDoc* pDoc = m_pFrame->Document();
  pDoc->m_listObjects.splice(pDoc->m_listObjects.end(), objects);
  m_pFrame->View()->ClearHistory();
  // Untitled, named as the drawing would be saved; changed, so that closing asks first.
  pDoc->m_strTitle = (QFileInfo(strPath).completeBaseName() + QStringLiteral(".vld")).toStdString();
  m_pFrame->UpdateTitle();
  pDoc->SetModifiedFlag(true);
  m_pFrame->View()->UpdateView();
  if (!r.warnings.empty()) ShowMessage(QString::fromStdString(r.warnings.front()));
  return true;
}

CObList CStructureCommands::PasteObjects(const QMimeData* pData, CPoint ptCentre) {
  if (pData == nullptr) return {};
  const res::MessageTexts& texts = m_pFrame->Messages();
  const QString molfile = QString::fromLatin1(kMolfileMimeType);
  const QString smiles = QString::fromLatin1(kSmilesMimeType);
  const QString plain = QStringLiteral("text/plain");
  QString type;
  for (const QString& t : {molfile, smiles, plain}) {
    if (pData->hasFormat(t)) {
      type = t;
      break;
    }
  }
  if (type.isEmpty()) return {};
  const QByteArray bytes = pData->data(type);
  if (bytes.size() > kMaxPasteBytes) {
    ShowMessage(Utf8(texts.pasteTooLarge));
    return {};
  }
  const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  const CImportedStructure s = type == molfile  ? ImportStructure(text, CStructureSource::Mol)
                               : type == smiles ? ImportStructure(text, CStructureSource::Smiles)
                                                : ImportStructureText(text);
  if (!s.strError.empty()) {
    ShowMessage(Utf8(texts.pasteNothing).arg(QString::fromStdString(s.strError)));
    return {};
  }
  if (!s.warnings.empty()) ShowMessage(QString::fromStdString(s.warnings.front()));
  return DrawImportedStructure(s, ptCentre, CArrangeAt::Centre);
}

void CStructureCommands::CopyAsSmiles() {
  const CObList& list = m_pFrame->Document()->m_listObjects;
  const CDrawingStructure s = ReadDrawingStructure(list);
  CMoleculeSet set(s);
  const bool bAll = !HasSelection(list);
  const std::vector<int> molecules = MoleculesToCopy(s, bAll);
  const std::string text =
      bAll && !s.steps.empty() ? ReactionSmilesText(set) : SmilesText(set, molecules);
  if (molecules.empty() || text.empty()) {
    ShowMessage(Utf8(m_pFrame->Messages().nothingToCopy));
    return;
  }
  PutTextOnClipboard(QString::fromStdString(text));
}

void CStructureCommands::CopyAsInchi() {
  const CObList& list = m_pFrame->Document()->m_listObjects;
  const CDrawingStructure s = ReadDrawingStructure(list);
  CMoleculeSet set(s);
  const std::vector<int> molecules = MoleculesToCopy(s, !HasSelection(list));
  if (molecules.empty()) {
    ShowMessage(Utf8(m_pFrame->Messages().nothingToCopy));
    return;
  }
  std::string strInChI;
  std::string strKey;
  std::string strReason;
  if (!set.InChI(molecules, &strInChI, &strKey, &strReason)) {
    ShowMessage(Utf8(m_pFrame->Messages().noInchi).arg(QString::fromStdString(strReason)));
    return;
  }
  PutTextOnClipboard(QString::fromStdString(strInChI));
}

// ---------------------------------------------------------------------------------------
// Check Structure

CStructureCommands::CMarksKey CStructureCommands::MarksKey() const {
  const CKvillView* pView = m_pFrame->View();
  const CKvillDoc* pDoc = m_pFrame->Document();
  return {pView->History().Size(), pView->History().Position(), pView->History().IsAtOldest(),
          pDoc->m_listObjects.size(), pDoc};
}

void CStructureCommands::CheckStructure() {
  const CDrawingStructure s = ReadDrawingStructure(m_pFrame->Document()->m_listObjects);
  CMoleculeSet set(s);
  m_marks.clear();
  const auto mark = [this](const CChemWarning& w) {
    if (w.bMark && w.pSource != nullptr &&
        std::find(m_marks.begin(), m_marks.end(), w.pSource) == m_marks.end())
      m_marks.push_back(w.pSource);
  };
  for (const CChemWarning& w : s.warnings) mark(w);
  for (const CChemWarning& w : set.Problems()) mark(w);
  m_marksKey = MarksKey();
  const res::MessageTexts& texts = m_pFrame->Messages();
  const int n = static_cast<int>(m_marks.size());
  if (n == 0) {
    ShowMessage(Utf8(texts.noProblems));
  } else if (n == 1) {
    ShowMessage(Utf8(texts.oneProblem));
  } else {
    ShowMessage(Utf8(n <= 4 ? texts.fewProblems : texts.manyProblems).arg(n));
  }
  // Only the frames are new: the window shows them over the picture it has.
  m_pFrame->ViewWidget()->Client()->update();
}

const std::vector<const CKVObject*>& CStructureCommands::Marks() {
  // A change may have deleted what the frames were around: they go before anything looks.
  if (!m_marks.empty() && !(MarksKey() == m_marksKey)) m_marks.clear();
  return m_marks;
}

void CStructureCommands::PaintMarks(QPainter& painter) {
  if (Marks().empty()) return;
  const CKvillView* pView = m_pFrame->View();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(QColor(220, 0, 0), 2));
  painter.setBrush(Qt::NoBrush);
  for (const CKVObject* p : m_marks) {
    const CRect f = p->GetSelectionFrame();
    const CPoint a = pView->LogicalToDevice(CPoint{f.left, f.top});
    const CPoint b = pView->LogicalToDevice(CPoint{f.right, f.bottom});
    painter.drawRect(QRect(QPoint(a.x, a.y), QPoint(b.x, b.y)).normalized().adjusted(-2, -2, 2, 2));
  }
  painter.restore();
}

// ---------------------------------------------------------------------------------------
// Clean Structure

bool CStructureCommands::CanClean() {
  // Asked after every command: the drawing is read again only once it has changed.
  const CFieldKey key = FieldKey();
  if (!m_cleanKey || !(*m_cleanKey == key)) {
    m_cleanKey = key;
    m_bCanClean = key.nSelected > 0 && HasMoleculeToClean(m_pFrame->Document()->m_listObjects);
  }
  return m_bCanClean;
}

void CStructureCommands::CleanStructure() {
  CCleanStructure clean = ::CleanStructure(m_pFrame->Document()->m_listObjects);
  if (clean.added.empty()) {
    ShowMessage(Utf8(m_pFrame->Messages().notCleaned)
                    .arg(QString::fromStdString(clean.strProblem.empty() ? std::string("-")
                                                                         : clean.strProblem)));
    return;
  }
  m_pFrame->View()->ReplaceObjects(clean.gone, clean.ends, std::move(clean.added));
  // A molecule left as it was says why.
  if (!clean.strProblem.empty())
    ShowMessage(
        Utf8(m_pFrame->Messages().notCleaned).arg(QString::fromStdString(clean.strProblem)));
}

// ---------------------------------------------------------------------------------------
// The status bar's field

CStructureCommands::CFieldKey CStructureCommands::FieldKey() const {
  const CKvillDoc* pDoc = m_pFrame->Document();
  return {CKVObject::LatestChangeStamp(), pDoc->m_listObjects.size(), m_pFrame->View()->SelCount(),
          pDoc};
}

void CStructureCommands::OnViewPainted() {
  if (m_fieldKey && *m_fieldKey == FieldKey()) return;
  // A timer: the paint that showed the change is on the screen before the field is worked
  // out. Another change before it fires starts it again.
  m_pFieldTimer->start(FieldDelay(m_nFieldCostMs));
}

void CStructureCommands::UpdateField() {
  QElapsedTimer cost;
  cost.start();
  m_fieldKey = FieldKey();
  m_pField->setText(
      QString::fromStdString(SelectionFormulaAndMass(m_pFrame->Document()->m_listObjects)));
  m_nFieldCostMs = cost.elapsed();
}

void CStructureCommands::ShowMessage(const QString& text) {
  if (QLabel* pPane = m_pFrame->MessagePane()) pPane->setText(text);
}

std::vector<std::pair<QString, QByteArray>> ClipboardStructures(
    const CClipboardSource::Bytes& stream) {
  const CStreamStructure s = StructureOfStream(stream);
  std::vector<std::pair<QString, QByteArray>> out;
  if (!s.strMolBlock.empty())
    out.emplace_back(QString::fromLatin1(kMolfileMimeType),
                     QByteArray::fromStdString(s.strMolBlock));
  if (!s.strSmiles.empty())
    out.emplace_back(QString::fromLatin1(kSmilesMimeType), QByteArray::fromStdString(s.strSmiles));
  return out;
}
