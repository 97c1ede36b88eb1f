#pragma once

#include <string>

// What the view asks of the frame around its window: files, start-up, the embedding
// container, the Draw bar and toolbar, the commands it routes on and the frame's own
// commands, which the command table runs through it. The shell's frames provide it
// (through the view widget); tests use a fake that records every call.
class IFrameServices {
 public:
  virtual ~IFrameServices() = default;

  // Start-up and the main window.
  virtual void EndStartingUp() = 0;  // the frame's start-up phase is over
  virtual void ShowMainWindow(int nShowCommand) = 0;
  virtual bool OpenFileAtStart(const std::string& strPath) = 0;

  // Files.
  virtual bool DoFileSaveAs() = 0;  // the application's Save As command
  // The application's Save of a drawing that has a path: true when its file was written;
  // a failure has been reported and the file is as it was.
  virtual bool DoFileSave() = 0;

  // The embedding container.
  virtual void UpdateAllItems() = 0;  // refresh the embedding items' pictures
  // Editing in place inside a container's window: whether the view is shown there (its
  // window then has no main window around it), and the end of it, after which the
  // container shows the updated picture again.
  virtual bool IsInPlaceActive() { return false; }
  virtual void DeactivateInPlace() {}
  // The kill protocol of a closing embedding server: the kill record and a new instance.
  virtual void RunKillProtocol() {}

  // The Draw bar: its reset (clear its latched buttons, hide its palettes, release
  // buttons); clear the latched buttons; show every button released; remember where it is
  // now, for the settings.
  virtual void ResetDrawBar() = 0;
  virtual void ClearDrawBarLatches() {}
  virtual void ReleaseDrawBarButtons() {}
  virtual void RecordDrawBarPlacement() {}
  // The toolbar of the frame the view is shown in (the in-place frame's while the view is
  // in place): show or hide it, and whether it is shown.
  virtual void ShowToolBar(bool /*bShow*/) {}
  virtual bool IsToolBarShown() { return false; }

  // The framework's handling of a command sent to the view window: the view, then the
  // document, the frame and the application.
  virtual void RouteCommand(int /*nId*/) {}

  // The frame's commands, each run by its row of the command table (a frame without the
  // command does nothing), and what decides whether some of them can be chosen.
  // Files (File > Save As is DoFileSaveAs): File > Save asks where to save a drawing that
  // has no file yet; a recent file is given by its place in the list, 0 the latest.
  virtual void NewFile() {}
  virtual void OpenFile() {}
  virtual void SaveFile() {}
  virtual void SaveCopyAs() {}
  virtual void OpenRecentFile(int /*nIndex*/) {}
  virtual bool HasRecentFiles() { return false; }
  virtual void ExportPicture() {}
  // The framework's own Open and Save; in the window of an embedded drawing (one a
  // container opened in a window of its own) Save updates the container instead.
  virtual void OpenFramework() {}
  virtual void SaveFramework() {}
  virtual bool IsEmbeddedWindow() { return false; }
  // Printing.
  virtual void PrintSetup() {}
  virtual void Print() {}
  virtual void PrintPreview() {}
  // The application and the frame's bars: the About box, the end, the status bar and the
  // Draw bar shown or hidden, and a start anew in another language (1029 Czech, 1033
  // English).
  virtual void ShowAbout() {}
  virtual void Exit() {}
  virtual void ToggleStatusBar() {}
  virtual void ToggleDrawBar() {}
  virtual void SwitchLanguage(int /*nLanguageId*/) {}
  // The drawing as chemistry; Clean Structure can be chosen when the selection touches a
  // molecule.
  virtual void ExportStructure() {}
  virtual void CopyAsSmiles() {}
  virtual void CopyAsInchi() {}
  virtual void CheckStructure() {}
  virtual void CleanStructure() {}
  virtual bool CanCleanStructure() { return false; }
  // After every update of the view: the zoom it shows at (1.0 is 100 %), for the status bar.
  virtual void ShowZoom(double /*dZoom*/) {}
  // A setting the user changed in the view (a drawing aid), to be kept in the settings file
  // under the record's name at once.
  virtual void KeepSetting(const char* /*pszRecord*/, const char* /*pszValue*/) {}
};
