// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// QtDialogs: the desktop program's answer to the Dialogs seam, with Qt's
// message box, input dialog and file dialogs. Every dialog is modal to the
// whole application, runs its own nested event loop, is centred over the
// owner (the main window) when that is on screen and wears the skin's dark
// palette.
#include <QString>

#include "base/dialogs.h"

class QFileDialog;
class QWidget;

class QtDialogs : public Dialogs {
 public:
  // Dialogs are centred over `owner` when it is given.
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
  std::optional<std::string> OpenFileName(const std::string& filter) override;
  std::optional<std::string> SaveFileName(const std::string& filter,
                                          const std::string& suggestedName) override;
  bool Confirm(const std::string& text, const std::string& caption) override;
  std::optional<std::string> FolderName() override;

 private:
  // Dark palette and a place over the owner, before the dialog is shown.
  void Prepare(QWidget& dialog) const;
  std::optional<std::string> ChosenFile(QFileDialog& dialog);

  QWidget* owner_;
};

// Turns the "Description|*.a;*.b" filter form into a Qt name filter whose
// patterns match the extensions in any letter case:
// "Mp3/Wav File|*.mp3;*.wav" -> "Mp3/Wav File (*.[mM][pP]3 *.[wW][aA][vV])".
// Several "Desc|patterns" pairs (all separated by '|') give several filters
// joined by ";;".
QString QtNameFilter(const std::string& filter);
