#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "document/CClipboardSource.h"
#include "objects/CObList.h"
#include "objects/Geometry.h"

class CKVObject;
class CMainFrame;
class QLabel;
class QMimeData;
class QPainter;
class QTimer;

// The drawing as chemistry in the editor: File > Export Structure, Edit > Copy As SMILES and
// Copy As InChI, Edit > Check Structure with its red frames, and the status bar's field with
// the formula and average mass of the selected molecules (of the whole drawing when nothing
// is selected). The frame owns it; the rows of its commands reach it through the view
// widget.
class CStructureCommands : public QObject {
  Q_OBJECT
 public:
  // pField is the status bar's field this keeps up to date.
  CStructureCommands(CMainFrame* pFrame, QLabel* pField);

  // File > Export Structure: asks for a file name in the folder and of the type of the last
  // export, remembers both, and writes the file. ExportStructureTo writes it through the
  // safe writer and shows a failure with the path and the reason; false when nothing was
  // written.
  void OnExportStructure();
  bool ExportStructureTo(const QString& strPath);
  QString InitialExportPath() const;
  static constexpr const char* kFolderKey = "Software\\Valendra\\Valendra\\ExportStructure\\Folder";
  static constexpr const char* kTypeKey = "Software\\Valendra\\Valendra\\ExportStructure\\Type";

  // Open of a structure file (MOL, SDF, SMILES, RXN, CDXML; by extension, or by content for
  // MOL and CDXML): its molecules replace the drawing as a new untitled one named after the
  // file with ".vld", so that Save asks where to save and never writes a drawing into the
  // structure file. A file that cannot be read is refused with the reader's reason and
  // changes nothing; a long read shows progress and can be cancelled. False when nothing
  // was opened.
  static bool IsStructureFile(const QString& strPath);
  bool OpenStructureFile(const QString& strPath);

  // A paste without a drawing on the clipboard: the molecules of a MOL record
  // (chemical/x-mdl-molfile), of SMILES (chemical/x-daylight-smiles) or of plain text that
  // reads as either (SMILES one per line), drawn with their middle at ptCentre. The text is
  // someone else's: more than kMaxPasteBytes is refused, and text that reads as neither
  // gives nothing; the status bar says why.
  CObList PasteObjects(const QMimeData* pData, CPoint ptCentre);
  static constexpr qsizetype kMaxPasteBytes = 10 << 20;

  // The selected molecules (all when nothing is selected) as plain text on the clipboard:
  // SMILES joined by '.', or, for the whole drawing of a reaction scheme, one reaction SMILES
  // per step; the standard InChI of them together.
  void CopyAsSmiles();
  void CopyAsInchi();

  // Edit > Check Structure: frames every atom with a valence problem or a label not
  // understood until the drawing next changes, and says how many in the status bar. The
  // drawing and its history stay as they are.
  void CheckStructure();
  // Edit > Clean Structure: the molecules the selection touches drawn afresh, one undo
  // step; enabled when the selection touches a molecule. A molecule that cannot be laid
  // out is left as it is and the status bar says why.
  bool CanClean();
  void CleanStructure();
  // The objects framed now (none once the drawing has changed).
  const std::vector<const CKVObject*>& Marks();
  // Draws the frames on the view's window.
  void PaintMarks(QPainter& painter);

  // After the view painted: when the drawing or the selection changed, the field is brought
  // up to date once this paint is done, not inside it; when working it out took long the
  // last time (a drawing of tens of thousands of atoms), once the changes pause.
  void OnViewPainted();
  void UpdateField();
  // How long the field waits after a change, in milliseconds, given what it cost last.
  static int FieldDelay(qint64 nLastCostMs) { return nLastCostMs > 20 ? 300 : 0; }

 private:
  // What the status field was computed for: the change clock, the objects, the selection
  // count (a flag cleared without a change stamp still changes it), the document.
  struct CFieldKey {
    std::uint64_t nStamp = 0;
    std::size_t nObjects = 0;
    std::int32_t nSelected = 0;
    const void* pDoc = nullptr;
    bool operator==(const CFieldKey&) const = default;
  };
  // What the frames were drawn for: the undo history's place and length, which change with
  // every change of the drawing but not with the selection.
  struct CMarksKey {
    std::size_t nHistory = 0;
    std::optional<std::size_t> position;
    bool bAtOldest = false;
    std::size_t nObjects = 0;
    const void* pDoc = nullptr;
    bool operator==(const CMarksKey&) const = default;
  };
  CFieldKey FieldKey() const;
  CMarksKey MarksKey() const;
  void ShowMessage(const QString& text);
  void PutTextOnClipboard(const QString& text);

  CMainFrame* m_pFrame;
  QLabel* m_pField;
  std::optional<CFieldKey> m_fieldKey;
  QTimer* m_pFieldTimer;
  qint64 m_nFieldCostMs = 0;
  std::optional<CFieldKey> m_cleanKey;
  bool m_bCanClean = false;
  std::vector<const CKVObject*> m_marks;
  CMarksKey m_marksKey;
};

// The chemical formats of a copied stream for the clipboard (chemical/x-mdl-molfile and
// chemical/x-daylight-smiles); none when the copied part holds no molecule.
std::vector<std::pair<QString, QByteArray>> ClipboardStructures(
    const CClipboardSource::Bytes& stream);
