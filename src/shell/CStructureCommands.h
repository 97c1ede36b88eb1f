#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "document/CClipboardSource.h"

class CKVObject;
class CMainFrame;
class QLabel;
class QPainter;
class QTimer;

// The drawing as chemistry in the editor: File > Export Structure, Edit > Copy As SMILES and
// Copy As InChI, Edit > Check Structure with its red frames, and the status bar's field with
// the formula and average mass of the selected molecules (of the whole drawing when nothing
// is selected). The frame owns it and routes its commands here.
class CStructureCommands : public QObject {
  Q_OBJECT
 public:
  // pField is the status bar's field this keeps up to date.
  CStructureCommands(CMainFrame* pFrame, QLabel* pField);

  static bool IsStructureCommand(int nId);
  // Carries out one of the commands; false for any other.
  bool OnCommand(int nId);

  // File > Export Structure: asks for a file name in the folder and of the type of the last
  // export, remembers both, and writes the file. ExportStructureTo writes it through the
  // safe writer and shows a failure with the path and the reason; false when nothing was
  // written.
  void OnExportStructure();
  bool ExportStructureTo(const QString& strPath);
  QString InitialExportPath() const;
  static constexpr const char* kFolderKey = "Software\\Valendra\\Valendra\\ExportStructure\\Folder";
  static constexpr const char* kTypeKey = "Software\\Valendra\\Valendra\\ExportStructure\\Type";

  // The selected molecules (all when nothing is selected) as plain text on the clipboard:
  // SMILES joined by '.', or, for the whole drawing of a reaction scheme, one reaction SMILES
  // per step; the standard InChI of them together.
  void CopyAsSmiles();
  void CopyAsInchi();

  // Edit > Check Structure: frames every atom with a valence problem or a label not
  // understood until the drawing next changes, and says how many in the status bar. The
  // drawing and its history stay as they are.
  void CheckStructure();
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
  std::vector<const CKVObject*> m_marks;
  CMarksKey m_marksKey;
};

// The chemical formats of a copied stream for the clipboard (chemical/x-mdl-molfile and
// chemical/x-daylight-smiles); none when the copied part holds no molecule.
std::vector<std::pair<QString, QByteArray>> ClipboardStructures(
    const CClipboardSource::Bytes& stream);
