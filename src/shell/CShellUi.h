#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The modal questions the shell asks: message boxes and file-name dialogs. Each goes to a
// real Qt dialog unless a handler is installed; tests install handlers that record the
// question and give the answer, so file commands run without anyone at the screen.
class CShellUi {
 public:
  // Message box flags and answers, in the values the view uses.
  static constexpr unsigned kOk = 0x0;
  static constexpr unsigned kYesNoCancel = 0x3;
  static constexpr unsigned kYesNo = 0x4;
  static constexpr unsigned kIconError = 0x10;
  static constexpr unsigned kIconWarning = 0x30;
  static constexpr unsigned kIconInformation = 0x40;
  static constexpr int kIdOk = 1;
  static constexpr int kIdCancel = 2;
  static constexpr int kIdYes = 6;
  static constexpr int kIdNo = 7;

  // ExportPicture, ExportStructure: save dialogs for pictures and structure files. The
  // initial name's folder is where it opens and its extension picks the file type offered
  // first; a name typed without one of the types' extensions gets the extension of the
  // chosen type.
  enum class FileDialog {
    Open,
    OpenFramework,
    SaveCopyAs,
    SaveFramework,
    ExportPicture,
    ExportStructure
  };

  using MessageHandler =
      std::function<int(const QString& text, const QString& caption, unsigned flags)>;
  // Returns the chosen path, or an empty string for Cancel. The filter is "|"-separated
  // pairs of description and pattern.
  using FileHandler =
      std::function<QString(FileDialog kind, const QString& filter, const QString& initialName)>;

  // A message box: buttons and icon from the flags; returns the answer. pOwner may be null
  // (a message box without owner window).
  static int MessageBox(QWidget* pOwner, const QString& text, const QString& caption,
                        unsigned flags);
  // A file dialog; bEnglish chooses the language of the refusal message of the open
  // dialog, which keeps asking while the chosen file cannot be read.
  static QString GetFileName(QWidget* pOwner, FileDialog kind, const QString& filter,
                             const QString& initialName, bool bEnglish);
  // The extension a Qt name filter such as "PNG Pictures (*.png)" names ("png").
  static QString SuffixOfFilter(const QString& nameFilter);

  // A question whose answers are buttons of the given texts; returns the index of the one
  // chosen. Enter chooses nDefault; Esc and closing the box choose nEscape.
  using ChoiceHandler =
      std::function<int(const QString& text, const QString& caption, const QStringList& buttons)>;
  static int Choose(QWidget* pOwner, const QString& text, const QString& caption,
                    const QStringList& buttons, int nDefault, int nEscape);

  static void SetMessageHandler(MessageHandler handler);
  static void SetFileHandler(FileHandler handler);
  static void SetChoiceHandler(ChoiceHandler handler);
};
